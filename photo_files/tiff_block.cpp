#include "photo_files/tiff_block.h"

#include <cstring>
#include <iterator>

std::uint32_t TiffBlock::u16(std::uint64_t offset) const
{
    if (!holds(offset, 2)) return 0;
    const std::uint8_t* p = at(offset);
    return big_endian_ ? (p[0] << 8 | p[1]) : (p[1] << 8 | p[0]);
}

std::uint32_t TiffBlock::u32(std::uint64_t offset) const
{
    if (!holds(offset, 4)) return 0;
    return big_endian_ ? (u16(offset) << 16 | u16(offset + 2)) : (u16(offset + 2) << 16 | u16(offset));
}

void TiffBlock::set_u16(std::uint64_t offset, std::uint32_t value)
{
    if (!holds(offset, 2)) return;
    std::uint8_t* p = at(offset);
    p[big_endian_ ? 0 : 1] = static_cast<std::uint8_t>(value >> 8);
    p[big_endian_ ? 1 : 0] = static_cast<std::uint8_t>(value);
}

void TiffBlock::set_u32(std::uint64_t offset, std::uint32_t value)
{
    set_u16(offset + (big_endian_ ? 0 : 2), value >> 16);
    set_u16(offset + (big_endian_ ? 2 : 0), value & 0xFFFF);
}

void TiffBlock::zero(std::uint64_t offset, std::uint64_t length)
{
    if (holds(offset, length)) std::memset(at(offset), 0, length);
}

std::uint32_t TiffBlock::append(const std::vector<std::uint8_t>& bytes)
{
    if (size() % 2 != 0) payload_.push_back(0);
    const auto offset = static_cast<std::uint32_t>(size());
    payload_.insert(payload_.end(), bytes.begin(), bytes.end());
    return offset;
}

std::optional<TiffDirectory> read_tiff_directory(const TiffBlock& tiff, std::uint64_t offset)
{
    if (offset < kTiffHeaderSize || !tiff.holds(offset, 2)) return std::nullopt;
    TiffDirectory directory;
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

std::uint32_t tiff_number(const TiffBlock& tiff, const TiffEntry& entry)
{
    constexpr std::uint16_t kShort = 3;
    return entry.type == kShort ? tiff.u16(entry.at + 8) : tiff.u32(entry.at + 8);
}

std::uint64_t tiff_type_size(std::uint32_t type)
{
    static constexpr std::uint64_t kTypeSizes[] = {0, 1, 1, 2, 4, 8, 1, 1, 2, 4, 8, 4, 8, 4};
    return type < std::size(kTypeSizes) ? kTypeSizes[type] : 0;
}
