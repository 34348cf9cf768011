#pragma once

#include <bit>
#include <cstdint>
#include <cstring>

static_assert(std::endian::native == std::endian::little, "the word packing below assumes little-endian");

/// Writes four 0xAARRGGBB pixels as twelve bytes (blue, green, red per pixel,
/// alpha dropped). Packing them into three whole words with shifts costs three
/// stores instead of twelve byte stores.
inline void pack_four_pixels(const std::uint32_t* in, std::uint8_t* out)
{
    const std::uint32_t p0 = in[0], p1 = in[1], p2 = in[2], p3 = in[3];
    const std::uint32_t words[3] = {(p0 & 0xFFFFFFu) | p1 << 24, ((p1 >> 8) & 0xFFFFu) | p2 << 16,
                                    ((p2 >> 16) & 0xFFu) | p3 << 8};
    std::memcpy(out, words, sizeof words);
}

/// One pixel the same way, for the pixels left over after groups of four.
inline void pack_pixel(std::uint32_t pixel, std::uint8_t* out)
{
    out[0] = static_cast<std::uint8_t>(pixel);
    out[1] = static_cast<std::uint8_t>(pixel >> 8);
    out[2] = static_cast<std::uint8_t>(pixel >> 16);
}
