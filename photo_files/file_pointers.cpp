#include "photo_files/file_pointers.h"

#include <algorithm>
#include <cstring>
#include <functional>
#include <optional>
#include <string_view>

#include "photo_files/jpeg_segments.h"
#include "photo_files/tiff_block.h"

namespace {

constexpr std::size_t kExifHeaderSize = 6;
constexpr std::size_t kMpfHeaderSize = 4;  // "MPF\0"
constexpr std::uint16_t kMakeTag = 0x010F;
constexpr std::uint16_t kExifIfdTag = 0x8769;
constexpr std::uint16_t kMakerNoteTag = 0x927C;
constexpr std::uint16_t kMpEntryTag = 0xB002;
constexpr std::uint16_t kCanonDecisionDataTag = 0x0083;
constexpr std::uint16_t kPreviewStartTag = 0x0088;
constexpr std::uint16_t kPreviewLengthTag = 0x0089;
constexpr std::uint16_t kLong = 4;
constexpr std::uint16_t kIfd = 13;
constexpr std::size_t kMpEntrySize = 16;

std::string_view text_at(const std::vector<std::uint8_t>& bytes, std::size_t at, std::size_t size)
{
    if (at > bytes.size()) return {};
    return {reinterpret_cast<const char*>(bytes.data() + at), std::min(size, bytes.size() - at)};
}

// The value of an ASCII entry, inline or not.
std::string_view ascii(const std::vector<std::uint8_t>& payload, const TiffBlock& tiff,
                       const TiffEntry& entry)
{
    const std::uint32_t count = tiff.u32(entry.at + 4);
    const std::uint64_t at = count <= 4 ? entry.at + 8 : tiff.u32(entry.at + 8);
    if (!tiff.holds(at, count)) return {};
    return text_at(payload, kExifHeaderSize + at, count);
}

std::uint32_t u32_in(const std::vector<std::uint8_t>& bytes, std::size_t at, bool big_endian)
{
    if (at > bytes.size() || bytes.size() - at < 4) return 0;
    const std::uint8_t* p = bytes.data() + at;
    return big_endian ? std::uint32_t{p[0]} << 24 | p[1] << 16 | p[2] << 8 | p[3]
                      : std::uint32_t{p[3]} << 24 | p[2] << 16 | p[1] << 8 | p[0];
}

// The size of Canon's original decision data at `at` in the trailer; 0 when none is
// there. Versions 1 and 2 hold a record count, version 3 its own length. The camera
// writes it last, so data whose length cannot be told (a version not known here) is
// taken to run to the end.
std::size_t decision_data_size(const std::vector<std::uint8_t>& trailer, std::size_t at)
{
    if (u32_in(trailer, at, true) != 0xFFFFFFFFu) return 0;
    const std::uint32_t version = u32_in(trailer, at + 4, true);
    if (version == 1 || version == 2) {
        const std::uint32_t records = u32_in(trailer, at + 28, true);
        if (records < 0x10000) return 32 + std::size_t{32} * records;
    } else if (u32_in(trailer, at + 4, false) == 3) {
        return 56 + std::size_t{u32_in(trailer, at + 56, false)};
    }
    return trailer.size() - std::min(at, trailer.size());
}

// Whether a maker note's directory is whole and every entry has a TIFF type: one that
// is not (a header of a layout not known here, read as a directory) is left alone.
bool plausible(const TiffBlock& tiff, const TiffDirectory& notes)
{
    return !notes.entries.empty() && notes.entries.size() == tiff.u16(notes.offset) &&
           std::all_of(notes.entries.begin(), notes.entries.end(),
                       [&](const TiffEntry& e) { return tiff_type_size(e.type) != 0; });
}

// Adds bytes [target, target + size) of the loaded trailer to those the save drops.
void drop_trailer_bytes(const FileMoves& moves, std::size_t target, std::size_t size,
                        std::vector<FileRange>& dropped)
{
    if (moves.trailer.holds(target) && size != 0)
        dropped.push_back({target, std::min(target + size, moves.trailer.end)});
}

// Where a byte of the loaded file lies in the saved one; nullopt when the save drops it.
std::optional<std::size_t> moved_place(const FileMoves& moves, std::size_t exif_size, std::size_t target)
{
    if (target >= moves.old_exif && target - moves.old_exif < exif_size)
        return moves.new_exif + (target - moves.old_exif);
    for (const KeptBytes& kept : moves.kept)
        if (kept.from.holds(target)) return kept.to + (target - kept.from.begin);
    return std::nullopt;
}

// The maker-note entries `known` does not handle. An out-of-line value outside the EXIF
// block is moved with the segment it lies in, or else emptied (count and offset 0, its
// bytes dropped when they are after the image): nothing else outside the block keeps its
// place. A single LONG can be a number or a pointer; one that lands on a JPEG picture
// after the image, counted from the TIFF header or the file's start, points at it: the
// picture is dropped and the LONG set to 0. Both rules give the same answer when the
// saved file is saved again, whatever its new layout.
void clear_pointers_out_of_the_block(TiffBlock& tiff, const TiffDirectory& notes, const FileMoves& moves,
                                     const std::function<bool(std::uint16_t)>& known,
                                     std::vector<FileRange>& dropped)
{
    if (!plausible(tiff, notes)) return;
    const std::size_t tiff_start = moves.old_exif + kExifHeaderSize;
    const std::size_t exif_size = static_cast<std::size_t>(tiff.size()) + kExifHeaderSize;
    for (const TiffEntry& entry : notes.entries) {
        if (known(entry.tag)) continue;
        const std::uint64_t size = tiff_type_size(entry.type) * tiff.u32(entry.at + 4);
        const std::uint32_t value = tiff.u32(entry.at + 8);
        if (size > 4) {
            if (value < tiff.size()) continue;
            if (const std::optional<std::size_t> to = moved_place(moves, exif_size, tiff_start + value)) {
                tiff.set_u32(entry.at + 8,
                             static_cast<std::uint32_t>(*to - (moves.new_exif + kExifHeaderSize)));
                continue;
            }
            drop_trailer_bytes(moves, tiff_start + value, size, dropped);
            tiff.set_u32(entry.at + 4, 0);
            tiff.set_u32(entry.at + 8, 0);
            continue;
        }
        if ((entry.type != kLong && entry.type != kIfd) || size != 4 || moves.trailer_bytes == nullptr)
            continue;
        const std::vector<std::uint8_t>& trailer = *moves.trailer_bytes;
        for (const std::size_t target : {tiff_start + value, std::size_t{value}}) {
            if (!moves.trailer.holds(target)) continue;
            const std::size_t at = target - moves.trailer.begin;
            const std::size_t end = embedded_jpeg_end(trailer.data(), trailer.size(), at);
            if (end == 0) continue;
            drop_trailer_bytes(moves, target, end - at, dropped);
            tiff.set_u32(entry.at + 8, 0);
            break;
        }
    }
}

}  // namespace

std::vector<FileRange> mpf_secondary_images(const std::vector<std::uint8_t>& payload, std::size_t place)
{
    std::vector<FileRange> images;
    if (payload.size() < kMpfHeaderSize + kTiffHeaderSize || std::memcmp(payload.data(), "MPF\0", 4) != 0)
        return images;
    std::vector<std::uint8_t> copy = payload;
    const TiffBlock tiff(copy, kMpfHeaderSize);
    const std::optional<TiffDirectory> index = read_tiff_directory(tiff, tiff.u32(4));
    const TiffEntry* entries = index ? index->find(kMpEntryTag) : nullptr;
    if (entries == nullptr) return images;
    const std::uint64_t count = tiff.u32(entries->at + 4) / kMpEntrySize;
    const std::uint64_t at = tiff.u32(entries->at + 8);
    // Offsets count from the TIFF header; the first image's is 0.
    const std::size_t base = place + kMpfHeaderSize;
    for (std::uint64_t i = 0; i < count && tiff.holds(at + kMpEntrySize * i, kMpEntrySize); ++i) {
        const std::uint32_t size = tiff.u32(at + kMpEntrySize * i + 4);
        const std::uint32_t offset = tiff.u32(at + kMpEntrySize * i + 8);
        if (offset != 0) images.push_back({base + offset, base + offset + size});
    }
    return images;
}

std::vector<FileRange> fix_maker_note_pointers(std::vector<std::uint8_t>& exif, const FileMoves& moves)
{
    std::vector<FileRange> dropped;
    if (exif.size() < kExifHeaderSize + kTiffHeaderSize) return dropped;
    TiffBlock tiff(exif, kExifHeaderSize);
    const std::optional<TiffDirectory> ifd0 = read_tiff_directory(tiff, tiff.u32(4));
    const TiffEntry* make_entry = ifd0 ? ifd0->find(kMakeTag) : nullptr;
    const TiffEntry* exif_link = ifd0 ? ifd0->find(kExifIfdTag) : nullptr;
    if (make_entry == nullptr || exif_link == nullptr) return dropped;
    const std::string_view make = ascii(exif, tiff, *make_entry);
    const std::optional<TiffDirectory> exif_ifd = read_tiff_directory(tiff, tiff.u32(exif_link->at + 8));
    const TiffEntry* note = exif_ifd ? exif_ifd->find(kMakerNoteTag) : nullptr;
    if (note == nullptr) return dropped;
    const std::uint64_t note_at = tiff.u32(note->at + 8);

    const bool canon = make.starts_with("Canon");
    const bool minolta =
        make.starts_with("SONY") || make.starts_with("Minolta") || make.starts_with("KONICA MINOLTA");
    const std::string_view sony_header = text_at(exif, kExifHeaderSize + note_at, 12);
    const bool headed = sony_header.starts_with("SONY DSC ") || sony_header.starts_with("SONY CAM ");
    const std::optional<TiffDirectory> notes = read_tiff_directory(tiff, note_at + (headed ? 12 : 0));
    if (!notes) return dropped;

    // The pointer's value once the file's bytes have moved; nullopt when its target goes.
    const std::size_t tiff_start = moves.old_exif + kExifHeaderSize;
    auto moved = [&](std::size_t target) { return moved_place(moves, exif.size(), target); };
    auto drop_from_trailer = [&](std::size_t target, std::size_t size) {
        drop_trailer_bytes(moves, target, size, dropped);
    };

    clear_pointers_out_of_the_block(
        tiff, *notes, moves,
        [&](std::uint16_t tag) {
            return canon ? tag == kCanonDecisionDataTag
                         : minolta && (tag == kPreviewStartTag || tag == kPreviewLengthTag);
        },
        dropped);

    if (const TiffEntry* decision = canon ? notes->find(kCanonDecisionDataTag) : nullptr) {
        const std::size_t target = tiff.u32(decision->at + 8);
        const std::optional<std::size_t> to = target != 0 ? moved(target) : std::nullopt;
        if (target != 0 && moves.trailer.holds(target) && moves.trailer_bytes != nullptr)
            drop_from_trailer(target, decision_data_size(*moves.trailer_bytes, target - moves.trailer.begin));
        tiff.set_u32(decision->at + 8, static_cast<std::uint32_t>(to.value_or(0)));
    }
    const TiffEntry* start = minolta ? notes->find(kPreviewStartTag) : nullptr;
    const TiffEntry* length = minolta ? notes->find(kPreviewLengthTag) : nullptr;
    if (start != nullptr && length != nullptr && tiff.u32(start->at + 8) != 0) {
        const std::size_t target = tiff_start + tiff.u32(start->at + 8);
        const std::optional<std::size_t> to = moved(target);
        if (to) {
            tiff.set_u32(start->at + 8, static_cast<std::uint32_t>(*to - (moves.new_exif + kExifHeaderSize)));
        } else {
            drop_from_trailer(target, tiff.u32(length->at + 8));
            tiff.set_u32(start->at + 8, 0);
            tiff.set_u32(length->at + 8, 0);
        }
    }
    return dropped;
}
