#pragma once

/// The instructions the views' colour conversion between two curve-and-matrix profiles
/// runs on, slowest first. All give identical words.
enum class ColourConversionPath {
    plain,  // one pixel at a time; any CPU
    avx2,   // eight pixels at a time, table lookups gathered; x86-64 with AVX2
    vbmi,   // 64 pixels at a time, the photo's levels looked up with byte permutes; AVX-512 VBMI
};

/// The fastest path this CPU runs, lowered by TINTELO_COLOUR_PATH=plain|avx2|vbmi
/// (a request above what the CPU has is ignored). Decided once per process.
ColourConversionPath colour_conversion_path();

/// Overrides the choice for the rest of the process (benchmarks and tests compare paths
/// side by side); a path the CPU lacks falls back to the fastest it has.
void set_colour_conversion_path(ColourConversionPath path);

/// The fastest path this CPU runs, whatever the environment says.
ColourConversionPath fastest_colour_conversion_path();

const char* colour_conversion_path_name(ColourConversionPath path);
