#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "display/colour_conversion_path.h"
#include "display/display_profile.h"
#include "display/img_view32.h"
#include "display/view_colour_transform.h"
#include "engine/row_pool.h"
#include "tests/display/display_test_support.h"
#include "tests/photo_files/test_profiles.h"
#include "tests/support/file_bytes.h"
#include "tests/support/temp_dir.h"

namespace {

constexpr std::uint32_t kViewColor = 0xFFC9C9C9;
// A 300 x 200 photo in a 420 x 320 view at scale 1: the photo covers [60, 360) x [60, 260).
constexpr int kPhotoLeft = 60;
constexpr int kPhotoTop = 60;

// Saturated colours at the edges, where gamuts differ most, and mid-tones inside.
std::uint32_t test_colour(int x, int y)
{
    return opaque_rgb(x * 255 / 299, y * 255 / 199, (x + 2 * y) % 256);
}

// The display profile the views look up, for one test.
class DisplayProfileFile {
public:
    explicit DisplayProfileFile(const ProfileBytes& profile)
    {
        write_bytes(folder_.file("display.icc"), profile);
        setenv("TINTELO_DISPLAY_PROFILE", folder_.file("display.icc").c_str(), 1);
    }
    ~DisplayProfileFile() { unsetenv("TINTELO_DISPLAY_PROFILE"); }
    DisplayProfileFile(const DisplayProfileFile&) = delete;
    DisplayProfileFile& operator=(const DisplayProfileFile&) = delete;

private:
    TempDir folder_;
};

// What a view shows of the test photo in `photo_profile`, with the display profile as set.
QImage shown_photo(const ProfileBytes& photo_profile)
{
    Bitmap32 photo;
    fill_photo(photo, 300, 200, test_colour);
    TImgView32 view;
    view.set_bitmap(&photo);
    view.set_photo_profile(photo_profile);
    return shown(view);
}

// The largest difference from lcms2's own conversion over a grid of the photo, and how
// many of those pixels lcms2 changes by more than a few levels.
struct Comparison {
    int worst = 0;
    int changed = 0;
};

Comparison against_lcms(const QImage& image, const ProfileBytes& photo_profile, const ProfileBytes& display)
{
    std::vector<std::uint32_t> values;
    std::vector<QPoint> places;
    for (int y = 0; y < 200; y += 9)
        for (int x = 0; x < 300; x += 7) {
            values.push_back(test_colour(x, y));
            places.emplace_back(x, y);
        }
    const std::vector<std::uint32_t> expected = lcms_converted(values, photo_profile, display);
    Comparison comparison;
    for (std::size_t i = 0; i < values.size(); ++i) {
        const std::uint32_t seen = at(image, kPhotoLeft + places[i].x(), kPhotoTop + places[i].y());
        comparison.worst = std::max(comparison.worst, channel_distance(seen, expected[i]));
        comparison.changed += channel_distance(values[i], expected[i]) > 4;
    }
    return comparison;
}

}  // namespace

TEST(ViewColours, PhotoShowsConvertedToTheDisplayProfile)
{
    const ProfileBytes p3 = display_p3_test_profile();
    const ProfileBytes wide = wide_display_test_profile();
    struct Case {
        const char* what;
        ProfileBytes photo;
        ProfileBytes display;  // empty: no profile set, sRGB
        int tolerance = 1;
    };
    const std::vector<Case> cases = {
        {"Display P3 on sRGB", p3, {}},
        {"Display P3 on a wide display", p3, wide},
        {"sRGB on a wide display", {}, wide},
        {"a wide-gamut photo on a display publishing sRGB", wide, srgb_test_profile()},
        {"a photo whose primaries lie beyond the visible, on sRGB", romm_rgb_test_profile(), {}},
        {"Display P3 on a display whose black is grey", p3, grey_black_display_test_profile()},
        // lcms2 resamples a table onto a grid of its own for 8-bit values: its conversion
        // then strays a few levels from its floating-point one, whoever calls it.
        {"a photo profile made of a table, on a wide display", table_p3_test_profile(), wide, 6},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::unique_ptr<DisplayProfileFile> display;
        if (!c.display.empty()) display = std::make_unique<DisplayProfileFile>(c.display);
        const QImage image = shown_photo(c.photo);
        const Comparison comparison = against_lcms(image, c.photo, c.display);
        EXPECT_LE(comparison.worst, c.tolerance);
        EXPECT_GT(comparison.changed, 50) << "the gamuts differ: lcms2 changes these colours";
        // The skin's background around the photo is not the photo's: it is left alone.
        EXPECT_EQ(at(image, kPhotoLeft - 1, kPhotoTop), kViewColor);
        EXPECT_EQ(at(image, kPhotoLeft + 300, kPhotoTop + 199), kViewColor);
    }
}

TEST(ViewColours, SrgbOnSrgbAndUnusableProfilesShowTheValues)
{
    TempDir folder;
    write_bytes(folder.file("garbage.icc"), std::vector<std::uint8_t>(3000, 0x5A));
    const std::vector<std::string> displays = {"", folder.file("garbage.icc"), folder.file("missing.icc")};
    for (const std::string& display : displays) {
        SCOPED_TRACE(display);
        if (!display.empty()) setenv("TINTELO_DISPLAY_PROFILE", display.c_str(), 1);
        EXPECT_TRUE(display_profile(nullptr).empty());
        const QImage image = shown_photo({});
        unsetenv("TINTELO_DISPLAY_PROFILE");
        int unlike = 0;
        for (int y = 0; y < 200; ++y)
            for (int x = 0; x < 300; ++x)
                unlike += at(image, kPhotoLeft + x, kPhotoTop + y) != test_colour(x, y);
        EXPECT_EQ(unlike, 0);
    }
    EXPECT_EQ(ViewColourTransform::between({}, {}), nullptr) << "nothing to convert, nothing built";
}

TEST(ViewColours, EveryConversionPathGivesTheSameWords)
{
    // An eighth of all colours, every level of each channel among them, in rows whose width is
    // no multiple of a vector's, so the tails run too.
    constexpr int kWidth = 2045;
    constexpr int kHeight = 1031;
    std::vector<std::uint32_t> colours(static_cast<std::size_t>(kWidth) * kHeight);
    for (std::size_t i = 0; i < colours.size(); ++i)
        colours[i] = 0xFF000000u | static_cast<std::uint32_t>(i * 7 & 0xFFFFFF);
    const ColourConversionPath chosen = colour_conversion_path();
    // ctest runs this suite again with TINTELO_COLOUR_PATH=plain: that run must really be plain.
    if (const char* requested = std::getenv("TINTELO_COLOUR_PATH")) {
        EXPECT_STREQ(colour_conversion_path_name(chosen), requested);
    }
    const ProfileBytes p3 = display_p3_test_profile();
    const std::vector<std::pair<ProfileBytes, ProfileBytes>> pairs = {
        {p3, {}}, {p3, grey_black_display_test_profile()}, {romm_rgb_test_profile(), {}}};
    for (const auto& [photo, display] : pairs) {
        const auto transform = ViewColourTransform::between(photo, display);
        ASSERT_NE(transform, nullptr);
        std::vector<std::vector<std::uint32_t>> shown;
        for (ColourConversionPath path :
             {ColourConversionPath::plain, ColourConversionPath::avx2, ColourConversionPath::vbmi}) {
            SCOPED_TRACE(colour_conversion_path_name(path));
            set_colour_conversion_path(path);
            shown.push_back(colours);
            transform->convert(shown.back().data(), kWidth, kWidth, kHeight, RowPool::shared());
            std::size_t unlike = 0;
            for (std::size_t i = 0; i < colours.size(); ++i) unlike += shown.back()[i] != shown.front()[i];
            EXPECT_EQ(unlike, 0u);
        }
        EXPECT_NE(shown.front(), colours) << "the profiles differ: colours change";
    }
    set_colour_conversion_path(chosen);
}

TEST(ViewColours, ConversionRoundsAsLcmsDoes)
{
    // Colours spread over the whole cube; a bias of part of a step shows as twice the share of
    // colours a level away from lcms2, and as two levels on a display whose black is grey.
    std::vector<std::uint32_t> colours(1 << 16);
    for (std::size_t i = 0; i < colours.size(); ++i)
        colours[i] = 0xFF000000u | static_cast<std::uint32_t>(i * 263 & 0xFFFFFF);
    const ProfileBytes p3 = display_p3_test_profile();
    for (const ProfileBytes& display : {ProfileBytes{}, grey_black_display_test_profile()}) {
        SCOPED_TRACE(display.empty() ? "on sRGB" : "on a display whose black is grey");
        std::vector<std::uint32_t> shown = colours;
        ViewColourTransform::between(p3, display)->convert(shown.data(), 256, 256, 256, RowPool::shared());
        const std::vector<std::uint32_t> expected = lcms_converted(colours, p3, display);
        int worst = 0, unlike = 0;
        for (std::size_t i = 0; i < colours.size(); ++i) {
            worst = std::max(worst, channel_distance(shown[i], expected[i]));
            unlike += shown[i] != expected[i];
        }
        EXPECT_LE(worst, 1);
        EXPECT_LT(unlike, static_cast<int>(colours.size()) * 3 / 100);
    }
}
