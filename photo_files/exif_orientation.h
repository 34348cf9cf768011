#pragma once

#include <cstddef>
#include <cstdint>

/// The EXIF orientation (1 to 8) recorded in the payload of an APP1 marker that
/// starts with "Exif\0\0"; 1 (upright as stored) when the payload is no EXIF
/// block, has no orientation tag, or records a value outside 1 to 8.
int exif_orientation(const std::uint8_t* app1_payload, std::size_t size);

/// True for the orientations that turn the stored photo a quarter turn (5 to 8):
/// the upright photo's width is the stored height and vice versa.
inline bool orientation_swaps_axes(int orientation)
{
    return orientation >= 5 && orientation <= 8;
}
