#include "display/img_view32.h"

#include <gtest/gtest.h>

#include <memory>

#include "tests/display/display_test_support.h"

namespace {

constexpr std::uint32_t kViewColor = 0xFFC9C9C9;

TEST(TImgView32, SmallerPhotoIsDrawnCentredAndDoesNotScroll)
{
    Bitmap32 photo;
    fill_flat(photo, 300, 200, 0xFF3366CC);
    TImgView32 view;
    view.set_bitmap(&photo);
    const QImage before = shown(view);
    ASSERT_EQ(before.size(), QSize(420, 320));
    EXPECT_EQ(at(before, 60, 60), 0xFF3366CCu);
    EXPECT_EQ(at(before, 359, 259), 0xFF3366CCu);
    EXPECT_EQ(at(before, 59, 60), kViewColor);
    EXPECT_EQ(at(before, 60, 59), kViewColor);
    EXPECT_EQ(at(before, 360, 259), kViewColor);
    EXPECT_EQ(at(before, 359, 260), kViewColor);
    view.scroll_by(50, 50);
    EXPECT_EQ(shown(view), before);
}

TEST(TImgView32, WidePhotoStartsCentredAndPansUntilItsLeftEdge)
{
    Bitmap32 photo;
    fill_with_coordinates(photo, 1000, 320);
    TImgView32 view;
    view.set_bitmap(&photo);
    EXPECT_EQ(coordinate_x(at(shown(view), 210, 100)), 500);
    view.scroll_by(-10, 0);
    EXPECT_EQ(coordinate_x(at(shown(view), 220, 100)), 500);  // the picture moved 10 pixels right
    view.scroll_by(-1000, 0);
    const QImage stopped = shown(view);
    EXPECT_EQ(coordinate_x(at(stopped, 0, 100)), 0);
    EXPECT_EQ(coordinate_x(at(stopped, 419, 100)), 419);
}

TEST(TImgView32, ZoomingAPannedViewKeepsThePointAtTheCentre)
{
    Bitmap32 photo;
    fill_with_coordinates(photo, 1200, 900);
    TImgView32 view;
    view.set_bitmap(&photo);
    view.scroll_by(-250, 120);
    const QImage panned = shown(view);
    const int centre_x = coordinate_x(at(panned, 210, 160));
    const int centre_y = coordinate_y(at(panned, 210, 160));
    view.set_scale(3.0f);
    const QImage zoomed = shown(view);
    EXPECT_NEAR(coordinate_x(at(zoomed, 210, 160)), centre_x, 1);
    EXPECT_NEAR(coordinate_y(at(zoomed, 210, 160)), centre_y, 1);
    EXPECT_EQ(at(zoomed, 210, 160), at(zoomed, 211, 160));  // enlarged pixels form blocks
}

TEST(TImgView32, ScaleZeroBecomesTheMinimumAndTheCurrentScaleCausesNoRepaint)
{
    Bitmap32 photo;
    fill_with_coordinates(photo, 640, 480);
    TImgView32 view;
    view.set_bitmap(&photo);
    const QImage first = shown(view);
    const long long renders = view.render_count();
    view.set_scale(1.0f);
    EXPECT_EQ(shown(view), first);
    EXPECT_EQ(view.render_count(), renders);  // painted from the back buffer only
    view.set_scale(0.0f);
    EXPECT_EQ(view.scale(), 0.001f);
    const QImage tiny = shown(view);
    EXPECT_EQ(view.render_count(), renders + 1);
    EXPECT_EQ(at(tiny, 210, 160), kViewColor);  // 640 x 0.001 rounds to 1 pixel, 480 x 0.001 to none
}

TEST(TImgView32, ChangeRepaintsAndResizeRecentresButASameSizePhotoKeepsThePosition)
{
    Bitmap32 photo;
    fill_flat(photo, 1000, 1000, 0xFF000000);
    TImgView32 view;
    int changes = 0;
    view.OnChange = [&] { ++changes; };
    view.set_bitmap(&photo);
    view.scroll_by(-100, -100);
    shown(view);

    Bitmap32 same_size;
    fill_flat(same_size, 1000, 1000, 0xFF00FF00);
    photo.assign(&same_size);
    EXPECT_EQ(changes, 1);
    EXPECT_FLOAT_EQ(view.placement().scroll_x(), 190);
    EXPECT_EQ(at(shown(view), 5, 5), 0xFF00FF00u);

    photo.set_size(2000, 600);
    EXPECT_FLOAT_EQ(view.placement().scroll_x(), 1000 - 210);
    EXPECT_FLOAT_EQ(view.placement().scroll_y(), 300 - 160);
}

TEST(TImgView32, AResizedViewRedrawsItsWholeArea)
{
    Bitmap32 photo;
    fill_flat(photo, 100, 100, 0xFF102030);
    TImgView32 view;
    view.set_bitmap(&photo);
    shown(view);
    view.resize(200, 150);
    const QImage resized = shown(view);
    ASSERT_EQ(resized.size(), QSize(200, 150));
    EXPECT_EQ(at(resized, 50, 25), 0xFF102030u);
    EXPECT_EQ(at(resized, 49, 25), kViewColor);
}

TEST(TImgView32Lifetime, HandlersGoWithTheViewAndOnlyTheirOwner)
{
    Bitmap32 photo;
    fill_flat(photo, 10, 10, 0xFFFFFFFF);
    {
        TImgView32 view;
        view.set_bitmap(&photo);
        EXPECT_TRUE(photo.OnChange && photo.OnResize);
    }
    EXPECT_FALSE(photo.OnChange || photo.OnResize);

    auto first = std::make_unique<TImgView32>();
    TImgView32 second;
    first->set_bitmap(&photo);
    second.set_bitmap(&photo);  // one bitmap, one view: the first lets go
    EXPECT_EQ(first->bitmap(), nullptr);
    EXPECT_EQ(at(shown(*first), 210, 160), kViewColor);
    first.reset();
    EXPECT_TRUE(photo.OnChange && photo.OnResize);
    second.set_bitmap(nullptr);
    EXPECT_FALSE(photo.OnChange || photo.OnResize);
}

TEST(TImgView32Lifetime, ABitmapDestroyedFirstLeavesAnEmptyView)
{
    TImgView32 view;
    {
        Bitmap32 photo;
        fill_flat(photo, 500, 500, 0xFFFF0000);
        view.set_bitmap(&photo);
        EXPECT_EQ(at(shown(view), 210, 160), 0xFFFF0000u);
    }
    EXPECT_EQ(view.bitmap(), nullptr);
    EXPECT_EQ(at(shown(view), 210, 160), kViewColor);
    view.set_scale(2.0f);  // still usable
    EXPECT_EQ(at(shown(view), 0, 0), kViewColor);
}

struct MouseLog {
    int downs = 0, moves = 0, ups = 0;
    QPoint last;
};

void record(TImgView32& view, MouseLog& log)
{
    view.OnMouseDown = [&](Qt::MouseButton, Qt::KeyboardModifiers, int x, int y) {
        ++log.downs, log.last = {x, y};
    };
    view.OnMouseMove = [&](Qt::MouseButtons, Qt::KeyboardModifiers, int x, int y) {
        ++log.moves, log.last = {x, y};
    };
    view.OnMouseUp = [&](Qt::MouseButton, Qt::KeyboardModifiers, int x, int y) {
        ++log.ups, log.last = {x, y};
    };
}

TEST(TImgView32Mouse, LeftPressCapturesUntilReleasedOrGivenUp)
{
    TImgView32 view;
    MouseLog log;
    record(view, log);
    move(view, {500, 10}, Qt::NoButton);
    EXPECT_EQ(log.moves, 0);  // outside and not captured

    press(view, {10, 20});
    EXPECT_TRUE(view.has_capture());
    move(view, {-40, 500});
    EXPECT_EQ(log.moves, 1);
    EXPECT_EQ(log.last, QPoint(-40, 500));
    release(view, {-40, 500});
    EXPECT_EQ(log.ups, 1);
    EXPECT_FALSE(view.has_capture());

    press(view, {10, 20});
    view.release_capture();
    move(view, {600, 20});
    move(view, {30, 20});
    EXPECT_EQ(log.moves, 2);  // only the move inside arrived

    press(view, {10, 20}, Qt::RightButton);
    EXPECT_FALSE(view.has_capture());
    EXPECT_EQ(log.downs, 3);

    view.setCursor(Qt::SizeAllCursor);
    EXPECT_EQ(view.cursor().shape(), Qt::SizeAllCursor);
}

}  // namespace
