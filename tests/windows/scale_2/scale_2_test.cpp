// The windows on a screen at twice the scale (QT_SCALE_FACTOR=2, set by this executable's main):
// laid out in layout pixels, drawn in the screen's own pixels.
#include <gtest/gtest.h>

#include <QImage>
#include <cmath>
#include <vector>

#include "display/bitmap_qt.h"
#include "display/fit_views.h"
#include "display/view_render.h"
#include "tests/support/synthetic_photos.h"
#include "tests/windows/caption_ink.h"
#include "tests/windows/windows_test_support.h"
#include "windows/about_window.h"
#include "windows/splash_window.h"

namespace {

TEST(Scale2Window, IsLaidOutInLayoutPixelsAndShownInDevicePixels)
{
    auto form = quick_form();
    ASSERT_EQ(form->device_pixel_ratio(), 2.0);
    EXPECT_EQ(form->size(), QSize(902, 608));
    EXPECT_EQ(shown(*form).size(), QSize(1804, 1216));
    EXPECT_EQ(form->open_button->size(), QSize(131, 21));
    EXPECT_EQ(QSize(form->open_button->bitmap().width(), form->open_button->bitmap().height()),
              QSize(262, 42));
    EXPECT_EQ(form->lcd_panel->size(), QSize(599, 58));
    EXPECT_EQ(shown(*form->original_view).size(), QSize(840, 640));

    // The tools panel slides one layout pixel (two device pixels) per tick.
    form->corrector.photo_loaded = true;
    form->tools_may_open = true;
    form->tools_buttonClick();
    form->panel_open_timerTick();
    EXPECT_EQ(form->height(), 609);
    EXPECT_EQ(form->bottom_bar->y(), 560);
    for (int tick = 0; tick < 97; ++tick) form->panel_open_timerTick();
    EXPECT_EQ(form->size(), QSize(902, 705));
    EXPECT_EQ(shown(*form).size(), QSize(1804, 1410));
}

// The skin pictures drawn at twice the size, shown pixel for pixel; labels in a font of the screen's size.
TEST(Scale2Window, ShowsTheSkinDrawnAtTwiceTheSize)
{
    auto form = quick_form();
    EXPECT_EQ(shown(*form).copy(0, 0, 580, 60), skin_picture("2x/top_bar.png").copy(0, 0, 580, 60));
    Bitmap32 off;
    load_skin(off, "correction_off.png", 2.0);
    EXPECT_EQ(QSize(off.width(), off.height()), QSize(98, 100));
    EXPECT_TRUE(same_pixels(form->correction_button->bitmap(), off));
    EXPECT_EQ(form->button_faces.Bitmaps[ButtonFace::Red].Bitmap.attributes.pixel_ratio, 2.0);
    EXPECT_TRUE(form->status_label->fine_font().has_value());
    SplashWindow splash;
    AboutWindow about;
    for (TImage32* picture : {splash.picture, about.picture})
        EXPECT_EQ(QSize(picture->bitmap().width(), picture->bitmap().height()), QSize(668, 628));
    EXPECT_EQ(shown(splash).size(), QSize(664, 624));
}

TEST(Scale2Window, CaptionsStayInsideTheirFacesAtEveryResolution)
{
    for (int pixels_per_inch : {96, 120, 144, 192}) {
        SCOPED_TRACE(pixels_per_inch);
        expect_captions_inside_their_faces(*quick_form(pixels_per_inch), 6);
    }
}

// Column-to-column change along the middle row of a picture's photo area: how much detail it shows.
double detail(const QImage& picture, int left, int right)
{
    const int y = picture.height() / 2;
    double sum = 0;
    for (int x = left; x < right; ++x)
        sum += std::abs(qGray(picture.pixel(x + 1, y)) - qGray(picture.pixel(x, y)));
    return sum / (right - left);
}

TEST(Scale2Views, ShowAFittedPhotoWithTwiceTheDetail)
{
    auto form = quick_form();
    // Left half: stripes two photo pixels wide. At the fitted 25 % one pixel of a 100 % screen
    // averages them away; two device pixels per layout pixel still resolve them. Right half: a
    // smooth ramp, which must look the same at either resolution.
    fill_photo(form->corrector.org_photo, 1600, 1200, [](int x, int) {
        if (x < 800) return (x / 2) % 2 == 0 ? 0xFF000000u : 0xFFFFFFFFu;
        const int level = (x - 800) * 255 / 799;
        return opaque_rgb(level, level, level);
    });
    fit_views(*form->original_view, *form->corrected_view, *form->original_zoom, *form->corrected_zoom);
    EXPECT_EQ(form->original_zoom->position(), 25);  // the zoom keeps its meaning in layout pixels
    EXPECT_FLOAT_EQ(form->original_view->scale(), 0.25f);

    const QImage fine = shown(*form->original_view);
    ASSERT_EQ(fine.size(), QSize(840, 640));
    QImage coarse(420, 320, QImage::Format_RGB32);
    render_view(form->corrector.org_photo, form->original_view->placement(), 0xC9C9C9u,
                reinterpret_cast<std::uint32_t*>(coarse.bits()), coarse.bytesPerLine() / 4);
    const int left = form->original_view->placement().left();
    const int middle = left + form->original_view->placement().drawn_width() / 2;
    const int right = left + form->original_view->placement().drawn_width() - 1;
    EXPECT_GT(detail(fine, 2 * left + 2, 2 * middle - 2), 4 * detail(coarse, left + 1, middle - 1));
    // The same picture: two by two device pixels average to what a 100 % screen shows.
    const QImage averaged = fine.scaled(420, 320, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    double difference = 0;
    for (int x = middle + 2; x <= right; ++x)
        difference += std::abs(qGray(averaged.pixel(x, 160)) - qGray(coarse.pixel(x, 160)));
    EXPECT_LT(difference / (right - middle - 1), 2.0);
}

}  // namespace
