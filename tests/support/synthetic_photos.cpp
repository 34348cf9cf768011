#include "tests/support/synthetic_photos.h"

#include <algorithm>

std::uint32_t opaque_rgb(int red, int green, int blue)
{
    auto level = [](int v) { return static_cast<std::uint32_t>(std::clamp(v, 0, 255)); };
    return 0xFF000000u | level(red) << 16 | level(green) << 8 | level(blue);
}

void fill_flat(Bitmap32& photo, int width, int height, std::uint32_t word)
{
    fill_photo(photo, width, height, [word](int, int) { return word; });
}

void fill_with_coordinates(Bitmap32& photo, int width, int height)
{
    fill_photo(photo, width, height, [](int x, int y) {
        return 0xFF000000u |
               static_cast<std::uint32_t>((x & 0xFF) << 16 | (y & 0xFF) << 8 | (x >> 8) | (y >> 8) << 4);
    });
}

int coordinate_x(std::uint32_t word)
{
    return static_cast<int>((word >> 16 & 0xFF) | (word & 0x0F) << 8);
}

int coordinate_y(std::uint32_t word)
{
    return static_cast<int>((word >> 8 & 0xFF) | (word >> 4 & 0x0F) << 8);
}

void fill_grainy_photo(Bitmap32& photo, int width, int height)
{
    std::uint32_t noise = 12345;
    fill_photo(photo, width, height, [&noise, width, height](int x, int y) {
        noise = noise * 1664525u + 1013904223u;
        const int grain = static_cast<int>(noise >> 28) - 8;
        return opaque_rgb(40 + x * 150 / width + grain, 50 + y * 140 / height + grain,
                          60 + (x + y) * 120 / (width + height) + grain);
    });
}
