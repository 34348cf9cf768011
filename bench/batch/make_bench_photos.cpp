// Writes the benchmarks' photo, as the program saves it, COUNT times into FOLDER:
//   make_bench_photos FOLDER COUNT WIDTH HEIGHT   ->   FOLDER/photo_01.jpg ...

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "engine/bitmap32.h"
#include "photo_files/jpeg_photo.h"
#include "tests/support/synthetic_photos.h"

int main(int argc, char** argv)
{
    if (argc != 5) {
        std::fprintf(stderr, "usage: make_bench_photos FOLDER COUNT WIDTH HEIGHT\n");
        return 2;
    }
    const std::filesystem::path folder = argv[1];
    const int count = std::atoi(argv[2]);
    Bitmap32 photo;
    fill_grainy_photo(photo, std::atoi(argv[3]), std::atoi(argv[4]));
    std::filesystem::create_directories(folder);
    for (int i = 1; i <= count; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "photo_%02d.jpg", i);
        write_photo(photo, (folder / name).string());
    }
    return 0;
}
