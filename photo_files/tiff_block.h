#pragma once

// The TIFF structure that EXIF and MPF segments carry after their signature, read
// and patched where it stands. Offsets count from the TIFF header, as in the
// structure itself; every access is checked against the payload's end.

#include <cstdint>
#include <optional>
#include <vector>

class TiffBlock {
public:
    /// The structure in `payload` after its `header_size`-byte signature, which must
    /// leave at least the byte-order mark.
    TiffBlock(std::vector<std::uint8_t>& payload, std::size_t header_size)
        : payload_(payload), header_size_(header_size), big_endian_(payload[header_size] == 'M')
    {
    }

    std::uint64_t size() const { return payload_.size() - header_size_; }
    bool holds(std::uint64_t offset, std::uint64_t length) const
    {
        return offset <= size() && length <= size() - offset;
    }
    std::uint32_t u16(std::uint64_t offset) const;
    std::uint32_t u32(std::uint64_t offset) const;
    void set_u16(std::uint64_t offset, std::uint32_t value);
    void set_u32(std::uint64_t offset, std::uint32_t value);

    void cut_at(std::uint64_t offset) { payload_.resize(header_size_ + offset); }
    void zero(std::uint64_t offset, std::uint64_t length);
    /// Where `bytes` land when appended: the next even offset, as TIFF likes them.
    std::uint32_t append(const std::vector<std::uint8_t>& bytes);

private:
    std::uint8_t* at(std::uint64_t offset) { return payload_.data() + header_size_ + offset; }
    const std::uint8_t* at(std::uint64_t offset) const { return payload_.data() + header_size_ + offset; }

    std::vector<std::uint8_t>& payload_;
    std::size_t header_size_;
    bool big_endian_;
};

inline constexpr std::uint64_t kTiffHeaderSize = 8;  // byte order, 42, IFD0's offset

struct TiffEntry {
    std::uint64_t at;  // the entry's 12 bytes: tag, type, count, value or offset
    std::uint16_t tag;
    std::uint16_t type;
};

/// One image file directory: the entries that lie wholly inside the block (as lenient
/// readers take them), and the span of the directory with its next-IFD link.
struct TiffDirectory {
    std::uint64_t offset = 0;
    std::uint64_t end = 0;  // just after the next-IFD link, which may lie outside the block
    std::vector<TiffEntry> entries;

    std::uint64_t next_link() const { return end - 4; }
    const TiffEntry* find(std::uint16_t tag) const
    {
        for (const TiffEntry& e : entries)
            if (e.tag == tag) return &e;
        return nullptr;
    }
    bool overlaps(std::uint64_t begin, std::uint64_t length) const
    {
        return begin < end && offset < begin + length;
    }
};

/// The directory at `offset`; none inside the TIFF header, as patching it would
/// rewrite the header, nor one whose entry count lies outside the block.
std::optional<TiffDirectory> read_tiff_directory(const TiffBlock& tiff, std::uint64_t offset);

/// The single number an entry of type SHORT or LONG holds (a SHORT's first value).
std::uint32_t tiff_number(const TiffBlock& tiff, const TiffEntry& entry);

/// Bytes one value of a TIFF type takes, BYTE (1) to IFD (13); 0 for unknown types.
std::uint64_t tiff_type_size(std::uint32_t type);
