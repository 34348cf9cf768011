#pragma once

// HEIF and AVIF files made in the tests from known pixels, with the tools a user's
// system has (ImageMagick's convert and libheif's heif-enc), or with libheif itself
// where the tools cannot say what is wanted (an orientation).

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

class Bitmap32;

/// Runs `command` through the shell; true when it exits with 0.
bool run_command(const std::string& command);

/// Writes `samples` (3 or 4 per pixel, row by row, each at most `maxval`) as a PNG at
/// `png_path` with 8 bits per sample for maxval 255 and 16 otherwise.
void write_png(const std::string& png_path, int width, int height, int channels, int maxval,
               const std::vector<std::uint16_t>& samples);

/// The opaque `photo` as a PNG at `png_path`.
void write_png(const std::string& png_path, const Bitmap32& photo);

/// Encodes the image file at `source` (PNG or JPEG) with heif-enc and `options` into
/// `output`, whose extension chooses HEIC or AVIF. Throws when heif-enc fails.
void heif_enc(const std::string& source, const std::string& output, const std::string& options = "-q 90");

/// What encode_heic writes beside the pixels.
struct HeicFeatures {
    int orientation = 1;             // the container turns or mirrors as this EXIF orientation would
    int nclx_primaries = 0;          // with an nclx colour description of these primaries, when not 0
    int nclx_transfer = 13;          // and this transfer characteristic
    std::vector<std::uint8_t> exif;  // an EXIF item with these bytes, when not empty
};

/// Encodes `photo` as a HEIC at `output` with `features`.
void encode_heic(const Bitmap32& photo, const HeicFeatures& features, const std::string& output);

/// One HEVC-coded image taken out of a HEIC holding only it (as heif-enc writes one):
/// its decoder configuration box and its coded data.
struct CodedTile {
    std::vector<std::uint8_t> configuration;  // the whole 'hvcC' box
    std::vector<std::uint8_t> data;
    std::uint32_t width = 0;
    std::uint32_t height = 0;
};
CodedTile coded_tile_of(const std::vector<std::uint8_t>& heic, std::uint32_t width, std::uint32_t height);

/// A primary image made of other images, as a phone writes a grid of tiles.
struct ComposedImage {
    std::string type = "grid";  // or "iovl", an overlay
    std::uint32_t canvas_width = 0;
    std::uint32_t canvas_height = 0;
    int rows = 1, columns = 1;                   // of a grid
    std::vector<std::pair<int, int>> offsets;    // of an overlay's layers, one per part
    std::uint16_t background[4] = {0, 0, 0, 0};  // of an overlay, 16-bit RGBA
    // Item 1 is the composed image, item 2 the tile; each part names one of them.
    std::vector<std::uint32_t> parts;
    std::string tile_type = "hvc1";
    // The sizes the composed image and the tile claim, when not 0; else the canvas's and the tile's.
    std::uint32_t claimed_width = 0, claimed_height = 0;
    std::uint32_t tile_claimed_width = 0, tile_claimed_height = 0;
    // A clean-aperture crop of the composed image to this size, centred, when not 0.
    std::uint32_t crop_width = 0, crop_height = 0;
};

/// The bytes of a HEIF file whose primary image is `image`, made of `tile`.
std::vector<std::uint8_t> composed_heif(const CodedTile& tile, const ComposedImage& image);
