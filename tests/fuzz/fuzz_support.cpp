#include "tests/fuzz/fuzz_support.h"

#include <sanitizer/allocator_interface.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "engine/bitmap32.h"
#include "photo_files/jpeg_decoder.h"
#include "photo_files/jpeg_error_manager.h"
#include "tests/support/pixels.h"

namespace fuzz {

namespace {

// The meter's counts. The fuzzers run one input at a time on one thread.
bool metering = false;
std::size_t live_bytes = 0;
std::size_t peak_bytes = 0;

void count_malloc(const volatile void*, std::size_t size)
{
    if (!metering) return;
    live_bytes += size;
    peak_bytes = std::max(peak_bytes, live_bytes);
}

void count_free(const volatile void* pointer)
{
    if (!metering || pointer == nullptr) return;
    // The hook runs before the block is released, so its size can still be asked.
    const std::size_t size = __sanitizer_get_allocated_size(const_cast<const void*>(pointer));
    // Blocks from before the meter started do not count against the loader.
    live_bytes -= std::min(live_bytes, size);
}

const bool hooks_installed = __sanitizer_install_malloc_and_free_hooks(count_malloc, count_free) != 0;

}  // namespace

bool skipped_size(std::int64_t claimed)
{
    return claimed > kMaxFuzzPixels && claimed <= kMaxPhotoPixels;
}

std::int64_t header_pixels(const std::uint8_t* data, std::size_t size)
{
    if (size == 0) return -1;
    jpeg_decompress_struct cinfo{};
    JpegErrorManager errors;
    errors.install(cinfo);
    std::int64_t pixels = -1;
    errors.run([&] {
        jpeg_create_decompress(&cinfo);
        jpeg_mem_src(&cinfo, data, static_cast<unsigned long>(size));
        if (jpeg_read_header(&cinfo, TRUE) == JPEG_HEADER_OK)
            pixels = static_cast<std::int64_t>(cinfo.image_width) * cinfo.image_height;
    });
    jpeg_destroy_decompress(&cinfo);
    return pixels;
}

std::size_t loader_memory_bound(std::size_t pixel_bytes, int photo_width, std::size_t input_size)
{
    constexpr int kRowBatch = 16;  // rows the loader turns upright at a time
    const std::size_t turn_rows = static_cast<std::size_t>(photo_width) * kRowBatch * 4;
    return kFixedWorkingMemory + 2 * pixel_bytes + turn_rows + 3 * input_size;
}

HeapMeter::HeapMeter()
{
    check(hooks_installed, "the heap meter's allocator hooks are not installed");
    live_bytes = 0;
    peak_bytes = 0;
    metering = true;
}

HeapMeter::~HeapMeter()
{
    metering = false;
}

std::size_t HeapMeter::peak() const
{
    return peak_bytes;
}

void check(bool condition, const char* what)
{
    if (condition) return;
    std::fprintf(stderr, "fuzz check failed: %s\n", what);
    std::abort();
}

void check_decoded_photo(const Bitmap32& photo, bool loaded)
{
    const std::uint32_t* pixels = photo.pixels();
    const std::size_t count = photo.is_empty() ? 0 : photo.pixel_count();
    if (loaded) {
        check(static_cast<std::int64_t>(count) <= kMaxPhotoPixels, "a photo above the pixel limit loaded");
        check(std::all_of(pixels, pixels + count, [](std::uint32_t p) { return p >> 24 == 0xFF; }),
              "a loaded photo has a pixel that is not opaque");
    } else {
        check(every_pixel_is(photo, 0), "a failed load left pixels behind");
    }
}

}  // namespace fuzz
