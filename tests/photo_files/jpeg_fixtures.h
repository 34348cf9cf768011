#pragma once

// Test photos made with libjpeg itself, so every fixture's content is known.

#include <cstdint>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "photo_files/jpeg_error_manager.h"
#include "tools/sample_jpeg/sample_jpeg.h"

/// Interleaved 8-bit samples, `components` per pixel, rows from the top.
struct TestImage {
    int width = 0;
    int height = 0;
    int components = 3;
    Bytes samples;
    std::uint8_t* pixel(int x, int y) { return samples.data() + offset(x, y); }
    const std::uint8_t* pixel(int x, int y) const { return samples.data() + offset(x, y); }
    std::size_t offset(int x, int y) const { return (static_cast<std::size_t>(y) * width + x) * components; }
};

/// Smooth colour ramps with a little texture: realistic for JPEG, every channel different.
TestImage colour_image(int width, int height);
/// A horizontal gray ramp over the full 0..255 range.
TestImage gray_image(int width, int height);
/// Four flat quadrants: red top-left, green top-right, blue bottom-left, white bottom-right.
TestImage quadrant_image(int width, int height);
/// A flat CMYK image with the given stored ink values.
TestImage flat_cmyk_image(int width, int height, const std::uint8_t cmyk[4]);

using EncodeOptions = JpegWriteSettings;

/// 1 x 1 sampling for every component.
inline std::vector<std::pair<int, int>> full_chroma_sampling()
{
    return {{1, 1}, {1, 1}, {1, 1}, {1, 1}};
}

/// An APP1 marker with `payload` as it is.
inline JpegMarker app1_marker(Bytes payload)
{
    return {JPEG_APP0 + 1, std::move(payload)};
}

/// Encodes `image` (RGB, gray or CMYK by its component count) into a JPEG stream.
/// Throws std::runtime_error with libjpeg's message when the library refuses.
Bytes encode_test_jpeg(const TestImage& image, const EncodeOptions& options = {});

/// A bare libjpeg decompressor, created and destroyed with this object. A library
/// call that fails inside run() throws std::runtime_error with libjpeg's message, so
/// a stream the library refuses fails the test that reads it and no other.
class BareDecompressor {
public:
    BareDecompressor();
    ~BareDecompressor();
    BareDecompressor(const BareDecompressor&) = delete;
    BareDecompressor& operator=(const BareDecompressor&) = delete;

    /// Runs `steps`, library calls on `cinfo`; as JpegErrorManager::run, `steps` may
    /// hold no object with a destructor while it calls the library.
    template <class Steps>
    void run(Steps&& steps)
    {
        if (!errors_.run(steps)) throw std::runtime_error("libjpeg: " + errors_.message());
    }

    jpeg_decompress_struct cinfo{};

private:
    JpegErrorManager errors_;
};

/// Decodes with bare libjpeg and the loader's settings into RGB (or 236-level gray
/// indices mapped through the colour map) to compare the loader's pixels against.
/// Throws std::runtime_error with libjpeg's message when the library refuses.
TestImage decode_reference(const Bytes& jpeg);

/// An EXIF APP1 payload holding only an orientation tag.
Bytes exif_orientation_payload(int orientation, bool big_endian);

/// A single-component progressive scan script with `bands` spectral bands, each
/// refined bit by bit over `bit_steps` successive-approximation scans.
std::vector<jpeg_scan_info> many_scan_script(int bands, int bit_steps);

/// The number of SOS markers in a JPEG stream.
int count_scans(const Bytes& jpeg);

/// The position of the first marker `code` (0xFF code) in the stream, or npos.
std::size_t find_marker(const Bytes& jpeg, std::uint8_t code);

class Bitmap32;

/// What load_photo makes of `path` into `photo`: "loaded", or why it failed in
/// load_failure_text's words, so a test can tell which refusal fired.
std::string load_outcome(const std::string& path, Bitmap32& photo);
