// Saves whatever the loader makes of arbitrary bytes and loads the saved file back,
// through the files on disk as the program does. A finding is any crash, sanitizer
// report or leak, a save that fails for a photo the loader produced, a file that
// differs from the in-memory encoding, or a reload that does not give back a photo
// of the same size with the same colour profile.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "engine/bitmap32.h"
#include "photo_files/colour_profile.h"
#include "photo_files/jpeg_decoder.h"
#include "photo_files/jpeg_encoder.h"
#include "photo_files/jpeg_photo.h"
#include "tests/fuzz/fuzz_support.h"
#include "tests/support/file_bytes.h"
#include "tests/support/temp_dir.h"

namespace {

// A folder of our own for the saved photo, in memory where the machine offers it
// (each save is flushed to the disk before it is renamed into place).
const TempDir& work_folder()
{
    static const TempDir folder("write_photo_fuzzer",
                                std::filesystem::is_directory("/dev/shm") ? "/dev/shm" : "");
    return folder;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (fuzz::skipped_size(fuzz::header_pixels(data, size))) return -1;

    Bitmap32 photo;
    PhotoMetadata loaded_metadata;
    const bool loaded = decode_jpeg_photo(data, size, photo, &loaded_metadata);
    fuzz::check_decoded_photo(photo, loaded);
    if (!loaded) return 0;
    // Only the colour profile goes with the photo: it is carried as it is (a CMYK one as
    // sRGB's, as every save does), so the encoding in memory and the saved file must agree
    // byte for byte.
    PhotoMetadata metadata;
    metadata.icc_profile =
        is_cmyk_profile(loaded_metadata.icc_profile) ? srgb_profile() : loaded_metadata.icc_profile;

    std::vector<std::uint8_t> encoded;
    try {
        encoded = encode_jpeg_photo(photo, metadata);
    } catch (const EPhotoWriteError&) {
        fuzz::check(false, "a photo the loader produced could not be encoded");
    }
    fuzz::check(encoded.empty() == photo.is_empty(), "an encoding's emptiness differs from the photo's");

    const std::string path = work_folder().file("photo.jpg");
    try {
        write_photo(photo, path, metadata);
    } catch (const EPhotoWriteError&) {
        fuzz::check(false, "a photo the loader produced could not be saved");
    }
    fuzz::check(read_bytes(path) == encoded, "the saved file differs from the encoding in memory");

    Bitmap32 reloaded;
    PhotoMetadata reloaded_metadata;
    reloaded_metadata.icc_profile = {1};
    fuzz::check(load_photo(path, reloaded, &reloaded_metadata), "a saved photo does not load");
    fuzz::check(reloaded.width() == photo.width() && reloaded.height() == photo.height(),
                "a saved photo reloads at another size");
    fuzz::check(reloaded_metadata.icc_profile == metadata.icc_profile,
                "a saved photo lost or changed its colour profile");
    fuzz::check_decoded_photo(reloaded, true);
    return 0;
}
