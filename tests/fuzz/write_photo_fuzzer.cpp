// Saves whatever the loader makes of arbitrary bytes and loads the saved file back,
// through the files on disk as the program does. A finding is any crash, sanitizer
// report or leak, a save that fails for a photo the loader produced, a file that
// differs from the in-memory encoding, or a reload that does not give back a photo
// of the same size with the same colour profile.

#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "engine/bitmap32.h"
#include "tests/fuzz/fuzz_support.h"
#include "photo_files/jpeg_photo.h"

namespace {

// A folder of our own for the saved photo, in memory where the machine offers it
// (each save is flushed to the disk before it is renamed into place).
std::string make_work_folder()
{
    std::string base = std::filesystem::is_directory("/dev/shm")
                           ? "/dev/shm"
                           : std::filesystem::temp_directory_path().string();
    std::string pattern = base + "/write_photo_fuzzer.XXXXXX";
    fuzz::check(mkdtemp(pattern.data()) != nullptr, "cannot make a work folder");
    return pattern;
}

const std::string& work_folder()
{
    static const std::string folder = make_work_folder();
    static const struct Remover {
        ~Remover()
        {
            std::error_code ignored;
            std::filesystem::remove_all(folder, ignored);
        }
    } remover;
    return folder;
}

std::vector<std::uint8_t> read_file(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::int64_t claimed = fuzz::header_pixels(data, size);
    if (claimed > fuzz::kMaxFuzzPixels && claimed <= kMaxPhotoPixels) return -1;

    Bitmap32 photo;
    IccProfile icc_profile;
    const bool loaded = decode_jpeg_photo(data, size, photo, &icc_profile);
    fuzz::check_decoded_photo(photo, loaded);
    if (!loaded) return 0;

    std::vector<std::uint8_t> encoded;
    try {
        encoded = encode_jpeg_photo(photo, icc_profile);
    } catch (const EPhotoWriteError&) {
        fuzz::check(false, "a photo the loader produced could not be encoded");
    }
    fuzz::check(encoded.empty() == photo.is_empty(), "an encoding's emptiness differs from the photo's");

    const std::string path = work_folder() + "/photo.jpg";
    try {
        write_photo(photo, path, icc_profile);
    } catch (const EPhotoWriteError&) {
        fuzz::check(false, "a photo the loader produced could not be saved");
    }
    fuzz::check(read_file(path) == encoded, "the saved file differs from the encoding in memory");

    Bitmap32 reloaded;
    IccProfile reloaded_profile{1};
    fuzz::check(load_photo(path, reloaded, &reloaded_profile), "a saved photo does not load");
    fuzz::check(reloaded.width() == photo.width() && reloaded.height() == photo.height(),
                "a saved photo reloads at another size");
    fuzz::check(reloaded_profile == icc_profile, "a saved photo lost or changed its colour profile");
    fuzz::check_decoded_photo(reloaded, true);
    return 0;
}
