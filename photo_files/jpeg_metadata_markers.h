#pragma once

// How PhotoMetadata meets libjpeg: which segments the decoder keeps, and which
// segments, in which order, the encoder writes.

#include <cstdio>
#include <vector>

// jpeglib.h needs FILE and size_t declared before it.
#include <jpeglib.h>

#include "photo_files/jpeg_segments.h"

struct PhotoMetadata;

/// Asks the decoder to keep the segments it puts the ICC profile together from;
/// before jpeg_read_header.
void keep_metadata_markers(j_decompress_ptr cinfo);

/// Copies the EXIF block readers use (chosen_exif), the first XMP packet and its
/// extension, IPTC, comments, every other APPn segment, and the JFIF density into
/// `metadata`, each with its place in `data`; after jpeg_read_header. A second EXIF
/// block or XMP packet, the JFIF header and the ICC profile's chunks are not copied:
/// libjpeg puts the profile together.
void read_metadata_markers(j_decompress_ptr cinfo, const std::uint8_t* data,
                           const std::vector<HeaderSegment>& segments, PhotoMetadata& metadata);

/// Puts the density into the JFIF header; between jpeg_set_defaults and jpeg_start_compress.
void set_jfif_density(j_compress_ptr cinfo, const PhotoMetadata& metadata);

/// Writes the segments after the JFIF header, in the order readers expect them:
/// EXIF, XMP and its extension, the ICC profile, the vendor segments, IPTC,
/// comments; right after jpeg_start_compress. A segment too big for one marker is
/// left out.
void write_metadata_markers(j_compress_ptr cinfo, const PhotoMetadata& metadata);

/// Where write_metadata_markers puts each payload in the saved file, after the start
/// of image and the JFIF header the encoder writes first: the EXIF block's (0 when
/// there is none) and each vendor segment's (0 for one left out).
struct SavedPlaces {
    std::size_t exif = 0;
    std::vector<std::size_t> vendor_segments;
};
SavedPlaces saved_places(const PhotoMetadata& metadata);
