#include "photo_files/exif_rewrite.h"

#include <algorithm>
#include <cstring>
#include <iterator>
#include <optional>

#include "photo_files/exif_orientation.h"
#include "photo_files/jpeg_segments.h"
#include "photo_files/photo_metadata.h"
#include "photo_files/tiff_block.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

constexpr std::size_t kExifHeaderSize = 6;  // "Exif\0\0" before the TIFF structure
constexpr std::uint16_t kShort = 3;
constexpr std::uint16_t kLong = 4;

constexpr std::uint16_t kImageWidthTag = 0x0100;
constexpr std::uint16_t kImageLengthTag = 0x0101;
constexpr std::uint16_t kCompressionTag = 0x0103;
constexpr std::uint16_t kStripOffsetsTag = 0x0111;
constexpr std::uint16_t kOrientationTag = 0x0112;
constexpr std::uint16_t kStripByteCountsTag = 0x0117;
constexpr std::uint16_t kThumbnailOffsetTag = 0x0201;
constexpr std::uint16_t kThumbnailLengthTag = 0x0202;
constexpr std::uint16_t kExifIfdTag = 0x8769;
constexpr std::uint16_t kPixelXDimensionTag = 0xA002;
constexpr std::uint16_t kPixelYDimensionTag = 0xA003;
constexpr std::uint16_t kJpegCompression = 6;

using Entry = TiffEntry;
using Directory = TiffDirectory;

std::optional<Directory> read_directory(const TiffBlock& tiff, std::uint64_t offset)
{
    return read_tiff_directory(tiff, offset);
}

// Single numbers: a SHORT stays a SHORT while the value fits, and becomes a LONG in
// the same 4-byte field otherwise. Any count or out-of-line value is replaced.
// `standard_short` writes a SHORT whatever type the entry had, for tags that are
// SHORTs by definition.
void set_number(TiffBlock& tiff, const Entry& entry, std::uint32_t value, bool standard_short = false)
{
    const bool as_short = (standard_short || entry.type == kShort) && value <= 0xFFFF;
    tiff.set_u16(entry.at + 2, as_short ? kShort : kLong);
    tiff.set_u32(entry.at + 4, 1);
    if (as_short) {
        tiff.set_u16(entry.at + 8, value);
        tiff.set_u16(entry.at + 10, 0);
    } else {
        tiff.set_u32(entry.at + 8, value);
    }
}

std::uint32_t number(const TiffBlock& tiff, const Entry& entry)
{
    return tiff_number(tiff, entry);
}

// Whether every out-of-line value of the entries in `directories` lies inside the
// block and outside [begin, begin + length).
bool values_clear_of(const TiffBlock& tiff, const std::vector<Directory>& directories, std::uint64_t begin,
                     std::uint64_t length)
{
    for (const Directory& directory : directories)
        for (const Entry& entry : directory.entries) {
            const std::uint32_t type = tiff.u16(entry.at + 2);  // as patched so far
            const std::uint64_t size = tiff_type_size(type) * tiff.u32(entry.at + 4);
            if (size <= 4) continue;  // the value stands in the entry itself
            const std::uint64_t offset = tiff.u32(entry.at + 8);
            if (!tiff.holds(offset, size) || (offset < begin + length && begin < offset + size)) return false;
        }
    return true;
}

// The i-th number of an entry's SHORT or LONG values, inline or out of line; 0 when
// it lies outside the block.
std::uint64_t nth_number(const TiffBlock& tiff, const Entry& entry, std::uint32_t i)
{
    const std::uint64_t size = entry.type == kShort ? 2 : 4;
    const std::uint64_t count = tiff.u32(entry.at + 4);
    const std::uint64_t values = size * count <= 4 ? entry.at + 8 : tiff.u32(entry.at + 8);
    return size == 2 ? tiff.u16(values + size * i) : tiff.u32(values + size * i);
}

// Zeroes the picture an unlinked IFD1 pointed at (a JPEG stream or uncompressed
// strips), so the uncorrected picture does not linger where tools still find it.
// Bytes that also belong to a directory or a tag's value of `keep` stay.
void scrub_thumbnail(TiffBlock& tiff, const Directory& ifd1, const std::vector<Directory>& keep)
{
    std::vector<std::pair<std::uint64_t, std::uint64_t>> pictures;  // offset, length
    const Entry* offset = ifd1.find(kThumbnailOffsetTag);
    const Entry* length = ifd1.find(kThumbnailLengthTag);
    if (offset != nullptr && length != nullptr)
        pictures.emplace_back(number(tiff, *offset), number(tiff, *length));
    const Entry* strips = ifd1.find(kStripOffsetsTag);
    const Entry* counts = ifd1.find(kStripByteCountsTag);
    if (strips != nullptr && counts != nullptr) {
        const std::uint32_t n = std::min(tiff.u32(strips->at + 4), tiff.u32(counts->at + 4));
        for (std::uint32_t i = 0; i < n && i < tiff.size(); ++i)
            pictures.emplace_back(nth_number(tiff, *strips, i), nth_number(tiff, *counts, i));
    }
    // The header stays whatever a tag claims: it says where IFD0 is.
    std::vector<std::pair<std::uint64_t, std::uint64_t>> kept{{0, kTiffHeaderSize}};
    for (const Directory& directory : keep) {
        kept.emplace_back(directory.offset, directory.end - directory.offset);
        for (const Entry& entry : directory.entries) {
            const std::uint64_t size = tiff_type_size(tiff.u16(entry.at + 2)) * tiff.u32(entry.at + 4);
            if (size > 4) kept.emplace_back(tiff.u32(entry.at + 8), size);
        }
    }
    for (const auto& [begin, size] : pictures) {
        const std::uint64_t end = tiff.holds(begin, 0) ? begin + std::min(size, tiff.size() - begin) : begin;
        for (std::uint64_t at = begin; at < end; ++at)
            if (std::none_of(kept.begin(), kept.end(), [at](const auto& span) {
                    return at >= span.first && at - span.first < span.second;
                }))
                tiff.zero(at, 1);
    }
}

// Replaces IFD1's JPEG thumbnail by what `make_thumbnail` gives. IFD1 is unlinked
// instead when there is none to give (`make_thumbnail` null or giving nothing), when
// IFD1 holds no JPEG thumbnail inside the block, or when the layout is tangled: a
// directory or a tag's value running past the block's end, or sharing bytes with
// IFD1 or the old thumbnail. Only an untangled block changes beyond the link, so a
// photo saved again gets the same block.
void replace_thumbnail(TiffBlock& tiff, const Directory& ifd0, const std::vector<Directory>& patched,
                       const std::function<ExifThumbnail()>* make_thumbnail)
{
    const std::uint64_t link = ifd0.next_link();
    if (!tiff.holds(link, 4) || tiff.u32(link) == 0) return;
    const std::optional<Directory> ifd1 = read_directory(tiff, tiff.u32(link));
    auto unlink = [&] {
        if (ifd1) scrub_thumbnail(tiff, *ifd1, patched);
        tiff.set_u32(link, 0);
    };
    if (!ifd1 || ifd1->end > tiff.size()) return unlink();
    auto tangled = [&](std::uint64_t begin, std::uint64_t length) {
        return std::any_of(patched.begin(), patched.end(), [&](const Directory& d) {
            return d.end > tiff.size() || d.overlaps(begin, length);
        });
    };
    if (tangled(ifd1->offset, ifd1->end - ifd1->offset)) return unlink();
    const Entry* offset_entry = ifd1->find(kThumbnailOffsetTag);
    const Entry* length_entry = ifd1->find(kThumbnailLengthTag);
    const Entry* compression = ifd1->find(kCompressionTag);
    if (offset_entry == nullptr || length_entry == nullptr ||
        (compression != nullptr && number(tiff, *compression) != kJpegCompression))
        return unlink();
    const std::uint64_t old_offset = number(tiff, *offset_entry);
    const std::uint64_t old_length = number(tiff, *length_entry);
    std::vector<Directory> all = patched;
    all.push_back(*ifd1);
    // A picture claiming the TIFF header would have the header zeroed with it.
    if (old_length == 0 || old_offset < kTiffHeaderSize || !tiff.holds(old_offset, old_length) ||
        ifd1->overlaps(old_offset, old_length) || tangled(old_offset, old_length) ||
        !values_clear_of(tiff, all, old_offset, old_length))
        return unlink();

    // The old picture goes: cut off when it is the block's tail, zeroed otherwise.
    if (old_offset + old_length == tiff.size())
        tiff.cut_at(old_offset);
    else
        tiff.zero(old_offset, old_length);
    const ExifThumbnail thumbnail = make_thumbnail != nullptr ? (*make_thumbnail)() : ExifThumbnail{};
    if (thumbnail.jpeg.empty()) return unlink();
    set_number(tiff, *offset_entry, tiff.append(thumbnail.jpeg));
    set_number(tiff, *length_entry, static_cast<std::uint32_t>(thumbnail.jpeg.size()));
    if (const Entry* width = ifd1->find(kImageWidthTag)) set_number(tiff, *width, thumbnail.width);
    if (const Entry* height = ifd1->find(kImageLengthTag)) set_number(tiff, *height, thumbnail.height);
    if (const Entry* orientation = ifd1->find(kOrientationTag)) set_number(tiff, *orientation, 1, true);
}

// Patches a copy of `exif`; nullopt when it has no readable TIFF header and IFD0,
// an empty block when IFD0 lies inside the header (no camera writes that; readers
// may still find an orientation there, which cannot be patched without moving it).
std::optional<Bytes> patched_exif(const Bytes& exif, int width, int height,
                                  const std::function<ExifThumbnail()>* make_thumbnail)
{
    if (exif.size() < kExifHeaderSize + kTiffHeaderSize) return std::nullopt;
    const bool intel = exif[6] == 'I' && exif[7] == 'I', motorola = exif[6] == 'M' && exif[7] == 'M';
    if (!intel && !motorola) return std::nullopt;
    Bytes payload = exif;
    TiffBlock tiff(payload, kExifHeaderSize);
    // An IFD0 inside the TIFF header cannot be patched without rewriting the header: such a
    // block is one no reader can walk, kept as the others are.
    if (tiff.u32(4) < kTiffHeaderSize) return std::nullopt;
    const std::optional<Directory> ifd0 = read_directory(tiff, tiff.u32(4));
    if (!ifd0) return std::nullopt;

    // IFD0 and the EXIF IFDs it links to; only these are read, so no chain can loop.
    // Directories are patched only where they share no bytes: a patch in one must not
    // change how another reads, or a second save would patch something else.
    std::vector<Directory> patched{*ifd0};
    for (const Entry& entry : ifd0->entries) {
        if (entry.tag == kOrientationTag) set_number(tiff, entry, 1, true);
        if (entry.tag == kImageWidthTag) set_number(tiff, entry, static_cast<std::uint32_t>(width));
        if (entry.tag == kImageLengthTag) set_number(tiff, entry, static_cast<std::uint32_t>(height));
        if (entry.tag != kExifIfdTag) continue;
        const std::optional<Directory> sub = read_directory(tiff, tiff.u32(entry.at + 8));
        if (sub && std::none_of(patched.begin(), patched.end(), [&](const Directory& d) {
                return d.overlaps(sub->offset, sub->end - sub->offset);
            }))
            patched.push_back(*sub);
    }
    for (std::size_t i = 1; i < patched.size(); ++i)
        for (const Entry& entry : patched[i].entries) {
            if (entry.tag == kPixelXDimensionTag) set_number(tiff, entry, static_cast<std::uint32_t>(width));
            if (entry.tag == kPixelYDimensionTag) set_number(tiff, entry, static_cast<std::uint32_t>(height));
        }
    replace_thumbnail(tiff, *ifd0, patched, make_thumbnail);
    return payload;
}

// A block no reader can walk is kept for what lenient readers still find in it, but any
// picture in it (its thumbnail, a maker's preview) shows the uncorrected photo: zeroed.
// Zeroing one picture can make the bytes before it read as another (a cut-off stream
// that ran into it now ends in zeros), so the passes go on until one finds none: the
// block saved again must stay as it is.
Bytes without_pictures(Bytes exif)
{
    for (bool zeroed = true; zeroed;) {
        zeroed = false;
        for (std::size_t at = kExifHeaderSize; at + 1 < exif.size(); ++at) {
            const std::size_t end = embedded_jpeg_end(exif.data(), exif.size(), at);
            if (end == 0) continue;
            std::fill(exif.begin() + static_cast<std::ptrdiff_t>(at),
                      exif.begin() + static_cast<std::ptrdiff_t>(end), 0);
            at = end - 1;
            zeroed = true;
        }
    }
    return exif;
}

}  // namespace

std::vector<std::uint8_t> exif_for_saved_photo(const std::vector<std::uint8_t>& exif, int width, int height,
                                               const std::function<ExifThumbnail()>& make_thumbnail)
{
    // The pixels are saved upright. Lenient readers may still find an orientation other than 1
    // in a block that cannot be walked (an IFD0 offset inside the header, its entries read
    // from just after it): the loader turned the photo by it, and kept, the block would turn
    // the saved photo again. Such a block goes.
    const auto upright = [](Bytes block) {
        return exif_orientation(block.data(), block.size()) == 1 ? block : Bytes{};
    };
    const std::optional<Bytes> with_thumbnail = patched_exif(exif, width, height, &make_thumbnail);
    if (!with_thumbnail) return exif.size() <= kMaxSegmentPayload ? upright(without_pictures(exif)) : Bytes{};
    if (with_thumbnail->size() <= kMaxSegmentPayload) return upright(*with_thumbnail);
    Bytes without_thumbnail = *patched_exif(exif, width, height, nullptr);
    if (without_thumbnail.size() <= kMaxSegmentPayload) return upright(std::move(without_thumbnail));
    return {};
}
