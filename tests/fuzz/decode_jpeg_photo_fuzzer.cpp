// Feeds arbitrary bytes to the in-memory JPEG decoder behind load_photo. A finding is
// any crash, sanitizer report or leak, a photo that breaks the loader's promises
// (opaque pixels, the pixel limit, nothing left behind by a failure), or a decode
// that holds more heap than the loader's memory bound.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "bitmap32.h"
#include "fuzz_support.h"
#include "jpeg_photo.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::int64_t claimed = fuzz::header_pixels(data, size);
    // -1: not worth keeping in the corpus (see kMaxFuzzPixels).
    if (claimed > fuzz::kMaxFuzzPixels && claimed <= kMaxPhotoPixels) return -1;

    Bitmap32 photo;
    IccProfile icc_profile;
    bool loaded = false;
    std::size_t peak = 0;
    {
        fuzz::HeapMeter meter;
        loaded = decode_jpeg_photo(data, size, photo, &icc_profile);
        peak = meter.peak();
    }
    fuzz::check_decoded_photo(photo, loaded);
    if (!loaded) fuzz::check(icc_profile.empty(), "a failed load returned a colour profile");

    const std::size_t pixel_bytes = photo.is_empty() ? 0 : photo.pixel_count() * sizeof(std::uint32_t);
    const std::size_t bound = fuzz::loader_memory_bound(pixel_bytes, photo.width(), size);
    // Run with TINTELO_FUZZ_REPORT_MEMORY=1 on chosen files to see how near the bound they come.
    static const bool report = std::getenv("TINTELO_FUZZ_REPORT_MEMORY") != nullptr;
    if (report)
        std::fprintf(stderr, "%dx%d loaded=%d input=%zu peak=%zu pixels=%zu beyond pixels=%zu bound=%zu\n",
                     photo.width(), photo.height(), loaded, size, peak, pixel_bytes,
                     peak > pixel_bytes ? peak - pixel_bytes : 0, bound);
    fuzz::check(peak <= pixel_bytes + bound, "the decoder held more memory than its bound");
    return 0;
}
