#include "display/antialiased_text.h"

#include <gtest/gtest.h>

#include <QFontMetrics>

#include "display/bitmap_qt.h"
#include "tests/display/display_test_support.h"
#include "tests/support/notification_recorder.h"

namespace {

constexpr std::uint32_t kRed = 0xFFFF0000;
constexpr std::uint32_t kWhite = 0xFFFFFFFF;

struct Ink {
    int left = 1 << 30, top = 1 << 30, right = -1, bottom = -1;  // bounding box of changed pixels, inclusive
    long long total = 0;                                         // summed green level, i.e. coverage
    int height() const { return bottom - top + 1; }
};

Ink ink_on_red(const Bitmap32& bitmap)
{
    Ink ink;
    for (int y = 0; y < bitmap.height(); ++y)
        for (int x = 0; x < bitmap.width(); ++x) {
            const std::uint32_t p = bitmap.pixel(x, y);
            if (p == kRed) continue;
            ink = {std::min(ink.left, x), std::min(ink.top, y), std::max(ink.right, x),
                   std::max(ink.bottom, y), ink.total + (p >> 8 & 0xFF)};
        }
    return ink;
}

Ink draw_on_red(int width, int height, int x, int y, const QString& text, std::uint32_t color,
                int pixels_per_inch = 96, const BitmapFont& font = default_bitmap_font(96),
                Bitmap32* out = nullptr)
{
    Bitmap32 local;
    Bitmap32& bitmap = out != nullptr ? *out : local;
    fill_flat(bitmap, width, height, kRed);
    bitmap.attributes.font = font;
    draw_antialiased_text(bitmap, x, y, text, 4, color, pixels_per_inch);
    return ink_on_red(bitmap);
}

TEST(DrawAntialiasedText, WhiteOnRedChangesOnlyTheTextBoxAndBlendsByCoverage)
{
    Bitmap32 face;
    BitmapFont font = default_bitmap_font(96);
    font.bold = true;
    const Ink ink = draw_on_red(131, 21, 30, 3, "OPEN PHOTO", kWhite, 96, font, &face);

    // The text box: the 16-times font's extent of the text and a space, in whole blocks.
    const QFontMetrics big(to_qfont(font, 16, 96));
    const int box_width = big.horizontalAdvance("OPEN PHOTO ") / 16 + 1;
    const int box_height = big.height() / 16 + 1;
    ASSERT_GE(ink.right, ink.left);
    EXPECT_GE(ink.left, 30);
    EXPECT_GE(ink.top, 3);
    EXPECT_LT(ink.right, 30 + box_width);
    EXPECT_LT(ink.bottom, 3 + box_height);
    EXPECT_GE(ink.right - ink.left, 50);  // ten capitals at 8 points
    EXPECT_LE(ink.height(), 11);

    int full = 0, partial = 0;
    for (int y = 0; y < 21; ++y)
        for (int x = 0; x < 131; ++x) {
            const std::uint32_t p = face.pixel(x, y);
            ASSERT_EQ(p >> 16, 0xFFFFu);         // alpha and red stay full
            ASSERT_EQ(p >> 8 & 0xFF, p & 0xFF);  // white mixes in equally
            const std::uint32_t level = p & 0xFF;
            full += level == 0xFF;
            partial += level > 0 && level < 0xFF;
        }
    EXPECT_GT(full, 20);
    EXPECT_GT(partial, 20);
}

TEST(DrawAntialiasedText, TheColoursAlphaScalesTheCoverage)
{
    Bitmap32 opaque, half, none;
    draw_on_red(80, 20, 2, 2, "Tools", kWhite, 96, default_bitmap_font(96), &opaque);
    draw_on_red(80, 20, 2, 2, "Tools", 0x80FFFFFF, 96, default_bitmap_font(96), &half);
    EXPECT_EQ(draw_on_red(80, 20, 2, 2, "Tools", 0x00FFFFFF, 96, default_bitmap_font(96), &none).right, -1);
    for (std::size_t k = 0; k < opaque.pixel_count(); ++k) {
        const double coverage = opaque.pixels()[k] & 0xFF;
        ASSERT_NEAR(half.pixels()[k] & 0xFF, coverage * 128 / 255, 1.0);
    }
}

TEST(DrawAntialiasedText, ClippedTextMatchesTheSameTextDrawnInFull)
{
    Bitmap32 whole, clipped;
    draw_on_red(120, 40, 13, 5, "More", kWhite, 96, default_bitmap_font(96), &whole);
    draw_on_red(20, 8, -7, -5, "More", kWhite, 96, default_bitmap_font(96), &clipped);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 20; ++x)
            ASSERT_EQ(clipped.pixel(x, y), whole.pixel(x + 20, y + 10)) << x << "," << y;
    EXPECT_EQ(draw_on_red(20, 8, 5000, -5000, "More", kWhite).right, -1);
}

TEST(DrawAntialiasedText, AnEmptyBitmapIsLeftAloneWithoutNotice)
{
    Bitmap32 empty;
    NotificationRecorder notifications(empty);
    draw_antialiased_text(empty, 0, 0, "OPEN PHOTO", 4, kWhite);
    EXPECT_TRUE(empty.is_empty());
    EXPECT_EQ(notifications.count("change"), 0);
}

TEST(DrawAntialiasedText, SizeFollowsTheFontsPointsAtTheScreensResolution)
{
    const Ink at_96 = draw_on_red(300, 60, 0, 0, "OPEN PHOTO", kWhite, 96);
    BitmapFont larger = default_bitmap_font(96);
    larger.set_size(16);
    const double doubled =
        static_cast<double>(draw_on_red(300, 60, 0, 0, "OPEN PHOTO", kWhite, 96, larger).height());
    EXPECT_NEAR(doubled / at_96.height(), 2.0, 0.3);

    // A 13-pixel font marked as 150 pixels per inch reads as 6 points; on a
    // 144-pixel-per-inch screen that is 12 pixels, against 10.67 for 8 points at 96.
    BitmapFont marked = default_bitmap_font(120);
    ASSERT_EQ(marked.height, -13);
    marked.pixels_per_inch = 150;
    ASSERT_EQ(marked.size(), 6);
    const double high =
        static_cast<double>(draw_on_red(300, 60, 0, 0, "OPEN PHOTO", kWhite, 144, marked).height());
    EXPECT_NEAR(high / at_96.height(), 1.125, 0.2);  // 12 / 10.67
}

TEST(DrawAntialiasedText, BoldAndMissingFacesStillDraw)
{
    BitmapFont font = default_bitmap_font(96);
    font.face_name = "Verdana";  // absent on many systems: falls back to a sans-serif face
    const Ink regular = draw_on_red(200, 30, 0, 0, "Start Automatic", kWhite, 96, font);
    font.bold = true;
    const Ink bold = draw_on_red(200, 30, 0, 0, "Start Automatic", kWhite, 96, font);
    EXPECT_GT(regular.total, 0);
    EXPECT_GT(bold.total, regular.total);
}

}  // namespace
