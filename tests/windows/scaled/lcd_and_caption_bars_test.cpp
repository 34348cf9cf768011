// The LCD and the caption bars as drawn at the scale of this run's screen (CTest runs these at
// 100 %, 150 % and 200 %).
#include <gtest/gtest.h>

#include <QTemporaryDir>

#include "display/bitmap_qt.h"
#include "photo_files/jpeg_photo.h"
#include "tests/windows/windows_test_support.h"

namespace {

// A file name far longer than the glass is cut in its middle, its start and its end kept, and
// nothing of it reaches the glass's edge; the hint gives it whole.
TEST(Lcd, ALongFileNameIsCutInItsMiddleAndStaysOnTheGlass)
{
    QTemporaryDir folder;
    Bitmap32 scene;
    scene.set_size(32, 24);
    const std::string name = "IMG_2024_07_14_" + std::string(90, 'x') + "_beach.jpg";
    const std::string path = folder.filePath(QString::fromStdString(name)).toStdString();
    write_photo(scene, path);
    auto form = quick_form();
    form->show();
    form->open_photo_file(path);

    const QString caption = form->status_label->caption();
    EXPECT_TRUE(caption.startsWith("IMG_2024") && caption.contains("x...x") &&
                caption.endsWith("x_beach.jpg  1 / 1"))
        << caption.toStdString();
    // The folder position after the name is never cut.
    EXPECT_EQ(form->status_label->toolTip().toStdString(), name + "  1 / 1");
    const double ratio = form->device_pixel_ratio();
    Bitmap32 bare;
    load_skin(bare, "lcd.png", ratio);
    const QImage lcd = shown(*form->lcd_panel);
    const int edge = static_cast<int>((main_layout::lcd_glass_right - main_layout::lcd_glass_margin) * ratio);
    EXPECT_EQ(lcd.copy(edge, 0, lcd.width() - edge, lcd.height()),
              to_qimage(bare)
                  .convertToFormat(QImage::Format_RGB32)
                  .copy(edge, 0, lcd.width() - edge, lcd.height()));
}

// The lowest row of `bar` whose pixels in the 5 layout pixels right of `left` are not the bar's grey:
// the baseline of a character without descender standing there.
int baseline_at(const QImage& bar, int left, double ratio)
{
    for (int y = bar.height() - 1; y >= 0; --y)
        for (int x = static_cast<int>(left * ratio); x < static_cast<int>((left + 5) * ratio); ++x)
            if (bar.pixel(x, y) != qRgb(201, 201, 201)) return y;
    return -1;
}

// Each zoom percentage stands on the baseline of the caption beside it ("Original photo 100%").
TEST(CaptionBars, TheZoomPercentageStandsOnTheCaptionsBaseline)
{
    auto form = quick_form();
    form->show();
    const double ratio = form->device_pixel_ratio();
    for (auto [bar, caption, zoom] :
         {std::tuple{form->original_caption_bar, form->original_caption, form->original_zoom_label},
          std::tuple{form->corrected_caption_bar, form->corrected_caption, form->corrected_zoom_label}}) {
        const QImage picture = shown(*bar);
        const int capital = baseline_at(picture, caption->x(), ratio);
        ASSERT_GT(capital, 0);
        // Smoothed outlines may spill one device row.
        EXPECT_NEAR(baseline_at(picture, zoom->x(), ratio), capital, 1) << "at " << ratio;
    }
}

}  // namespace
