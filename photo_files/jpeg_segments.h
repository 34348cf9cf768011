#pragma once

// The marker segments of a JPEG stream's header as they lie in the file, found
// without the codec, so that each one's place in the file is known.

#include <cstddef>
#include <cstdint>
#include <vector>

struct HeaderSegment {
    std::uint8_t code = 0;           // the marker's second byte: 0xE0 to 0xEF for APP0 to APP15
    std::size_t payload_offset = 0;  // in the file: the first byte after the length field
    std::size_t payload_size = 0;
};

/// Every marker segment between the start of image and the first scan, in file
/// order. Stops at the first byte that is no marker, or a segment that runs past
/// the end of the data.
std::vector<HeaderSegment> header_segments(const std::uint8_t* data, std::size_t size);

/// Where the JPEG stream that starts at `at` inside other data ends (just after its end of image,
/// or at `size` when it is cut off inside its image data); 0 when none starts there. A stream
/// is a start of image followed by marker segments that fit, a frame header and a scan; data
/// that only happens to hold the start-of-image bytes is not taken for one.
std::size_t embedded_jpeg_end(const std::uint8_t* data, std::size_t size, std::size_t at);

/// Whether an APP1 payload is an EXIF block a reader can use: "Exif\0\0", a TIFF
/// byte order and 42, and IFD0 past the TIFF header with its entry count inside the
/// block.
bool is_readable_exif(const std::uint8_t* payload, std::size_t size);

/// Whether an APP1 payload starts with the EXIF signature at all.
bool has_exif_signature(const std::uint8_t* payload, std::size_t size);

/// The EXIF block readers use: the first readable one, or the first one when none
/// is (so a damaged block still has its orientation made 1); null when there is none.
const HeaderSegment* chosen_exif(const std::vector<HeaderSegment>& segments, const std::uint8_t* data);
