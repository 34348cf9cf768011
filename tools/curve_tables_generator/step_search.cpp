#include "tools/curve_tables_generator/step_search.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace {

int repeat(const Curve& curve, int level, int times)
{
    for (int k = 0; k < times; ++k) level = curve[level];
    return level;
}

RoundTrip round_trip(const Curve& first, const Curve& second)
{
    RoundTrip trip{0, 0, 0};
    for (int i = 0; i < level_count; ++i) {
        const int change = second[first[i]] - i;
        if (change != 0) ++trip.changed;
        trip.lowest = std::min(trip.lowest, change);
        trip.highest = std::max(trip.highest, change);
    }
    return trip;
}

// Distance of a round trip from "changes `changed` levels, by lowest..highest exactly".
int round_trip_misses(const Curve& first, const Curve& second, int changed, int lowest, int highest)
{
    int misses = 0;
    int count = 0;
    int low = 0;
    int high = 0;
    for (int i = 0; i < level_count; ++i) {
        const int change = second[first[i]] - i;
        if (change != 0) ++count;
        misses += std::max(0, lowest - change) + std::max(0, change - highest);
        low = std::min(low, change);
        high = std::max(high, change);
    }
    return misses + std::abs(count - changed) + (low != lowest) + (high != highest);
}

// Deterministic on every platform, unlike the standard distributions.
struct SplitMix64 {
    std::uint64_t state;
    std::uint64_t next()
    {
        std::uint64_t z = (state += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    int below(int n) { return static_cast<int>(next() % static_cast<std::uint64_t>(n)); }
    double unit() { return static_cast<double>(next() >> 11) * 0x1.0p-53; }
};

// One figure missed outweighs any distance from the targets.
constexpr std::int64_t miss_weight = std::int64_t{1} << 32;
// A kink of one level counts as much as a level away from the target.
constexpr std::int64_t roughness_weight = 1;
// Annealing: a missed figure weighs as much as this many levels of departure, and the temperature
// (in levels of departure) cools from start to end over the rounds.
constexpr double annealing_miss_cost = 50;
constexpr double start_temperature = 5;
constexpr double end_temperature = 0.05;
constexpr int annealing_rounds = 300000;

struct Pair {
    Curve* curve;
    const Band* band;
    const Target* target;
};

}  // namespace

StepFigures measure_steps(const Curve& lighter, const Curve& darker)
{
    return {repeat(lighter, 16, 6), repeat(lighter, 128, 6),     repeat(darker, 128, 6),
            repeat(darker, 224, 6), round_trip(lighter, darker), round_trip(darker, lighter)};
}

int step_misses(const StepFigures& f)
{
    const auto trip = [](const RoundTrip& t, int lowest, int highest) {
        return std::abs(t.changed - 145) + std::abs(t.lowest - lowest) + std::abs(t.highest - highest);
    };
    return std::abs(f.six_lighter_from_16 - 33) + std::abs(f.six_lighter_from_128 - 188) +
           std::abs(f.six_darker_from_128 - 63) + std::abs(f.six_darker_from_224 - 188) +
           trip(f.lighter_then_darker, -2, 1) + trip(f.darker_then_lighter, -2, 0);
}

void search_steps(Curve& lighter, const Band& lighter_band, const Target& lighter_target, Curve& darker,
                  const Band& darker_band, const Target& darker_target)
{
    const Pair pairs[2] = {{&lighter, &lighter_band, &lighter_target},
                           {&darker, &darker_band, &darker_target}};

    // The search score counts every level outside a round trip's range, not only the extremes, so
    // that it can see progress; the figures themselves are checked with step_misses.
    const auto misses = [&] {
        return std::abs(repeat(lighter, 16, 6) - 33) + std::abs(repeat(lighter, 128, 6) - 188) +
               std::abs(repeat(darker, 128, 6) - 63) + std::abs(repeat(darker, 224, 6) - 188) +
               round_trip_misses(lighter, darker, 145, -2, 1) +
               round_trip_misses(darker, lighter, 145, -2, 0);
    };
    // How far the curves have left their smooth targets: distance plus the roughness of the levels
    // (squared second differences), so that the search does not buy figures with jagged steps.
    // Kept up to date move by move; the figures are cheap enough to recount.
    const auto roughness_at = [](const Curve& c, int i) -> std::int64_t {
        if (i < 1 || i + 1 >= level_count) return 0;
        const std::int64_t bend = (c[i + 1] - 2 * c[i] + c[i - 1]) * target_scale;
        return roughness_weight * bend * bend;
    };
    const auto departure = [&](const Pair& pair) {
        std::int64_t sum = distance(*pair.curve, *pair.target);
        for (int i = 1; i + 1 < level_count; ++i) sum += roughness_at(*pair.curve, i);
        return sum;
    };
    const auto local_departure = [&](const Pair& pair, int i) {
        const std::int64_t d = (*pair.curve)[i] * target_scale - (*pair.target)[i];
        return d * d + roughness_at(*pair.curve, i - 1) + roughness_at(*pair.curve, i) +
               roughness_at(*pair.curve, i + 1);
    };
    std::int64_t departures = departure(pairs[0]) + departure(pairs[1]);
    // Tries moving level i of a curve by `step`; returns the score it would have, or -1 when the
    // move leaves the band or breaks the order of levels. The move is left made.
    const auto try_move = [&](const Pair& pair, int i, int step, std::int64_t* change) -> std::int64_t {
        Curve& curve = *pair.curve;
        const int level = curve[i] + step;
        if (level < pair.band->low[i] || level > pair.band->high[i]) return -1;
        if (level < curve[i - 1] || level > curve[i + 1]) return -1;
        const std::int64_t before = local_departure(pair, i);
        curve[i] = level;
        *change = local_departure(pair, i) - before;
        return misses() * miss_weight + departures + *change;
    };

    SplitMix64 random{0x5EED0F1C7E5ull};
    std::int64_t current = misses() * miss_weight + departures;
    Curve best_lighter = lighter;
    Curve best_darker = darker;
    std::int64_t best = current;

    // Annealing over single-level moves on figures and departure together; the best pair found
    // (fewest misses first, then least departure) is kept.
    const std::int64_t level_cost = target_scale * target_scale;
    const auto annealing_score = [&](std::int64_t score) {
        return (score / miss_weight) * annealing_miss_cost * level_cost + score % miss_weight;
    };
    for (int round = 0; round < annealing_rounds; ++round) {
        const double cooled = static_cast<double>(round) / annealing_rounds;
        const double temperature = start_temperature * std::pow(end_temperature / start_temperature, cooled);
        const Pair& pair = pairs[random.below(2)];
        const int i = 1 + random.below(level_count - 2);
        const int step = random.below(2) == 0 ? -1 : 1;
        std::int64_t change = 0;
        const std::int64_t next = try_move(pair, i, step, &change);
        if (next < 0) continue;
        const double worse =
            static_cast<double>(annealing_score(next) - annealing_score(current)) / level_cost;
        if (worse <= 0 || random.unit() < std::exp(-worse / temperature)) {
            current = next;
            departures += change;
            if (current < best) {
                best = current;
                best_lighter = lighter;
                best_darker = darker;
            }
        } else {
            (*pair.curve)[i] -= step;
        }
    }
    lighter = best_lighter;
    darker = best_darker;

    // Then draw both curves back towards their targets wherever that costs no figure.
    departures = departure(pairs[0]) + departure(pairs[1]);
    current = misses() * miss_weight + departures;
    bool improved = true;
    while (improved) {
        improved = false;
        for (const Pair& pair : pairs) {
            for (int i = 1; i + 1 < level_count; ++i) {
                for (int step : {-1, 1}) {
                    std::int64_t change = 0;
                    const std::int64_t next = try_move(pair, i, step, &change);
                    if (next < 0) continue;
                    if (next < current) {
                        current = next;
                        departures += change;
                        improved = true;
                    } else {
                        (*pair.curve)[i] -= step;
                    }
                }
            }
        }
    }
}
