#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

/// An embedded ICC colour profile, as the bytes of the profile itself.
using IccProfile = std::vector<std::uint8_t>;

/// The print resolution of a JFIF header: dots per inch (unit 1), per centimetre
/// (unit 2), or only the pixels' aspect ratio (unit 0).
struct JfifDensity {
    std::uint8_t unit = 0;
    std::uint16_t x = 1;
    std::uint16_t y = 1;
    bool operator==(const JfifDensity&) const = default;
};

/// Everything a photo file records beside its pixels that a saved photo carries on:
/// each segment's payload as it stood in the file (the bytes after the marker's
/// length field), in file order.
struct PhotoMetadata {
    IccProfile icc_profile;
    std::vector<std::uint8_t> exif;  // the first APP1 that starts "Exif\0\0"
    std::vector<std::uint8_t> xmp;   // the first APP1 that starts "http://ns.adobe.com/xap/1.0/\0"
    std::vector<std::vector<std::uint8_t>> extended_xmp;  // APP1 "http://ns.adobe.com/xmp/extension/\0"
    std::vector<std::vector<std::uint8_t>> iptc;          // APP13 "Photoshop 3.0\0" resource blocks
    std::vector<std::vector<std::uint8_t>> comments;      // COM
    std::optional<JfifDensity> density;                   // set when the file has a JFIF header

    bool operator==(const PhotoMetadata&) const = default;
};

/// The most bytes one JPEG marker segment carries after its length field.
inline constexpr std::size_t kMaxSegmentPayload = 65533;
