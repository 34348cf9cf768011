#pragma once

#include <cstddef>
#include <cstdint>

#include "photo_files/jpeg_decoder.h"

/// The most pixels one HEIF decode may produce on the way to a photo: the canvases of
/// its grid and overlay images plus every tile and layer decoded into them. A grid's
/// last tiles may reach past its canvas, so an honest photo at the pixel cap needs
/// somewhat more than twice the cap.
inline constexpr std::int64_t kMaxHeifDecodedPixels = 3 * kMaxPhotoPixels;

/// What the grid and overlay images of a HEIF file would make libheif build, read from
/// the file's boxes alone. libheif gives such an image a canvas of the size its own item
/// data states, which need not be the size the image claims, and takes that memory before
/// decoding a single tile; these figures let a loader refuse first.
struct HeifComposition {
    // The canvas of most pixels among all grid and overlay images; 0 x 0 when there is none.
    std::uint32_t canvas_width = 0;
    std::uint32_t canvas_height = 0;
    std::int64_t canvas_pixels = 0;
    // Pixels decoded for the primary image: its canvases and every tile and layer, as often
    // as each is used.
    std::int64_t decoded_pixels = 0;
    // The most pixels any one tile or layer takes to decode, with all its own parts.
    std::int64_t largest_part_pixels = 0;
    // An image among its own tiles or layers, or images nested deeper than any photo's.
    bool endless = false;
    // A tile or layer that is no image libheif can decode.
    bool missing_part = false;
};

/// Reads the composition of the HEIF file of `size` bytes at `data`. Whatever the file
/// holds that is not understood counts for nothing: libheif refuses such files itself.
HeifComposition read_heif_composition(const std::uint8_t* data, std::size_t size);
