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

/// An APPn segment the program does not write itself (a maker's own records, FlashPix,
/// multi-picture index, ...): its marker (0xE0 to 0xEF) and its payload.
struct VendorSegment {
    std::uint8_t code = 0;
    std::vector<std::uint8_t> payload;
    bool operator==(const VendorSegment&) const = default;
};

/// Where the metadata stood in the file it was read from, for pointers that count
/// from the file's start. Only the file's layout, not what the metadata says: two
/// PhotoMetadata are equal whatever their places.
struct SourcePlaces {
    std::size_t exif = 0;                      // the EXIF payload's first byte
    std::vector<std::size_t> vendor_segments;  // each vendor segment's payload
    std::size_t trailer = 0;                   // the first byte after the end of image
    bool operator==(const SourcePlaces&) const { return true; }
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
    std::vector<VendorSegment> vendor_segments;           // every other APPn, in file order
    std::vector<std::uint8_t> trailer;                    // the bytes after the end of image
    SourcePlaces places;

    bool operator==(const PhotoMetadata&) const = default;
};

/// The most bytes one JPEG marker segment carries after its length field.
inline constexpr std::size_t kMaxSegmentPayload = 65533;
