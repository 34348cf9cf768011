#include "tools/curve_tables_generator/curve_samples.h"

#include <algorithm>

namespace {

constexpr int unbounded = 255;

struct SampleRow {
    const char* name;
    std::array<int, sample_inputs.size()> levels;
};

// Output levels at inputs 0, 16, 32, ..., 240, 255 of every distinct curve. Curves that are
// equal to another one over all 256 entries appear once (see the triples below).
// clang-format off
const SampleRow sample_rows[] = {
    {"camera_curve_1.red", {0, 21, 41, 62, 82, 101, 119, 137, 153, 168, 183, 196, 209, 221, 233, 244, 255}},
    {"camera_curve_1.green", {0, 20, 39, 58, 77, 96, 113, 131, 147, 163, 177, 191, 205, 218, 231, 243, 255}},
    {"camera_curve_1.blue", {0, 18, 35, 53, 70, 87, 104, 121, 137, 153, 168, 183, 198, 213, 227, 242, 255}},
    {"camera_curve_2.red", {0, 26, 51, 76, 100, 121, 140, 158, 173, 186, 199, 209, 220, 229, 238, 247, 255}},
    {"camera_curve_2.green", {0, 25, 48, 72, 94, 115, 134, 152, 167, 182, 194, 205, 217, 227, 237, 246, 255}},
    {"camera_curve_2.blue", {0, 22, 44, 66, 86, 105, 124, 142, 158, 173, 186, 199, 211, 223, 234, 245, 255}},
    {"camera_curve_3.red", {0, 36, 69, 102, 131, 156, 176, 193, 206, 216, 225, 231, 237, 242, 247, 251, 255}},
    {"camera_curve_3.green", {0, 34, 66, 96, 124, 150, 170, 188, 201, 213, 221, 229, 236, 241, 246, 251, 255}},
    {"camera_curve_3.blue", {0, 31, 59, 88, 114, 138, 160, 178, 193, 206, 216, 225, 232, 239, 245, 250, 255}},
    {"camera_curve_4.red", {0, 21, 43, 65, 86, 107, 127, 145, 161, 174, 186, 197, 206, 217, 229, 243, 255}},
    {"camera_curve_4.green", {0, 20, 38, 57, 75, 94, 111, 129, 145, 161, 175, 190, 204, 217, 230, 243, 255}},
    {"camera_curve_4.blue", {0, 18, 34, 52, 69, 85, 102, 119, 135, 151, 166, 181, 197, 212, 226, 242, 255}},
    {"camera_curve_5.red", {0, 17, 35, 52, 69, 86, 103, 120, 136, 153, 168, 184, 198, 213, 227, 242, 255}},
    {"camera_curve_5.green", {0, 18, 35, 53, 71, 88, 105, 123, 139, 156, 171, 186, 201, 215, 228, 243, 255}},
    {"camera_curve_5.blue", {0, 21, 41, 62, 82, 102, 121, 139, 156, 171, 186, 199, 211, 223, 234, 245, 255}},
    {"camera_curve_6.red", {0, 19, 39, 58, 76, 94, 112, 129, 145, 161, 175, 190, 203, 217, 230, 243, 255}},
    {"camera_curve_6.green", {0, 21, 42, 62, 82, 101, 120, 137, 154, 169, 184, 197, 210, 222, 233, 245, 255}},
    {"camera_curve_6.blue", {0, 23, 46, 69, 90, 111, 130, 148, 164, 178, 192, 204, 215, 226, 236, 246, 255}},
    {"phone_curve_1.red", {0, 22, 44, 66, 86, 106, 125, 143, 159, 174, 188, 201, 213, 224, 235, 245, 255}},
    {"phone_curve_1.green", {0, 14, 28, 43, 57, 72, 87, 102, 118, 134, 151, 168, 185, 203, 220, 238, 255}},
    {"phone_curve_1.blue", {0, 20, 39, 58, 77, 95, 113, 130, 146, 161, 176, 190, 204, 217, 230, 243, 255}},
    {"phone_curve_2.red", {0, 39, 76, 111, 140, 164, 184, 199, 211, 220, 228, 234, 239, 244, 248, 251, 255}},
    {"phone_curve_2.green", {0, 25, 49, 75, 97, 120, 141, 160, 177, 192, 205, 217, 226, 235, 242, 249, 255}},
    {"phone_curve_2.blue", {0, 35, 68, 99, 128, 151, 172, 188, 202, 212, 221, 229, 235, 241, 246, 251, 255}},
    {"phone_curve_3.red", {0, 39, 75, 108, 137, 162, 181, 197, 209, 219, 226, 233, 238, 243, 247, 251, 255}},
    {"phone_curve_3.green", {0, 42, 83, 119, 149, 173, 192, 206, 217, 225, 232, 237, 242, 246, 249, 252, 255}},
    {"phone_curve_5.red", {0, 29, 58, 85, 109, 131, 151, 168, 182, 195, 205, 216, 224, 233, 241, 248, 255}},
    {"phone_curve_5.green", {0, 32, 63, 91, 117, 139, 159, 175, 189, 201, 212, 220, 229, 236, 242, 249, 255}},
    {"phone_curve_5.blue", {0, 35, 68, 100, 127, 150, 169, 185, 197, 208, 217, 225, 232, 238, 244, 250, 255}},
    {"phone_curve_6.red", {0, 21, 40, 60, 80, 99, 118, 135, 152, 168, 183, 196, 209, 221, 233, 245, 255}},
    {"phone_curve_6.green", {0, 22, 44, 64, 85, 105, 124, 142, 158, 173, 187, 200, 212, 223, 235, 245, 255}},
    {"phone_curve_6.blue", {0, 16, 33, 49, 66, 83, 101, 119, 136, 153, 170, 186, 202, 216, 230, 243, 255}},
    {"shared_curve_7.green", {0, 12, 26, 40, 55, 69, 85, 102, 120, 138, 157, 176, 194, 210, 226, 241, 255}},
    {"shared_curve_8.red", {0, 24, 48, 72, 93, 113, 131, 148, 163, 177, 189, 202, 213, 224, 235, 246, 255}},
    {"shared_curve_8.green", {0, 27, 53, 78, 100, 122, 141, 158, 173, 187, 198, 210, 219, 229, 239, 247, 255}},
    {"shared_curve_8.blue", {0, 27, 52, 77, 99, 120, 139, 156, 172, 185, 197, 209, 219, 228, 238, 246, 255}},
    {"shared_curve_9.red", {0, 85, 130, 151, 163, 171, 177, 184, 191, 198, 206, 214, 222, 230, 239, 247, 255}},
    {"shared_curve_9.green", {0, 62, 104, 135, 156, 173, 186, 199, 209, 217, 225, 232, 238, 242, 247, 251, 255}},
    {"shared_curve_9.blue", {0, 36, 67, 93, 114, 132, 146, 159, 170, 182, 193, 203, 214, 225, 235, 245, 255}},
    {"lighter_curve.all", {0, 18, 36, 54, 72, 89, 106, 123, 139, 155, 170, 185, 199, 214, 228, 242, 255}},
    {"darker_curve.all", {0, 14, 28, 42, 56, 70, 85, 100, 116, 132, 149, 166, 184, 202, 220, 238, 255}},
};
// clang-format on

// Never below the input; the largest lift is first reached at an input from 90 to 136.
CurveDefinition lifting(const SampleRow& row)
{
    return {row.name, row.levels, {}, {{0, 255, 0, unbounded}}, {{Side::lift, 0, 90, 136}}};
}

CurveDefinition shaped(const SampleRow& row)
{
    CurveDefinition curve = lifting(row);
    const std::string name = row.name;
    if (name == "shared_curve_9.red") {
        // The shadows are lifted hardest here, so the middle samples alone do not pin the bend.
        curve.extra_samples = {{4, 25}, {8, 48}, {12, 67}, {24, 112}};
        curve.extremes = {{Side::lift, 103, 41, 41}};
    } else if (name == "shared_curve_9.green") {
        curve.extra_samples = {{4, 16}, {8, 31}, {12, 46}, {24, 85}};
        curve.extremes = {{Side::lift, 93, 67, 67}};
    } else if (name == "shared_curve_9.blue") {
        curve.extremes = {{Side::lift, 52, 73, 73}};
    } else if (name == "lighter_curve.all") {
        curve.extremes = {{Side::lift, 11, 102, 102}};
    } else if (name == "darker_curve.all") {
        curve.offsets = {{0, 255, -unbounded, 0}};
        curve.extremes = {{Side::drop, 12, 108, 108}};
    } else if (name == "phone_curve_1.green") {
        curve.offsets = {{0, 255, -unbounded, 0}};
        curve.extremes = {{Side::drop, 10, 105, 105}};
    } else if (name == "shared_curve_7.green") {
        // Darkens the shadows, follows the input exactly from 175 to 182, lifts the highlights a little.
        curve.offsets = {{0, 182, -unbounded, 0}, {175, 255, 0, unbounded}};
        curve.extremes = {{Side::drop, 12, 82, 82, true}, {Side::lift, 2, 192, 192}};
    } else if (name == "phone_curve_6.blue") {
        // The one dip below the input is at input 2.
        curve.offsets = {{0, 1, 0, unbounded}, {2, 2, -1, -1}, {3, 255, 0, unbounded}};
        curve.extremes = {{Side::lift, 11, 159, 159}};
    }
    return curve;
}

}  // namespace

const std::vector<CurveDefinition>& curve_definitions()
{
    static const std::vector<CurveDefinition> curves = [] {
        std::vector<CurveDefinition> all;
        for (const SampleRow& row : sample_rows) all.push_back(shaped(row));
        return all;
    }();
    return curves;
}

const std::vector<TripleDefinition>& triple_definitions()
{
    static const std::vector<TripleDefinition> triples = {
        {"camera_curve_1", "camera_curve_1.red", "camera_curve_1.green", "camera_curve_1.blue"},
        {"camera_curve_2", "camera_curve_2.red", "camera_curve_2.green", "camera_curve_2.blue"},
        {"camera_curve_3", "camera_curve_3.red", "camera_curve_3.green", "camera_curve_3.blue"},
        {"camera_curve_4", "camera_curve_4.red", "camera_curve_4.green", "camera_curve_4.blue"},
        {"camera_curve_5", "camera_curve_5.red", "camera_curve_5.green", "camera_curve_5.blue"},
        {"camera_curve_6", "camera_curve_6.red", "camera_curve_6.green", "camera_curve_6.blue"},
        {"phone_curve_1", "phone_curve_1.red", "phone_curve_1.green", "phone_curve_1.blue"},
        {"phone_curve_2", "phone_curve_2.red", "phone_curve_2.green", "phone_curve_2.blue"},
        {"phone_curve_3", "phone_curve_3.red", "phone_curve_3.green", "phone_curve_2.blue"},
        {"phone_curve_4", "camera_curve_4.red", "camera_curve_4.green", "camera_curve_4.blue"},
        {"phone_curve_5", "phone_curve_5.red", "phone_curve_5.green", "phone_curve_5.blue"},
        {"phone_curve_6", "phone_curve_6.red", "phone_curve_6.green", "phone_curve_6.blue"},
        {"shared_curve_7", "phone_curve_6.red", "shared_curve_7.green", "phone_curve_6.blue"},
        {"shared_curve_8", "shared_curve_8.red", "shared_curve_8.green", "shared_curve_8.blue"},
        {"shared_curve_9", "shared_curve_9.red", "shared_curve_9.green", "shared_curve_9.blue"},
        {"lighter_curve", "lighter_curve.all", "lighter_curve.all", "lighter_curve.all"},
        {"darker_curve", "darker_curve.all", "darker_curve.all", "darker_curve.all"},
    };
    return triples;
}

std::vector<Knot> knots_of(const CurveDefinition& curve)
{
    std::vector<Knot> knots;
    for (std::size_t k = 0; k < sample_inputs.size(); ++k)
        knots.push_back({sample_inputs[k], curve.levels[k]});
    knots.insert(knots.end(), curve.extra_samples.begin(), curve.extra_samples.end());
    std::sort(knots.begin(), knots.end(), [](const Knot& a, const Knot& b) { return a.input < b.input; });
    return knots;
}
