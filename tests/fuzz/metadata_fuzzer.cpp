// Reads the metadata of arbitrary bytes as the loader does, saves the photo with it
// and reads the saved stream back. A finding is any crash, sanitizer report or leak,
// a load that holds more memory than the loader's bound, a save that fails (a
// segment too big for its marker among the causes), an EXIF orientation other than
// 1 in the saved stream as libexif reads it, a carried segment that changed (ICC
// profile, but for a CMYK one, which becomes sRGB's; extended XMP, comments, density),
// a photo that reloads at another size, or metadata that changes again when the saved
// photo is saved once more: reopening and saving must be a fixed point.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "engine/bitmap32.h"
#include "photo_files/colour_profile.h"
#include "photo_files/exif_orientation.h"
#include "photo_files/jpeg_decoder.h"
#include "photo_files/jpeg_encoder.h"
#include "photo_files/photo_metadata.h"
#include "photo_files/photo_write_error.h"
#include "photo_files/saved_photo_metadata.h"
#include "tests/fuzz/fuzz_support.h"

namespace {

// The density a saved file's JFIF header gives for `density`: the encoder's 1:1
// without unit when there is none, or none JFIF allows.
JfifDensity saved_density(const std::optional<JfifDensity>& density)
{
    if (!density || density->unit > 2 || density->x == 0 || density->y == 0) return {};
    return *density;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (fuzz::skipped_size(fuzz::header_pixels(data, size))) return -1;

    Bitmap32 photo;
    PhotoMetadata loaded;
    bool opened = false;
    std::size_t peak = 0;
    {
        fuzz::HeapMeter meter;
        opened = decode_jpeg_photo(data, size, photo, &loaded);
        peak = meter.peak();
    }
    const std::size_t pixel_bytes = photo.is_empty() ? 0 : photo.pixel_count() * sizeof(std::uint32_t);
    fuzz::check(peak <= pixel_bytes + fuzz::loader_memory_bound(pixel_bytes, photo.width(), size),
                "reading the photo and its metadata held more memory than the loader's bound");
    if (!opened) {
        fuzz::check(loaded == PhotoMetadata{}, "a failed load gave metadata");
        return 0;
    }
    std::vector<std::uint8_t> encoded;
    try {
        encoded = encode_jpeg_photo(photo, metadata_for_saved_photo(loaded, photo));
    } catch (const EPhotoWriteError&) {
        fuzz::check(false, "a photo with the loader's metadata could not be encoded");
    }
    if (photo.is_empty()) return 0;

    Bitmap32 reloaded;
    PhotoMetadata saved;
    fuzz::check(decode_jpeg_photo(encoded.data(), encoded.size(), reloaded, &saved),
                "a saved photo does not load");
    fuzz::check(reloaded.width() == photo.width() && reloaded.height() == photo.height(),
                "a saved photo reloads at another size: its orientation was not made 1");
    fuzz::check(exif_orientation(saved.exif.data(), saved.exif.size()) == 1, "a saved orientation is not 1");
    fuzz::check(saved.exif.empty() || !loaded.exif.empty(), "EXIF appeared from nowhere");
    fuzz::check(saved.xmp.empty() || !loaded.xmp.empty(), "XMP appeared from nowhere");
    // A CMYK profile would be false of the saved RGB stream: sRGB's takes its place.
    fuzz::check(
        saved.icc_profile == (is_cmyk_profile(loaded.icc_profile) ? srgb_profile() : loaded.icc_profile),
        "the colour profile changed");
    fuzz::check(saved.extended_xmp == loaded.extended_xmp, "the extended XMP changed");
    fuzz::check(saved.comments == loaded.comments, "the comments changed");
    fuzz::check(saved.iptc.size() == loaded.iptc.size(), "an IPTC block was lost");
    fuzz::check(saved.density == saved_density(loaded.density), "the density changed");

    // The thumbnail comes from `photo` both times, so a second save may change nothing.
    fuzz::check(metadata_for_saved_photo(saved, photo) == saved,
                "saving the saved metadata again changes it");
    return 0;
}
