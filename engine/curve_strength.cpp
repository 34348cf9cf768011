#include "engine/curve_strength.h"

#include <algorithm>

namespace {

std::uint8_t level_at_strength(int level, int corrected, int percent)
{
    const int scaled = (corrected - level) * percent;
    // Halves go away from the input level in both directions, so a curve and its mirror image
    // are softened alike.
    const int step = scaled >= 0 ? (scaled + kFullStrength / 2) / kFullStrength
                                 : -((-scaled + kFullStrength / 2) / kFullStrength);
    return static_cast<std::uint8_t>(level + step);
}

}  // namespace

CurveTriple curves_at_strength(const CurveTriple& curves, int percent)
{
    percent = std::clamp(percent, 0, kFullStrength);
    CurveTriple softened;
    for (int i = 0; i < 256; ++i) {
        softened.red_table[i] = level_at_strength(i, curves.red_table[i], percent);
        softened.green_table[i] = level_at_strength(i, curves.green_table[i], percent);
        softened.blue_table[i] = level_at_strength(i, curves.blue_table[i], percent);
    }
    return softened;
}
