#include <gtest/gtest.h>

#include <QKeyEvent>
#include <QMouseEvent>
#include <cmath>
#include <string_view>
#include <vector>

#include "tests/windows/windows_test_support.h"
#include "windows/layout_growth.h"
#include "windows/skin_widening.h"
#include "windows/window_rim.h"
#include "windows/window_support.h"

namespace {

using main_layout::Box;
using main_layout::control_named;

// A shown window holding a 3000 x 2000 photo (no pixels need decoding), fitted in both views.
std::unique_ptr<MainWindow> shown_with_fitted_photo()
{
    auto form = quick_form();
    form->show();
    form->corrector.org_photo.set_size(3000, 2000);
    form->corrector.corrected_photo.set_size(3000, 2000);
    form->corrector.photo_loaded = true;
    form->fit_both_views();
    return form;
}
using main_layout::controls;
using main_layout::index_of;
using main_layout::placed_controls;

int right(const Box& box)
{
    return box.left + box.width;
}
int bottom(const Box& box)
{
    return box.top + box.height;
}

// At the designed size and larger ones, odd sizes included: every control lies inside its
// parent, the bars span the window, the views share the width and nothing they hold overlaps.
TEST(WindowSizes, EveryControlFitsAndTheBarsSpanTheWindow)
{
    for (const auto& [width, height] :
         {std::pair{902, 608}, {903, 609}, {1281, 777}, {1920, 1080}, {3840, 2160}}) {
        SCOPED_TRACE(std::to_string(width) + " x " + std::to_string(height));
        const auto boxes = placed_controls(width, height);
        const auto box = [&boxes](std::string_view name) { return boxes[index_of(name)]; };
        for (std::size_t i = 0; i < std::size(controls); ++i) {
            const std::string_view parent = controls[i].parent;
            const Box room = parent == main_layout::window ? Box{0, 0, width, height} : box(parent);
            const Box& own = boxes[i];
            // Labels size to their text; the table gives them no size to check.
            if (controls[i].kind == main_layout::Kind::Label) continue;
            EXPECT_TRUE(own.left >= 0 && own.top >= 0 && right(own) <= room.width &&
                        bottom(own) <=
                            room.height + (std::string_view(controls[i].name) == "tools_panel" ? 49 : 0))
                << controls[i].name;
        }
        for (std::string_view bar : {"top_bar", "lower_bar", "bottom_bar", "tools_panel"}) {
            EXPECT_EQ(box(bar).left, 0) << bar;
            EXPECT_EQ(box(bar).width, width) << bar;
        }
        EXPECT_EQ(bottom(box("bottom_bar")), height);
        EXPECT_EQ(right(box("lcd_panel")), width - 7);
        EXPECT_EQ(right(box("top_close_key")), width);

        const Box original = box("original_view"), corrected = box("corrected_view");
        EXPECT_LE(std::abs(original.width - corrected.width), 1);
        EXPECT_EQ(original.height, height - 288);
        EXPECT_LT(right(original), corrected.left);
        // The second of two sharing neighbours keeps its margin to the window's right edge.
        EXPECT_EQ(width - right(corrected), 902 - (460 + 420));
        EXPECT_EQ(width - right(box("corrected_caption_bar")), 902 - (458 + 424));
        EXPECT_GE(original.top, bottom(box("lcd_panel")));
        EXPECT_LE(bottom(original), box("original_caption_bar").top);
        EXPECT_LE(bottom(box("original_caption_bar")), box("lower_bar").top);
        EXPECT_LT(right(box("original_caption_bar")), box("corrected_caption_bar").left);
        // The lower bar's bays: left, centred and right, as the picture widens between them.
        const int grown = width - main_layout::window_width;
        EXPECT_EQ(box("camera_icon").left, control_named("camera_icon").left);
        EXPECT_EQ(box("correction_info_box").left, control_named("correction_info_box").left + grown / 2);
        EXPECT_EQ(width - right(box("tools_button")), 902 - (720 + 152));
        EXPECT_EQ(box("light_scale").left, control_named("light_scale").left + grown / 2);
    }
}

// Widening keeps both ends as drawn and repeats the chosen columns between them; the band's
// stripes run on with their period up to the band's end.
TEST(WindowSizes, WidenedPicturesKeepTheirEndsAndRunOnWithoutABreak)
{
    Bitmap32 drawn;
    drawn.set_size(40, 6);
    for (int y = 0; y < 6; ++y)
        for (int x = 0; x < 40; ++x)
            drawn.scan_line(y)[x] =
                0xFF000000u | static_cast<std::uint32_t>(y < 2 ? (x + y) % 4 : x) << 8 | y;
    for (const double scale : {1.0, 2.0}) {
        const main_layout::Widening one{10 / static_cast<int>(scale), -1, 2 / static_cast<int>(scale),
                                        4 / static_cast<int>(scale), 1};
        const main_layout::Widening two{10 / static_cast<int>(scale), 30 / static_cast<int>(scale)};
        Bitmap32 wide;
        widen_skin_picture(drawn, wide, 67, one, scale);
        ASSERT_EQ(wide.width(), 67);
        for (int y = 2; y < 6; ++y) {
            for (int x = 0; x <= 10; ++x) EXPECT_EQ(wide.pixel(x, y), drawn.pixel(x, y));
            for (int x = 10; x < 37; ++x) EXPECT_EQ(wide.pixel(x, y), drawn.pixel(10, y)) << x;
            for (int x = 37; x < 67; ++x) EXPECT_EQ(wide.pixel(x, y), drawn.pixel(x - 27, y)) << x;
        }
        for (int y = 0; y < 2; ++y)
            for (int x = 4; x < 67 - static_cast<int>(scale); ++x)
                EXPECT_EQ(wide.pixel(x, y), wide.pixel(x - 4, y)) << x << "," << y;
        widen_skin_picture(drawn, wide, 47, two, scale);
        // Each column takes half the change.
        EXPECT_EQ(wide.pixel(13, 5), drawn.pixel(10, 5));
        EXPECT_EQ(wide.pixel(14, 5), drawn.pixel(11, 5));
        EXPECT_EQ(wide.pixel(37, 5), drawn.pixel(30, 5));
        EXPECT_EQ(wide.pixel(38, 5), drawn.pixel(31, 5));
        EXPECT_EQ(wide.pixel(46, 5), drawn.pixel(39, 5));
    }
}

// The real window grown by the window system: its controls stand where the table says, the
// bars' pictures cover them, a fitted view is fitted again and a zoomed one keeps its zoom.
TEST(WindowSizes, TheWindowFollowsAResizeAndFittedViewsStayFitted)
{
    auto form = shown_with_fitted_photo();
    const float small_fit = form->original_view->scale();

    form->resize(1500, 900);
    const auto boxes = placed_controls(1500, 900);
    for (QWidget* control :
         {static_cast<QWidget*>(form->original_view), static_cast<QWidget*>(form->corrected_view),
          static_cast<QWidget*>(form->lower_bar), static_cast<QWidget*>(form->bottom_bar)}) {
        const Box& box = boxes[index_of(control->objectName().toStdString())];
        EXPECT_EQ(control->geometry(), QRect(box.left, box.top, box.width, box.height))
            << control->objectName().toStdString();
    }
    for (TImage32* bar :
         {form->top_bar, form->lcd_panel, form->lower_bar, form->bottom_bar, form->corrected_caption_bar}) {
        const Bitmap32& shown = bar->bitmap();
        EXPECT_EQ(shown.width(), std::lround(bar->width() * form->device_pixel_ratio()))
            << bar->objectName().toStdString();
        // The right end is the picture's own right end, at the screen's scale (below the stripes, which run
        // on).
        Bitmap32 drawn;
        load_skin(drawn, controls[index_of(bar->objectName().toStdString())].picture,
                  form->device_pixel_ratio());
        for (int y : {drawn.height() / 2, drawn.height() - 2})
            EXPECT_EQ(shown.pixel(shown.width() - 3, y), drawn.pixel(drawn.width() - 3, y))
                << bar->objectName().toStdString();
    }
    const float large_fit = form->original_view->scale();
    EXPECT_GT(large_fit, small_fit * 1.4f);
    EXPECT_EQ(form->original_zoom_label->caption(), QString::number(form->original_zoom->position()) + "%");

    form->corrected_zoom->set_position(50);
    form->original_zoom->set_position(50);
    form->resize(1000, 700);
    EXPECT_FLOAT_EQ(form->original_view->scale(), 0.5f);
    EXPECT_FLOAT_EQ(form->corrected_view->scale(), 0.5f);
    form->fit_both_views();
    form->resize(902, 608);
    EXPECT_FLOAT_EQ(form->original_view->scale(), small_fit);
}

// The tools panel slides out below a grown window's views and back, keeping the growth.
TEST(WindowSizes, TheToolsPanelSlidesInAGrownWindow)
{
    auto form = quick_form();
    form->show();
    form->corrector.photo_loaded = true;
    form->tools_may_open = true;
    form->resize(1200, 800);
    form->tools_buttonClick();
    for (int tick = 0; tick < 100; ++tick) form->panel_open_timerTick();
    EXPECT_EQ(form->size(), QSize(1200, 800 + 97));
    EXPECT_EQ(form->bottom_bar->geometry().bottom(), 800 + 97 - 1);
    EXPECT_EQ(form->tools_panel->y(), 560 + 192);
    form->tools_buttonClick();
    for (int tick = 0; tick < 100; ++tick) form->panel_close_timerTick();
    EXPECT_EQ(form->size(), QSize(1200, 800));
    EXPECT_EQ(form->bottom_bar->y(), 559 + 192);
}

// A press on the rim, whatever control lies there, goes to the window system's resize.
TEST(WindowSizes, APressOnTheRimResizesTheWindow)
{
    EXPECT_EQ(window_rim_edges({0, 0}, {902, 608}), Qt::LeftEdge | Qt::TopEdge);
    EXPECT_EQ(window_rim_edges({901, 300}, {902, 608}), Qt::Edges(Qt::RightEdge));
    EXPECT_EQ(window_rim_edges({898, 604}, {902, 608}), Qt::RightEdge | Qt::BottomEdge);
    EXPECT_EQ(window_rim_edges({4, 4}, {902, 608}), Qt::Edges());
    EXPECT_EQ(window_rim_edges({902, 300}, {902, 608}), Qt::Edges());

    auto form = quick_form();
    form->show();
    std::vector<Qt::Edges> asked;
    form->start_window_resize = [&asked](Qt::Edges edges) {
        asked.push_back(edges);
        return true;
    };
    send_mouse(*form->bottom_bar, QEvent::MouseButtonPress, {901, 48}, Qt::LeftButton, Qt::LeftButton);
    send_mouse(*form->top_bar, QEvent::MouseButtonPress, {400, 1}, Qt::LeftButton, Qt::LeftButton);
    send_mouse(*form->top_bar, QEvent::MouseButtonPress, {400, 10}, Qt::LeftButton, Qt::LeftButton);
    EXPECT_EQ(asked, (std::vector<Qt::Edges>{Qt::RightEdge | Qt::BottomEdge, Qt::TopEdge}));
}

// The maximise key and a double click on the top bar maximise the window and bring it back,
// the key showing the restore glyph meanwhile.
TEST(WindowSizes, TheMaximiseKeyAndTheTopBarMaximiseAndRestore)
{
    auto form = quick_form();
    form->show();
    click(*form->top_maximise_key);
    QCoreApplication::processEvents();
    EXPECT_TRUE(form->isMaximized());
    EXPECT_GT(form->width(), MainWindow::kWidth);
    EXPECT_EQ(form->top_maximise_key->geometry().right(), form->top_minimise_key->x() - 1);
    EXPECT_TRUE(same_pixels(form->top_maximise_key->bitmap(),
                            form->top_key_faces.Bitmaps[TopKeyFace::Restore].Bitmap));
    send_mouse(*form->top_bar, QEvent::MouseButtonDblClick, {400, 10}, Qt::LeftButton, Qt::LeftButton);
    QCoreApplication::processEvents();
    EXPECT_FALSE(form->isMaximized());
    EXPECT_EQ(form->size(), QSize(MainWindow::kWidth, MainWindow::kClosedHeight));
    EXPECT_TRUE(same_pixels(form->top_maximise_key->bitmap(),
                            form->top_key_faces.Bitmaps[TopKeyFace::Maximise].Bitmap));
}

void press_key(QWidget& window, int key, QEvent::Type type = QEvent::KeyPress)
{
    QKeyEvent event(type, key, Qt::NoModifier);
    QApplication::sendEvent(&window, &event);
}

// F11 and a double click on a view switch full screen on and off; Escape only leaves it.
TEST(ViewModes, FullScreenByF11OrADoubleClickOnAView)
{
    auto form = quick_form();
    form->show();
    press_key(*form, Qt::Key_Escape);
    EXPECT_FALSE(form->isFullScreen());
    press_key(*form, Qt::Key_F11);
    EXPECT_TRUE(form->isFullScreen());
    press_key(*form, Qt::Key_Escape);
    EXPECT_FALSE(form->isFullScreen());
    send_mouse(*form->corrected_view, QEvent::MouseButtonDblClick, {50, 50}, Qt::LeftButton, Qt::LeftButton);
    EXPECT_TRUE(form->isFullScreen());
    press_key(*form, Qt::Key_F11);
    EXPECT_FALSE(form->isFullScreen());
}

// V gives the corrected photo the room of both views, fitted to it; while Backslash or the
// middle button is held the original lies in its place at its zoom, showing the same part.
TEST(ViewModes, OneLargeViewShowsTheOriginalInPlaceWhileHeld)
{
    auto form = shown_with_fitted_photo();
    const float side_by_side = form->corrected_view->scale();
    press_key(*form, Qt::Key_V);
    EXPECT_TRUE(form->single_view);
    EXPECT_FALSE(form->original_view->isVisible());
    EXPECT_FALSE(form->original_caption_bar->isVisible());
    EXPECT_EQ(form->corrected_view->x(), control_named("original_view").left);
    EXPECT_EQ(form->corrected_view->geometry().right(), 460 + 420 - 1);
    // The widened picture is drawn in device pixels, at whatever scale the skin was loaded.
    const Bitmap32& caption_picture = form->corrected_caption_bar->bitmap();
    const double picture_ratio =
        caption_picture.attributes.pixel_ratio > 0 ? caption_picture.attributes.pixel_ratio : 1.0;
    EXPECT_EQ(caption_picture.width(), std::lround(form->corrected_caption_bar->width() * picture_ratio));
    EXPECT_EQ(form->corrected_caption_bar->width() - form->corrected_zoom_label->x(), 424 - 397);
    EXPECT_GT(form->corrected_view->scale(), side_by_side * 1.5f);

    form->corrected_zoom->set_position(40);
    form->corrected_view->scroll_by(100, 30);
    const auto expect_original_in_place = [&form](bool held) {
        EXPECT_EQ(form->original_view->isVisible(), held);
        EXPECT_EQ(form->corrected_caption->caption(), held ? "Original photo" : "Color corrected photo");
        if (!held) return;
        EXPECT_EQ(form->original_view->geometry(), form->corrected_view->geometry());
        EXPECT_FLOAT_EQ(form->original_view->scale(), 0.4f);
        EXPECT_FLOAT_EQ(form->original_view->placement().scroll_x(),
                        form->corrected_view->placement().scroll_x());
        EXPECT_FLOAT_EQ(form->original_view->placement().scroll_y(),
                        form->corrected_view->placement().scroll_y());
    };
    press_key(*form, Qt::Key_Backslash);
    expect_original_in_place(true);
    press_key(*form, Qt::Key_Backslash, QEvent::KeyRelease);
    expect_original_in_place(false);
    send_mouse(*form->corrected_view, QEvent::MouseButtonPress, {50, 50}, Qt::MiddleButton, Qt::MiddleButton);
    expect_original_in_place(true);
    send_mouse(*form->corrected_view, QEvent::MouseButtonRelease, {50, 50}, Qt::MiddleButton, Qt::NoButton);
    expect_original_in_place(false);

    press_key(*form, Qt::Key_V);
    EXPECT_TRUE(form->original_view->isVisible());
    EXPECT_EQ(form->corrected_view->x(), control_named("corrected_view").left);
}

}  // namespace
