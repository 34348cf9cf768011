#include "engine/curve_triple.h"

#include <gtest/gtest.h>

#include <numeric>
#include <string>
#include <vector>

#include "engine/bitmap32.h"
#include "tests/support/notification_recorder.h"

namespace {

CurveTriple identity()
{
    CurveTriple t;
    for (int i = 0; i < 256; ++i)
        t.red_table[i] = t.green_table[i] = t.blue_table[i] = static_cast<std::uint8_t>(i);
    return t;
}

// A curve that is neither identity nor idempotent, so composition is visible.
CurveTriple plus_ten()
{
    CurveTriple t;
    for (int i = 0; i < 256; ++i) {
        const int v = i + 10 > 255 ? 255 : i + 10;
        t.red_table[i] = static_cast<std::uint8_t>(v);
        t.green_table[i] = static_cast<std::uint8_t>(255 - i);
        t.blue_table[i] = static_cast<std::uint8_t>(i / 2);
    }
    return t;
}

using Events = std::vector<std::string>;

TEST(ApplyCurves, MissingBuffersAreReportedBeforeAnythingChanges)
{
    Bitmap32 b;
    b.set_size(1, 1);
    b.pixels()[0] = 0x01020304;
    NotificationRecorder log(b);
    try {
        apply_curves(nullptr, nullptr, identity());
        FAIL();
    } catch (const EBitmapError& e) {
        EXPECT_STREQ(e.what(), "The source is nil");  // source is tested first
    }
    try {
        apply_curves(nullptr, &b, identity());
        FAIL();
    } catch (const EBitmapError& e) {
        EXPECT_STREQ(e.what(), "Destination is nil");
    }
    try {
        apply_curves(&b, nullptr, identity());
        FAIL();
    } catch (const EBitmapError& e) {
        EXPECT_STREQ(e.what(), "The source is nil");
    }
    EXPECT_EQ(b.pixel(0, 0), 0x01020304u);
    EXPECT_TRUE(log.events.empty());
}

TEST(ApplyCurves, IdentityKeepsLevelsAndMakesOpaque)
{
    Bitmap32 source, destination;
    source.set_size(1, 1);
    source.pixels()[0] = 0x00123456;
    apply_curves(&destination, &source, identity());
    EXPECT_EQ(destination.pixel(0, 0), 0xFF123456u);
}

TEST(ApplyCurves, EachChannelUsesOnlyItsOwnTable)
{
    CurveTriple t = identity();
    for (auto& v : t.red_table) v = 0;
    Bitmap32 source, destination;
    source.set_size(256, 1);
    for (int i = 0; i < 256; ++i)
        source.pixels()[i] = static_cast<std::uint32_t>(i) << 16 | static_cast<std::uint32_t>(255 - i) << 8 |
                             static_cast<std::uint32_t>((i * 7) & 0xFF);
    apply_curves(&destination, &source, t);
    for (int i = 0; i < 256; ++i)
        EXPECT_EQ(destination.pixel(i, 0), 0xFF000000u | (source.pixel(i, 0) & 0xFFFFu)) << i;

    const CurveTriple p = plus_ten();
    apply_curves(&destination, &source, p);
    for (int i = 0; i < 256; ++i) {
        const std::uint32_t s = source.pixel(i, 0), d = destination.pixel(i, 0);
        EXPECT_EQ((d >> 16) & 0xFF, p.red_table[(s >> 16) & 0xFF]);
        EXPECT_EQ((d >> 8) & 0xFF, p.green_table[(s >> 8) & 0xFF]);
        EXPECT_EQ(d & 0xFF, p.blue_table[s & 0xFF]);
    }
}

TEST(ApplyCurves, NewSizeNotifiesChangeAndResizeBeforeOneFinalChange)
{
    Bitmap32 source, destination;
    source.set_size(3, 2);
    destination.set_size(1, 1);
    NotificationRecorder log(destination);
    bool pixels_written_at_resize = true;
    destination.OnResize = [&] {
        log.events.push_back("resize");
        pixels_written_at_resize = destination.pixel(0, 0) != 0;
    };
    apply_curves(&destination, &source, identity());
    EXPECT_EQ(log.events, (Events{"change", "resize", "change"}));
    EXPECT_FALSE(pixels_written_at_resize);
    EXPECT_EQ(destination.width(), 3);
    EXPECT_EQ(destination.height(), 2);
}

TEST(ApplyCurves, EmptySourceEmptiesDestinationAndStillNotifies)
{
    Bitmap32 source, destination;
    destination.set_size(2, 2);
    NotificationRecorder log(destination);
    apply_curves(&destination, &source, identity());
    EXPECT_EQ(log.events, (Events{"change", "resize", "change"}));
    EXPECT_TRUE(destination.is_empty());

    log.events.clear();
    apply_curves(&destination, &source, identity());
    EXPECT_EQ(log.events, (Events{"change"}));
}

TEST(ApplyCurves, InPlaceNotifiesOnceAndComposes)
{
    const CurveTriple p = plus_ten();
    Bitmap32 b;
    b.set_size(256, 1);
    for (int i = 0; i < 256; ++i) b.pixels()[i] = 0x01010101u * static_cast<std::uint32_t>(i);
    NotificationRecorder log(b);
    apply_curves(&b, &b, p);
    apply_curves(&b, &b, p);
    EXPECT_EQ(log.events, (Events{"change", "change"}));
    for (int i = 0; i < 256; ++i) {
        const std::uint32_t d = b.pixel(i, 0);
        EXPECT_EQ((d >> 16) & 0xFF, p.red_table[p.red_table[i]]) << i;
        EXPECT_EQ((d >> 8) & 0xFF, p.green_table[p.green_table[i]]) << i;
        EXPECT_EQ(d & 0xFF, p.blue_table[p.blue_table[i]]) << i;
        EXPECT_EQ(d >> 24, 0xFFu);
    }
}

TEST(ComposeCurves, OnePassEqualsTwoPassesInOrder)
{
    const CurveTriple first = plus_ten();
    CurveTriple second = plus_ten();
    for (int i = 0; i < 256; ++i) second.blue_table[i] = static_cast<std::uint8_t>(i * 3 / 4);
    Bitmap32 source, twice, once;
    source.set_size(64, 4);
    std::iota(source.pixels(), source.pixels() + source.pixel_count(), 0x00ABCDEFu);
    for (std::size_t k = 0; k < source.pixel_count(); ++k) source.pixels()[k] *= 2654435761u;
    apply_curves(&twice, &source, first);
    apply_curves(&twice, &twice, second);
    apply_curves(&once, &source, compose_curves(first, second));
    for (std::size_t k = 0; k < source.pixel_count(); ++k)
        ASSERT_EQ(once.pixels()[k], twice.pixels()[k]) << k;
    // Order matters: the other way round is a different curve here.
    apply_curves(&once, &source, compose_curves(second, first));
    bool differs = false;
    for (std::size_t k = 0; k < source.pixel_count(); ++k) differs |= once.pixels()[k] != twice.pixels()[k];
    EXPECT_TRUE(differs);
}

TEST(ApplyCurves, InPlaceEqualsApplyingToACopy)
{
    const CurveTriple p = plus_ten();
    Bitmap32 a, copy, expected;
    a.set_size(17, 13);
    std::iota(a.pixels(), a.pixels() + a.pixel_count(), 0x12345678u);
    copy.assign(&a);
    apply_curves(&expected, &copy, p);
    apply_curves(&a, &a, p);
    for (std::size_t k = 0; k < a.pixel_count(); ++k) ASSERT_EQ(a.pixels()[k], expected.pixels()[k]) << k;
}

}  // namespace
