#pragma once

// Photos made up for tests and benchmarks, with content known from their formula.

#include <cstdint>

#include "engine/bitmap32.h"

/// An opaque 0xAARRGGBB word; levels outside 0..255 are clamped.
std::uint32_t opaque_rgb(int red, int green, int blue);

/// Sizes `photo` to `width` x `height` and gives pixel (x, y) the word `pattern(x, y)`,
/// row by row from the top and left to right within a row (so a pattern may carry
/// state, such as a noise generator); then notifies one change.
template <typename Pattern>
void fill_photo(Bitmap32& photo, int width, int height, Pattern pattern)
{
    photo.set_size(width, height);
    for (int y = 0; y < photo.height() && photo.width() > 0; ++y) {
        std::uint32_t* row = photo.scan_line(y);
        for (int x = 0; x < photo.width(); ++x) row[x] = pattern(x, y);
    }
    photo.changed();
}

/// Every pixel `word`.
void fill_flat(Bitmap32& photo, int width, int height, std::uint32_t word);

/// Each pixel tells where it is: red = x & 0xFF, green = y & 0xFF, blue = (x >> 8) | (y >> 8) << 4
/// (up to 4096 pixels each way). coordinate_x and coordinate_y read a word back.
void fill_with_coordinates(Bitmap32& photo, int width, int height);
int coordinate_x(std::uint32_t word);
int coordinate_y(std::uint32_t word);

/// A photo-like picture: smooth mid-range shading with a little grain, so a codec
/// works as hard as on a real photo and an automatic correction has something to
/// correct. The same picture on every call.
void fill_grainy_photo(Bitmap32& photo, int width, int height);
