#include "photo_files/jpeg_segments.h"

#include <cstring>

namespace {

constexpr std::uint8_t kApp1 = 0xE1;
constexpr std::uint8_t kStartOfScan = 0xDA;
constexpr std::uint8_t kEndOfImage = 0xD9;

bool stands_alone(std::uint8_t code)
{
    return code == 0x01 || (code >= 0xD0 && code <= 0xD8);  // TEM, RST0 to RST7, SOI
}

bool is_frame_header(std::uint8_t code)
{
    return code >= 0xC0 && code <= 0xCF && code != 0xC4 && code != 0xC8 && code != 0xCC;
}

}  // namespace

std::size_t embedded_jpeg_end(const std::uint8_t* data, std::size_t size, std::size_t at)
{
    if (at > size || size - at < 4 || data[at] != 0xFF || data[at + 1] != 0xD8) return 0;
    bool frame = false, scan = false;
    std::size_t next = at + 2;
    while (next + 1 < size) {
        if (data[next] != 0xFF) {
            if (!scan) return 0;  // only image data may lie between segments
            ++next;
            continue;
        }
        const std::uint8_t code = data[next + 1];
        if (code == 0xFF) {
            ++next;
            continue;
        }
        if (code == kEndOfImage) return frame && scan ? next + 2 : 0;
        if (scan && (code == 0x00 || (code >= 0xD0 && code <= 0xD7))) {  // stuffed byte, restart marker
            next += 2;
            continue;
        }
        if (code < 0xC0 || stands_alone(code)) return 0;
        if (next + 4 > size) break;
        const std::size_t length = static_cast<std::size_t>(data[next + 2]) << 8 | data[next + 3];
        if (length < 2) return 0;
        if (length > size - next - 2) break;
        frame = frame || is_frame_header(code);
        if (code == kStartOfScan) {
            if (!frame) return 0;
            scan = true;
        }
        next += 2 + length;
    }
    return frame && scan ? size : 0;
}

std::vector<HeaderSegment> header_segments(const std::uint8_t* data, std::size_t size)
{
    std::vector<HeaderSegment> segments;
    if (size < 2 || data[0] != 0xFF || data[1] != 0xD8) return segments;
    std::size_t at = 2;
    while (at + 1 < size && data[at] == 0xFF) {
        while (at + 1 < size && data[at + 1] == 0xFF) ++at;  // fill bytes
        if (at + 1 >= size) break;
        const std::uint8_t code = data[at + 1];
        if (code == kStartOfScan || code == kEndOfImage) break;
        if (stands_alone(code)) {
            at += 2;
            continue;
        }
        if (at + 4 > size) break;
        const std::size_t length = static_cast<std::size_t>(data[at + 2]) << 8 | data[at + 3];
        if (length < 2 || length > size - at - 2) break;
        segments.push_back({code, at + 4, length - 2});
        at += 2 + length;
    }
    return segments;
}

bool has_exif_signature(const std::uint8_t* payload, std::size_t size)
{
    return size >= 6 && std::memcmp(payload, "Exif\0\0", 6) == 0;
}

bool is_readable_exif(const std::uint8_t* payload, std::size_t size)
{
    if (!has_exif_signature(payload, size) || size < 6 + 8) return false;
    const std::uint8_t* tiff = payload + 6;
    const bool big = tiff[0] == 'M' && tiff[1] == 'M';
    if (!big && !(tiff[0] == 'I' && tiff[1] == 'I')) return false;
    auto u16 = [&](std::size_t at) {
        return big ? tiff[at] << 8 | tiff[at + 1] : tiff[at + 1] << 8 | tiff[at];
    };
    if (u16(2) != 42) return false;
    const std::uint32_t ifd0 = static_cast<std::uint32_t>(u16(big ? 4 : 6)) << 16 | u16(big ? 6 : 4);
    return ifd0 >= 8 && ifd0 <= size - 6 - 2;
}

const HeaderSegment* chosen_exif(const std::vector<HeaderSegment>& segments, const std::uint8_t* data)
{
    const HeaderSegment* first = nullptr;
    for (const HeaderSegment& segment : segments) {
        if (segment.code != kApp1) continue;
        const std::uint8_t* payload = data + segment.payload_offset;
        if (!has_exif_signature(payload, segment.payload_size)) continue;
        if (is_readable_exif(payload, segment.payload_size)) return &segment;
        if (first == nullptr) first = &segment;
    }
    return first;
}
