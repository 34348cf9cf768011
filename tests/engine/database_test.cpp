#include "engine/database.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

#include "engine/bitmap32.h"

namespace {

constexpr std::array<int, 17> sample_inputs = {0,   16,  32,  48,  64,  80,  96,  112, 128,
                                               144, 160, 176, 192, 208, 224, 240, 255};

// Exact output levels at the sample inputs; "all" rows hold for red, green and blue alike.
struct SampleRow {
    const char* triple;
    const char* channel;
    std::array<int, 17> levels;
};
// clang-format off
const SampleRow sample_rows[] = {
    {"camera_curve_1", "red", {0, 21, 41, 62, 82, 101, 119, 137, 153, 168, 183, 196, 209, 221, 233, 244, 255}},
    {"camera_curve_1", "green", {0, 20, 39, 58, 77, 96, 113, 131, 147, 163, 177, 191, 205, 218, 231, 243, 255}},
    {"camera_curve_1", "blue", {0, 18, 35, 53, 70, 87, 104, 121, 137, 153, 168, 183, 198, 213, 227, 242, 255}},
    {"camera_curve_2", "red", {0, 26, 51, 76, 100, 121, 140, 158, 173, 186, 199, 209, 220, 229, 238, 247, 255}},
    {"camera_curve_2", "green", {0, 25, 48, 72, 94, 115, 134, 152, 167, 182, 194, 205, 217, 227, 237, 246, 255}},
    {"camera_curve_2", "blue", {0, 22, 44, 66, 86, 105, 124, 142, 158, 173, 186, 199, 211, 223, 234, 245, 255}},
    {"camera_curve_3", "red", {0, 36, 69, 102, 131, 156, 176, 193, 206, 216, 225, 231, 237, 242, 247, 251, 255}},
    {"camera_curve_3", "green", {0, 34, 66, 96, 124, 150, 170, 188, 201, 213, 221, 229, 236, 241, 246, 251, 255}},
    {"camera_curve_3", "blue", {0, 31, 59, 88, 114, 138, 160, 178, 193, 206, 216, 225, 232, 239, 245, 250, 255}},
    {"camera_curve_4", "red", {0, 21, 43, 65, 86, 107, 127, 145, 161, 174, 186, 197, 206, 217, 229, 243, 255}},
    {"camera_curve_4", "green", {0, 20, 38, 57, 75, 94, 111, 129, 145, 161, 175, 190, 204, 217, 230, 243, 255}},
    {"camera_curve_4", "blue", {0, 18, 34, 52, 69, 85, 102, 119, 135, 151, 166, 181, 197, 212, 226, 242, 255}},
    {"camera_curve_5", "red", {0, 17, 35, 52, 69, 86, 103, 120, 136, 153, 168, 184, 198, 213, 227, 242, 255}},
    {"camera_curve_5", "green", {0, 18, 35, 53, 71, 88, 105, 123, 139, 156, 171, 186, 201, 215, 228, 243, 255}},
    {"camera_curve_5", "blue", {0, 21, 41, 62, 82, 102, 121, 139, 156, 171, 186, 199, 211, 223, 234, 245, 255}},
    {"camera_curve_6", "red", {0, 19, 39, 58, 76, 94, 112, 129, 145, 161, 175, 190, 203, 217, 230, 243, 255}},
    {"camera_curve_6", "green", {0, 21, 42, 62, 82, 101, 120, 137, 154, 169, 184, 197, 210, 222, 233, 245, 255}},
    {"camera_curve_6", "blue", {0, 23, 46, 69, 90, 111, 130, 148, 164, 178, 192, 204, 215, 226, 236, 246, 255}},
    {"phone_curve_1", "red", {0, 22, 44, 66, 86, 106, 125, 143, 159, 174, 188, 201, 213, 224, 235, 245, 255}},
    {"phone_curve_1", "green", {0, 14, 28, 43, 57, 72, 87, 102, 118, 134, 151, 168, 185, 203, 220, 238, 255}},
    {"phone_curve_1", "blue", {0, 20, 39, 58, 77, 95, 113, 130, 146, 161, 176, 190, 204, 217, 230, 243, 255}},
    {"phone_curve_2", "red", {0, 39, 76, 111, 140, 164, 184, 199, 211, 220, 228, 234, 239, 244, 248, 251, 255}},
    {"phone_curve_2", "green", {0, 25, 49, 75, 97, 120, 141, 160, 177, 192, 205, 217, 226, 235, 242, 249, 255}},
    {"phone_curve_2", "blue", {0, 35, 68, 99, 128, 151, 172, 188, 202, 212, 221, 229, 235, 241, 246, 251, 255}},
    {"phone_curve_3", "red", {0, 39, 75, 108, 137, 162, 181, 197, 209, 219, 226, 233, 238, 243, 247, 251, 255}},
    {"phone_curve_3", "green", {0, 42, 83, 119, 149, 173, 192, 206, 217, 225, 232, 237, 242, 246, 249, 252, 255}},
    {"phone_curve_3", "blue", {0, 35, 68, 99, 128, 151, 172, 188, 202, 212, 221, 229, 235, 241, 246, 251, 255}},
    {"phone_curve_5", "red", {0, 29, 58, 85, 109, 131, 151, 168, 182, 195, 205, 216, 224, 233, 241, 248, 255}},
    {"phone_curve_5", "green", {0, 32, 63, 91, 117, 139, 159, 175, 189, 201, 212, 220, 229, 236, 242, 249, 255}},
    {"phone_curve_5", "blue", {0, 35, 68, 100, 127, 150, 169, 185, 197, 208, 217, 225, 232, 238, 244, 250, 255}},
    {"phone_curve_6", "red", {0, 21, 40, 60, 80, 99, 118, 135, 152, 168, 183, 196, 209, 221, 233, 245, 255}},
    {"phone_curve_6", "green", {0, 22, 44, 64, 85, 105, 124, 142, 158, 173, 187, 200, 212, 223, 235, 245, 255}},
    {"phone_curve_6", "blue", {0, 16, 33, 49, 66, 83, 101, 119, 136, 153, 170, 186, 202, 216, 230, 243, 255}},
    {"shared_curve_7", "red", {0, 21, 40, 60, 80, 99, 118, 135, 152, 168, 183, 196, 209, 221, 233, 245, 255}},
    {"shared_curve_7", "green", {0, 12, 26, 40, 55, 69, 85, 102, 120, 138, 157, 176, 194, 210, 226, 241, 255}},
    {"shared_curve_7", "blue", {0, 16, 33, 49, 66, 83, 101, 119, 136, 153, 170, 186, 202, 216, 230, 243, 255}},
    {"shared_curve_8", "red", {0, 24, 48, 72, 93, 113, 131, 148, 163, 177, 189, 202, 213, 224, 235, 246, 255}},
    {"shared_curve_8", "green", {0, 27, 53, 78, 100, 122, 141, 158, 173, 187, 198, 210, 219, 229, 239, 247, 255}},
    {"shared_curve_8", "blue", {0, 27, 52, 77, 99, 120, 139, 156, 172, 185, 197, 209, 219, 228, 238, 246, 255}},
    {"shared_curve_9", "red", {0, 85, 130, 151, 163, 171, 177, 184, 191, 198, 206, 214, 222, 230, 239, 247, 255}},
    {"shared_curve_9", "green", {0, 62, 104, 135, 156, 173, 186, 199, 209, 217, 225, 232, 238, 242, 247, 251, 255}},
    {"shared_curve_9", "blue", {0, 36, 67, 93, 114, 132, 146, 159, 170, 182, 193, 203, 214, 225, 235, 245, 255}},
    {"lighter_curve", "all", {0, 18, 36, 54, 72, 89, 106, 123, 139, 155, 170, 185, 199, 214, 228, 242, 255}},
    {"darker_curve", "all", {0, 14, 28, 42, 56, 70, 85, 100, 116, 132, 149, 166, 184, 202, 220, 238, 255}},
};
// clang-format on

struct ExtraSample {
    const char* channel;
    int input;
    int level;
};
// Where shared_curve_9 bends hardest.
const ExtraSample shared_curve_9_extra[] = {{"red", 4, 25},    {"red", 8, 48},   {"red", 12, 67},
                                            {"red", 24, 112},  {"green", 4, 16}, {"green", 8, 31},
                                            {"green", 12, 46}, {"green", 24, 85}};

struct TripleRoute {
    const char* name;
    CameraType camera_type;
    int index;
};
// One way to reach each of the 17 triples.
const TripleRoute triple_routes[] = {
    {"camera_curve_1", CameraType::DigitalCamera, 1}, {"camera_curve_2", CameraType::DigitalCamera, 2},
    {"camera_curve_3", CameraType::DigitalCamera, 3}, {"camera_curve_4", CameraType::DigitalCamera, 4},
    {"camera_curve_5", CameraType::DigitalCamera, 5}, {"camera_curve_6", CameraType::DigitalCamera, 6},
    {"phone_curve_1", CameraType::MobilePhone, 1},    {"phone_curve_2", CameraType::MobilePhone, 2},
    {"phone_curve_3", CameraType::MobilePhone, 3},    {"phone_curve_4", CameraType::MobilePhone, 4},
    {"phone_curve_5", CameraType::MobilePhone, 5},    {"phone_curve_6", CameraType::MobilePhone, 6},
    {"shared_curve_7", CameraType::DigitalCamera, 7}, {"shared_curve_8", CameraType::DigitalCamera, 8},
    {"shared_curve_9", CameraType::DigitalCamera, 9}, {"lighter_curve", CameraType::DigitalCamera, 10},
    {"darker_curve", CameraType::DigitalCamera, 11},
};

const char* const channels[] = {"red", "green", "blue"};

const CurveTriple& triple(const std::string& name)
{
    for (const TripleRoute& route : triple_routes)
        if (name == route.name) return *curve_for_profile(route.camera_type, route.index);
    throw std::invalid_argument("no triple " + name);
}

const std::uint8_t* channel_of(const CurveTriple& t, const std::string& channel)
{
    return channel == "red" ? t.red_table : channel == "green" ? t.green_table : t.blue_table;
}

struct NamedCurve {
    std::string name;  // "triple.channel"
    std::string triple;
    std::string channel;
    const std::uint8_t* levels;
    int operator[](int input) const { return levels[input]; }
};

std::vector<NamedCurve> all_curves()
{
    std::vector<NamedCurve> curves;
    for (const TripleRoute& route : triple_routes)
        for (const char* channel : channels)
            curves.push_back({std::string(route.name) + "." + channel, route.name, channel,
                              channel_of(triple(route.name), channel)});
    return curves;
}

NamedCurve curve(const std::string& triple_name, const std::string& channel)
{
    return {triple_name + "." + channel, triple_name, channel, channel_of(triple(triple_name), channel)};
}

struct Knot {
    int input;
    int level;
};

// The sample table's knots of a curve, extra samples included, sorted by input.
std::vector<Knot> knots(const std::string& triple_name, const std::string& channel)
{
    // phone_curve_4 has no rows of its own: it is listed as camera_curve_4.
    const std::string source = triple_name == "phone_curve_4" ? "camera_curve_4" : triple_name;
    std::vector<Knot> result;
    for (const SampleRow& row : sample_rows) {
        if (source != row.triple || (channel != row.channel && std::string(row.channel) != "all")) continue;
        for (std::size_t k = 0; k < sample_inputs.size(); ++k)
            result.push_back({sample_inputs[k], row.levels[k]});
    }
    if (triple_name == "shared_curve_9")
        for (const ExtraSample& extra : shared_curve_9_extra)
            if (channel == extra.channel) result.push_back({extra.input, extra.level});
    std::sort(result.begin(), result.end(), [](Knot a, Knot b) { return a.input < b.input; });
    return result;
}

// The straight line between the knots around `input`, as a fraction numerator / width.
struct LinePoint {
    long numerator;
    long width;
};
LinePoint line_at(const std::vector<Knot>& k, int input)
{
    std::size_t s = 0;
    while (k[s + 1].input < input) ++s;
    const long width = k[s + 1].input - k[s].input;
    return {k[s].level * width + (k[s + 1].level - k[s].level) * static_cast<long>(input - k[s].input),
            width};
}

// Linear interpolation rounded to the nearest level, halves up.
int rounded_interpolation(const std::vector<Knot>& k, int input)
{
    const LinePoint p = line_at(k, input);
    return static_cast<int>((2 * p.numerator + p.width) / (2 * p.width));
}

struct Extent {
    int amount;  // largest output minus input (lift) or input minus output (drop); 0 if none
    int first;   // first input that reaches it
    int count;   // inputs that reach it
};
Extent largest_lift(const NamedCurve& c, int sign = 1)
{
    Extent e{0, -1, 0};
    for (int i = 0; i < 256; ++i) {
        const int amount = sign * (c[i] - i);
        if (amount > e.amount) {
            e = {amount, i, 1};
        } else if (amount == e.amount && amount > 0) {
            ++e.count;
        }
    }
    return e;
}
Extent largest_drop(const NamedCurve& c)
{
    return largest_lift(c, -1);
}

// A 256 x 1 photo whose pixel x has red, green and blue all at level x.
void grey_ramp(Bitmap32& photo)
{
    photo.set_size(256, 1);
    for (std::uint32_t x = 0; x < 256; ++x) photo.pixels()[x] = 0xFF000000u | x << 16 | x << 8 | x;
}
int red_at(const Bitmap32& photo, int x)
{
    return static_cast<int>(photo.pixels()[x] >> 16 & 0xFF);
}

class CurveDatabase : public ::testing::Test {
protected:
    static void SetUpTestSuite() { fill_curve_database(); }
};

// ---- the profile tables ----

TEST_F(CurveDatabase, IndicesWithoutTripleGiveNoneForBothCameraTypes)
{
    for (CameraType type : {CameraType::DigitalCamera, CameraType::MobilePhone}) {
        for (int index : {0, 12, 14, 15, 255, 256, -1, -13, INT_MIN, INT_MAX}) {
            EXPECT_EQ(curve_for_profile(type, index), nullptr) << "index " << index;
        }
    }
    EXPECT_EQ(curve_for_profile(CameraType::DigitalCamera, 13), nullptr);
    EXPECT_EQ(curve_for_profile(CameraType::MobilePhone, 13),
              curve_for_profile(CameraType::DigitalCamera, 2));
}

TEST_F(CurveDatabase, ProfileIndicesReachSeventeenSeparateTriples)
{
    std::set<const CurveTriple*> seen;
    for (CameraType type : {CameraType::DigitalCamera, CameraType::MobilePhone})
        for (int index = 1; index <= 11; ++index) {
            ASSERT_NE(curve_for_profile(type, index), nullptr) << index;
            seen.insert(curve_for_profile(type, index));
        }
    EXPECT_EQ(seen.size(), 17u);  // no two triples share storage
    for (int index = 7; index <= 11; ++index)
        EXPECT_EQ(curve_for_profile(CameraType::DigitalCamera, index),
                  curve_for_profile(CameraType::MobilePhone, index))
            << index;
    for (int index = 1; index <= 6; ++index)
        EXPECT_NE(curve_for_profile(CameraType::DigitalCamera, index),
                  curve_for_profile(CameraType::MobilePhone, index))
            << index;
    EXPECT_EQ(&lighter_curve, curve_for_profile(CameraType::MobilePhone, 10));
    EXPECT_EQ(&darker_curve, curve_for_profile(CameraType::MobilePhone, 11));
}

TEST_F(CurveDatabase, AnyCameraTypeButDigitalCameraUsesThePhoneTable)
{
    const auto unlisted = static_cast<CameraType>(7);
    for (int index = 0; index <= 14; ++index)
        EXPECT_EQ(curve_for_profile(unlisted, index), curve_for_profile(CameraType::MobilePhone, index))
            << index;
}

TEST_F(CurveDatabase, ProfileFourIsTwoTriplesThatCorrectAlike)
{
    const CurveTriple* camera = curve_for_profile(CameraType::DigitalCamera, 4);
    const CurveTriple* phone = curve_for_profile(CameraType::MobilePhone, 4);
    ASSERT_NE(camera, phone);
    EXPECT_EQ(std::memcmp(camera, phone, sizeof(CurveTriple)), 0);

    Bitmap32 source;
    source.set_size(64, 64);
    for (std::uint32_t k = 0; k < 64u * 64u; ++k) source.pixels()[k] = k * 2654435761u;  // every level mixed
    Bitmap32 by_camera;
    Bitmap32 by_phone;
    apply_curves(&by_camera, &source, *camera);
    apply_curves(&by_phone, &source, *phone);
    EXPECT_EQ(std::memcmp(by_camera.pixels(), by_phone.pixels(), 64 * 64 * 4), 0);
}

TEST_F(CurveDatabase, FillingAgainWritesTheSameLevels)
{
    std::vector<CurveTriple> before;
    for (const TripleRoute& route : triple_routes) before.push_back(triple(route.name));
    fill_curve_database();
    for (std::size_t t = 0; t < before.size(); ++t)
        EXPECT_EQ(std::memcmp(&before[t], &triple(triple_routes[t].name), sizeof(CurveTriple)), 0)
            << triple_routes[t].name;
}

// ---- levels every curve must have ----

TEST_F(CurveDatabase, EverySampleIsExact)
{
    int checked = 0;
    for (const NamedCurve& c : all_curves()) {
        for (const Knot& k : knots(c.triple, c.channel)) {
            EXPECT_EQ(c[k.input], k.level) << c.name << " at " << k.input;
            ++checked;
        }
    }
    EXPECT_EQ(checked, 51 * 17 + 8);
}

TEST_F(CurveDatabase, EveryCurveIsAMonotoneToneCurveWithFlatStepsFromBlackToWhite)
{
    for (const NamedCurve& c : all_curves()) {
        EXPECT_EQ(c[0], 0) << c.name;
        EXPECT_EQ(c[255], 255) << c.name;
        bool flat = false;
        bool identity = c[0] == 0;
        for (int i = 0; i + 1 < 256; ++i) {
            EXPECT_LE(c[i], c[i + 1]) << c.name << " at " << i;
            flat = flat || c[i] == c[i + 1];
            identity = identity && c[i + 1] == i + 1;
        }
        EXPECT_TRUE(flat) << c.name << " is strictly increasing";
        EXPECT_FALSE(identity) << c.name;
    }
}

TEST_F(CurveDatabase, BetweenSamplesEveryCurveStaysCloseToTheStraightLine)
{
    int exact = 0;
    for (const NamedCurve& c : all_curves()) {
        const std::vector<Knot> k = knots(c.triple, c.channel);
        for (int i = 0; i < 256; ++i) {
            const int rounded = rounded_interpolation(k, i);
            EXPECT_LE(std::abs(c[i] - rounded), 2) << c.name << " at " << i;
            // Within 2.4 levels of the line itself: |level - n / w| <= 12 / 5.
            const LinePoint p = line_at(k, i);
            EXPECT_LE(5 * std::abs(c[i] * p.width - p.numerator), 12 * p.width) << c.name << " at " << i;
            exact += c[i] == rounded;
        }
    }
    // About three entries in four equal the rounded interpolation.
    EXPECT_GE(exact, 51 * 256 * 70 / 100);
    EXPECT_LE(exact, 51 * 256 * 80 / 100);
}

TEST_F(CurveDatabase, OnlyTheListedCurvesAreEqual)
{
    const std::set<std::string> expected = {
        "camera_curve_4.blue=phone_curve_4.blue", "camera_curve_4.green=phone_curve_4.green",
        "camera_curve_4.red=phone_curve_4.red",   "darker_curve.green=darker_curve.blue",
        "darker_curve.red=darker_curve.blue",     "darker_curve.red=darker_curve.green",
        "lighter_curve.green=lighter_curve.blue", "lighter_curve.red=lighter_curve.blue",
        "lighter_curve.red=lighter_curve.green",  "phone_curve_2.blue=phone_curve_3.blue",
        "phone_curve_6.blue=shared_curve_7.blue", "phone_curve_6.red=shared_curve_7.red",
    };
    const std::vector<NamedCurve> curves = all_curves();
    std::set<std::string> equal;
    for (std::size_t a = 0; a < curves.size(); ++a)
        for (std::size_t b = a + 1; b < curves.size(); ++b)
            if (std::equal(curves[a].levels, curves[a].levels + 256, curves[b].levels))
                equal.insert(curves[a].name + "=" + curves[b].name);
    EXPECT_EQ(equal, expected);
}

// ---- the shape of the curves ----

bool shaped_elsewhere(const NamedCurve& c)
{
    return c.triple == "darker_curve" || c.name == "phone_curve_1.green" ||
           c.name == "shared_curve_7.green" || c.name == "phone_curve_6.blue" ||
           c.name == "shared_curve_7.blue";
}

TEST_F(CurveDatabase, LiftingCurvesNeverGoBelowTheInputAndLiftMostInTheMidtones)
{
    int lifting = 0;
    for (const NamedCurve& c : all_curves()) {
        if (shaped_elsewhere(c)) continue;
        ++lifting;
        for (int i = 0; i < 256; ++i) EXPECT_GE(c[i], i) << c.name << " at " << i;
        if (c.triple == "shared_curve_9") continue;
        const Extent lift = largest_lift(c);
        EXPECT_GE(lift.first, 90) << c.name;
        EXPECT_LE(lift.first, 136) << c.name;
    }
    EXPECT_EQ(lifting, 51 - 7);
}

TEST_F(CurveDatabase, SharedCurveNineLiftsTheShadowsHardest)
{
    const NamedCurve red = curve("shared_curve_9", "red");
    EXPECT_EQ(red[16], 85);
    EXPECT_EQ(red[32], 130);
    const Extent red_lift = largest_lift(red);
    EXPECT_EQ(red_lift.amount, 103);
    EXPECT_EQ(red_lift.first, 41);
    const Extent green_lift = largest_lift(curve("shared_curve_9", "green"));
    EXPECT_EQ(green_lift.amount, 93);
    EXPECT_EQ(green_lift.first, 67);
    const Extent blue_lift = largest_lift(curve("shared_curve_9", "blue"));
    EXPECT_EQ(blue_lift.amount, 52);
    EXPECT_EQ(blue_lift.first, 73);
}

TEST_F(CurveDatabase, LighterStepLiftsAtMostElevenLevels)
{
    for (const char* channel : channels) {
        const Extent lift = largest_lift(curve("lighter_curve", channel));
        EXPECT_EQ(lift.amount, 11) << channel;
        EXPECT_EQ(lift.first, 102) << channel;
    }
}

TEST_F(CurveDatabase, DarkeningCurvesNeverGoAboveTheInput)
{
    struct Case {
        NamedCurve curve;
        int drop;
        int first;
    };
    const Case cases[] = {{curve("darker_curve", "red"), 12, 108},
                          {curve("darker_curve", "green"), 12, 108},
                          {curve("darker_curve", "blue"), 12, 108},
                          {curve("phone_curve_1", "green"), 10, 105}};
    for (const Case& c : cases) {
        for (int i = 0; i < 256; ++i) EXPECT_LE(c.curve[i], i) << c.curve.name << " at " << i;
        const Extent drop = largest_drop(c.curve);
        EXPECT_EQ(drop.amount, c.drop) << c.curve.name;
        EXPECT_EQ(drop.first, c.first) << c.curve.name;
    }
}

TEST_F(CurveDatabase, SharedCurveSevenGreenDarkensShadowsAndBarelyLiftsHighlights)
{
    const NamedCurve green = curve("shared_curve_7", "green");
    for (int i = 0; i <= 182; ++i) EXPECT_LE(green[i], i) << i;
    for (int i = 175; i <= 255; ++i) EXPECT_GE(green[i], i) << i;
    const Extent drop = largest_drop(green);
    EXPECT_EQ(drop.amount, 12);
    EXPECT_EQ(drop.first, 82);
    EXPECT_EQ(drop.count, 1);
    const Extent lift = largest_lift(green);
    EXPECT_EQ(lift.amount, 2);
    EXPECT_EQ(lift.first, 192);
}

TEST_F(CurveDatabase, BlueOfPhoneCurveSixDipsOnlyAtInputTwo)
{
    for (const char* name : {"phone_curve_6", "shared_curve_7"}) {
        const NamedCurve blue = curve(name, "blue");
        EXPECT_EQ(blue[2], 1) << name;
        for (int i = 0; i < 256; ++i) {
            if (i == 2) continue;
            EXPECT_GE(blue[i], i) << name << " at " << i;
        }
        const Extent lift = largest_lift(blue);
        EXPECT_EQ(lift.amount, 11) << name;
        EXPECT_EQ(lift.first, 159) << name;
    }
}

// ---- lighter and darker steps, applied the way the corrector applies them ----

TEST_F(CurveDatabase, SixStepsEachWayMoveTheMidtonesAndKeepBlackAndWhite)
{
    Bitmap32 lighter;
    grey_ramp(lighter);
    Bitmap32 darker;
    grey_ramp(darker);
    for (int step = 0; step < 6; ++step) {
        apply_curves(&lighter, &lighter, lighter_curve);
        apply_curves(&darker, &darker, darker_curve);
    }
    EXPECT_EQ(red_at(lighter, 16), 33);
    EXPECT_EQ(red_at(lighter, 128), 188);
    EXPECT_EQ(red_at(darker, 128), 63);
    EXPECT_EQ(red_at(darker, 224), 188);
    // Black and white survive any number of steps, in every channel.
    for (const Bitmap32* photo : {&lighter, &darker}) {
        EXPECT_EQ(photo->pixels()[0], 0xFF000000u);
        EXPECT_EQ(photo->pixels()[255], 0xFFFFFFFFu);
    }
}

TEST_F(CurveDatabase, ALighterAndADarkerStepAlmostCancel)
{
    struct Case {
        const CurveTriple* first;
        const CurveTriple* second;
        int lowest;
        int highest;
    };
    for (const Case& c :
         {Case{&lighter_curve, &darker_curve, -2, 1}, Case{&darker_curve, &lighter_curve, -2, 0}}) {
        Bitmap32 photo;
        grey_ramp(photo);
        apply_curves(&photo, &photo, *c.first);
        apply_curves(&photo, &photo, *c.second);
        int changed = 0;
        int lowest = 0;
        int highest = 0;
        for (int x = 0; x < 256; ++x) {
            const int change = red_at(photo, x) - x;
            changed += change != 0;
            lowest = std::min(lowest, change);
            highest = std::max(highest, change);
        }
        EXPECT_EQ(changed, 145);
        EXPECT_EQ(lowest, c.lowest);
        EXPECT_EQ(highest, c.highest);
    }
}

}  // namespace
