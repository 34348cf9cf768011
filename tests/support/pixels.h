#pragma once

#include <cstdint>

#include "engine/bitmap32.h"

/// Same width, height and every word, alpha included.
bool same_pixels(const Bitmap32& a, const Bitmap32& b);

/// Every word of `photo` is `word` (so also when it has no pixels).
bool every_pixel_is(const Bitmap32& photo, std::uint32_t word);

/// How many pixels of `photo` differ from `expected(x, y)`, the word each should hold.
template <typename Expected>
int count_pixels_unlike(const Bitmap32& photo, Expected expected)
{
    int unlike = 0;
    for (int y = 0; y < photo.height(); ++y)
        for (int x = 0; x < photo.width(); ++x) unlike += photo.pixel(x, y) != expected(x, y);
    return unlike;
}
