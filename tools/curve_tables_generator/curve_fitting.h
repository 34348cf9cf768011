#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

#include "tools/curve_tables_generator/curve_samples.h"

// Levels a curve may take at each input, both ends included.
struct Band {
    Curve low{};
    Curve high{};
};

// A real-valued curve in 1/target_scale levels, so that every comparison stays in integers.
inline constexpr std::int64_t target_scale = 64;
using Target = std::array<std::int64_t, level_count>;

// Linear interpolation between neighbouring knots, rounded to the nearest level (halves up).
Curve rounded_interpolation(const std::vector<Knot>& knots);

// Knots exact; elsewhere within 2.4 levels of the straight line between the neighbouring knots
// (which also keeps every level within 2 of the rounded interpolation).
Band allowance(const std::vector<Knot>& knots);

// A smooth curve through the knots: the straight lines between them, bent by `bend` / 16 times
// the bend of the piecewise cubic with Fritsch-Carlson slopes (the smoothest monotone choice).
Target smooth_target(const std::vector<Knot>& knots, int bend);

// Narrows `band` so that output minus input at every input obeys `rules`.
void restrict_offsets(Band& band, const std::vector<OffsetRule>& rules);

// Narrows `band` to curves whose largest lift or drop is exactly `amount`, first reached at `first`
// (and nowhere else when `only`).
void restrict_extreme(Band& band, Side side, int amount, int first, bool only);

// The non-decreasing curve inside `band` that is closest to `target` in least squares,
// or nothing when the band admits no non-decreasing curve. Ties go to the lower level.
std::optional<Curve> closest_curve(const Band& band, const Target& target);

// Squared distance of a curve from its target, in target units.
std::int64_t distance(const Curve& curve, const Target& target);

struct ExtremeFound {
    int amount;  // largest lift (or drop) in levels, 0 when there is none
    int first;   // input where it is first reached
    int count;   // how many inputs reach it
};
ExtremeFound largest(const Curve& curve, Side side);

// The band a definition allows before any extreme is resolved: allowance and offset rules.
Band shape_band(const CurveDefinition& definition);

// Fits a definition: the closest curve to its smooth target that keeps every shape rule.
// Extremes with a free amount or a range of first inputs are resolved to the cheapest choice.
// Throws std::runtime_error when no curve fits.
Curve fit_curve(const CurveDefinition& definition, int bend, Band* resolved_band = nullptr);

// Whether a curve keeps every offset rule and extreme of its definition.
bool keeps_shape(const CurveDefinition& definition, const Curve& curve);

bool is_non_decreasing(const Curve& curve);
bool has_flat_step(const Curve& curve);
bool is_identity(const Curve& curve);
