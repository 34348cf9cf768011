// Feeds arbitrary bytes to the in-memory JPEG decoder behind load_photo. A finding is
// any crash, sanitizer report or leak, a photo that breaks the loader's promises
// (the header's size, opaque pixels, the pixel limit; after a failure the old photo
// whole or nothing of any photo, and a reason for it), or a decode that holds more
// heap than the loader's memory bound. The decode tells a row sink of its rows, as an
// open does: each row once, in ranges that continue each other, only once final, and
// the end before the load returns.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "engine/bitmap32.h"
#include "engine/row_sink.h"
#include "photo_files/jpeg_decoder.h"
#include "photo_files/photo_metadata.h"
#include "tests/fuzz/fuzz_support.h"
#include "tests/support/pixels.h"
#include "tests/support/synthetic_photos.h"

namespace {

std::uint64_t row_hash(const Bitmap32& photo, int y)
{
    std::uint64_t hash = 1469598103934665603u;
    const std::uint32_t* row = photo.scan_line(y);
    for (int x = 0; x < photo.width(); ++x) hash = (hash ^ row[x]) * 1099511628211u;
    return hash;
}

class CheckingRowSink : public RowSink {
public:
    void rows_final(const Bitmap32& photo, int first, int end) override
    {
        fuzz::check(!ended, "rows were told after their end");
        fuzz::check(0 <= first && first < end && end <= photo.height(), "rows told outside the photo");
        fuzz::check(told_first == told_end || first == told_end || end == told_first,
                    "a range of rows that does not continue the ones before");
        if (told_first == told_end) told_first = told_end = first;
        told_first = std::min(told_first, first);
        told_end = std::max(told_end, end);
        hashes.resize(static_cast<std::size_t>(photo.height()));
        for (int y = first; y < end; ++y) hashes[static_cast<std::size_t>(y)] = row_hash(photo, y);
    }
    void rows_ended() override { ended = true; }

    std::vector<std::uint64_t> hashes;
    int told_first = 0;
    int told_end = 0;
    bool ended = false;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::int64_t claimed = fuzz::header_pixels(data, size);
    if (fuzz::skipped_size(claimed)) return -1;

    // An old photo in the buffer: a failure must leave it whole or leave nothing of any photo.
    constexpr std::uint32_t kOldPixel = 0xFF123456u;
    Bitmap32 photo;
    fill_flat(photo, 3, 3, kOldPixel);
    PhotoMetadata metadata;
    const IccProfile& icc_profile = metadata.icc_profile;
    CheckingRowSink rows;
    // Left over from an earlier load: every decode must say afresh why it failed, or that it did not.
    LoadOutcome failure;
    failure.reason = LoadFailureReason::TooManyScans;
    failure.decoder_message = "an earlier message";
    bool loaded = false;
    std::size_t peak = 0;
    {
        fuzz::HeapMeter meter;
        loaded = decode_jpeg_photo(data, size, photo, &metadata, &failure, &rows);
        peak = meter.peak();
    }
    fuzz::check(rows.ended, "the load returned without ending its rows");
    if (loaded && !photo.is_empty()) {
        fuzz::check(rows.told_first == 0 && rows.told_end == photo.height(),
                    "a row of the photo was never told");
        for (int y = 0; y < photo.height(); ++y)
            fuzz::check(rows.hashes[static_cast<std::size_t>(y)] == row_hash(photo, y),
                        "a row changed after it was told final");
    }
    fuzz::check(loaded == (failure.reason == LoadFailureReason::None),
                "a failed load gave no reason, or a load that worked gave one");
    fuzz::check(failure.decoder_message.empty() == (failure.reason != LoadFailureReason::DecoderError),
                "a decoder error without libjpeg's message, or a message without a decoder error");
    const bool old_photo_kept = photo.width() == 3 && photo.height() == 3 && every_pixel_is(photo, kOldPixel);
    if (loaded || !old_photo_kept) fuzz::check_decoded_photo(photo, loaded);
    if (loaded)
        fuzz::check(static_cast<std::int64_t>(photo.is_empty() ? 0 : photo.pixel_count()) ==
                        std::max<std::int64_t>(claimed, 0),
                    "a loaded photo does not have the size its header gives");
    else
        fuzz::check(icc_profile.empty(), "a failed load returned a colour profile");

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
