#include "engine/curve_strength.h"

#include <gtest/gtest.h>

#include <cstring>

#include "engine/database.h"

namespace {

// Red inverts, green lifts by 3 (clipped), blue halves: steps up, down, odd and even.
CurveTriple mixed_curves()
{
    CurveTriple t;
    for (int i = 0; i < 256; ++i) {
        t.red_table[i] = static_cast<std::uint8_t>(255 - i);
        t.green_table[i] = static_cast<std::uint8_t>(i + 3 > 255 ? 255 : i + 3);
        t.blue_table[i] = static_cast<std::uint8_t>(i / 2);
    }
    return t;
}

TEST(CurvesAtStrength, FollowTheFormulaRoundedToTheNearestLevel)
{
    struct Case {
        const char* what;
        int percent;
        int level;
        int red, green, blue;
    };
    // Worked by hand from x + p/100 (c(x) - x); halves round away from x.
    const Case cases[] = {
        {"half of a full inversion at 0 goes up", 50, 0, 128, 2, 0},
        {"half of a full inversion at 255 goes down", 50, 255, 127, 255, 191},
        {"half way at 100", 50, 100, 128, 102, 75},
        {"a tenth", 10, 100, 106, 100, 95},
        {"a tenth of a long step down", 10, 201, 186, 201, 191},
        {"nearly all", 99, 10, 243, 13, 5},
        {"one per cent", 1, 200, 199, 200, 199},
        {"above 100 counts as 100", 250, 40, 215, 43, 20},
        {"below 0 counts as 0", -5, 40, 40, 40, 40},
    };
    const CurveTriple curves = mixed_curves();
    for (const Case& c : cases) {
        const CurveTriple softened = curves_at_strength(curves, c.percent);
        EXPECT_EQ(softened.red_table[c.level], c.red) << c.what;
        EXPECT_EQ(softened.green_table[c.level], c.green) << c.what;
        EXPECT_EQ(softened.blue_table[c.level], c.blue) << c.what;
    }
}

TEST(CurvesAtStrength, FullStrengthKeepsEveryCurveAndNoneGivesTheIdentity)
{
    fill_curve_database();
    for (const CameraType type : {CameraType::MobilePhone, CameraType::DigitalCamera})
        for (int index = 1; index <= 11; ++index) {
            const CurveTriple* curves = curve_for_profile(type, index);
            if (curves == nullptr) continue;
            const CurveTriple full = curves_at_strength(*curves, kFullStrength);
            EXPECT_EQ(std::memcmp(&full, curves, sizeof full), 0) << "profile " << index;
            const CurveTriple none = curves_at_strength(*curves, 0);
            for (int level = 0; level < 256; ++level) {
                ASSERT_EQ(none.red_table[level], level) << "profile " << index;
                ASSERT_EQ(none.green_table[level], level) << "profile " << index;
                ASSERT_EQ(none.blue_table[level], level) << "profile " << index;
            }
            // Each softened level lies between the level and the curve's, so softening never overshoots.
            const CurveTriple half = curves_at_strength(*curves, 37);
            for (int level = 0; level < 256; ++level) {
                const int low = std::min<int>(level, curves->green_table[level]);
                const int high = std::max<int>(level, curves->green_table[level]);
                ASSERT_GE(half.green_table[level], low) << "profile " << index << " level " << level;
                ASSERT_LE(half.green_table[level], high) << "profile " << index << " level " << level;
            }
        }
}

}  // namespace
