#pragma once

#include <cstdint>
#include <vector>

/// The XMP APP1 payload `xmp` ("http://ns.adobe.com/xap/1.0/\0" and the packet) made
/// true of an upright `width` x `height` photo: the values of tiff:Orientation (1),
/// tiff:ImageWidth, tiff:ImageLength, exif:PixelXDimension and exif:PixelYDimension
/// are replaced wherever they appear as attributes (name="value") or as elements
/// (<name>value</name>); every other byte stays as it was, and absent properties stay
/// absent. When the packet outgrows one segment it gives up padding before its
/// closing processing instruction; an empty payload when that is not enough.
std::vector<std::uint8_t> xmp_for_saved_photo(const std::vector<std::uint8_t>& xmp, int width, int height);
