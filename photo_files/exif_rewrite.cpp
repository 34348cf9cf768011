#include "photo_files/exif_rewrite.h"

#include <algorithm>
#include <cstring>
#include <iterator>
#include <optional>

#include "photo_files/photo_metadata.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

constexpr std::size_t kExifHeaderSize = 6;    // "Exif\0\0" before the TIFF structure
constexpr std::uint64_t kTiffHeaderSize = 8;  // byte order, 42, IFD0's offset
constexpr std::uint16_t kShort = 3;
constexpr std::uint16_t kLong = 4;

constexpr std::uint16_t kImageWidthTag = 0x0100;
constexpr std::uint16_t kImageLengthTag = 0x0101;
constexpr std::uint16_t kCompressionTag = 0x0103;
constexpr std::uint16_t kOrientationTag = 0x0112;
constexpr std::uint16_t kThumbnailOffsetTag = 0x0201;
constexpr std::uint16_t kThumbnailLengthTag = 0x0202;
constexpr std::uint16_t kExifIfdTag = 0x8769;
constexpr std::uint16_t kPixelXDimensionTag = 0xA002;
constexpr std::uint16_t kPixelYDimensionTag = 0xA003;
constexpr std::uint16_t kJpegCompression = 6;

// The TIFF structure inside an EXIF payload. Offsets count from the TIFF header, as
// in the structure itself; every access is checked against the payload's end.
class TiffBlock {
public:
    explicit TiffBlock(Bytes& payload) : payload_(payload), big_endian_(payload[kExifHeaderSize] == 'M') {}

    std::uint64_t size() const { return payload_.size() - kExifHeaderSize; }
    bool holds(std::uint64_t offset, std::uint64_t length) const { return offset + length <= size(); }

    std::uint32_t u16(std::uint64_t offset) const
    {
        if (!holds(offset, 2)) return 0;
        const std::uint8_t* p = at(offset);
        return big_endian_ ? (p[0] << 8 | p[1]) : (p[1] << 8 | p[0]);
    }
    std::uint32_t u32(std::uint64_t offset) const
    {
        if (!holds(offset, 4)) return 0;
        return big_endian_ ? (u16(offset) << 16 | u16(offset + 2)) : (u16(offset + 2) << 16 | u16(offset));
    }
    void set_u16(std::uint64_t offset, std::uint32_t value)
    {
        if (!holds(offset, 2)) return;
        std::uint8_t* p = at(offset);
        p[big_endian_ ? 0 : 1] = static_cast<std::uint8_t>(value >> 8);
        p[big_endian_ ? 1 : 0] = static_cast<std::uint8_t>(value);
    }
    void set_u32(std::uint64_t offset, std::uint32_t value)
    {
        set_u16(offset + (big_endian_ ? 0 : 2), value >> 16);
        set_u16(offset + (big_endian_ ? 2 : 0), value & 0xFFFF);
    }

    void cut_at(std::uint64_t offset) { payload_.resize(kExifHeaderSize + offset); }
    void zero(std::uint64_t offset, std::uint64_t length)
    {
        if (holds(offset, length)) std::memset(at(offset), 0, length);
    }
    // Where `bytes` land when appended: the next even offset, as TIFF likes them.
    std::uint32_t append(const Bytes& bytes)
    {
        if (size() % 2 != 0) payload_.push_back(0);
        const auto offset = static_cast<std::uint32_t>(size());
        payload_.insert(payload_.end(), bytes.begin(), bytes.end());
        return offset;
    }

private:
    std::uint8_t* at(std::uint64_t offset) { return payload_.data() + kExifHeaderSize + offset; }
    const std::uint8_t* at(std::uint64_t offset) const { return payload_.data() + kExifHeaderSize + offset; }

    Bytes& payload_;
    bool big_endian_;
};

struct Entry {
    std::uint64_t at;  // the entry's 12 bytes: tag, type, count, value or offset
    std::uint16_t tag;
    std::uint16_t type;
};

// One image file directory: the entries that lie wholly inside the block (as lenient
// readers take them), and the span of the directory with its next-IFD link.
struct Directory {
    std::uint64_t offset = 0;
    std::uint64_t end = 0;  // just after the next-IFD link, which may lie outside the block
    std::vector<Entry> entries;

    std::uint64_t next_link() const { return end - 4; }
    const Entry* find(std::uint16_t tag) const
    {
        for (const Entry& e : entries)
            if (e.tag == tag) return &e;
        return nullptr;
    }
    bool overlaps(std::uint64_t begin, std::uint64_t length) const
    {
        return begin < end && offset < begin + length;
    }
};

// A directory inside the TIFF header is none: patching it would rewrite the header.
std::optional<Directory> read_directory(const TiffBlock& tiff, std::uint64_t offset)
{
    if (offset < kTiffHeaderSize || !tiff.holds(offset, 2)) return std::nullopt;
    Directory directory;
    directory.offset = offset;
    const std::uint32_t declared = tiff.u16(offset);
    directory.end = offset + 2 + 12 * static_cast<std::uint64_t>(declared) + 4;
    for (std::uint32_t i = 0; i < declared; ++i) {
        const std::uint64_t at = offset + 2 + 12 * static_cast<std::uint64_t>(i);
        if (!tiff.holds(at, 12)) break;
        directory.entries.push_back(
            {at, static_cast<std::uint16_t>(tiff.u16(at)), static_cast<std::uint16_t>(tiff.u16(at + 2))});
    }
    return directory;
}

// Single numbers: a SHORT stays a SHORT while the value fits, and becomes a LONG in
// the same 4-byte field otherwise. Any count or out-of-line value is replaced.
void set_number(TiffBlock& tiff, const Entry& entry, std::uint32_t value)
{
    const bool as_short = entry.type == kShort && value <= 0xFFFF;
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
    return entry.type == kShort ? tiff.u16(entry.at + 8) : tiff.u32(entry.at + 8);
}

// Whether every out-of-line value of the entries in `directories` lies inside the
// block and outside [begin, begin + length).
bool values_clear_of(const TiffBlock& tiff, const std::vector<Directory>& directories, std::uint64_t begin,
                     std::uint64_t length)
{
    // Bytes per value of each TIFF type, from BYTE (1) to IFD (13).
    static constexpr std::uint64_t kTypeSizes[] = {0, 1, 1, 2, 4, 8, 1, 1, 2, 4, 8, 4, 8, 4};
    for (const Directory& directory : directories)
        for (const Entry& entry : directory.entries) {
            const std::uint32_t type = tiff.u16(entry.at + 2);  // as patched so far
            const std::uint64_t type_size = type < std::size(kTypeSizes) ? kTypeSizes[type] : 0;
            const std::uint64_t size = type_size * tiff.u32(entry.at + 4);
            if (size <= 4) continue;  // the value stands in the entry itself
            const std::uint64_t offset = tiff.u32(entry.at + 8);
            if (!tiff.holds(offset, size) || (offset < begin + length && begin < offset + size)) return false;
        }
    return true;
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
    auto unlink = [&] { tiff.set_u32(link, 0); };
    const std::optional<Directory> ifd1 = read_directory(tiff, tiff.u32(link));
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
    if (old_length == 0 || !tiff.holds(old_offset, old_length) || ifd1->overlaps(old_offset, old_length) ||
        tangled(old_offset, old_length) || !values_clear_of(tiff, all, old_offset, old_length))
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
    if (const Entry* orientation = ifd1->find(kOrientationTag)) set_number(tiff, *orientation, 1);
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
    TiffBlock tiff(payload);
    if (tiff.u32(4) < kTiffHeaderSize) return Bytes{};
    const std::optional<Directory> ifd0 = read_directory(tiff, tiff.u32(4));
    if (!ifd0) return std::nullopt;

    // IFD0 and the EXIF IFDs it links to; only these are read, so no chain can loop.
    // Directories are patched only where they share no bytes: a patch in one must not
    // change how another reads, or a second save would patch something else.
    std::vector<Directory> patched{*ifd0};
    for (const Entry& entry : ifd0->entries) {
        if (entry.tag == kOrientationTag) set_number(tiff, entry, 1);
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

}  // namespace

std::vector<std::uint8_t> exif_for_saved_photo(const std::vector<std::uint8_t>& exif, int width, int height,
                                               const std::function<ExifThumbnail()>& make_thumbnail)
{
    const std::optional<Bytes> with_thumbnail = patched_exif(exif, width, height, &make_thumbnail);
    if (!with_thumbnail) return exif.size() <= kMaxSegmentPayload ? exif : Bytes{};
    if (with_thumbnail->size() <= kMaxSegmentPayload) return *with_thumbnail;
    Bytes without_thumbnail = *patched_exif(exif, width, height, nullptr);
    if (without_thumbnail.size() <= kMaxSegmentPayload) return without_thumbnail;
    return {};
}
