#include "photo_files/jpeg_encoder.h"

#include <algorithm>
#include <bit>
#include <exception>
#include <memory>
#include <optional>
#include <string>

#include "engine/bitmap32.h"
#include "engine/curve_triple.h"
#include "photo_files/jpeg_error_manager.h"
#include "photo_files/jpeg_metadata_markers.h"
#include "photo_files/photo_write_error.h"

// After jpeglib.h, which it builds on: the message codes.
#include <jerror.h>

namespace {

// libjpeg-turbo's extended colour space whose byte order, read as one native word,
// is 0xAARRGGBB with the alpha byte skipped: the encoder then reads photo words directly.
constexpr J_COLOR_SPACE kWordInputSpace =
    std::endian::native == std::endian::little ? JCS_EXT_BGRX : JCS_EXT_XRGB;

constexpr int kQuality = 95;
// Rows handed to libjpeg per call.
constexpr int kRowBatch = 16;
// The encoder's output buffer: large enough that a file gets few, large writes.
constexpr std::size_t kOutputBuffer = std::size_t{256} << 10;

// The encoder's output going to the caller's sink, a buffer at a time. An exception
// from the sink cannot pass through the library: it is kept, and the encoder stopped
// with an error.
struct SinkDestination : jpeg_destination_mgr {
    const JpegByteSink* sink = nullptr;
    std::vector<std::uint8_t> buffer;
    std::exception_ptr failure;

    bool pass_on(std::size_t size) noexcept
    {
        try {
            (*sink)(buffer.data(), size);
            return true;
        } catch (...) {
            failure = std::current_exception();
            return false;
        }
    }
};

SinkDestination& destination_of(j_compress_ptr cinfo)
{
    return *static_cast<SinkDestination*>(cinfo->dest);
}

void start_buffer(j_compress_ptr cinfo)
{
    SinkDestination& destination = destination_of(cinfo);
    destination.next_output_byte = destination.buffer.data();
    destination.free_in_buffer = destination.buffer.size();
}

boolean pass_on_full_buffer(j_compress_ptr cinfo)
{
    SinkDestination& destination = destination_of(cinfo);
    if (!destination.pass_on(destination.buffer.size())) ERREXIT(cinfo, JERR_FILE_WRITE);
    start_buffer(cinfo);
    return TRUE;
}

void pass_on_last_buffer(j_compress_ptr cinfo)
{
    SinkDestination& destination = destination_of(cinfo);
    if (!destination.pass_on(destination.buffer.size() - destination.free_in_buffer))
        ERREXIT(cinfo, JERR_FILE_WRITE);
}

// Everything one encode owns, built before the library runs: a libjpeg error jumps
// past every frame in between and must leave nothing unreleased.
struct EncodeState {
    jpeg_compress_struct cinfo{};
    JpegErrorManager errors;
    SinkDestination destination;
    // The row with the curves applied, when the photo is encoded through curves.
    std::unique_ptr<std::uint32_t[]> curved_row;

    EncodeState() = default;
    EncodeState(const EncodeState&) = delete;
    EncodeState& operator=(const EncodeState&) = delete;
    ~EncodeState() { jpeg_destroy_compress(&cinfo); }
};

void run_encoder(EncodeState& state, const Bitmap32& photo, const PhotoMetadata& metadata,
                 const CurveLookup* curves)
{
    j_compress_ptr cinfo = &state.cinfo;
    jpeg_create_compress(cinfo);
    SinkDestination& destination = state.destination;
    destination.init_destination = start_buffer;
    destination.empty_output_buffer = pass_on_full_buffer;
    destination.term_destination = pass_on_last_buffer;
    cinfo->dest = &destination;

    // The photo words go in as they are: the library reads red, green and blue from
    // each word and skips the alpha byte, the same levels a 24-bit RGB copy would hold.
    cinfo->image_width = static_cast<JDIMENSION>(photo.width());
    cinfo->image_height = static_cast<JDIMENSION>(photo.height());
    cinfo->input_components = 4;
    cinfo->in_color_space = kWordInputSpace;
    jpeg_set_defaults(cinfo);
    cinfo->dct_method = JDCT_FLOAT;  // after the defaults, which reset it
    jpeg_set_quality(cinfo, kQuality, TRUE);
    set_jfif_density(cinfo, metadata);
    jpeg_start_compress(cinfo, TRUE);
    write_metadata_markers(cinfo, metadata);

    const auto width = static_cast<std::size_t>(photo.width());
    JSAMPROW row_pointers[kRowBatch];
    while (cinfo->next_scanline < cinfo->image_height) {
        const int first_row = static_cast<int>(cinfo->next_scanline);
        // Curved rows go one at a time: the encoder copies each into its own buffers at
        // once, so one row's buffer, still in the nearest cache, serves them all.
        const int wanted = curves != nullptr ? 1 : std::min<int>(kRowBatch, photo.height() - first_row);
        for (int i = 0; i < wanted; ++i) {
            const std::uint32_t* row = photo.scan_line(first_row + i);
            if (curves != nullptr) {
                std::uint32_t* curved = state.curved_row.get();
                curves->apply(row, curved, width);
                row = curved;
            }
            // libjpeg takes rows as non-const but only reads them.
            row_pointers[i] = reinterpret_cast<JSAMPROW>(const_cast<std::uint32_t*>(row));
        }
        jpeg_write_scanlines(cinfo, row_pointers, static_cast<JDIMENSION>(wanted));
    }
    jpeg_finish_compress(cinfo);
}

std::string size_text(const Bitmap32& photo)
{
    return std::to_string(photo.width()) + " x " + std::to_string(photo.height()) + " pixels";
}

}  // namespace

void encode_jpeg_photo(const Bitmap32& photo, const PhotoMetadata& metadata, const CurveTriple* curves,
                       const JpegByteSink& sink)
{
    if (photo.is_empty()) return;
    std::optional<CurveLookup> lookup;
    if (curves != nullptr) lookup.emplace(*curves, photo.pixel_count());
    auto state = std::make_unique<EncodeState>();
    state->errors.install(state->cinfo);
    state->destination.sink = &sink;
    state->destination.buffer.resize(kOutputBuffer);
    if (curves != nullptr)
        state->curved_row.reset(new std::uint32_t[static_cast<std::size_t>(photo.width())]);
    const CurveLookup* curve_lookup = lookup ? &*lookup : nullptr;
    if (state->errors.run([&] { run_encoder(*state, photo, metadata, curve_lookup); })) {
        // What the file carried after its image follows the new one's end.
        if (!metadata.trailer.empty()) sink(metadata.trailer.data(), metadata.trailer.size());
        return;
    }

    if (state->destination.failure) std::rethrow_exception(state->destination.failure);
    if (state->errors.error_code() == JERR_OUT_OF_MEMORY)
        throw EPhotoWriteError("Not enough memory to encode a photo of " + size_text(photo));
    throw EPhotoWriteError("Cannot encode a photo of " + size_text(photo) + ": " + state->errors.message());
}

std::vector<std::uint8_t> encode_jpeg_photo(const Bitmap32& photo, const PhotoMetadata& metadata)
{
    std::vector<std::uint8_t> stream;
    encode_jpeg_photo(photo, metadata, nullptr, [&](const std::uint8_t* bytes, std::size_t size) {
        stream.insert(stream.end(), bytes, bytes + size);
    });
    return stream;
}
