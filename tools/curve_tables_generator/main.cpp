// Writes the built-in levels of the tone-curve database (engine/curve_tables.cpp).
//
// Only some levels of the tone curves are known exactly (the samples in curve_samples.cpp),
// together with statements about their shape. This program fits every curve between its samples
// to a smooth curve inside a narrow band around the straight lines joining them (within 2.4 levels
// of the lines, so within 2 of their rounded levels), keeping the shape statements; bends the
// smooth curves until about three entries in four equal the rounded lines, as in the measured curves;
// and searches the lighter and darker steps for levels that repeat and undo each other the way the
// measured steps do. It checks the result and refuses to write tables that break a whole-curve
// property (samples, allowance, order, flat steps, black and white, equal and unequal curves).
//
// Usage: curve_tables_generator OUTPUT_FILE   (prints a summary of the figures met to stdout)

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "tools/curve_tables_generator/curve_fitting.h"
#include "tools/curve_tables_generator/curve_samples.h"
#include "tools/curve_tables_generator/step_search.h"

namespace {

struct FittedCurve {
    const CurveDefinition* definition;
    Curve levels;
    Band band;  // allowance narrowed by the shape rules and the resolved extremes
};

template <typename Curves>
auto& find(Curves& fitted, const std::string& name)
{
    for (auto& f : fitted)
        if (f.definition->name == name) return f;
    throw std::runtime_error("no curve named " + name);
}

std::vector<FittedCurve> fit_all(int bend)
{
    std::vector<FittedCurve> fitted;
    for (const CurveDefinition& definition : curve_definitions()) {
        FittedCurve f{&definition, {}, {}};
        f.levels = fit_curve(definition, bend, &f.band);
        fitted.push_back(f);
    }
    return fitted;
}

// Share of all 51 written curves (equal channels counted each time) that equal the rounded interpolation.
double exact_share(const std::vector<FittedCurve>& fitted, int* exact_out = nullptr,
                   int* entries_out = nullptr)
{
    int exact = 0;
    int entries = 0;
    for (const TripleDefinition& triple : triple_definitions()) {
        for (const std::string* channel : {&triple.red, &triple.green, &triple.blue}) {
            const FittedCurve& f = find(fitted, *channel);
            const Curve rounded = rounded_interpolation(knots_of(*f.definition));
            for (int i = 0; i < level_count; ++i) exact += f.levels[i] == rounded[i];
            entries += level_count;
        }
    }
    if (exact_out) *exact_out = exact;
    if (entries_out) *entries_out = entries;
    return static_cast<double>(exact) / entries;
}

std::vector<FittedCurve> generate(int bend)
{
    std::vector<FittedCurve> fitted = fit_all(bend);
    FittedCurve& lighter = find(fitted, "lighter_curve.all");
    FittedCurve& darker = find(fitted, "darker_curve.all");
    search_steps(lighter.levels, lighter.band, smooth_target(knots_of(*lighter.definition), bend),
                 darker.levels, darker.band, smooth_target(knots_of(*darker.definition), bend));
    return fitted;
}

bool steps_met(const std::vector<FittedCurve>& fitted)
{
    return step_misses(measure_steps(find(fitted, "lighter_curve.all").levels,
                                     find(fitted, "darker_curve.all").levels)) == 0;
}

// The measured curves bend away from the straight lines between their samples more than the
// smoothest monotone curve does: about one entry in four differs from the rounded interpolation.
// The share of exact entries falls as the bend (in sixteenths of the smooth curve's) grows, so
// halve the range of bends down to the one closest to three in four. The step search moves only a
// few levels, so it runs once, at that bend, or at the nearest bend where it meets its figures.
std::vector<FittedCurve> generate_closest_to_share(int* chosen_bend)
{
    constexpr double share = 0.75;
    int low = 16;   // the smooth curve itself: nearly every entry exact
    int high = 80;  // far more bent than any measured curve: well under three in four
    while (high - low > 1) {
        const int middle = (low + high) / 2;
        (exact_share(fit_all(middle)) >= share ? low : high) = middle;
    }
    const int closest =
        std::abs(exact_share(fit_all(low)) - share) <= std::abs(exact_share(fit_all(high)) - share) ? low
                                                                                                    : high;
    for (int distance = 0; distance <= 8; ++distance) {
        for (int bend : {closest - distance, closest + distance}) {
            std::vector<FittedCurve> fitted = generate(bend);
            if (steps_met(fitted)) {
                *chosen_bend = bend;
                return fitted;
            }
        }
    }
    throw std::runtime_error("no bend near three exact entries in four lets the steps meet their figures");
}

void require(bool condition, const std::string& what)
{
    if (!condition) throw std::runtime_error("generated curves break a rule: " + what);
}

// The whole-curve properties every table must keep; a failure here is a fault of the generator.
void check_whole_curves(const std::vector<FittedCurve>& fitted)
{
    for (const FittedCurve& f : fitted) {
        const std::string& name = f.definition->name;
        const std::vector<Knot> knots = knots_of(*f.definition);
        for (const Knot& k : knots) require(f.levels[k.input] == k.level, name + " keeps its samples");
        const Band band = allowance(knots);
        for (int i = 0; i < level_count; ++i)
            require(f.levels[i] >= band.low[i] && f.levels[i] <= band.high[i],
                    name + " stays in its allowance");
        require(is_non_decreasing(f.levels), name + " is non-decreasing");
        require(has_flat_step(f.levels), name + " has a flat step");
        require(!is_identity(f.levels), name + " is not the identity");
        require(f.levels[0] == 0 && f.levels[255] == 255, name + " keeps black and white");
    }
    for (std::size_t a = 0; a < fitted.size(); ++a)
        for (std::size_t b = a + 1; b < fitted.size(); ++b)
            require(fitted[a].levels != fitted[b].levels,
                    fitted[a].definition->name + " differs from " + fitted[b].definition->name);
}

const char* verdict(bool met)
{
    return met ? "met" : "NOT MET";
}

void print_summary(const std::vector<FittedCurve>& fitted, int bend)
{
    int exact = 0;
    int entries = 0;
    const double share = exact_share(fitted, &exact, &entries);
    std::printf("bend %d/16; exact against rounded interpolation: %d of %d entries (%.3f)\n", bend, exact,
                entries, share);

    for (const FittedCurve& f : fitted) {
        const ExtremeFound lift = largest(f.levels, Side::lift);
        const ExtremeFound drop = largest(f.levels, Side::drop);
        const Curve rounded = rounded_interpolation(knots_of(*f.definition));
        int same = 0;
        for (int i = 0; i < level_count; ++i) same += f.levels[i] == rounded[i];
        std::printf("%-22s exact %3d; largest lift %3d first at %3d, drop %2d first at %3d; shape %s\n",
                    f.definition->name.c_str(), same, lift.amount, lift.first, drop.amount, drop.first,
                    verdict(keeps_shape(*f.definition, f.levels)));
    }

    const StepFigures s =
        measure_steps(find(fitted, "lighter_curve.all").levels, find(fitted, "darker_curve.all").levels);
    std::printf("six lighter steps: 16 -> %d, 128 -> %d; six darker steps: 128 -> %d, 224 -> %d\n",
                s.six_lighter_from_16, s.six_lighter_from_128, s.six_darker_from_128, s.six_darker_from_224);
    std::printf("lighter then darker: %d levels changed, by %d..%+d\n", s.lighter_then_darker.changed,
                s.lighter_then_darker.lowest, s.lighter_then_darker.highest);
    std::printf("darker then lighter: %d levels changed, by %d..%+d\n", s.darker_then_lighter.changed,
                s.darker_then_lighter.lowest, s.darker_then_lighter.highest);
    std::printf("step figures: %s\n", verdict(step_misses(s) == 0));
}

void write_row(std::ostream& out, const char* channel, const Curve& levels)
{
    out << "    // " << channel << "\n    {";
    for (int i = 0; i < level_count; ++i) out << (i == 0 ? "" : ", ") << levels[i];
    out << "},\n";
}

std::string render(const std::vector<FittedCurve>& fitted)
{
    std::ostringstream out;
    out << "// GENERATED FILE: written by tools/curve_tables_generator. Do not edit by hand;\n"
           "// change the generator and rebuild the target regenerate_curve_tables instead.\n"
           "//\n"
           "// The built-in levels of the 17 tone-curve triples: one row of 256 output levels per\n"
           "// channel, entry i being the output for input level i. Equal channels are written out\n"
           "// in full so that every level can be read here.\n"
           "// clang-format off\n\n"
           "#include \"engine/curve_tables.h\"\n\n"
           "namespace built_in_levels {\n";
    for (const TripleDefinition& triple : triple_definitions()) {
        out << "\nconst CurveTriple " << triple.name << " = {\n";
        write_row(out, "red", find(fitted, triple.red).levels);
        write_row(out, "green", find(fitted, triple.green).levels);
        write_row(out, "blue", find(fitted, triple.blue).levels);
        out << "};\n";
    }
    out << "\n}  // namespace built_in_levels\n";
    return out.str();
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::cerr << "usage: curve_tables_generator OUTPUT_FILE\n";
        return 2;
    }
    try {
        int bend = 0;
        const std::vector<FittedCurve> fitted = generate_closest_to_share(&bend);
        check_whole_curves(fitted);
        print_summary(fitted, bend);
        std::ofstream file(argv[1], std::ios::binary | std::ios::trunc);
        file << render(fitted);
        file.close();
        if (!file) throw std::runtime_error(std::string("cannot write ") + argv[1]);
    } catch (const std::exception& e) {
        std::cerr << "curve_tables_generator: " << e.what() << "\n";
        return 1;
    }
    return 0;
}
