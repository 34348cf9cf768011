// Feeds arbitrary bytes to the HEIF decoder behind load_photo. A finding is any crash,
// sanitizer report or leak, or a photo that breaks the loader's promises: opaque
// pixels within the pixel limit, after a failure the old photo whole or nothing of
// any photo and a reason for it, libheif's message with a decoder error, every row
// told once and the end told before the load returns.

#include <libheif/heif.h>

#include <cstddef>
#include <cstdint>
#include <memory>

#include "engine/bitmap32.h"
#include "engine/row_sink.h"
#include "photo_files/heif_composition.h"
#include "photo_files/heif_decoder.h"
#include "photo_files/jpeg_decoder.h"
#include "photo_files/photo_metadata.h"
#include "tests/fuzz/fuzz_support.h"
#include "tests/support/pixels.h"
#include "tests/support/synthetic_photos.h"

namespace {

class CountingRowSink : public RowSink {
public:
    void rows_final(const Bitmap32& photo, int first, int end) override
    {
        fuzz::check(!ended, "rows were told after their end");
        fuzz::check(first == told && first < end && end <= photo.height(),
                    "rows told out of order or outside the photo");
        told = end;
    }
    void rows_ended() override { ended = true; }
    int told = 0;
    bool ended = false;
};

// The pixels the primary image claims, or -1 when libheif cannot read so far.
std::int64_t claimed_pixels(const std::uint8_t* data, std::size_t size)
{
    const std::unique_ptr<heif_context, void (*)(heif_context*)> context(heif_context_alloc(),
                                                                         heif_context_free);
    if (heif_context_read_from_memory_without_copy(context.get(), data, size, nullptr).code != heif_error_Ok)
        return -1;
    heif_image_handle* handle = nullptr;
    const bool found = heif_context_get_primary_image_handle(context.get(), &handle).code == heif_error_Ok;
    const std::unique_ptr<heif_image_handle, void (*)(const heif_image_handle*)> owned(
        handle, heif_image_handle_release);
    if (!found || !handle) return -1;
    return static_cast<std::int64_t>(heif_image_handle_get_ispe_width(handle)) *
           heif_image_handle_get_ispe_height(handle);
}

// Whether the file's grids and overlays would have the loader build or decode more than the
// fuzzer's pixel limit while staying within the loader's own limits, which are refused early.
bool composes_too_much(const std::uint8_t* data, std::size_t size)
{
    const HeifComposition composition = read_heif_composition(data, size);
    const bool refused = composition.decoded_pixels > kMaxHeifDecodedPixels ||
                         composition.largest_part_pixels > kMaxPhotoPixels;
    return fuzz::skipped_size(composition.canvas_pixels) ||
           (composition.decoded_pixels > 2 * fuzz::kMaxFuzzPixels && !refused);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (composes_too_much(data, size) || fuzz::skipped_size(claimed_pixels(data, size))) return -1;

    constexpr std::uint32_t kOldPixel = 0xFF123456u;
    Bitmap32 photo;
    fill_flat(photo, 3, 3, kOldPixel);
    PhotoMetadata metadata;
    CountingRowSink rows;
    // Left over from an earlier load: every decode must say afresh why it failed, or that it did not.
    LoadOutcome outcome;
    outcome.reason = LoadFailureReason::TooManyScans;
    outcome.decoder_message = "an earlier message";
    const bool loaded = decode_heif_photo(data, size, photo, &metadata, &outcome, &rows);

    fuzz::check(rows.ended, "the load returned without ending its rows");
    if (loaded) fuzz::check(rows.told == photo.height(), "a row of the photo was never told");
    fuzz::check(loaded == (outcome.reason == LoadFailureReason::None),
                "a failed load gave no reason, or a load that worked gave one");
    fuzz::check(outcome.decoder_message.empty() == (outcome.reason != LoadFailureReason::DecoderError),
                "a decoder error without libheif's message, or a message without a decoder error");
    const bool old_photo_kept = photo.width() == 3 && photo.height() == 3 && every_pixel_is(photo, kOldPixel);
    if (loaded || !old_photo_kept) fuzz::check_decoded_photo(photo, loaded);
    if (!loaded)
        fuzz::check(metadata.icc_profile.empty() && metadata.exif.empty() && metadata.xmp.empty(),
                    "a failed load returned metadata");
    fuzz::check(metadata.exif.size() <= kMaxSegmentPayload && metadata.xmp.size() <= kMaxSegmentPayload,
                "a metadata block that no JPEG segment can carry");
    return 0;
}
