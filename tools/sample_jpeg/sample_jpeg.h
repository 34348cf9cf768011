#pragma once

// JPEG streams of known content, written by libjpeg with the settings a test or
// a seed file needs: sampling, progression, colour space, restart markers,
// arithmetic coding, extra markers and ICC profiles.

#include <cstdint>
#include <cstdio>
#include <utility>
#include <vector>

// jpeglib.h needs FILE and size_t declared before it.
#include <jpeglib.h>

using Bytes = std::vector<std::uint8_t>;

struct JpegMarker {
    int code;
    Bytes payload;
};

struct JpegWriteSettings {
    int quality = 90;
    J_COLOR_SPACE file_space = JCS_UNKNOWN;  // JCS_UNKNOWN: the library's default for the input
    bool adobe_marker = true;                // only asked for CMYK and YCCK files
    bool float_dct = false;
    bool progressive = false;  // the library's progression, unless `scans` gives a script
    bool arithmetic = false;
    bool optimise = false;
    int restart_interval = 0;  // in MCUs
    int restart_in_rows = 0;
    // Sampling factors (h, v) per component, from the first; empty: the library's defaults.
    std::vector<std::pair<int, int>> sampling;
    std::vector<jpeg_scan_info> scans;
    // The JFIF header's density: unit 0 (aspect only), 1 (per inch) or 2 (per cm).
    std::uint8_t density_unit = 0;
    std::uint16_t x_density = 1;
    std::uint16_t y_density = 1;
    std::vector<JpegMarker> markers;  // written right after the header, in this order
    Bytes icc_profile;                // written after `markers`, in as many chunks as it needs
};

/// Encodes interleaved 8-bit samples (`components` per pixel, rows from the top):
/// 1 is gray, 3 RGB, 4 CMYK. Throws std::runtime_error with libjpeg's message when
/// the library refuses the settings, so a bad fixture fails its own test.
Bytes write_sample_jpeg(int width, int height, int components, const std::uint8_t* samples,
                        const JpegWriteSettings& settings);
