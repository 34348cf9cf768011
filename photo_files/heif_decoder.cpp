#include "photo_files/heif_decoder.h"

#include <libheif/heif.h>

#include <algorithm>
#include <climits>
#include <cstring>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include "engine/bitmap32.h"
#include "engine/row_sink.h"
#include "photo_files/heif_composition.h"
#include "photo_files/jpeg_decoder.h"
#include "photo_files/nclx_profile.h"
#include "photo_files/photo_metadata.h"

namespace {

// Rows converted into the photo between two notifications of the row sink.
constexpr int kRowBatch = 64;

struct ContextFreer {
    void operator()(heif_context* context) const { heif_context_free(context); }
};
struct HandleReleaser {
    void operator()(heif_image_handle* handle) const { heif_image_handle_release(handle); }
};
struct ImageReleaser {
    void operator()(heif_image* image) const { heif_image_release(image); }
};
struct OptionsFreer {
    void operator()(heif_decoding_options* options) const { heif_decoding_options_free(options); }
};
struct NclxFreer {
    void operator()(heif_color_profile_nclx* nclx) const { heif_nclx_color_profile_free(nclx); }
};

constexpr char kExifHeader[] = "Exif\0\0";
constexpr char kXmpHeader[] = "http://ns.adobe.com/xap/1.0/";

bool ok(const heif_error& error)
{
    return error.code == heif_error_Ok;
}

LoadFailureReason refusal(const heif_error& error, LoadOutcome& outcome)
{
    if (error.code == heif_error_Memory_allocation_error) return LoadFailureReason::OutOfMemory;
    outcome.decoder_message =
        error.message != nullptr && *error.message != '\0' ? error.message : "unknown error";
    return LoadFailureReason::DecoderError;
}

std::vector<std::uint8_t> metadata_block(const heif_image_handle* handle, heif_item_id id)
{
    std::vector<std::uint8_t> block(heif_image_handle_get_metadata_size(handle, id));
    if (block.empty() || !ok(heif_image_handle_get_metadata(handle, id, block.data()))) return {};
    return block;
}

// A HEIF EXIF item starts with the TIFF header's offset as a 32-bit big-endian count;
// some writers put JPEG's "Exif\0\0" between it and the header. The JPEG form is
// "Exif\0\0" and the TIFF block; a block too large for one segment is left behind.
std::vector<std::uint8_t> exif_as_in_jpeg(const std::vector<std::uint8_t>& item)
{
    if (item.size() < 4) return {};
    const std::size_t offset =
        static_cast<std::size_t>(item[0]) << 24 | item[1] << 16 | item[2] << 8 | item[3];
    if (offset > item.size() - 4) return {};
    std::size_t tiff = 4 + offset;
    if (item.size() - tiff >= 6 && std::memcmp(item.data() + tiff, kExifHeader, 6) == 0) tiff += 6;
    const std::size_t tiff_size = item.size() - tiff;
    if (tiff_size < 8 || tiff_size + 6 > kMaxSegmentPayload) return {};
    const bool intel = std::memcmp(item.data() + tiff, "II*\0", 4) == 0;
    const bool motorola = std::memcmp(item.data() + tiff, "MM\0*", 4) == 0;
    if (!intel && !motorola) return {};
    std::vector<std::uint8_t> exif(kExifHeader, kExifHeader + 6);
    exif.insert(exif.end(), item.begin() + static_cast<std::ptrdiff_t>(tiff), item.end());
    return exif;
}

std::vector<std::uint8_t> xmp_as_in_jpeg(const std::vector<std::uint8_t>& packet)
{
    const std::size_t header_size = sizeof kXmpHeader;  // with its terminating zero
    if (packet.empty() || packet.size() + header_size > kMaxSegmentPayload) return {};
    std::vector<std::uint8_t> xmp(kXmpHeader, kXmpHeader + header_size);
    xmp.insert(xmp.end(), packet.begin(), packet.end());
    return xmp;
}

IccProfile colour_profile_of(const heif_image_handle* handle)
{
    switch (heif_image_handle_get_color_profile_type(handle)) {
        case heif_color_profile_type_prof:
        case heif_color_profile_type_rICC: {
            IccProfile profile(heif_image_handle_get_raw_color_profile_size(handle));
            if (profile.empty() || !ok(heif_image_handle_get_raw_color_profile(handle, profile.data())))
                return {};
            return profile;
        }
        case heif_color_profile_type_nclx: {
            // libheif may hand out the description also when it then refuses its values.
            heif_color_profile_nclx* raw = nullptr;
            const heif_error error = heif_image_handle_get_nclx_color_profile(handle, &raw);
            const std::unique_ptr<heif_color_profile_nclx, NclxFreer> nclx(raw);
            if (!ok(error) || !nclx) return {};
            NclxColours colours;
            colours.primaries = nclx->color_primaries;
            colours.transfer = nclx->transfer_characteristics;
            return profile_for_nclx(colours);
        }
        default:
            return {};
    }
}

void read_metadata(const heif_image_handle* handle, PhotoMetadata& metadata)
{
    const int count = heif_image_handle_get_number_of_metadata_blocks(handle, nullptr);
    std::vector<heif_item_id> ids(static_cast<std::size_t>(std::max(count, 0)));
    heif_image_handle_get_list_of_metadata_block_IDs(handle, nullptr, ids.data(), count);
    for (const heif_item_id id : ids) {
        const std::string type = heif_image_handle_get_metadata_type(handle, id);
        const std::string content = heif_image_handle_get_metadata_content_type(handle, id);
        if (type == "Exif" && metadata.exif.empty())
            metadata.exif = exif_as_in_jpeg(metadata_block(handle, id));
        else if (type == "mime" && content == "application/rdf+xml" && metadata.xmp.empty())
            metadata.xmp = xmp_as_in_jpeg(metadata_block(handle, id));
    }
    metadata.icc_profile = colour_profile_of(handle);
}

// Copies the decoded image's rows into the photo's words, telling the sink of each
// batch, so that measuring overlaps the conversion.
void place_rows(const heif_image* image, int bits, Bitmap32& photo, RowSink* rows)
{
    int stride = 0;
    const std::uint8_t* plane = heif_image_get_plane_readonly(image, heif_channel_interleaved, &stride);
    const int width = photo.width();
    const int height = photo.height();
    const std::uint32_t max = (1u << bits) - 1;
    for (int first = 0; first < height; first += kRowBatch) {
        const int end = std::min(height, first + kRowBatch);
        for (int y = first; y < end; ++y) {
            const std::uint8_t* in = plane + static_cast<std::ptrdiff_t>(y) * stride;
            std::uint32_t* out = photo.scan_line(y);
            if (bits <= 8) {
                for (int x = 0; x < width; ++x, in += 3)
                    out[x] = 0xFF000000u | std::uint32_t{in[0]} << 16 | std::uint32_t{in[1]} << 8 | in[2];
            } else {
                for (int x = 0; x < width; ++x, in += 6) {
                    std::uint32_t word = 0xFF000000u;
                    for (int c = 0; c < 3; ++c) {
                        const std::uint32_t sample =
                            std::min<std::uint32_t>(in[2 * c] | in[2 * c + 1] << 8, max);
                        word |= (sample * 255 + max / 2) / max << (16 - 8 * c);
                    }
                    out[x] = word;
                }
            }
        }
        if (rows != nullptr) rows->rows_final(photo, first, end);
    }
}

struct Decode {
    Bitmap32& photo;
    PhotoMetadata* metadata;
    RowSink* rows;
    LoadOutcome& outcome;
    bool photo_resized = false;

    LoadFailureReason run(const std::uint8_t* data, std::size_t size)
    {
        if (size == 0) return LoadFailureReason::EmptyFile;
        const int checked = static_cast<int>(std::min<std::size_t>(size, 64));
        const heif_filetype_result type = heif_check_filetype(data, checked);
        if (type != heif_filetype_yes_supported) return LoadFailureReason::NotAHeif;

        // libheif takes a grid's or overlay's canvas before decoding into it, so the file's
        // own statements are checked before libheif is given it.
        const HeifComposition composition = read_heif_composition(data, size);
        if (composition.canvas_pixels > kMaxPhotoPixels) {
            outcome.width = static_cast<int>(std::min<std::uint32_t>(composition.canvas_width, INT_MAX));
            outcome.height = static_cast<int>(std::min<std::uint32_t>(composition.canvas_height, INT_MAX));
            return LoadFailureReason::TooManyPixels;
        }
        if (composition.endless) {
            outcome.decoder_message = "the image is among its own tiles or layers";
            return LoadFailureReason::DecoderError;
        }
        if (composition.missing_part) {
            outcome.decoder_message = "a tile or layer of the image is missing";
            return LoadFailureReason::DecoderError;
        }
        if (composition.decoded_pixels > kMaxHeifDecodedPixels ||
            composition.largest_part_pixels > kMaxPhotoPixels) {
            outcome.decoder_message = "the image's tiles or layers hold too many pixels";
            return LoadFailureReason::DecoderError;
        }

        const std::unique_ptr<heif_context, ContextFreer> context(heif_context_alloc());
        if (!context) return LoadFailureReason::OutOfMemory;
        heif_error error = heif_context_read_from_memory_without_copy(context.get(), data, size, nullptr);
        if (!ok(error)) return refusal(error, outcome);
        heif_image_handle* raw_handle = nullptr;
        error = heif_context_get_primary_image_handle(context.get(), &raw_handle);
        const std::unique_ptr<heif_image_handle, HandleReleaser> handle(raw_handle);
        if (!ok(error)) return refusal(error, outcome);

        // The stored size bounds the work, the upright size is what the photo gets.
        outcome.width = heif_image_handle_get_width(handle.get());
        outcome.height = heif_image_handle_get_height(handle.get());
        const int stored_width = heif_image_handle_get_ispe_width(handle.get());
        const int stored_height = heif_image_handle_get_ispe_height(handle.get());
        if (static_cast<std::int64_t>(stored_width) * stored_height > kMaxPhotoPixels) {
            // A crop may make the upright photo small; the refusal names what would be decoded.
            outcome.width = stored_width;
            outcome.height = stored_height;
            return LoadFailureReason::TooManyPixels;
        }
        if (static_cast<std::int64_t>(outcome.width) * outcome.height > kMaxPhotoPixels)
            return LoadFailureReason::TooManyPixels;
        if (outcome.width <= 0 || outcome.height <= 0) {
            outcome.decoder_message = "the image has no pixels";
            return LoadFailureReason::DecoderError;
        }
        if (metadata != nullptr) read_metadata(handle.get(), *metadata);

        photo.set_size(outcome.width, outcome.height);
        photo_resized = true;

        const int bits = heif_image_handle_get_luma_bits_per_pixel(handle.get());
        const std::unique_ptr<heif_decoding_options, OptionsFreer> options(heif_decoding_options_alloc());
        if (!options) return LoadFailureReason::OutOfMemory;
        options->ignore_transformations = 0;
        options->convert_hdr_to_8bit = 0;
        heif_image* raw_image = nullptr;
        error = heif_decode_image(handle.get(), &raw_image, heif_colorspace_RGB,
                                  bits > 8 ? heif_chroma_interleaved_RRGGBB_LE : heif_chroma_interleaved_RGB,
                                  options.get());
        const std::unique_ptr<heif_image, ImageReleaser> image(raw_image);
        if (!ok(error)) return refusal(error, outcome);
        const int decoded_bits = heif_image_get_bits_per_pixel_range(image.get(), heif_channel_interleaved);
        if (heif_image_get_width(image.get(), heif_channel_interleaved) != outcome.width ||
            heif_image_get_height(image.get(), heif_channel_interleaved) != outcome.height ||
            decoded_bits < 1 || decoded_bits > 16 || (bits > 8) != (decoded_bits > 8)) {
            outcome.decoder_message = "the decoded image does not match its description";
            return LoadFailureReason::DecoderError;
        }
        place_rows(image.get(), decoded_bits, photo, rows);
        return LoadFailureReason::None;
    }
};

}  // namespace

bool decode_heif_photo(const std::uint8_t* data, std::size_t size, Bitmap32& org_photo,
                       PhotoMetadata* metadata, LoadOutcome* outcome, RowSink* rows)
{
    if (metadata != nullptr) *metadata = {};
    LoadOutcome result;
    Decode decode{org_photo, metadata, rows, result};
    try {
        result.reason = decode.run(data, size);
    } catch (const EBitmapError&) {
        result.reason = LoadFailureReason::OutOfMemory;
    } catch (const std::bad_alloc&) {
        result.reason = LoadFailureReason::OutOfMemory;
    }
    // Whoever works on the rows lets go of them before a failed photo is cleared.
    if (rows != nullptr) rows->rows_ended();
    const bool decoded = result.reason == LoadFailureReason::None;
    if (decoded) {
        org_photo.changed();
    } else {
        if (metadata != nullptr) *metadata = {};
        if (result.reason != LoadFailureReason::DecoderError) result.decoder_message.clear();
        if (decode.photo_resized && !org_photo.is_empty())
            std::memset(org_photo.pixels(), 0, org_photo.pixel_count() * sizeof(std::uint32_t));
    }
    if (outcome != nullptr) *outcome = std::move(result);
    return decoded;
}
