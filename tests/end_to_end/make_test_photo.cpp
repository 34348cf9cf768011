// Writes the photo the end-to-end test opens: a dull, low-contrast scene (sky,
// ground, a few coloured blocks) that any automatic correction visibly changes.
// Usage: make_test_photo <path> <width> <height>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <exception>

#include "engine/bitmap32.h"
#include "photo_files/jpeg_photo.h"
#include "tests/support/synthetic_photos.h"

namespace {

std::uint32_t scene_pixel(int x, int y, int width, int height)
{
    const int across = 60 * x / width;
    const int down = 60 * y / height;
    const int block = (x * 5 / width) % 5;
    if (y > height * 2 / 3 && y < height * 5 / 6 && x % (width / 5) > width / 20)
        return opaque_rgb(60 + 20 * block, 110 - 10 * block, 70 + 15 * block);      // coloured blocks
    if (y < height / 2) return opaque_rgb(70 + down, 85 + down, 120 + across / 2);  // hazy sky
    return opaque_rgb(80 + across, 75 + down / 2, 50);                              // brownish ground
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 4) {
        std::fprintf(stderr, "usage: %s <path> <width> <height>\n", argv[0]);
        return 2;
    }
    const int width = std::atoi(argv[2]);
    const int height = std::atoi(argv[3]);
    if (width < 20 || height < 20) {
        std::fprintf(stderr, "the photo must be at least 20 x 20 pixels\n");
        return 2;
    }
    try {
        Bitmap32 photo;
        fill_photo(photo, width, height, [&](int x, int y) { return scene_pixel(x, y, width, height); });
        write_photo(photo, argv[1]);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "%s\n", error.what());
        return 1;
    }
    return 0;
}
