#include "display/matrix_shaper_conversion.h"

#include <lcms2.h>

#include <algorithm>
#include <cmath>
#include <initializer_list>

namespace {

constexpr cmsTagSignature kColorants[3] = {cmsSigRedColorantTag, cmsSigGreenColorantTag,
                                           cmsSigBlueColorantTag};
constexpr cmsTagSignature kToneCurves[3] = {cmsSigRedTRCTag, cmsSigGreenTRCTag, cmsSigBlueTRCTag};

using Matrix = std::array<std::array<double, 3>, 3>;

// The profile's primaries as the columns of its RGB -> XYZ (D50) matrix.
bool colorant_matrix(cmsHPROFILE profile, Matrix& matrix)
{
    for (int c = 0; c < 3; ++c) {
        const auto* xyz = static_cast<const cmsCIEXYZ*>(cmsReadTag(profile, kColorants[c]));
        if (xyz == nullptr) return false;
        matrix[0][c] = xyz->X;
        matrix[1][c] = xyz->Y;
        matrix[2][c] = xyz->Z;
    }
    return true;
}

bool inverted(const Matrix& m, Matrix& inverse)
{
    const double determinant = m[0][0] * (m[1][1] * m[2][2] - m[1][2] * m[2][1]) -
                               m[0][1] * (m[1][0] * m[2][2] - m[1][2] * m[2][0]) +
                               m[0][2] * (m[1][0] * m[2][1] - m[1][1] * m[2][0]);
    if (!(std::fabs(determinant) > 1e-9)) return false;
    for (int row = 0; row < 3; ++row)
        for (int column = 0; column < 3; ++column) {
            // The cofactor of the transposed element, over the determinant.
            const int r0 = (column + 1) % 3, r1 = (column + 2) % 3;
            const int c0 = (row + 1) % 3, c1 = (row + 2) % 3;
            inverse[row][column] = (m[r0][c0] * m[r1][c1] - m[r0][c1] * m[r1][c0]) / determinant;
        }
    return true;
}

// Black-point compensation as lcms2 does it, in XYZ: a scale and an offset per axis
// that take the photo's black to the display's and keep the white (D50) where it is.
bool black_point_compensation(cmsHPROFILE photo, cmsHPROFILE display, std::array<double, 3>& scale,
                              std::array<double, 3>& offset)
{
    cmsCIEXYZ from{}, to{};
    if (!cmsDetectBlackPoint(&from, photo, INTENT_RELATIVE_COLORIMETRIC, 0) ||
        !cmsDetectDestinationBlackPoint(&to, display, INTENT_RELATIVE_COLORIMETRIC, 0))
        return false;
    scale = {1, 1, 1};
    offset = {0, 0, 0};
    if (from.X == to.X && from.Y == to.Y && from.Z == to.Z) return true;
    const cmsCIEXYZ* white = cmsD50_XYZ();
    const double from_axes[3] = {from.X, from.Y, from.Z}, to_axes[3] = {to.X, to.Y, to.Z};
    const double white_axes[3] = {white->X, white->Y, white->Z};
    for (int axis = 0; axis < 3; ++axis) {
        const double span = from_axes[axis] - white_axes[axis];
        if (!(std::fabs(span) > 1e-9)) return false;
        scale[axis] = (to_axes[axis] - white_axes[axis]) / span;
        offset[axis] = -white_axes[axis] * (to_axes[axis] - from_axes[axis]) / span;
    }
    return true;
}

bool has_any_tag(cmsHPROFILE profile, std::initializer_list<cmsTagSignature> tags)
{
    return std::any_of(tags.begin(), tags.end(), [&](cmsTagSignature tag) { return cmsIsTag(profile, tag); });
}

// Linear light's one in the tables' 16-bit words; 32768 itself is stored as 32767.
constexpr long kLinearOne = 32768;

// The matrix and offset in the integers the rows work in: coefficients of as many fraction bits
// as keep each in 16 bits and every sum in 32 (at most 14, finer than the steps they make).
bool fixed_point_matrix(const Matrix& matrix, const std::array<double, 3>& offset, MatrixShaperTables& tables)
{
    for (int bits = 14; bits >= 8; --bits) {
        const double unit = std::ldexp(1.0, bits);
        bool fits = true;
        for (int row = 0; row < 3 && fits; ++row) {
            // The sum's largest magnitude: every linear level at its largest, every term one way.
            double largest = std::fabs(offset[row]) * unit * kLinearOne + unit;
            for (int column = 0; column < 3; ++column) {
                const double coefficient = std::round(matrix[row][column] * unit);
                fits = fits && std::fabs(coefficient) <= 32767;
                largest += std::fabs(coefficient) * (kLinearOne - 1);
            }
            fits = fits && largest < 2147483647.0;
        }
        if (!fits) continue;
        tables.matrix_bits = bits;
        for (int row = 0; row < 3; ++row) {
            for (int column = 0; column < 3; ++column)
                tables.matrix[row][column] =
                    static_cast<std::int16_t>(std::round(matrix[row][column] * unit));
            // The sum shifted right by bits + 1 is in steps of 1 / 16384; half a step rounds it.
            tables.offset[row] =
                static_cast<std::int32_t>(std::round(offset[row] * unit * kLinearOne)) + (1 << bits);
        }
        return true;
    }
    return false;
}

struct CurveFree {
    void operator()(cmsToneCurve* curve) const { cmsFreeToneCurve(curve); }
};

}  // namespace

std::unique_ptr<MatrixShaperConversion> MatrixShaperConversion::between(void* photo_profile,
                                                                        void* display_profile)
{
    if (photo_profile == nullptr || display_profile == nullptr) return nullptr;
    // lcms2 takes a profile's table over its curves and matrix when it has both, the
    // first intent's table when the intent asked for has none.
    if (has_any_tag(photo_profile, {cmsSigAToB0Tag, cmsSigAToB1Tag, cmsSigAToB2Tag, cmsSigDToB0Tag,
                                    cmsSigDToB1Tag, cmsSigDToB2Tag}) ||
        has_any_tag(display_profile, {cmsSigBToA0Tag, cmsSigBToA1Tag, cmsSigBToA2Tag, cmsSigBToD0Tag,
                                      cmsSigBToD1Tag, cmsSigBToD2Tag}))
        return nullptr;
    for (cmsHPROFILE profile : {photo_profile, display_profile})
        if (cmsGetColorSpace(profile) != cmsSigRgbData || !cmsIsMatrixShaper(profile)) return nullptr;
    Matrix photo{}, display{}, display_inverse{};
    std::array<double, 3> scale{}, offset{};
    if (!colorant_matrix(photo_profile, photo) || !colorant_matrix(display_profile, display) ||
        !inverted(display, display_inverse) ||
        !black_point_compensation(photo_profile, display_profile, scale, offset))
        return nullptr;

    // display linear RGB = display^-1 (scale (photo linear RGB -> XYZ) + offset)
    Matrix conversion_matrix{};
    std::array<double, 3> conversion_offset{};
    for (int row = 0; row < 3; ++row) {
        for (int k = 0; k < 3; ++k) conversion_offset[row] += display_inverse[row][k] * offset[k];
        for (int column = 0; column < 3; ++column)
            for (int k = 0; k < 3; ++k)
                conversion_matrix[row][column] += display_inverse[row][k] * scale[k] * photo[k][column];
    }
    std::unique_ptr<MatrixShaperConversion> conversion(new MatrixShaperConversion);
    if (!fixed_point_matrix(conversion_matrix, conversion_offset, conversion->tables_)) return nullptr;
    for (int c = 0; c < 3; ++c) {
        const auto* decoding = static_cast<const cmsToneCurve*>(cmsReadTag(photo_profile, kToneCurves[c]));
        const auto* display_curve =
            static_cast<const cmsToneCurve*>(cmsReadTag(display_profile, kToneCurves[c]));
        if (decoding == nullptr || display_curve == nullptr) return nullptr;
        const std::unique_ptr<cmsToneCurve, CurveFree> encoding(cmsReverseToneCurve(display_curve));
        if (!encoding) return nullptr;
        for (int level = 0; level < 256; ++level) {
            const float linear = cmsEvalToneCurveFloat(decoding, static_cast<float>(level) / 255);
            if (!std::isfinite(linear)) return nullptr;
            const auto fixed = static_cast<std::int16_t>(
                std::min<long>(std::lround(std::clamp(linear, 0.0f, 1.0f) * kLinearOne), kLinearOne - 1));
            conversion->tables_.linear[c][level] = fixed;
            conversion->tables_.linear_low[c][level] = static_cast<std::uint8_t>(fixed & 0xFF);
            conversion->tables_.linear_high[c][level] = static_cast<std::uint8_t>(fixed >> 8);
        }
        std::vector<std::uint8_t>& encoded = conversion->tables_.encoded[c];
        constexpr int kSteps = MatrixShaperTables::kEncodedSteps;
        encoded.assign(kSteps + 1 + MatrixShaperTables::kPadding, 0);
        for (int step = 0; step <= kSteps; ++step) {
            const float value = cmsEvalToneCurveFloat(encoding.get(), static_cast<float>(step) / kSteps);
            encoded[step] = static_cast<std::uint8_t>(std::lround(std::clamp(value, 0.0f, 1.0f) * 255));
        }
    }
    MatrixShaperTables& tables = conversion->tables_;
    for (int c = 0; c < 3; ++c)
        for (int k = 0; k < 3; ++k)
            for (int level = 0; level < 256; ++level)
                tables.terms[c][k][level] = tables.matrix[c][k] * tables.linear[k][level];
    return conversion;
}

void MatrixShaperConversion::convert_row(std::uint32_t* row, int width, ColourConversionPath path) const
{
    switch (path) {
        case ColourConversionPath::vbmi:
            convert_row_vbmi(tables_, row, width);
            return;
        case ColourConversionPath::avx2:
            convert_row_avx2(tables_, row, width);
            return;
        case ColourConversionPath::plain:
            break;
    }
    convert_row_plain(tables_, row, width);
}
