#include "engine/profile_rules.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <ostream>
#include <string>

namespace {

// Values the caller leaves in the fields; no rule assigns either.
constexpr std::int32_t untouched_phone = 99;
constexpr std::int32_t untouched_camera = 98;

constexpr double nan_value = std::numeric_limits<double>::quiet_NaN();

struct RuleCase {
    const char* name;
    ProfileStatistics statistics;  // R, G, B, I, K, KB
    std::int32_t phone;
    std::int32_t camera;
};

void PrintTo(const RuleCase& c, std::ostream* os)
{
    *os << c.name;
}

class DecideProfilesTest : public ::testing::TestWithParam<RuleCase> {};

TEST_P(DecideProfilesTest, ChoosesTheProfilesOfTheFirstRuleThatHolds)
{
    const RuleCase& c = GetParam();
    std::int32_t phone = untouched_phone;
    std::int32_t camera = untouched_camera;
    decide_profiles(c.statistics, phone, camera);
    EXPECT_EQ(phone, c.phone);
    EXPECT_EQ(camera, c.camera);
}

constexpr double nearest_minus_0_8 = -0.8;
constexpr double nearest_0_3 = 0.3;
const double just_above_minus_0_8 = std::nextafter(-0.8, 0.0);
const double just_above_0_3 = std::nextafter(0.3, 1.0);
const double just_below_ten = std::nextafter(10.0, 0.0);

// Every branch of the rules at least once. "bright" is every channel's mean above 90,
// "bright_flat" an intensity mean above 110 with K below -0.8; "flat" and "peaked" say on
// which side of its threshold K lies; "greener", "redder" and "level" compare the red and
// green means of a dimmer photo.
INSTANTIATE_TEST_SUITE_P(
    EveryBranch, DecideProfilesTest,
    ::testing::Values(
        RuleCase{"bright_red_strongest", {150, 120, 100, 123, 0, 0}, 8, 8},
        RuleCase{"bright_red_strongest_even_when_flat", {200, 150, 140, 163, -2, -2}, 8, 8},
        RuleCase{"bright_flat_green_cast", {120, 160, 100, 126, -1, -1}, 2, 2},
        RuleCase{"bright_flat_short_of_blue", {200, 100, 50, 116, -3, -3}, 5, 5},
        RuleCase{"bright_flat_blues_in_a_peak", {120, 120, 100, 113, -1, 0.5}, 5, 5},
        RuleCase{"bright_flat_otherwise", {120, 120, 100, 113, -1, -1}, 4, 4},
        RuleCase{"bright_blue_strongest", {100, 100, 120, 106, 0, 0}, 4, 4},
        RuleCase{"bright_short_of_blue", {180, 200, 95, 158, 0, 0}, 5, 4},
        RuleCase{"bright_flat_intensity", {100, 110, 100, 103, -0.5, 0}, 4, 4},
        RuleCase{"bright_otherwise", {100, 110, 100, 103, 0, 0}, 4, 5},
        RuleCase{"greener_yellow_green_peaked", {100, 120, 60, 93, 1.5, 0}, 7, 7},
        RuleCase{"greener_yellow_green_flat", {100, 120, 60, 93, -0.5, 0}, 2, 2},
        RuleCase{"greener_blue_strongest_peaked", {50, 60, 80, 63, 0, 0}, 4, 4},
        RuleCase{"greener_blue_strongest_flat", {50, 60, 80, 63, -0.6, 0}, 5, 5},
        RuleCase{"greener_blue_strongest_at_minus_half_is_flat", {50, 60, 80, 63, -0.5, 0}, 5, 5},
        RuleCase{"greener_green_not_sharply_peaked", {100, 120, 60, 93, 0.1, 0}, 13, 2},
        RuleCase{"greener_green_red_below_blue", {50, 80, 60, 63, 0.5, 0}, 13, 2},
        RuleCase{"greener_otherwise", {100, 120, 60, 93, 0.5, 0}, 1, 1},
        RuleCase{"greener_green_level_with_blue", {50, 70, 70, 63, 0, 0}, 1, 1},
        RuleCase{"redder_far_short_of_blue", {120, 100, 30, 83, 0, 0}, 5, 5},
        RuleCase{"redder_slightly_flat", {120, 100, 80, 100, -0.5, 0}, 13, 5},
        RuleCase{"redder_flat", {120, 100, 80, 100, -1.0, 0}, 5, 5},
        RuleCase{"redder_peaked", {120, 100, 80, 100, 0, 0}, 5, 5},
        RuleCase{"level_bluer_peaked", {80, 80, 100, 86, 0, 0}, 4, 4},
        RuleCase{"level_bluer_flat", {80, 80, 100, 86, -0.6, 0}, 5, 5},
        RuleCase{"level_bluer_at_minus_half_is_flat", {80, 80, 100, 86, -0.5, 0}, 5, 5},
        RuleCase{
            "level_not_bluer_keeps_caller_values", {80, 80, 60, 73, 0, 0}, untouched_phone, untouched_camera},
        RuleCase{"no_pixels_keeps_caller_values",
                 {nan_value, nan_value, nan_value, nan_value, -3, -3},
                 untouched_phone,
                 untouched_camera},
        // The fractional thresholds are extended constants: the double nearest
        // each one lies on the "below" side, the next double up does not.
        RuleCase{"double_nearest_minus_0_8_is_below", {150, 150, 100, 133, nearest_minus_0_8, 0}, 5, 5},
        RuleCase{"next_double_above_minus_0_8", {150, 150, 100, 133, just_above_minus_0_8, 0}, 4, 4},
        RuleCase{"double_nearest_0_3_is_below", {100, 120, 60, 93, nearest_0_3, 0}, 13, 2},
        RuleCase{"next_double_above_0_3", {100, 120, 60, 93, just_above_0_3, 0}, 1, 1},
        RuleCase{"double_nearest_minus_0_2_is_below", {100, 120, 60, 93, -0.2, 0}, 2, 2},
        RuleCase{"next_double_above_minus_0_2", {100, 120, 60, 93, std::nextafter(-0.2, 0.0), 0}, 13, 2},
        RuleCase{"double_nearest_minus_0_1_is_at_most", {100, 110, 100, 103, -0.1, 0}, 4, 4},
        RuleCase{"next_double_above_minus_0_1", {100, 110, 100, 103, std::nextafter(-0.1, 0.0), 0}, 4, 5},
        RuleCase{"double_nearest_minus_0_9_is_not_at_least", {120, 100, 80, 100, -0.9, 0}, 5, 5},
        RuleCase{"next_double_above_minus_0_9", {120, 100, 80, 100, std::nextafter(-0.9, 0.0), 0}, 13, 5},
        // I - B is exact: 60 minus the double below 10 exceeds 50 by less than
        // half a double step at 50, which a double subtraction would lose.
        RuleCase{"intensity_minus_blue_in_extended", {120, 100, just_below_ten, 60, -0.5, 0}, 5, 5},
        RuleCase{"intensity_minus_blue_exactly_50", {120, 100, 10, 60, -0.5, 0}, 13, 5}),
    [](const ::testing::TestParamInfo<RuleCase>& info) { return std::string(info.param.name); });

}  // namespace
