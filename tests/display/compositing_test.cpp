#include "display/compositing.h"

#include <gtest/gtest.h>

#include "tests/display/display_test_support.h"

namespace {

TEST(BlendPixel, MixesByAlphaAndMergeRespectsATranslucentBackground)
{
    EXPECT_EQ(blend_pixel(0xFFFFFFFF, 0xFF000000, 0, CombineMode::cmBlend), 0xFF000000u);
    EXPECT_EQ(blend_pixel(0x00123456, 0x7F000000, 255, CombineMode::cmBlend), 0x7F123456u);
    EXPECT_EQ(blend_pixel(0xFFFFFFFF, 0xFF000000, 128, CombineMode::cmBlend), 0xFF808080u);
    EXPECT_EQ(blend_pixel(0xFF00FF00, 0xFFFF0000, 51, CombineMode::cmBlend), 0xFFCC3300u);
    // On an opaque background both modes agree.
    EXPECT_EQ(blend_pixel(0xFF00FF00, 0xFFFF0000, 51, CombineMode::cmMerge), 0xFFCC3300u);
    // Merging onto a fully transparent background takes the foreground's colour and the weight as alpha.
    EXPECT_EQ(blend_pixel(0xFF00FF00, 0x00FF0000, 51, CombineMode::cmMerge), 0x3300FF00u);
    EXPECT_EQ(blend_pixel(0xFF00FF00, 0x00FF0000, 51, CombineMode::cmBlend), 0x00CC3300u);
}

TEST(DrawBitmap, OpaqueCopiesBlendedMixesWithMasterAlphaAndBothClip)
{
    Bitmap32 target, source;
    fill_flat(target, 4, 3, 0xFF000000);
    fill_flat(source, 3, 3, 0x80FFFFFF);
    draw_bitmap(target, 2, -1, source);  // covers x 2..3, y 0..1
    EXPECT_EQ(target.pixel(1, 0), 0xFF000000u);
    EXPECT_EQ(target.pixel(2, 0), 0x80FFFFFFu);
    EXPECT_EQ(target.pixel(3, 1), 0x80FFFFFFu);
    EXPECT_EQ(target.pixel(3, 2), 0xFF000000u);

    fill_flat(target, 4, 3, 0xFF000000);
    source.attributes.draw_mode = DrawMode::dmBlend;
    source.attributes.master_alpha = 128;  // 128 x 128 / 255 = 64
    draw_bitmap(target, -2, 1, source);
    EXPECT_EQ(target.pixel(0, 1), 0xFF404040u);
    EXPECT_EQ(target.pixel(0, 0), 0xFF000000u);
    EXPECT_EQ(target.pixel(1, 2), 0xFF000000u);  // beyond the source's right edge

    draw_bitmap(target, 1 << 30, 1 << 30, source);  // far away: nothing, no overflow
    EXPECT_EQ(target.pixel(3, 2), 0xFF000000u);
}

}  // namespace
