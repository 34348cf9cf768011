#pragma once

// What the photo loader's fuzzers share: the pixel cap that keeps each run quick,
// a meter of the heap the loader takes, the memory bound it must keep, and the
// checks every decode result must pass.

#include <cstddef>
#include <cstdint>

class Bitmap32;

namespace fuzz {

/// Largest photo the fuzzers decode, in pixels (4 MiB of pixel words). The loader
/// itself accepts up to kMaxPhotoPixels; decoding a header that claims hundreds of
/// megapixels costs seconds of filling in missing data and proves nothing new, so
/// the fuzzers skip inputs between this cap and that limit. Inputs above the limit
/// are still decoded: they must be refused before any storage is taken.
inline constexpr std::int64_t kMaxFuzzPixels = 1 << 20;

/// The loader's own working memory, beyond the photo's pixel storage and the file's
/// bytes: libjpeg is held to 64 MiB plus the DCT coefficients of a multi-scan file.
inline constexpr std::size_t kFixedWorkingMemory = std::size_t{64} << 20;

/// The pixel count the JPEG header of `data` claims, or -1 when libjpeg cannot read
/// a header from it.
std::int64_t header_pixels(const std::uint8_t* data, std::size_t size);

/// Whether a fuzzer skips `claimed` (header_pixels of its input): between
/// kMaxFuzzPixels and the loader's limit (the fuzzer then returns -1, so libFuzzer
/// does not keep the input in its corpus).
bool skipped_size(std::int64_t claimed);

/// The most heap the loader may hold at once, beyond the photo's `pixel_bytes`, for
/// an input of `input_size` bytes: kFixedWorkingMemory, the coefficients (at most
/// two pixel storages' worth: 4 components of 2-byte coefficients per pixel), the
/// rows waiting to be turned upright, and three copies at most of what the file
/// carries: its saved markers, the ICC profile put together from them, and the
/// profile handed to the caller.
std::size_t loader_memory_bound(std::size_t pixel_bytes, int photo_width, std::size_t input_size);

/// Counts the live heap bytes of every allocation made while it is running.
class HeapMeter {
public:
    HeapMeter();
    ~HeapMeter();
    HeapMeter(const HeapMeter&) = delete;
    HeapMeter& operator=(const HeapMeter&) = delete;
    /// Most bytes live at once since the meter started, less those live at its start.
    std::size_t peak() const;
};

/// Aborts the run (a fuzzer finding) with `what` when `condition` is false.
void check(bool condition, const char* what);

/// The loader's promises about the photo after a decode that returned `loaded`:
/// within the pixel limit, every pixel opaque on success; on failure, no pixel of
/// any photo left behind.
void check_decoded_photo(const Bitmap32& photo, bool loaded);

}  // namespace fuzz
