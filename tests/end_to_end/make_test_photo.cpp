// Writes the photo the end-to-end test opens: a dull, low-contrast scene (sky,
// ground, a few coloured blocks) that any automatic correction visibly changes.
// With --fine-lines, dark upright lines two photo pixels wide stand every eight
// pixels: detail that only a screen finer than 100 % resolves once the photo is
// fitted to its view. With --icc FILE the photo embeds that colour profile.
// Usage: make_test_photo <path> <width> <height> [--fine-lines] [--icc FILE]
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <fstream>
#include <iterator>
#include <string>

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
    bool fine_lines = false;
    PhotoMetadata metadata;
    bool understood = argc >= 4;
    for (int i = 4; i < argc && understood; ++i) {
        const std::string option = argv[i];
        if (option == "--fine-lines") {
            fine_lines = true;
        } else if (option == "--icc" && i + 1 < argc) {
            std::ifstream profile(argv[++i], std::ios::binary);
            metadata.icc_profile.assign(std::istreambuf_iterator<char>(profile),
                                        std::istreambuf_iterator<char>());
            understood = !metadata.icc_profile.empty();
        } else {
            understood = false;
        }
    }
    if (!understood) {
        std::fprintf(stderr, "usage: %s <path> <width> <height> [--fine-lines] [--icc FILE]\n", argv[0]);
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
        fill_photo(photo, width, height, [&](int x, int y) {
            if (fine_lines && x % 8 < 2) return opaque_rgb(20, 20, 30);
            return scene_pixel(x, y, width, height);
        });
        write_photo(photo, argv[1], metadata);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "%s\n", error.what());
        return 1;
    }
    return 0;
}
