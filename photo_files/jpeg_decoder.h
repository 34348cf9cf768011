#pragma once

#include <cstddef>
#include <cstdint>

#include "photo_files/load_outcome.h"

class Bitmap32;
class RowSink;
struct PhotoMetadata;

/// Largest photo decoded, in pixels. Far above any real photo, and small enough that
/// the histograms' signed 32-bit counts can never overflow. Checked from the header,
/// before any pixel storage is obtained.
inline constexpr std::int64_t kMaxPhotoPixels = 400'000'000;

/// Most scans a JPEG stream may have. Real progressive photos have ten or so and never
/// more than about a hundred; files with thousands of scans exist only to make a
/// decoder spin.
inline constexpr int kMaxJpegScans = 256;

/// Decodes the JPEG stream of `size` bytes at `data` into `org_photo`; `size` 0 fails
/// as EmptyFile and leaves `org_photo` as it was.
///
/// On success `org_photo` has the upright photo's width and height (the EXIF
/// orientation is applied to the pixels), every pixel has alpha 0xFF, colour streams
/// carry the decoder's RGB levels unchanged, grayscale streams are dithered onto 236
/// gray levels (level j = (255 j + 117) / 235) with red = green = blue, and CMYK or
/// YCCK streams are converted to RGB: to sRGB through the CMYK profile they embed
/// (photo_files/cmyk_to_srgb.h), or by the plain formula without a usable one. It is
/// resized (notifying as Bitmap32::set_size does) before decoding, and notified once
/// more when the pixels are in; a photo of the size it already has is decoded into its
/// present storage. A stream cut off inside its image data decodes at full size, and
/// `outcome` says so.
///
/// Returns false on any failure: anything the decoder refuses, a photo above
/// kMaxPhotoPixels, a stream of more than kMaxJpegScans scans, or memory that cannot
/// be obtained. After a failure that comes once `org_photo` was resized, it keeps the
/// new size and holds only zero words. Never throws for a bad or hostile stream.
///
/// `metadata`, when given, receives everything a saved photo carries on
/// (photo_files/photo_metadata.h), or is cleared when the decode fails. `outcome`,
/// when given, receives why it failed, or LoadFailureReason::None and whether the
/// data ended early when it did not.
/// `rows`, when given, is told of the upright photo's rows as they are decoded (all
/// at the end for a quarter-turned photo), and rows_ended() before the call returns,
/// in every case, and before a failed decode clears the photo.
bool decode_jpeg_photo(const std::uint8_t* data, std::size_t size, Bitmap32& org_photo,
                       PhotoMetadata* metadata = nullptr, LoadOutcome* outcome = nullptr,
                       RowSink* rows = nullptr);
