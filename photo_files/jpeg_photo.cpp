#include "photo_files/jpeg_photo.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <bit>
#include <cerrno>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <limits>
#include <memory>
#include <new>
#include <optional>

#include "engine/bitmap32.h"
#include "engine/curve_triple.h"
#include "engine/row_sink.h"
#include "photo_files/atomic_file.h"
#include "photo_files/exif_orientation.h"
#include "photo_files/file_names.h"
#include "photo_files/jpeg_metadata_markers.h"
#include "photo_files/photo_metadata.h"

// jpeglib.h needs FILE and size_t declared before it.
#include <jpeglib.h>
// After jpeglib.h, which it builds on: the message codes.
#include <jerror.h>

static_assert(std::endian::native == std::endian::little || std::endian::native == std::endian::big,
              "pixel words are laid out for a little- or big-endian machine");

namespace {

// libjpeg-turbo's extended colour spaces whose byte order, read as one native word,
// is 0xAARRGGBB: the decoder then writes photo words directly.
constexpr J_COLOR_SPACE kWordOutputSpace =
    std::endian::native == std::endian::little ? JCS_EXT_BGRA : JCS_EXT_ARGB;
constexpr J_COLOR_SPACE kWordInputSpace =
    std::endian::native == std::endian::little ? JCS_EXT_BGRX : JCS_EXT_XRGB;

constexpr int kGrayLevels = 236;
constexpr int kQuality = 95;
// Rows handed to libjpeg per call; also the tile height when a photo is turned.
constexpr int kRowBatch = 16;

// libjpeg reports errors through error_exit, which must not return. We jump back
// to the frame that set `jump`; everything that needs releasing is owned by
// objects created before that frame set it, so the jump skips no destructor.
struct JpegErrorManager {
    jpeg_error_mgr pub;
    std::jmp_buf jump;
};

[[noreturn]] void jump_to_error_handler(j_common_ptr cinfo)
{
    std::longjmp(reinterpret_cast<JpegErrorManager*>(cinfo->err)->jump, 1);
}

// Warnings (corrupt data the library recovers from, a file cut short) never end a load.
void ignore_message(j_common_ptr, int) {}
void ignore_output(j_common_ptr) {}

void install_error_manager(JpegErrorManager& err, j_common_ptr cinfo)
{
    cinfo->err = jpeg_std_error(&err.pub);
    err.pub.error_exit = jump_to_error_handler;
    err.pub.emit_message = ignore_message;
    err.pub.output_message = ignore_output;
}

// The decoder's progress monitor, which also remembers that it ended the decoding.
struct ScanLimit {
    jpeg_progress_mgr pub;
    bool passed = false;
};

// Called by the decoder while it reads: a file with more scans than any real
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

// Everything one decode owns, on the heap so its address and contents survive a longjmp.
struct DecodeState {
    jpeg_decompress_struct cinfo{};
    JpegErrorManager err{};
    ScanLimit scan_limit{};
    std::unique_ptr<JOCTET, FreeDeleter> icc_bytes;
    unsigned int icc_size = 0;
    std::unique_ptr<std::uint32_t[]> turn_rows;  // rows waiting to be turned upright
    Bitmap32* photo = nullptr;
    PhotoMetadata* metadata = nullptr;  // set when the caller wants the file's metadata
    RowSink* rows = nullptr;            // set when the caller works on rows as they come
    bool photo_resized = false;

    DecodeState() = default;
    DecodeState(const DecodeState&) = delete;
    DecodeState& operator=(const DecodeState&) = delete;
    // Safe also when creation failed half-way: the library object starts zeroed.
    ~DecodeState() { jpeg_destroy_decompress(&cinfo); }
};

int orientation_of(j_decompress_ptr cinfo)
{
    for (jpeg_saved_marker_ptr marker = cinfo->marker_list; marker != nullptr; marker = marker->next) {
        // Several APP1 blocks may appear (XMP uses APP1 too); the first EXIF block counts.
        if (marker->marker == JPEG_APP0 + 1 && marker->data_length >= 6 &&
            std::memcmp(marker->data, "Exif\0\0", 6) == 0)
            return exif_orientation(marker->data, marker->data_length);
    }
    return 1;
}

// libjpeg's own working memory is bounded by what this photo's coefficients can
// need (a progressive file keeps them all), plus room for the row buffers.
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

// CMYK rows arrive as four bytes per pixel, exactly in the pixel's own word. Files
// with an Adobe marker store the inks inverted (0 = full ink), as editors write them.
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

// Writes `count` decoded rows (stored rows first_row onwards, each `width` words,
// `stride` words apart) to their places in the upright photo.
void place_turned_rows(Bitmap32& photo, int orientation, const std::uint32_t* rows, std::size_t stride,
                       int first_row, int count, int width, int height)
{
    for (int i = 0; i < count; ++i) {
        const std::uint32_t* source = rows + i * stride;
        const int y = first_row + i;
        switch (orientation) {
            case 2: {  // mirrored left to right
                std::uint32_t* out = photo.scan_line(y);
                for (int x = 0; x < width; ++x) out[width - 1 - x] = source[x];
                break;
            }
            case 3: {  // half a turn
                std::uint32_t* out = photo.scan_line(height - 1 - y);
                for (int x = 0; x < width; ++x) out[width - 1 - x] = source[x];
                break;
            }
            case 4:  // mirrored top to bottom
                std::memcpy(photo.scan_line(height - 1 - y), source, width * sizeof(std::uint32_t));
                break;
            default:
                break;
        }
    }
    if (orientation < 5) return;
    // Quarter turns: stored row y becomes an upright column. Walking the batch's rows
    // innermost fills each upright row's words side by side instead of one per row.
    for (int x = 0; x < width; ++x) {
        // Upright row and the upright column of the batch's first row, then its direction.
        const int out_row = orientation == 5 || orientation == 6 ? x : width - 1 - x;
        std::uint32_t* out = photo.scan_line(out_row);
        if (orientation == 5 || orientation == 8) {
            for (int i = 0; i < count; ++i) out[first_row + i] = rows[i * stride + x];
        } else {
            for (int i = 0; i < count; ++i) out[height - 1 - (first_row + i)] = rows[i * stride + x];
        }
    }
}

// Tells `rows` which upright rows the stored rows first_row .. first_row + count became,
// when they are whole rows; quarter turns are told at the end.
void tell_final_rows(RowSink& rows, const Bitmap32& photo, int orientation, int first_row, int count)
{
    if (count <= 0 || orientation_swaps_axes(orientation)) return;
    const bool upside_down = orientation == 3 || orientation == 4;
    if (upside_down)
        rows.rows_final(photo, photo.height() - first_row - count, photo.height() - first_row);
    else
        rows.rows_final(photo, first_row, first_row + count);
}

enum class PixelKind { Colour, Gray, Cmyk };

// Why libjpeg's error exit ended a decode.
LoadFailureReason reason_for_error_exit(const DecodeState& state)
{
    if (state.scan_limit.passed) return LoadFailureReason::TooManyScans;
    switch (state.err.pub.msg_code) {
        case JERR_NO_SOI:
        case JERR_INPUT_EMPTY:
            return LoadFailureReason::NotAJpeg;
        case JERR_OUT_OF_MEMORY:
            return LoadFailureReason::OutOfMemory;
        default:
            return LoadFailureReason::DecoderError;
    }
}

// Runs libjpeg; None when the photo is in. The frame that sets the jump target
// holds no object with a destructor: all of those live in `state`, which the
// caller owns.
LoadFailureReason run_decoder(DecodeState& state, const std::uint8_t* data, std::size_t size, bool want_icc)
{
    j_decompress_ptr cinfo = &state.cinfo;
    if (setjmp(state.err.jump) != 0) {
        // Whoever works on the rows told so far lets go of them before they are cleared.
        if (state.rows != nullptr) state.rows->rows_ended();
        if (state.photo_resized && !state.photo->is_empty())
            std::memset(state.photo->pixels(), 0, state.photo->pixel_count() * sizeof(std::uint32_t));
        return reason_for_error_exit(state);
    }
    install_error_manager(state.err, reinterpret_cast<j_common_ptr>(cinfo));
    jpeg_create_decompress(cinfo);
    state.scan_limit.pub.progress_monitor = refuse_scan_bombs;
    cinfo->progress = &state.scan_limit.pub;
    jpeg_mem_src(cinfo, data, static_cast<unsigned long>(size));
    jpeg_save_markers(cinfo, JPEG_APP0 + 1, 0xFFFF);
    // Must be asked for before the header is read: the profile lives in APP2 markers.
    if (want_icc) jpeg_save_markers(cinfo, JPEG_APP0 + 2, 0xFFFF);
    if (state.metadata != nullptr) keep_metadata_markers(cinfo);
    jpeg_read_header(cinfo, TRUE);

    if (static_cast<std::int64_t>(cinfo->image_width) * cinfo->image_height > kMaxPhotoPixels)
        return LoadFailureReason::TooManyPixels;

    PixelKind kind;
    switch (cinfo->jpeg_color_space) {
        case JCS_GRAYSCALE:
            kind = PixelKind::Gray;
            break;
        case JCS_YCbCr:
        case JCS_RGB:
            kind = PixelKind::Colour;
            break;
        case JCS_CMYK:
        case JCS_YCCK:
            kind = PixelKind::Cmyk;
            break;
        default:
            // Two components, or five and more: libjpeg has no conversion to RGB for
            // them, and the refusal is the one it gives when asked for one.
            cinfo->err->msg_code = JERR_CONVERSION_NOTIMPL;
            jump_to_error_handler(reinterpret_cast<j_common_ptr>(cinfo));
    }

    cinfo->scale_num = 1;
    cinfo->scale_denom = 1;
    cinfo->dct_method = JDCT_FLOAT;
    cinfo->do_block_smoothing = TRUE;
    cinfo->buffered_image = FALSE;
    if (kind == PixelKind::Gray) {
        // Dithering and the one-pass quantiser stay the library's defaults (Floyd-Steinberg).
        cinfo->quantize_colors = TRUE;
        cinfo->desired_number_of_colors = kGrayLevels;
    } else if (kind == PixelKind::Colour) {
        cinfo->out_color_space = kWordOutputSpace;
    } else {
        cinfo->out_color_space = JCS_CMYK;
    }
    cinfo->mem->max_memory_to_use = working_memory_limit(cinfo);

    if (want_icc) {
        JOCTET* icc = nullptr;
        if (jpeg_read_icc_profile(cinfo, &icc, &state.icc_size)) state.icc_bytes.reset(icc);
    }
    if (state.metadata != nullptr) read_metadata_markers(cinfo, *state.metadata);

    const int orientation = orientation_of(cinfo);
    const int width = static_cast<int>(cinfo->image_width);
    const int height = static_cast<int>(cinfo->image_height);
    if (orientation != 1)
        state.turn_rows.reset(new std::uint32_t[static_cast<std::size_t>(width) * kRowBatch]);
    Bitmap32& photo = *state.photo;
    // Throws EBitmapError when the storage cannot be had: our frame, not libjpeg's.
    if (orientation_swaps_axes(orientation))
        photo.set_size(height, width);
    else
        photo.set_size(width, height);
    state.photo_resized = true;

    jpeg_start_decompress(cinfo);

    std::uint32_t gray_words[256];
    if (kind == PixelKind::Gray) {
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
            if (kind == PixelKind::Gray) expand_gray_row(row, width, gray_words);
            if (kind == PixelKind::Cmyk) convert_cmyk_row(row, width, inverted_cmyk);
        }
        if (orientation != 1)
            place_turned_rows(photo, orientation, rows, width, first_row, count, width, height);
        if (state.rows != nullptr) tell_final_rows(*state.rows, photo, orientation, first_row, count);
    }
    // Quarter turns fill upright columns: no row is whole before the last stored row is in.
    if (state.rows != nullptr && orientation_swaps_axes(orientation))
        state.rows->rows_final(photo, 0, photo.height());
    jpeg_finish_decompress(cinfo);
    return LoadFailureReason::None;
}

// Reads the whole file; None when it is in `bytes`. CannotReadFile when it is
// missing, a folder, a device or unreadable; OutOfMemory when it is too big to hold.
LoadFailureReason read_whole_file(const std::string& path, std::unique_ptr<std::uint8_t[]>& bytes,
                                  std::size_t& size)
{
    // Without O_NONBLOCK, opening a named pipe would wait for a writer for ever;
    // regular files ignore the flag.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) return LoadFailureReason::CannotReadFile;
    struct Closer {
        int fd;
        ~Closer() { ::close(fd); }
    } closer{fd};
    struct stat info {};
    if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) return LoadFailureReason::CannotReadFile;
    size = static_cast<std::size_t>(info.st_size);
    bytes.reset(new (std::nothrow) std::uint8_t[size == 0 ? 1 : size]);
    if (!bytes) return LoadFailureReason::OutOfMemory;
    std::size_t done = 0;
    while (done < size) {
        const ssize_t n = ::read(fd, bytes.get() + done, size - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;  // the file shrank while we read it: decode what we have
        done += static_cast<std::size_t>(n);
    }
    size = done;
    return LoadFailureReason::None;
}

// Records why a load failed, for a caller that asked; always false.
bool refuse(LoadFailure* failure, LoadFailureReason reason)
{
    if (failure != nullptr) failure->reason = reason;
    return false;
}

// The encoder's output going straight into a file, a buffer at a time. A failed write
// cannot throw through the library: it is kept, and the encoder stopped with an error.
struct FileDestination {
    jpeg_destination_mgr pub{};
    AtomicFileWriter* file = nullptr;
    std::vector<std::uint8_t> buffer;
    std::exception_ptr failure;

    bool write(std::size_t size) noexcept
    {
        try {
            file->write(buffer.data(), size);
            return true;
        } catch (...) {
            failure = std::current_exception();
            return false;
        }
    }
};

FileDestination& file_destination(j_compress_ptr cinfo)
{
    return *reinterpret_cast<FileDestination*>(cinfo->dest);
}

void start_file_buffer(j_compress_ptr cinfo)
{
    FileDestination& destination = file_destination(cinfo);
    destination.pub.next_output_byte = destination.buffer.data();
    destination.pub.free_in_buffer = destination.buffer.size();
}

boolean write_full_file_buffer(j_compress_ptr cinfo)
{
    FileDestination& destination = file_destination(cinfo);
    if (!destination.write(destination.buffer.size())) ERREXIT(cinfo, JERR_FILE_WRITE);
    start_file_buffer(cinfo);
    return TRUE;
}

void write_last_file_buffer(j_compress_ptr cinfo)
{
    FileDestination& destination = file_destination(cinfo);
    if (!destination.write(destination.buffer.size() - destination.pub.free_in_buffer))
        ERREXIT(cinfo, JERR_FILE_WRITE);
}

// Owns what one encode produces; the library allocates the memory output with malloc.
struct EncodeState {
    jpeg_compress_struct cinfo{};
    JpegErrorManager err{};
    // Set when the output goes to a file rather than to memory.
    FileDestination file_destination;
    unsigned char* output = nullptr;
    unsigned long output_size = 0;
    // The row with the curves applied, when the photo is saved through curves.
    std::unique_ptr<std::uint32_t[]> curved_row;

    EncodeState() = default;
    EncodeState(const EncodeState&) = delete;
    EncodeState& operator=(const EncodeState&) = delete;
    ~EncodeState()
    {
        jpeg_destroy_compress(&cinfo);
        std::free(output);
    }
};

bool run_encoder(EncodeState& state, const Bitmap32& photo, const PhotoMetadata& metadata,
                 const CurveLookup* curves)
{
    j_compress_ptr cinfo = &state.cinfo;
    const auto width = static_cast<std::size_t>(photo.width());
    if (curves != nullptr) state.curved_row.reset(new std::uint32_t[width]);
    constexpr std::size_t kFileBuffer = std::size_t{256} << 10;
    if (state.file_destination.file != nullptr) state.file_destination.buffer.resize(kFileBuffer);
    if (setjmp(state.err.jump) != 0) return false;
    install_error_manager(state.err, reinterpret_cast<j_common_ptr>(cinfo));
    jpeg_create_compress(cinfo);
    if (state.file_destination.file != nullptr) {
        FileDestination& destination = state.file_destination;
        destination.pub.init_destination = start_file_buffer;
        destination.pub.empty_output_buffer = write_full_file_buffer;
        destination.pub.term_destination = write_last_file_buffer;
        cinfo->dest = &destination.pub;
    } else {
        jpeg_mem_dest(cinfo, &state.output, &state.output_size);
    }

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
    return true;
}

// Ends the rows of a load on every way out (the decoder itself ends them earlier when
// it must clear the photo), also those that never reach the decoder.
struct EndRowsOnReturn {
    RowSink* rows;
    ~EndRowsOnReturn()
    {
        if (rows != nullptr) rows->rows_ended();
    }
};

// decode_jpeg_photo, giving the ICC profile and, when `metadata` is set, the rest of
// the file's metadata too.
bool decode_photo(const std::uint8_t* data, std::size_t size, Bitmap32& org_photo, IccProfile* icc_profile,
                  PhotoMetadata* metadata, LoadFailure* failure, RowSink* rows)
{
    const EndRowsOnReturn end_rows{rows};
    if (icc_profile != nullptr) icc_profile->clear();
    if (failure != nullptr) *failure = {};
    try {
        if (size == 0) {
            // No header at all: an empty photo, and the views still hear of the load.
            if (!org_photo.set_size(0, 0)) org_photo.changed();
            return true;
        }
        auto state = std::make_unique<DecodeState>();
        state->photo = &org_photo;
        state->metadata = metadata;
        state->rows = rows;
        const LoadFailureReason reason = run_decoder(*state, data, size, icc_profile != nullptr);
        if (reason != LoadFailureReason::None) {
            if (failure != nullptr && reason == LoadFailureReason::DecoderError) {
                char message[JMSG_LENGTH_MAX] = {};
                state->err.pub.format_message(reinterpret_cast<j_common_ptr>(&state->cinfo), message);
                failure->decoder_message = message;
            }
            return refuse(failure, reason);
        }
        if (icc_profile != nullptr && state->icc_bytes)
            icc_profile->assign(state->icc_bytes.get(), state->icc_bytes.get() + state->icc_size);
        // Every word already has alpha 0xFF: the decoder writes it, and so do the
        // gray and CMYK conversions.
        org_photo.changed();
        return true;
    } catch (const EBitmapError&) {
        return refuse(failure, LoadFailureReason::OutOfMemory);  // the pixels' storage
    } catch (const std::bad_alloc&) {
        if (icc_profile != nullptr) icc_profile->clear();
        return refuse(failure, LoadFailureReason::OutOfMemory);
    }
}

bool load_file(const std::string& path, Bitmap32& org_photo, IccProfile* icc_profile, PhotoMetadata* metadata,
               LoadFailure* failure, RowSink* rows)
{
    const EndRowsOnReturn end_rows{rows};
    if (icc_profile != nullptr) icc_profile->clear();
    if (failure != nullptr) *failure = {};
    if (!has_jpeg_extension(path)) return refuse(failure, LoadFailureReason::NotAJpegName);
    std::unique_ptr<std::uint8_t[]> bytes;
    std::size_t size = 0;
    const LoadFailureReason reason = read_whole_file(path, bytes, size);
    if (reason != LoadFailureReason::None) return refuse(failure, reason);
    return decode_photo(bytes.get(), size, org_photo, icc_profile, metadata, failure, rows);
}

}  // namespace

bool decode_jpeg_photo(const std::uint8_t* data, std::size_t size, Bitmap32& org_photo,
                       IccProfile* icc_profile, LoadFailure* failure)
{
    return decode_photo(data, size, org_photo, icc_profile, nullptr, failure, nullptr);
}

bool decode_jpeg_photo(const std::uint8_t* data, std::size_t size, Bitmap32& org_photo,
                       PhotoMetadata& metadata, LoadFailure* failure, RowSink* rows)
{
    metadata = {};
    if (decode_photo(data, size, org_photo, &metadata.icc_profile, &metadata, failure, rows)) return true;
    metadata = {};
    return false;
}

bool load_photo(const std::string& path, Bitmap32& org_photo, IccProfile* icc_profile, LoadFailure* failure)
{
    return load_file(path, org_photo, icc_profile, nullptr, failure, nullptr);
}

bool load_photo(const std::string& path, Bitmap32& org_photo, PhotoMetadata& metadata, LoadFailure* failure,
                RowSink* rows)
{
    metadata = {};
    if (load_file(path, org_photo, &metadata.icc_profile, &metadata, failure, rows)) return true;
    metadata = {};
    return false;
}

namespace {

// Encodes into state's file, or its output buffer when it has none; throws EPhotoWriteError
// when the encoder or a write fails.
void encode_into(EncodeState& state, const Bitmap32& photo, const PhotoMetadata& metadata,
                 const CurveTriple* curves = nullptr)
{
    std::optional<CurveLookup> lookup;
    if (curves != nullptr) lookup.emplace(*curves, photo.pixel_count());
    if (!run_encoder(state, photo, metadata, lookup ? &*lookup : nullptr)) {
        if (state.file_destination.failure) std::rethrow_exception(state.file_destination.failure);
        char message[JMSG_LENGTH_MAX] = {};
        state.err.pub.format_message(reinterpret_cast<j_common_ptr>(&state.cinfo), message);
        throw EPhotoWriteError(std::string("Cannot encode the photo: ") + message);
    }
}

PhotoMetadata only_profile(const IccProfile& icc_profile)
{
    PhotoMetadata metadata;
    metadata.icc_profile = icc_profile;
    return metadata;
}

// The metadata comes as it is to be written: already made true of the photo.
std::vector<std::uint8_t> encode_with(const Bitmap32& photo, const PhotoMetadata& metadata,
                                      const CurveTriple* curves = nullptr)
{
    if (photo.is_empty()) return {};
    auto state = std::make_unique<EncodeState>();
    encode_into(*state, photo, metadata, curves);
    return std::vector<std::uint8_t>(state->output, state->output + state->output_size);
}

void write_with(const Bitmap32& corrected_photo, const std::string& path, const PhotoMetadata* loaded,
                const IccProfile& icc_profile, const CurveTriple* curves = nullptr)
{
    // The file is written as the encoder makes it; whatever fails on the way, the
    // temporary file goes and the one at `path` stays as it was.
    try {
        const PhotoMetadata metadata = loaded != nullptr
                                           ? metadata_for_saved_photo(*loaded, corrected_photo, curves)
                                           : only_profile(icc_profile);
        AtomicFileWriter file(path);
        if (!corrected_photo.is_empty()) {
            auto state = std::make_unique<EncodeState>();
            state->file_destination.file = &file;
            encode_into(*state, corrected_photo, metadata, curves);
        }
        file.commit();
    } catch (const std::bad_alloc&) {
        throw EPhotoWriteError("Cannot write file " + path + ": out of memory");
    }
}

}  // namespace

std::vector<std::uint8_t> encode_jpeg_photo(const Bitmap32& corrected_photo, const IccProfile& icc_profile)
{
    return encode_with(corrected_photo, only_profile(icc_profile));
}

std::vector<std::uint8_t> encode_jpeg_photo(const Bitmap32& corrected_photo, const PhotoMetadata& metadata,
                                            const CurveTriple* curves)
{
    if (corrected_photo.is_empty()) return {};
    return encode_with(corrected_photo, metadata_for_saved_photo(metadata, corrected_photo, curves), curves);
}

void write_photo(const Bitmap32& corrected_photo, const std::string& path, const IccProfile& icc_profile)
{
    write_with(corrected_photo, path, nullptr, icc_profile);
}

void write_photo(const Bitmap32& corrected_photo, const std::string& path, const PhotoMetadata& metadata,
                 const CurveTriple* curves)
{
    write_with(corrected_photo, path, &metadata, {}, curves);
}
