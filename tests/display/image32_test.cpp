#include "display/image32.h"

#include <gtest/gtest.h>

#include <QEnterEvent>

#include "display/bitmap32_list.h"
#include "display/bitmap_qt.h"
#include "tests/display/display_test_support.h"
#include "tests/support/notification_recorder.h"

namespace {

TEST(TImage32, ShowsItsBitmapUnscaledAtTheTopLeftAndItsColourBeyond)
{
    TImage32 image;
    image.set_color(QColor(10, 20, 30));
    fill_flat(image.bitmap(), 10, 5, 0xFFAA5500);
    image.resize(20, 8);
    const QImage picture = shown(image);
    EXPECT_EQ(at(picture, 0, 0), 0xFFAA5500u);
    EXPECT_EQ(at(picture, 9, 4), 0xFFAA5500u);
    EXPECT_EQ(at(picture, 10, 4), 0xFF0A141Eu);
    EXPECT_EQ(at(picture, 9, 5), 0xFF0A141Eu);
    image.size_to_bitmap();
    EXPECT_EQ(image.size(), QSize(10, 5));
}

TEST(TImage32, DrawsAgainAfterItsBitmapChanges)
{
    TImage32 image;
    fill_flat(image.bitmap(), 4, 4, 0xFF000000);
    image.size_to_bitmap();
    EXPECT_EQ(at(shown(image), 1, 1), 0xFF000000u);
    image.bitmap().scan_line(1)[1] = 0xFFFFFFFF;
    image.bitmap().changed();
    EXPECT_EQ(at(shown(image), 1, 1), 0xFFFFFFFFu);
}

TEST(TImage32, BlendedBitmapIsMixedWithTheControlColourByMasterAlpha)
{
    TImage32 image;
    image.set_color(Qt::black);
    fill_flat(image.bitmap(), 2, 2, 0xFFFFFFFF);
    image.bitmap().attributes.draw_mode = DrawMode::dmBlend;
    image.bitmap().attributes.master_alpha = 128;
    image.bitmap().changed();
    image.size_to_bitmap();
    EXPECT_EQ(at(shown(image), 1, 1), 0xFF808080u);
}

TEST(TImage32, TakingAListBitmapCopiesItSoDrawingLeavesTheListAlone)
{
    TBitmap32List faces;
    Bitmap32& face = faces.Bitmaps.add().Bitmap;
    fill_flat(face, 3, 3, 0xFFC81E19);
    face.attributes.font.pixels_per_inch = 150;
    face.attributes.font.face_name = "Verdana";

    TImage32 button;
    button.set_bitmap(faces.Bitmaps[0].Bitmap);
    button.bitmap().scan_line(0)[0] = 0xFFFFFFFF;
    EXPECT_EQ(face.pixel(0, 0), 0xFFC81E19u);
    EXPECT_EQ(button.bitmap().attributes, face.attributes);

    button.set_bitmap(faces.Bitmaps[0].Bitmap);  // a fresh face carries no earlier drawing
    EXPECT_EQ(button.bitmap().pixel(0, 0), 0xFFC81E19u);
}

TEST(TBitmap32List, ItemsAreNumberedFromZeroKeepTheirPlaceAndStartWithTheScreenFont)
{
    TBitmap32List list;
    Bitmap32* first = &list.Bitmaps.add().Bitmap;
    for (int i = 0; i < 40; ++i) list.Bitmaps.add();
    EXPECT_EQ(list.Bitmaps.count(), 41);
    EXPECT_EQ(&list.Bitmaps[0].Bitmap, first);
    EXPECT_THROW(list.Bitmaps[41], std::out_of_range);
    EXPECT_THROW(list.Bitmaps[-1], std::out_of_range);
    const BitmapFont& font = list.Bitmaps[3].Bitmap.attributes.font;
    EXPECT_EQ(font.size(), 8);
    EXPECT_EQ(font.pixels_per_inch, screen_pixels_per_inch());
    EXPECT_EQ(font.height, -static_cast<int>(std::lround(8.0 * screen_pixels_per_inch() / 72)));
}

TEST(BitmapQt, ImagesConvertBothWaysWordForWordWithOneChange)
{
    QImage image(3, 2, QImage::Format_ARGB32);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x) image.setPixel(x, y, qRgba(x * 80, y * 90, 7, 100 + x + y));
    Bitmap32 bitmap;
    NotificationRecorder notifications(bitmap);
    bitmap.attributes.master_alpha = 9;
    assign_image(bitmap, image.convertToFormat(QImage::Format_RGB888));  // any format is taken
    EXPECT_EQ(notifications.count("change"), 1);
    EXPECT_EQ(bitmap.attributes.master_alpha, 9);
    EXPECT_EQ(bitmap.pixel(2, 1), 0xFFA05A07u);  // no alpha in the source: opaque
    assign_image(bitmap, image);
    EXPECT_EQ(bitmap.pixel(2, 1), qRgba(160, 90, 7, 103));
    EXPECT_EQ(to_qimage(bitmap), image);
    EXPECT_TRUE(to_qimage(Bitmap32{}).isNull());
}

struct ClickLog {
    int clicks = 0, double_clicks = 0, enters = 0, leaves = 0, moves = 0;
};

void record(TImage32& image, ClickLog& log)
{
    image.OnClick = [&] { ++log.clicks; };
    image.OnDblClick = [&] { ++log.double_clicks; };
    image.OnMouseEnter = [&] { ++log.enters; };
    image.OnMouseLeave = [&] { ++log.leaves; };
    image.OnMouseMove = [&](Qt::MouseButtons, Qt::KeyboardModifiers, int, int) { ++log.moves; };
}

TEST(TImage32Events, ClickDoubleClickEnterLeaveAndMove)
{
    TImage32 image;
    image.resize(30, 20);
    ClickLog log;
    record(image, log);

    press(image, {5, 5});
    release(image, {5, 5});
    EXPECT_EQ(log.clicks, 1);

    press(image, {5, 5});
    release(image, {50, 5});  // released elsewhere: no click
    press(image, {5, 5}, Qt::RightButton);
    release(image, {5, 5}, Qt::RightButton);
    EXPECT_EQ(log.clicks, 1);

    // A double click arrives as press, release, double-click press, release.
    press(image, {5, 5});
    release(image, {5, 5});
    send_mouse(image, QEvent::MouseButtonDblClick, {5, 5}, Qt::LeftButton, Qt::LeftButton);
    release(image, {5, 5});
    EXPECT_EQ(log.clicks, 2);
    EXPECT_EQ(log.double_clicks, 1);

    QEnterEvent enter(QPointF(1, 1), QPointF(1, 1), QPointF(1, 1));
    QApplication::sendEvent(&image, &enter);
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(&image, &leave);
    move(image, {3, 3}, Qt::NoButton);
    EXPECT_EQ(log.enters, 1);
    EXPECT_EQ(log.leaves, 1);
    EXPECT_EQ(log.moves, 1);

    image.set_hint("Open photo");
    EXPECT_EQ(image.toolTip(), "Open photo");
}

}  // namespace
