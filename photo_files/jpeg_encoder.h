#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

#include "photo_files/photo_metadata.h"

class Bitmap32;
struct CurveTriple;

/// Takes an encoded stream a piece at a time, in order, as the encoder makes it. It
/// may throw: the encoding then stops and the exception reaches the caller unchanged.
using JpegByteSink = std::function<void(const std::uint8_t* bytes, std::size_t size)>;

/// Encodes `photo` as a baseline JPEG into `sink`: red, green and blue of every pixel
/// unchanged (alpha dropped), YCbCr with 2 x 2 chroma subsampling, float DCT, quality
/// 95 with every quantisation entry within 1 to 255, standard Huffman tables, a JFIF
/// header with the density of `metadata`, and the segments of `metadata` after it
/// (write_metadata_markers). `metadata` is written as it is: what a saved photo
/// carries must first be made true of it (metadata_for_saved_photo).
/// With `curves` the stream is that of `photo` with them applied to every pixel (as
/// apply_curves would), without a second photo-sized buffer or a pass over it.
/// A 0 x 0 photo gives no bytes. Throws EPhotoWriteError when the encoder fails.
void encode_jpeg_photo(const Bitmap32& photo, const PhotoMetadata& metadata, const CurveTriple* curves,
                       const JpegByteSink& sink);

/// The stream encode_jpeg_photo makes of `photo`, without curves, in memory.
std::vector<std::uint8_t> encode_jpeg_photo(const Bitmap32& photo, const PhotoMetadata& metadata = {});
