#include "photo_files/jpeg_decoder.h"

#include <algorithm>
#include <bit>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <memory>
#include <new>
#include <utility>
#include <vector>

#include "engine/bitmap32.h"
#include "engine/row_sink.h"
#include "photo_files/cmyk_to_srgb.h"
#include "photo_files/exif_orientation.h"
#include "photo_files/jpeg_error_manager.h"
#include "photo_files/jpeg_metadata_markers.h"
#include "photo_files/jpeg_segments.h"
#include "photo_files/photo_metadata.h"
#include "photo_files/upright_rows.h"

// After jpeglib.h, which it builds on: the message codes.
#include <jerror.h>

static_assert(std::endian::native == std::endian::little || std::endian::native == std::endian::big,
              "pixel words are laid out for a little- or big-endian machine");

namespace {

// libjpeg-turbo's extended colour space whose byte order, read as one native word,
// is 0xAARRGGBB: the decoder then writes photo words directly.
constexpr J_COLOR_SPACE kWordOutputSpace =
    std::endian::native == std::endian::little ? JCS_EXT_BGRA : JCS_EXT_ARGB;

constexpr int kGrayLevels = 236;
// Rows asked of libjpeg per call; also the height of the batch turned upright at a time.
constexpr int kRowBatch = 16;

// The decoder's progress monitor, which also remembers that it ended the decoding.
struct ScanLimit {
    jpeg_progress_mgr pub;
    bool passed = false;
};

// Called by the decoder while it reads: a stream with more scans than any real
// photo has is a decoder "bomb" (each scan costs a pass over the whole photo).
void refuse_scan_bombs(j_common_ptr cinfo)
{
    auto* decompressor = reinterpret_cast<j_decompress_ptr>(cinfo);
    if (decompressor->input_scan_number <= kMaxJpegScans) return;
    reinterpret_cast<ScanLimit*>(cinfo->progress)->passed = true;
    cinfo->err->error_exit(cinfo);
}

struct FreeDeleter {
    void operator()(void* p) const { std::free(p); }
};

enum class PixelKind { Colour, Gray, Cmyk };

// Everything one decode owns. Built before the library runs, so that a libjpeg error,
// which jumps past every frame in between, leaves nothing unreleased.
struct DecodeState {
    jpeg_decompress_struct cinfo{};
    JpegErrorManager errors;
    ScanLimit scan_limit{};
    std::unique_ptr<JOCTET, FreeDeleter> icc_bytes;
    unsigned int icc_size = 0;
    std::unique_ptr<std::uint32_t[]> turn_rows;  // rows waiting to be turned upright
    std::unique_ptr<CmykToSrgb> cmyk_profile;    // set when a CMYK stream embeds a usable profile
    Bitmap32* photo = nullptr;
    PhotoMetadata* metadata = nullptr;  // set when the caller wants the stream's metadata
    RowSink* rows = nullptr;            // set when the caller works on rows as they come
    const std::uint8_t* data = nullptr;
    const std::uint8_t* data_end = nullptr;
    std::size_t trailer = 0;  // where the bytes after the end of image start; 0 when none
    PixelKind kind = PixelKind::Colour;
    int orientation = 1;
    bool photo_resized = false;
    bool data_ends_early = false;
    int grey_rows = 0;  // stored rows from the first one the data did not reach

    DecodeState() = default;
    DecodeState(const DecodeState&) = delete;
    DecodeState& operator=(const DecodeState&) = delete;
    // Safe also when creation failed half-way: the library object starts zeroed.
    ~DecodeState() { jpeg_destroy_decompress(&cinfo); }
};

int orientation_of(const std::uint8_t* data, const std::vector<HeaderSegment>& segments)
{
    // Several APP1 blocks may appear (XMP uses APP1 too); the EXIF block readers use counts.
    const HeaderSegment* exif = chosen_exif(segments, data);
    return exif != nullptr ? exif_orientation(data + exif->payload_offset, exif->payload_size) : 1;
}

// libjpeg's own working memory is bounded by what this photo's coefficients can
// need (a progressive stream keeps them all), plus room for the row buffers.
long working_memory_limit(j_decompress_ptr cinfo)
{
    std::uint64_t bytes = 64u << 20;
    for (int c = 0; c < cinfo->num_components; ++c) {
        const jpeg_component_info& component = cinfo->comp_info[c];
        bytes += static_cast<std::uint64_t>(component.width_in_blocks + 1) *
                 (component.height_in_blocks + 1) * sizeof(JBLOCK);
    }
    constexpr std::uint64_t kLongMax = static_cast<std::uint64_t>(std::numeric_limits<long>::max());
    return static_cast<long>(bytes < kLongMax ? bytes : kLongMax);
}

// Grayscale rows arrive as colour-map indices, one byte per pixel, at the start of
// the row's words; expanding from the right end never overwrites an unread index.
void expand_gray_row(std::uint32_t* row, int width, const std::uint32_t* gray_words)
{
    const auto* indices = reinterpret_cast<const std::uint8_t*>(row);
    for (int x = width - 1; x >= 0; --x) row[x] = gray_words[indices[x]];
}

// CMYK rows arrive as four bytes per pixel, exactly in the pixel's own word. Streams
// with an Adobe marker store the inks inverted (0 = full ink), as editors write them.
// The plain formula, for streams without a profile to convert through.
void convert_cmyk_row(std::uint32_t* row, int width, bool inverted)
{
    auto* bytes = reinterpret_cast<std::uint8_t*>(row);
    for (int x = 0; x < width; ++x) {
        const std::uint8_t* p = bytes + 4 * static_cast<std::size_t>(x);
        unsigned c = p[0], m = p[1], y = p[2], k = p[3];
        if (!inverted) {
            c = 255 - c;
            m = 255 - m;
            y = 255 - y;
            k = 255 - k;
        }
        const std::uint32_t red = (c * k + 127) / 255;
        const std::uint32_t green = (m * k + 127) / 255;
        const std::uint32_t blue = (y * k + 127) / 255;
        row[x] = 0xFF000000u | red << 16 | green << 8 | blue;
    }
}

// Why libjpeg's error exit ended a decode.
// The image data ends early when the decoder needs bits where the stream has its end
// marker: a file cut short (the source then supplies one) or one that says it ends too
// soon. The decoder goes on as if the image ended there and leaves the rest grey: in
// the first scan, the iMCU row being read keeps what came before the end and every row
// below it gets no data at all; a later scan of a progressive stream only misses
// detail. Other markers in the data are damage the decoder may recover from at the
// next restart, so they say nothing about the rows below.
void note_early_end(j_common_ptr, int code, void* context)
{
    auto* state = static_cast<DecodeState*>(context);
    const j_decompress_ptr cinfo = &state->cinfo;
    if (code != JWRN_HIT_MARKER || cinfo->unread_marker != JPEG_EOI || state->data_ends_early) return;
    state->data_ends_early = true;
    if (cinfo->input_scan_number == 1) {
        const long first_grey =
            static_cast<long>(cinfo->input_iMCU_row + 1) * cinfo->max_v_samp_factor * DCTSIZE;
        state->grey_rows =
            static_cast<int>(std::max(0L, static_cast<long>(cinfo->image_height) - first_grey));
    }
}

LoadFailureReason reason_for_error_exit(const DecodeState& state)
{
    if (state.scan_limit.passed) return LoadFailureReason::TooManyScans;
    switch (state.errors.error_code()) {
        case JERR_NO_SOI:
        case JERR_INPUT_EMPTY:
            return LoadFailureReason::NotAJpeg;
        case JERR_OUT_OF_MEMORY:
            return LoadFailureReason::OutOfMemory;
        default:
            return LoadFailureReason::DecoderError;
    }
}

// Reads the header and sets the decoder up for photo words. TooManyPixels refuses
// the stream before anything is decoded.
LoadFailureReason read_header(DecodeState& state, const std::uint8_t* data, std::size_t size)
{
    j_decompress_ptr cinfo = &state.cinfo;
    jpeg_create_decompress(cinfo);
    state.scan_limit.pub.progress_monitor = refuse_scan_bombs;
    cinfo->progress = &state.scan_limit.pub;
    jpeg_mem_src(cinfo, data, static_cast<unsigned long>(size));
    // The ICC profile's APP2 segments must be asked for before the header; a CMYK stream
    // is converted through its profile whatever the caller wants.
    if (state.metadata != nullptr)
        keep_metadata_markers(cinfo);
    else
        jpeg_save_markers(cinfo, JPEG_APP0 + 2, 0xFFFF);
    jpeg_read_header(cinfo, TRUE);

    if (static_cast<std::int64_t>(cinfo->image_width) * cinfo->image_height > kMaxPhotoPixels)
        return LoadFailureReason::TooManyPixels;

    switch (cinfo->jpeg_color_space) {
        case JCS_GRAYSCALE:
            state.kind = PixelKind::Gray;
            break;
        case JCS_YCbCr:
        case JCS_RGB:
            state.kind = PixelKind::Colour;
            break;
        case JCS_CMYK:
        case JCS_YCCK:
            state.kind = PixelKind::Cmyk;
            break;
        default:
            // Two components, or five and more: libjpeg has no conversion to RGB for
            // them, and the refusal is the one it gives when asked for one.
            state.errors.fail(JERR_CONVERSION_NOTIMPL);
    }

    cinfo->scale_num = 1;
    cinfo->scale_denom = 1;
    cinfo->dct_method = JDCT_FLOAT;
    cinfo->do_block_smoothing = TRUE;
    cinfo->buffered_image = FALSE;
    if (state.kind == PixelKind::Gray) {
        // Dithering and the one-pass quantiser stay the library's defaults (Floyd-Steinberg).
        cinfo->quantize_colors = TRUE;
        cinfo->desired_number_of_colors = kGrayLevels;
    } else if (state.kind == PixelKind::Colour) {
        cinfo->out_color_space = kWordOutputSpace;
    } else {
        cinfo->out_color_space = JCS_CMYK;
    }
    cinfo->mem->max_memory_to_use = working_memory_limit(cinfo);

    if (state.metadata != nullptr || state.kind == PixelKind::Cmyk) {
        JOCTET* icc = nullptr;
        if (jpeg_read_icc_profile(cinfo, &icc, &state.icc_size)) state.icc_bytes.reset(icc);
    }
    if (state.kind == PixelKind::Cmyk && state.icc_bytes)
        state.cmyk_profile =
            CmykToSrgb::through(state.icc_bytes.get(), state.icc_size, cinfo->saw_Adobe_marker);
    // The orientation is read whatever the caller wants.
    const std::vector<HeaderSegment> segments = header_segments(data, size);
    if (state.metadata != nullptr) read_metadata_markers(cinfo, data, segments, *state.metadata);
    state.orientation = orientation_of(data, segments);
    return LoadFailureReason::None;
}

// Gives the photo its upright size and decodes every row into it, telling the row
// sink of the rows as they become final.
void read_rows(DecodeState& state)
{
    j_decompress_ptr cinfo = &state.cinfo;
    const int orientation = state.orientation;
    const int width = static_cast<int>(cinfo->image_width);
    const int height = static_cast<int>(cinfo->image_height);
    if (orientation != 1)
        state.turn_rows.reset(new std::uint32_t[static_cast<std::size_t>(width) * kRowBatch]);
    Bitmap32& photo = *state.photo;
    // Throws EBitmapError when the storage cannot be had: a C++ exception, which
    // leaves through the error manager's run like any other.
    if (orientation_swaps_axes(orientation))
        photo.set_size(height, width);
    else
        photo.set_size(width, height);
    state.photo_resized = true;

    jpeg_start_decompress(cinfo);

    std::uint32_t gray_words[256];
    if (state.kind == PixelKind::Gray) {
        // Each colour-map index stands for the gray level the library's map gives it.
        for (int i = 0; i < 256; ++i) gray_words[i] = 0xFF000000u;
        for (int i = 0; i < cinfo->actual_number_of_colors; ++i) {
            const std::uint32_t level = cinfo->colormap[0][i];
            gray_words[i] = 0xFF000000u | level << 16 | level << 8 | level;
        }
    }
    const bool inverted_cmyk = cinfo->saw_Adobe_marker;

    JSAMPROW row_pointers[kRowBatch];
    while (cinfo->output_scanline < cinfo->output_height) {
        const int first_row = static_cast<int>(cinfo->output_scanline);
        const int wanted = std::min<int>(kRowBatch, height - first_row);
        std::uint32_t* rows = orientation == 1 ? photo.scan_line(first_row) : state.turn_rows.get();
        for (int i = 0; i < wanted; ++i)
            row_pointers[i] = reinterpret_cast<JSAMPROW>(rows + static_cast<std::size_t>(i) * width);
        const int count = static_cast<int>(jpeg_read_scanlines(cinfo, row_pointers, wanted));
        for (int i = 0; i < count; ++i) {
            std::uint32_t* row = rows + static_cast<std::size_t>(i) * width;
            if (state.kind == PixelKind::Gray) expand_gray_row(row, width, gray_words);
            if (state.kind == PixelKind::Cmyk) {
                if (state.cmyk_profile)
                    state.cmyk_profile->convert_row(row, width);
                else
                    convert_cmyk_row(row, width, inverted_cmyk);
            }
        }
        if (orientation != 1)
            place_upright_rows(photo, orientation, rows, width, first_row, count, width, height);
        const UprightRows filled = upright_rows_filled(orientation, height, first_row, count);
        if (state.rows != nullptr && !filled.empty()) state.rows->rows_final(photo, filled.first, filled.end);
    }
    // Quarter turns fill upright columns: no row is whole before the last stored row is in.
    if (state.rows != nullptr && orientation_swaps_axes(orientation))
        state.rows->rows_final(photo, 0, photo.height());
    jpeg_finish_decompress(cinfo);
    // The source now stands just after the end of image, unless the stream was cut
    // short and the library supplied the end marker itself.
    const JOCTET* next = cinfo->src->next_input_byte;
    if (state.metadata != nullptr && !state.data_ends_early && next >= state.data && next <= state.data_end)
        state.trailer = static_cast<std::size_t>(next - state.data);
}

// Runs the decoder; None when the photo is in. Only `state` owns anything, so the
// library's error exit skips no destructor on its way back.
LoadFailureReason run_decoder(DecodeState& state, const std::uint8_t* data, std::size_t size)
{
    LoadFailureReason refusal = LoadFailureReason::None;
    const bool ran = state.errors.run([&] {
        refusal = read_header(state, data, size);
        if (refusal == LoadFailureReason::None) read_rows(state);
    });
    return ran ? refusal : reason_for_error_exit(state);
}

// Ends the rows of a decode on every way out, also those that never reach the decoder.
struct EndRowsOnReturn {
    RowSink* rows;
    ~EndRowsOnReturn()
    {
        if (rows != nullptr) rows->rows_ended();
    }
};

// decode_jpeg_photo without clearing `metadata` on failure; `failure` says why it failed.
bool decode(const std::uint8_t* data, std::size_t size, Bitmap32& org_photo, PhotoMetadata* metadata,
            RowSink* rows, LoadOutcome& failure)
{
    if (size == 0) {
        failure.reason = LoadFailureReason::EmptyFile;
        return false;
    }
    const auto state = std::unique_ptr<DecodeState>(new (std::nothrow) DecodeState);
    if (!state) {
        failure.reason = LoadFailureReason::OutOfMemory;
        return false;
    }
    state->errors.install(state->cinfo);
    state->errors.on_warning(note_early_end, state.get());
    state->photo = &org_photo;
    state->metadata = metadata;
    state->rows = rows;
    state->data = data;
    state->data_end = data + size;
    try {
        failure.reason = run_decoder(*state, data, size);
        if (failure.reason == LoadFailureReason::None) {
            if (metadata != nullptr && state->icc_bytes)
                metadata->icc_profile.assign(state->icc_bytes.get(),
                                             state->icc_bytes.get() + state->icc_size);
            if (metadata != nullptr && state->trailer != 0 && state->trailer < size) {
                metadata->trailer.assign(data + state->trailer, data + size);
                metadata->places.trailer = state->trailer;
            }
            // Every word already has alpha 0xFF: the decoder writes it, and so do the
            // gray and CMYK conversions.
            failure.data_ends_early = state->data_ends_early;
            failure.grey_rows = state->grey_rows;
            org_photo.changed();
            return true;
        }
    } catch (const EBitmapError&) {
        failure.reason = LoadFailureReason::OutOfMemory;  // the pixels' storage
    } catch (const std::bad_alloc&) {
        failure.reason = LoadFailureReason::OutOfMemory;
    }
    if (failure.reason == LoadFailureReason::DecoderError) failure.decoder_message = state->errors.message();
    failure.width = static_cast<int>(state->cinfo.image_width);
    failure.height = static_cast<int>(state->cinfo.image_height);
    // Whoever works on the rows told so far lets go of them before they are cleared.
    if (rows != nullptr) rows->rows_ended();
    if (state->photo_resized && !org_photo.is_empty())
        std::memset(org_photo.pixels(), 0, org_photo.pixel_count() * sizeof(std::uint32_t));
    return false;
}

}  // namespace

bool decode_jpeg_photo(const std::uint8_t* data, std::size_t size, Bitmap32& org_photo,
                       PhotoMetadata* metadata, LoadOutcome* failure, RowSink* rows)
{
    const EndRowsOnReturn end_rows{rows};
    if (metadata != nullptr) *metadata = {};
    LoadOutcome outcome;
    const bool decoded = decode(data, size, org_photo, metadata, rows, outcome);
    if (!decoded && metadata != nullptr) *metadata = {};
    if (failure != nullptr) *failure = std::move(outcome);
    return decoded;
}
