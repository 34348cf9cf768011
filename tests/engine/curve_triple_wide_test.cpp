#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "engine/bitmap32.h"
#include "engine/curve_path.h"
#include "engine/curve_triple.h"

namespace {

// apply_curves handles long runs of pixels in wide blocks and the rest one by one;
// every pixel must still get exactly its own channel's table entry, for every level,
// whatever the length of the bitmap and also in place, on every path this CPU runs
// (the pair tables and the split across cores only serve photos of 128 K pixels and more).
TEST(ApplyCurvesWide, EveryLevelOfEveryChannelMatchesItsTableOverUnevenLengths)
{
    std::mt19937 random(2024);
    CurveTriple triple;
    for (int i = 0; i < 256; ++i) {
        triple.red_table[i] = static_cast<std::uint8_t>(random());
        triple.green_table[i] = static_cast<std::uint8_t>(random());
        triple.blue_table[i] = static_cast<std::uint8_t>(random());
    }
    const CurvePath chosen_at_start = curve_path();
    for (const auto& [width, height] :
         {std::pair{37, 29}, std::pair{16, 1}, std::pair{17, 3}, std::pair{15, 1}, std::pair{521, 520}}) {
        Bitmap32 source, destination;
        source.set_size(width, height);
        for (std::size_t k = 0; k < source.pixel_count(); ++k)
            // Word k carries level k % 256 in every channel at least once over 256 words, the rest random.
            source.pixels()[k] =
                k < 256 ? static_cast<std::uint32_t>(k) * 0x01010101u : static_cast<std::uint32_t>(random());
        std::vector<std::uint32_t> expected(source.pixel_count());
        for (std::size_t k = 0; k < expected.size(); ++k) {
            const std::uint32_t s = source.pixels()[k];
            expected[k] = 0xFF000000u | triple.red_table[s >> 16 & 0xFF] << 16 |
                          triple.green_table[s >> 8 & 0xFF] << 8 | triple.blue_table[s & 0xFF];
        }
        for (CurvePath path : {CurvePath::plain, CurvePath::pair_tables, CurvePath::vbmi}) {
            set_curve_path(path);
            const char* name = curve_path_name(curve_path());
            apply_curves(&destination, &source, triple);
            EXPECT_EQ(std::vector<std::uint32_t>(destination.pixels(),
                                                 destination.pixels() + destination.pixel_count()),
                      expected)
                << name << ", " << width << " x " << height;
            Bitmap32 in_place;
            in_place.assign(&source);
            apply_curves(&in_place, &in_place, triple);
            EXPECT_EQ(
                std::vector<std::uint32_t>(in_place.pixels(), in_place.pixels() + in_place.pixel_count()),
                expected)
                << "in place, " << name << ", " << width << " x " << height;
        }
    }
    set_curve_path(chosen_at_start);
}

// ctest runs this suite again with TINTELO_CURVE_PATH=plain: that run must really be plain.
TEST(CurvePathChoice, TheEnvironmentLowersThePathAndNeverRaisesIt)
{
    const char* requested = std::getenv("TINTELO_CURVE_PATH");
    if (requested != nullptr && std::string(requested) == "plain") {
        EXPECT_EQ(curve_path(), CurvePath::plain);
    } else if (requested == nullptr) {
        EXPECT_EQ(curve_path(), fastest_curve_path());
    }
    set_curve_path(CurvePath::vbmi);
    EXPECT_LE(static_cast<int>(curve_path()), static_cast<int>(fastest_curve_path()));
    set_curve_path(CurvePath::plain);
    EXPECT_EQ(curve_path(), CurvePath::plain);
}

}  // namespace
