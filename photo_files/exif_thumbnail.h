#pragma once

#include "photo_files/exif_rewrite.h"

class Bitmap32;
struct CurveTriple;

/// Longest side of the thumbnails EXIF blocks carry.
inline constexpr int kExifThumbnailSide = 160;

/// The thumbnail of `photo` for its EXIF block: the photo scaled down (never up) so
/// that its longer side is at most kExifThumbnailSide, each pixel the mean of a 2 x 2
/// grid of samples spread over the area it stands for, encoded as the photo itself
/// is saved. No stream when the photo is empty or the encoder fails. With `curves`
/// it is the thumbnail of `photo` with them applied: each sample curved before the mean.
ExifThumbnail exif_thumbnail_of(const Bitmap32& photo, const CurveTriple* curves = nullptr);
