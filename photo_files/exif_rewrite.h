#pragma once

#include <cstdint>
#include <functional>
#include <vector>

/// A thumbnail for an EXIF block: a JPEG stream and its size in pixels. An empty
/// stream means there is none to give.
struct ExifThumbnail {
    std::vector<std::uint8_t> jpeg;
    int width = 0;
    int height = 0;
};

/// The EXIF APP1 payload `exif` ("Exif\0\0" and a TIFF structure) made true of an
/// upright `width` x `height` photo, by patching the structure where it stands, so
/// that nothing moves and maker notes, whose inner offsets point into the block,
/// keep working:
/// - every Orientation in IFD0 becomes 1;
/// - ImageWidth and ImageLength in IFD0, and PixelXDimension and PixelYDimension in
///   the EXIF IFD, become the photo's size (a SHORT too small for it becomes a LONG);
/// - the IFD1 thumbnail is replaced by `make_thumbnail()`, called only when there is
///   one to replace. When that gives none, the thumbnail is not a JPEG, or the block
///   would outgrow one segment, IFD1 is unlinked instead. The old thumbnail's bytes
///   are cut off or zeroed where that disturbs nothing else.
/// Tags that are absent stay absent. Every offset is checked against the block; a
/// block without a readable TIFF header or IFD0 is returned unchanged but for the
/// JPEG pictures found in it, which are zeroed. Returns an
/// empty payload when even without its thumbnail the block would not fit a segment.
std::vector<std::uint8_t> exif_for_saved_photo(const std::vector<std::uint8_t>& exif, int width, int height,
                                               const std::function<ExifThumbnail()>& make_thumbnail);
