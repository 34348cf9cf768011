#pragma once

#include <array>
#include <string>
#include <vector>

// The measured levels of the tone curves and what is known of their shape.
// Everything the generator writes is derived from this data and nothing else.

inline constexpr int level_count = 256;
using Curve = std::array<int, level_count>;

// The inputs at which every curve has an exact sample.
inline constexpr std::array<int, 17> sample_inputs = {0,   16,  32,  48,  64,  80,  96,  112, 128,
                                                      144, 160, 176, 192, 208, 224, 240, 255};

struct Knot {
    int input;
    int level;
};

enum class Side { lift, drop };

// "The largest lift (or drop) is `amount` levels and is first reached at an input in
// [first_from, first_to]". An amount of 0 leaves the amount to the fit. With `only`,
// the largest lift or drop is reached at that one input and nowhere else.
struct Extreme {
    Side side;
    int amount;
    int first_from;
    int first_to;
    bool only = false;
};

// On inputs [from, to], output minus input lies in [min_offset, max_offset].
struct OffsetRule {
    int from;
    int to;
    int min_offset;
    int max_offset;
};

struct CurveDefinition {
    std::string name;  // "triple.channel", for messages
    std::array<int, sample_inputs.size()> levels;
    std::vector<Knot> extra_samples;  // further exact samples where the curve bends hardest
    std::vector<OffsetRule> offsets;
    std::vector<Extreme> extremes;
};

// One named triple, each channel naming a curve definition (equal channels name the same one).
struct TripleDefinition {
    std::string name;
    std::string red;
    std::string green;
    std::string blue;
};

// The distinct curves, in the order they are fitted.
const std::vector<CurveDefinition>& curve_definitions();
// The 17 triples, in the order they are written.
const std::vector<TripleDefinition>& triple_definitions();

// All knots of a curve (samples and extra samples), sorted by input.
std::vector<Knot> knots_of(const CurveDefinition& curve);
