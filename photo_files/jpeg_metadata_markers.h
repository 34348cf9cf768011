#pragma once

// How PhotoMetadata meets libjpeg: which segments the decoder keeps, and which
// segments, in which order, the encoder writes.

#include <cstdio>

// jpeglib.h needs FILE and size_t declared before it.
#include <jpeglib.h>

struct PhotoMetadata;

/// Asks the decoder to keep every segment PhotoMetadata holds; before jpeg_read_header.
void keep_metadata_markers(j_decompress_ptr cinfo);

/// Copies the kept EXIF, XMP, IPTC and comment segments and the JFIF density into
/// `metadata`; after jpeg_read_header, while the segments are still held. The ICC
/// profile is not touched: libjpeg puts it together from its chunks.
void read_metadata_markers(j_decompress_ptr cinfo, PhotoMetadata& metadata);

/// Puts the density into the JFIF header; between jpeg_set_defaults and jpeg_start_compress.
void set_jfif_density(j_compress_ptr cinfo, const PhotoMetadata& metadata);

/// Writes the segments after the JFIF header, in the order readers expect them:
/// EXIF, XMP and its extension, the ICC profile, IPTC, comments; right after
/// jpeg_start_compress. A segment too big for one marker is left out.
void write_metadata_markers(j_compress_ptr cinfo, const PhotoMetadata& metadata);
