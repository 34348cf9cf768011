#include "engine/bitmap32.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/bitmap24.h"
#include "engine/pixel_storage.h"
#include "tests/support/notification_recorder.h"

#if defined(__linux__)
#include <sys/mman.h>
#include <unistd.h>
#endif

namespace {

#if defined(__linux__)
TEST(PixelStorage, BigBlocksStartOnAHugePageLeaveNothingMappedPastTheirEndAndGoBackWhole)
{
    const auto page = static_cast<std::uintptr_t>(sysconf(_SC_PAGESIZE));
    const auto mapped = [page](std::uintptr_t address) {
        return msync(reinterpret_cast<void*>(address & ~(page - 1)), page, MS_ASYNC) == 0;
    };
    // A 24-megapixel photo's words: not a whole number of pages.
    const std::size_t bytes = std::size_t{6000} * 4000 * 4 + 8;
    void* storage = allocate_pixel_storage(bytes);
    ASSERT_NE(storage, nullptr);
    const auto begin = reinterpret_cast<std::uintptr_t>(storage);
    const std::uintptr_t last = begin + bytes - 1;
    EXPECT_EQ(begin % (std::uintptr_t{2} << 20), 0u);
    EXPECT_TRUE(mapped(begin) && mapped(last));
    EXPECT_FALSE(mapped(last + page));
    release_pixel_storage(storage, bytes);
    EXPECT_FALSE(mapped(begin) || mapped(last));
}
#endif

using Events = std::vector<std::string>;

TEST(Bitmap32SetSize, ResizeNotifiesAreaThenChangeThenResizeAndClearsStorage)
{
    Bitmap32 bitmap;
    NotificationRecorder log(bitmap, NotificationRecorder::Areas::Recorded);
    EXPECT_TRUE(bitmap.is_empty());

    EXPECT_TRUE(bitmap.set_size(3, 2));
    EXPECT_EQ(log.events, (Events{"area 3x2", "change", "resize"}));
    ASSERT_NE(bitmap.pixels(), nullptr);
    for (std::size_t k = 0; k < bitmap.pixel_count(); ++k) EXPECT_EQ(bitmap.pixels()[k], 0u);

    log.events.clear();
    EXPECT_FALSE(bitmap.set_size(3, 2));
    EXPECT_TRUE(log.events.empty());
}

TEST(Bitmap32SetSize, NegativeAndZeroSizesGiveNoStorage)
{
    Bitmap32 bitmap;
    bitmap.set_size(4, 4);
    EXPECT_TRUE(bitmap.set_size(-5, 7));
    EXPECT_EQ(bitmap.width(), 0);
    EXPECT_EQ(bitmap.height(), 7);
    EXPECT_TRUE(bitmap.is_empty());
    EXPECT_EQ(bitmap.pixels(), nullptr);
    // -5 counts as 0, so (0, 7) again is no change.
    EXPECT_FALSE(bitmap.set_size(-1, 7));
}

TEST(Bitmap32SetSize, UnobtainableStorageLeavesEmptyBitmapAndReportsTheFault)
{
    Bitmap32 bitmap;
    bitmap.set_size(2, 2);
    NotificationRecorder log(bitmap, NotificationRecorder::Areas::Recorded);
    try {
        // Far more than any machine holds: calloc refuses it.
        bitmap.set_size(2000000000, 2000000000);
        FAIL() << "expected an allocation failure";
    } catch (const EBitmapError& e) {
        EXPECT_STREQ(e.what(), "not enough memory for a photo of 2000000000 x 2000000000");
    }
    EXPECT_EQ(bitmap.width(), 0);
    EXPECT_EQ(bitmap.height(), 0);
    EXPECT_TRUE(bitmap.is_empty());
    // Views were told the old storage is gone.
    EXPECT_EQ(log.events, (Events{"area 0x0", "change", "resize"}));
}

TEST(Bitmap32Update, ChangedIsSilentWhileAnUpdateIsOpen)
{
    Bitmap32 bitmap;
    NotificationRecorder log(bitmap, NotificationRecorder::Areas::Recorded);
    bitmap.begin_update();
    bitmap.begin_update();
    bitmap.changed();
    bitmap.end_update();
    bitmap.changed();
    EXPECT_TRUE(log.events.empty());
    bitmap.end_update();
    bitmap.changed();
    EXPECT_EQ(log.events, (Events{"area 0x0", "change"}));
}

TEST(Bitmap32Update, UnpairedEndUpdateIsReported)
{
    Bitmap32 bitmap;
    try {
        bitmap.end_update();
        FAIL() << "expected an error";
    } catch (const EBitmapError& e) {
        EXPECT_STREQ(e.what(), "Unpaired TThreadPersistent.EndUpdate");
    }
    EXPECT_EQ(bitmap.update_count(), 0);
}

TEST(Bitmap32Assign, CopiesPixelsAndAttributesWithOneChangeAtTheEndAndAResize)
{
    Bitmap32 source;
    source.set_size(2, 1);
    source.pixels()[0] = 0x00123456;
    source.pixels()[1] = 0x80ABCDEF;
    source.attributes.font.face_name = "Verdana";
    source.attributes.font.bold = true;
    source.attributes.master_alpha = 77;
    source.attributes.outer_color = 0xFF00FF00;

    Bitmap32 copy;
    NotificationRecorder log(copy, NotificationRecorder::Areas::Recorded);
    copy.assign(&source);
    // The resize happens inside the update: only OnResize is heard there.
    EXPECT_EQ(log.events, (Events{"resize", "area 2x1", "change"}));
    EXPECT_EQ(copy.update_count(), 0);
    EXPECT_EQ(copy.pixel(0, 0), 0x00123456u);  // alpha included, unchanged
    EXPECT_EQ(copy.pixel(1, 0), 0x80ABCDEFu);
    EXPECT_EQ(copy.attributes, source.attributes);

    // Independent storage.
    copy.pixels()[0] = 1;
    EXPECT_EQ(source.pixel(0, 0), 0x00123456u);
}

TEST(Bitmap32Assign, NullSourceEmptiesAndSameSizeDoesNotResize)
{
    Bitmap32 a;
    a.set_size(2, 2);
    Bitmap32 b;
    b.set_size(2, 2);
    b.pixels()[3] = 0xFFFFFFFF;
    NotificationRecorder log(a, NotificationRecorder::Areas::Recorded);
    a.assign(&b);
    EXPECT_EQ(log.events, (Events{"area 2x2", "change"}));
    EXPECT_EQ(a.pixel(1, 1), 0xFFFFFFFFu);

    log.events.clear();
    a.assign(nullptr);
    EXPECT_EQ(a.width(), 0);
    EXPECT_TRUE(a.is_empty());
    EXPECT_EQ(log.events, (Events{"resize", "area 0x0", "change"}));
}

TEST(Bitmap32Assign, EmptySourceKeepsOwnAttributes)
{
    Bitmap32 source;
    source.attributes.master_alpha = 10;
    Bitmap32 target;
    target.set_size(1, 1);
    target.assign(&source);
    EXPECT_TRUE(target.is_empty());
    EXPECT_EQ(target.attributes.master_alpha, 255);
}

TEST(Bitmap32ResetAlpha, SetsOnlyAlphaAndNotifiesOnce)
{
    Bitmap32 bitmap;
    bitmap.set_size(2, 1);
    bitmap.pixels()[0] = 0x00112233;
    bitmap.pixels()[1] = 0x7F445566;
    NotificationRecorder log(bitmap, NotificationRecorder::Areas::Recorded);
    bitmap.reset_alpha(255);
    EXPECT_EQ(bitmap.pixel(0, 0), 0xFF112233u);
    EXPECT_EQ(bitmap.pixel(1, 0), 0xFF445566u);
    EXPECT_EQ(log.events, (Events{"area 2x1", "change"}));
}

TEST(BitmapFont, MarkingAnotherResolutionKeepsPixelHeightAndChangesPoints)
{
    BitmapFont font;
    font.set_size(8);
    EXPECT_EQ(font.height, -11);
    EXPECT_EQ(font.size(), 8);
    font.pixels_per_inch = 150;
    EXPECT_EQ(font.height, -11);
    EXPECT_EQ(font.size(), 5);
}

TEST(CopyToBitmap24, WritesBlueGreenRedAndDropsAlpha)
{
    Bitmap32 source;
    source.set_size(2, 1);
    source.pixels()[0] = 0x80102030;
    source.pixels()[1] = 0xFFA0B0C0;
    const Bitmap24 result = copy_to_bitmap24(source);
    ASSERT_EQ(result.width(), 2);
    ASSERT_EQ(result.height(), 1);
    EXPECT_EQ(result.bits_per_pixel, 24);
    const std::uint8_t* row = result.scan_line(0);
    const std::vector<std::uint8_t> bytes(row, row + 6);
    EXPECT_EQ(bytes, (std::vector<std::uint8_t>{0x30, 0x20, 0x10, 0xC0, 0xB0, 0xA0}));
}

TEST(CopyToBitmap24, RowsKeepTopToBottomOrder)
{
    Bitmap32 source;
    source.set_size(1, 3);
    for (int y = 0; y < 3; ++y) source.pixels()[y] = 0xFF000000u | static_cast<std::uint32_t>(y + 1) << 16;
    const Bitmap24 result = copy_to_bitmap24(source);
    for (int y = 0; y < 3; ++y) EXPECT_EQ(result.scan_line(y)[2], y + 1);
}

TEST(CopyToBitmap24, EveryWidthAndReusedStorageGiveExactBytes)
{
    // Widths around the four-pixel packing, and a second copy into the same bitmap.
    Bitmap24 reused;
    for (int width = 1; width <= 9; ++width) {
        for (std::uint32_t seed : {0x01234567u, 0xF0E1D2C3u}) {
            Bitmap32 source;
            source.set_size(width, 3);
            std::uint32_t v = seed;
            for (std::size_t k = 0; k < source.pixel_count(); ++k)
                source.pixels()[k] = v = v * 747796405u + 1u;
            copy_to_bitmap24(source, reused);
            ASSERT_EQ(reused.width(), width);
            for (int y = 0; y < 3; ++y)
                for (int x = 0; x < width; ++x) {
                    const std::uint32_t p = source.pixel(x, y);
                    const std::uint8_t* b = reused.scan_line(y) + 3 * x;
                    ASSERT_EQ(b[0], p & 0xFF) << width << "," << x << "," << y;
                    ASSERT_EQ(b[1], (p >> 8) & 0xFF);
                    ASSERT_EQ(b[2], (p >> 16) & 0xFF);
                }
        }
    }
}

TEST(CopyToBitmap24, ZeroHeightKeepsWidthWithNoRows)
{
    Bitmap32 source;
    source.set_size(5, 0);
    const Bitmap24 result = copy_to_bitmap24(source);
    EXPECT_EQ(result.width(), 5);
    EXPECT_EQ(result.height(), 0);
}

}  // namespace
