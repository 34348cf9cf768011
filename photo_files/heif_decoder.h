#pragma once

#include <cstddef>
#include <cstdint>

#include "photo_files/load_outcome.h"

class Bitmap32;
class RowSink;
struct PhotoMetadata;

/// Decodes the primary image of the HEIF or AVIF file of `size` bytes at `data` into
/// `org_photo`, with the same promises as decode_jpeg_photo (photo_files/jpeg_decoder.h)
/// about resizing, notifying, opaque pixels, rows told to `rows`, and the state left
/// after a failure.
///
/// The container's transformations (rotation, mirror, clean-aperture crop) are applied,
/// so the photo is upright and an EXIF orientation inside the file is not applied
/// again. Samples of more than 8 bits are reduced to 8 with rounding; alpha, thumbnails
/// and auxiliary images are ignored.
///
/// `metadata`, when given, receives the file's EXIF and XMP blocks in the form a JPEG
/// carries them, and its colour: an embedded ICC profile, or for an nclx colour
/// description other than sRGB's a profile that describes the same colours.
///
/// Fails as NotAHeif for bytes that are no HEIF file libheif reads, TooManyPixels above
/// kMaxPhotoPixels (checked before any pixel storage is obtained, for a grid or overlay
/// on the canvas its own data states), DecoderError with libheif's message or with the
/// reason a grid or overlay is refused before decoding (photo_files/heif_composition.h),
/// or OutOfMemory. Never throws for a bad or hostile file.
bool decode_heif_photo(const std::uint8_t* data, std::size_t size, Bitmap32& org_photo,
                       PhotoMetadata* metadata = nullptr, LoadOutcome* outcome = nullptr,
                       RowSink* rows = nullptr);
