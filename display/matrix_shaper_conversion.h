#pragma once

#include <cstdint>
#include <memory>

#include "display/colour_conversion_path.h"
#include "display/matrix_shaper_rows.h"

/// The conversion between two matrix-shaper RGB profiles (a tone curve per channel and
/// a 3 x 3 matrix, as Adobe RGB, Display P3, sRGB and most display profiles are), done in
/// tables and 16-bit fixed point: lcms2's relative colorimetric conversion with black-point
/// compensation, within a level of its floating-point conversion for every colour, closer than
/// its own 8-bit tables where a curve is steep, and several times faster with AVX-512 VBMI.
class MatrixShaperConversion {
public:
    /// Null unless both lcms2 profiles (cmsHPROFILE) are matrix-shaper RGB profiles
    /// without tables whose matrix fits the fixed point; black-point compensation is done
    /// as lcms2 does it.
    static std::unique_ptr<MatrixShaperConversion> between(void* photo_profile, void* display_profile);

    /// Converts `width` opaque photo words at `row` in place, on `path`.
    void convert_row(std::uint32_t* row, int width, ColourConversionPath path) const;

private:
    MatrixShaperConversion() = default;

    MatrixShaperTables tables_;
};
