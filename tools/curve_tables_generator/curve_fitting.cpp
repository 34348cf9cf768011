#include "tools/curve_tables_generator/curve_fitting.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <stdexcept>

namespace {

// Floor and ceiling of a / b for b > 0, whatever the sign of a.
std::int64_t floor_div(std::int64_t a, std::int64_t b)
{
    return a >= 0 ? a / b : -((-a + b - 1) / b);
}
std::int64_t ceil_div(std::int64_t a, std::int64_t b)
{
    return -floor_div(-a, b);
}

// Calls visit(input, x0, y0, x1, y1) for every input, with the knots on either side of it.
template <typename Visit>
void for_each_segment_point(const std::vector<Knot>& knots, Visit visit)
{
    for (std::size_t k = 0; k + 1 < knots.size(); ++k) {
        const Knot a = knots[k];
        const Knot b = knots[k + 1];
        const int last = k + 2 == knots.size() ? b.input : b.input - 1;
        for (int i = a.input; i <= last; ++i) visit(i, a, b);
    }
}

bool is_knot(const std::vector<Knot>& knots, int input)
{
    return std::any_of(knots.begin(), knots.end(), [input](const Knot& k) { return k.input == input; });
}

}  // namespace

Curve rounded_interpolation(const std::vector<Knot>& knots)
{
    Curve curve{};
    for_each_segment_point(knots, [&](int i, Knot a, Knot b) {
        const std::int64_t width = b.input - a.input;
        const std::int64_t twice = 2 * (a.level * width + (b.level - a.level) * (i - a.input)) + width;
        curve[i] = static_cast<int>(floor_div(twice, 2 * width));
    });
    return curve;
}

Band allowance(const std::vector<Knot>& knots)
{
    const Curve rounded = rounded_interpolation(knots);
    Band band;
    for_each_segment_point(knots, [&](int i, Knot a, Knot b) {
        const std::int64_t width = b.input - a.input;
        const std::int64_t line = a.level * width + (b.level - a.level) * (i - a.input);  // level x width
        // |level - line / width| <= 2.4, in fifths to stay exact.
        const auto low = static_cast<int>(ceil_div(5 * line - 12 * width, 5 * width));
        const auto high = static_cast<int>(floor_div(5 * line + 12 * width, 5 * width));
        band.low[i] = std::max({low, rounded[i] - 2, 0});
        band.high[i] = std::min({high, rounded[i] + 2, level_count - 1});
        if (is_knot(knots, i)) band.low[i] = band.high[i] = rounded[i];
    });
    return band;
}

Target smooth_target(const std::vector<Knot>& knots, int bend)
{
    const std::size_t n = knots.size();
    std::vector<double> h(n - 1), delta(n - 1), slope(n);
    for (std::size_t k = 0; k + 1 < n; ++k) {
        h[k] = knots[k + 1].input - knots[k].input;
        delta[k] = (knots[k + 1].level - knots[k].level) / h[k];
    }
    for (std::size_t k = 1; k + 1 < n; ++k) {
        if (delta[k - 1] <= 0 || delta[k] <= 0) {
            slope[k] = 0;
        } else {
            const double w1 = 2 * h[k] + h[k - 1];
            const double w2 = h[k] + 2 * h[k - 1];
            slope[k] = (w1 + w2) / (w1 / delta[k - 1] + w2 / delta[k]);
        }
    }
    // One-sided three-point slopes at the ends, kept from overshooting.
    const auto end_slope = [](double h0, double h1, double d0, double d1) {
        double s = ((2 * h0 + h1) * d0 - h0 * d1) / (h0 + h1);
        if (s * d0 <= 0) return 0.0;
        if (d0 * d1 <= 0 && std::abs(s) > std::abs(3 * d0)) return 3 * d0;
        return s;
    };
    slope[0] = end_slope(h[0], h[1], delta[0], delta[1]);
    slope[n - 1] = end_slope(h[n - 2], h[n - 3], delta[n - 2], delta[n - 3]);

    Target target{};
    for_each_segment_point(knots, [&](int i, Knot a, Knot b) {
        const std::size_t k = static_cast<std::size_t>(
            std::find_if(knots.begin(), knots.end(), [&](const Knot& q) { return q.input == a.input; }) -
            knots.begin());
        const double width = b.input - a.input;
        const double t = (i - a.input) / width;
        const double t2 = t * t;
        const double t3 = t2 * t;
        const double cubic = (2 * t3 - 3 * t2 + 1) * a.level + (t3 - 2 * t2 + t) * width * slope[k] +
                             (-2 * t3 + 3 * t2) * b.level + (t3 - t2) * width * slope[k + 1];
        const double line = a.level + (b.level - a.level) * t;
        target[i] = std::llround((line + (cubic - line) * bend / 16.0) * target_scale);
    });
    return target;
}

void restrict_offsets(Band& band, const std::vector<OffsetRule>& rules)
{
    for (const OffsetRule& rule : rules) {
        for (int i = rule.from; i <= rule.to; ++i) {
            band.low[i] = std::max(band.low[i], i + rule.min_offset);
            band.high[i] = std::min(band.high[i], i + rule.max_offset);
        }
    }
}

void restrict_extreme(Band& band, Side side, int amount, int first, bool only)
{
    for (int i = 0; i < level_count; ++i) {
        // Before the first input strictly inside, at it exactly, after it at most as far (or inside, if
        // `only`).
        const int reach = i < first || (only && i > first) ? amount - 1 : amount;
        if (side == Side::lift) {
            band.high[i] = std::min(band.high[i], i + reach);
            if (i == first) band.low[i] = std::max(band.low[i], i + amount);
        } else {
            band.low[i] = std::max(band.low[i], i - reach);
            if (i == first) band.high[i] = std::min(band.high[i], i - amount);
        }
    }
}

std::optional<Curve> closest_curve(const Band& band, const Target& target)
{
    constexpr std::int64_t infinite = std::numeric_limits<std::int64_t>::max() / 4;
    // best[i][v - low[i]]: cheapest non-decreasing start up to input i whose level at i is at most v.
    // Bands are a few levels wide, so only levels inside them are tracked.
    std::vector<std::vector<std::int64_t>> best(level_count);
    for (int i = 0; i < level_count; ++i) {
        if (band.low[i] > band.high[i]) return std::nullopt;
        std::int64_t running = infinite;
        for (int v = band.low[i]; v <= band.high[i]; ++v) {
            std::int64_t before = 0;
            if (i > 0) {
                const int top = std::min(v, band.high[i - 1]);
                before = top < band.low[i - 1] ? infinite : best[i - 1][top - band.low[i - 1]];
            }
            std::int64_t cost = infinite;
            if (before < infinite) {
                const std::int64_t d = v * target_scale - target[i];
                cost = before + d * d;
            }
            running = std::min(running, cost);
            best[i].push_back(running);
        }
    }
    if (best[level_count - 1].back() >= infinite) return std::nullopt;

    // Walk back: at each input take the lowest level that reaches the optimum.
    Curve curve{};
    int ceiling = band.high[level_count - 1];
    for (int i = level_count - 1; i >= 0; --i) {
        const int top = std::min(ceiling, band.high[i]);
        const std::int64_t goal = best[i][top - band.low[i]];
        int v = band.low[i];
        while (best[i][v - band.low[i]] != goal) ++v;
        curve[i] = v;
        ceiling = v;
    }
    return curve;
}

std::int64_t distance(const Curve& curve, const Target& target)
{
    std::int64_t sum = 0;
    for (int i = 0; i < level_count; ++i) {
        const std::int64_t d = curve[i] * target_scale - target[i];
        sum += d * d;
    }
    return sum;
}

ExtremeFound largest(const Curve& curve, Side side)
{
    ExtremeFound found{0, 0, 0};
    for (int i = 0; i < level_count; ++i) {
        const int amount = side == Side::lift ? curve[i] - i : i - curve[i];
        if (amount > found.amount) {
            found = {amount, i, 1};
        } else if (amount == found.amount && amount > 0) {
            ++found.count;
        }
    }
    return found;
}

Band shape_band(const CurveDefinition& definition)
{
    Band band = allowance(knots_of(definition));
    restrict_offsets(band, definition.offsets);
    return band;
}

Curve fit_curve(const CurveDefinition& definition, int bend, Band* resolved_band)
{
    const std::vector<Knot> knots = knots_of(definition);
    const Target target = smooth_target(knots, bend);
    Band band = shape_band(definition);

    std::vector<const Extreme*> open;
    for (const Extreme& e : definition.extremes) {
        if (e.amount > 0 && e.first_from == e.first_to) {
            restrict_extreme(band, e.side, e.amount, e.first_from, e.only);
        } else {
            open.push_back(&e);
        }
    }
    if (open.size() > 1) throw std::runtime_error(definition.name + ": only one open extreme is supported");

    const auto satisfies = [&](const Curve& c) {
        if (open.empty()) return true;
        const ExtremeFound f = largest(c, open[0]->side);
        return f.amount > 0 && f.first >= open[0]->first_from && f.first <= open[0]->first_to &&
               (open[0]->amount == 0 || f.amount == open[0]->amount) && (!open[0]->only || f.count == 1);
    };

    std::optional<Curve> fitted = closest_curve(band, target);
    if (!fitted) throw std::runtime_error(definition.name + ": no curve keeps the shape");
    if (satisfies(*fitted)) {
        if (resolved_band) *resolved_band = band;
        return *fitted;
    }

    // The plain fit puts the extreme elsewhere: try every amount and first input, keep the cheapest.
    const Extreme& e = *open[0];
    const ExtremeFound plain = largest(*fitted, e.side);
    const int amount_from = e.amount > 0 ? e.amount : std::max(1, plain.amount - 3);
    const int amount_to = e.amount > 0 ? e.amount : plain.amount + 3;
    std::optional<Curve> best;
    Band best_band;
    std::int64_t best_distance = 0;
    for (int amount = amount_from; amount <= amount_to; ++amount) {
        for (int first = e.first_from; first <= e.first_to; ++first) {
            Band trial = band;
            restrict_extreme(trial, e.side, amount, first, e.only);
            const std::optional<Curve> c = closest_curve(trial, target);
            if (!c) continue;
            const std::int64_t d = distance(*c, target);
            if (!best || d < best_distance) {
                best = c;
                best_band = trial;
                best_distance = d;
            }
        }
    }
    if (!best) throw std::runtime_error(definition.name + ": no curve places its largest change as required");
    if (resolved_band) *resolved_band = best_band;
    return *best;
}

bool keeps_shape(const CurveDefinition& definition, const Curve& curve)
{
    for (const OffsetRule& rule : definition.offsets)
        for (int i = rule.from; i <= rule.to; ++i)
            if (curve[i] - i < rule.min_offset || curve[i] - i > rule.max_offset) return false;
    for (const Extreme& e : definition.extremes) {
        const ExtremeFound found = largest(curve, e.side);
        if (found.amount == 0 || (e.amount > 0 && found.amount != e.amount)) return false;
        if (found.first < e.first_from || found.first > e.first_to) return false;
        if (e.only && found.count != 1) return false;
    }
    return true;
}

bool is_non_decreasing(const Curve& curve)
{
    return std::is_sorted(curve.begin(), curve.end());
}

bool has_flat_step(const Curve& curve)
{
    return std::adjacent_find(curve.begin(), curve.end()) != curve.end();
}

bool is_identity(const Curve& curve)
{
    for (int i = 0; i < level_count; ++i)
        if (curve[i] != i) return false;
    return true;
}
