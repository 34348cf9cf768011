#include "tests/support/pixels.h"

#include <algorithm>

bool same_pixels(const Bitmap32& a, const Bitmap32& b)
{
    if (a.width() != b.width() || a.height() != b.height()) return false;
    return a.is_empty() || std::equal(a.pixels(), a.pixels() + a.pixel_count(), b.pixels());
}

bool every_pixel_is(const Bitmap32& photo, std::uint32_t word)
{
    if (photo.is_empty()) return true;
    return std::all_of(photo.pixels(), photo.pixels() + photo.pixel_count(),
                       [word](std::uint32_t p) { return p == word; });
}
