#pragma once

#include "photo_files/photo_metadata.h"

class Bitmap32;
struct CurveTriple;

/// The metadata to save beside `saved_photo` when `loaded` came with the photo it
/// was made from: the same segments, made true of the saved photo. The photo is
/// upright, so the EXIF orientation (and XMP tiff:Orientation) become 1; the pixel
/// dimensions in EXIF and XMP become the saved photo's; the EXIF thumbnail is
/// encoded afresh from `saved_photo` (or removed when it cannot be); Photoshop
/// thumbnails in the IPTC blocks are left out; a CMYK colour profile becomes sRGB's
/// (colour_profile.h). Every other byte is kept. Each
/// segment fits one marker: a rewritten EXIF block that would not loses its
/// thumbnail first and is left out if it still would not. Never throws for bad
/// metadata; only a lack of memory can leave (std::bad_alloc, or EBitmapError for
/// the thumbnail's pixels). With `curves` the saved photo is
/// `saved_photo` with them applied (write_photo's `curves`).
PhotoMetadata metadata_for_saved_photo(const PhotoMetadata& loaded, const Bitmap32& saved_photo,
                                       const CurveTriple* curves = nullptr);
