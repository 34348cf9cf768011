#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QPointer>
#include <QTimer>
#include <vector>

#include "tests/windows/windows_test_support.h"
#include "windows/about_window.h"

namespace {


// ---- The tools panel slide.

std::unique_ptr<MainWindow> form_with_photo()
{
    auto form = quick_form();
    // As after the first successful open: the tools button may open the panel.
    form->corrector.photo_loaded = true;
    form->tools_may_open = true;
    return form;
}

TEST(ToolsSlide, DoesNothingBeforeAPhotoIsLoaded)
{
    auto form = quick_form();
    form->tools_buttonClick();
    EXPECT_FALSE(form->panel_open_timer.isActive());
    EXPECT_FALSE(form->panel_close_timer.isActive());
    EXPECT_FALSE(form->tools_open);
}

TEST(ToolsSlide, OpensTo705AndStopsAtTheLimit)
{
    auto form = form_with_photo();
    form->show();
    const QPoint corner = form->pos();
    form->tools_buttonClick();
    EXPECT_TRUE(form->panel_open_timer.isActive());
    EXPECT_FALSE(form->panel_close_timer.isActive());
    EXPECT_TRUE(form->tools_open);
    EXPECT_FALSE(form->tools_may_open);
    for (int tick = 0; tick < 97; ++tick) {
        form->panel_open_timerTick();
        ASSERT_EQ(form->height(), 609 + tick);
        ASSERT_EQ(form->bottom_bar->y(), 560 + tick);
    }
    EXPECT_EQ(form->size(), QSize(902, 705));
    EXPECT_EQ(form->bottom_bar->y(), 656);
    EXPECT_TRUE(form->panel_open_timer.isActive());  // only a tick at the limit stops it
    form->panel_close_timer.start();
    form->panel_open_timerTick();
    EXPECT_EQ(form->height(), 705);
    EXPECT_EQ(form->bottom_bar->y(), 656);
    EXPECT_FALSE(form->panel_open_timer.isActive());
    EXPECT_FALSE(form->panel_close_timer.isActive());
    EXPECT_EQ(form->pos(), corner);  // grows downward from a fixed top-left
}

TEST(ToolsSlide, ClosesTo608AndStopsAtTheLimit)
{
    auto form = form_with_photo();
    form->tools_buttonClick();
    for (int tick = 0; tick < 100; ++tick) form->panel_open_timerTick();
    form->tools_buttonClick();
    EXPECT_FALSE(form->panel_open_timer.isActive());
    EXPECT_TRUE(form->panel_close_timer.isActive());
    EXPECT_FALSE(form->tools_open);
    EXPECT_TRUE(form->tools_may_open);
    for (int tick = 0; tick < 97; ++tick) form->panel_close_timerTick();
    EXPECT_EQ(form->height(), 608);
    EXPECT_EQ(form->bottom_bar->y(), 559);
    EXPECT_TRUE(form->panel_close_timer.isActive());
    form->panel_close_timerTick();
    EXPECT_EQ(form->height(), 608);
    EXPECT_EQ(form->bottom_bar->y(), 559);
    EXPECT_FALSE(form->panel_close_timer.isActive());
}

TEST(ToolsSlide, ASecondClickReversesFromTheCurrentHeight)
{
    auto form = form_with_photo();
    form->tools_buttonClick();
    for (int tick = 0; tick < 30; ++tick) form->panel_open_timerTick();
    ASSERT_EQ(form->height(), 638);
    form->tools_buttonClick();
    EXPECT_FALSE(form->panel_open_timer.isActive());
    EXPECT_TRUE(form->panel_close_timer.isActive());
    form->panel_close_timerTick();
    EXPECT_EQ(form->height(), 637);
    EXPECT_EQ(form->bottom_bar->y(), 588);
    // And back again before it closes.
    form->tools_buttonClick();
    EXPECT_TRUE(form->panel_open_timer.isActive());
    EXPECT_FALSE(form->panel_close_timer.isActive());
    form->panel_open_timerTick();
    EXPECT_EQ(form->height(), 638);
}

TEST(ToolsSlide, TheButtonFaceFollowsThePanelWithItsCaptionsRedrawn)
{
    auto form = form_with_photo();
    form->tools_buttonClick();  // opening: faded sign
    Difference d = difference(form->tools_button->bitmap(), form->icon_faces.Bitmaps[7].Bitmap);
    EXPECT_GT(d.count, 40);
    EXPECT_GE(d.left, 89);
    form->tools_buttonClick();  // closing: the active sign, 151 wide
    EXPECT_EQ(form->tools_button->bitmap().width(), 151);
    d = difference(form->tools_button->bitmap(), form->icon_faces.Bitmaps[6].Bitmap);
    EXPECT_GT(d.count, 40);
    EXPECT_GE(d.left, 89);
    EXPECT_GE(d.top, 20);
    // The sign itself is the list image's.
    EXPECT_EQ(form->tools_button->bitmap().pixel(40, 30), form->icon_faces.Bitmaps[6].Bitmap.pixel(40, 30));
}

TEST(ToolsSlide, RunsOnItsOwnTimerToTheOpenHeight)
{
    auto form = form_with_photo();
    form->show();
    form->tools_buttonClick();
    QElapsedTimer waited;
    waited.start();
    while (form->panel_open_timer.isActive() && waited.elapsed() < 10000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    EXPECT_FALSE(form->panel_open_timer.isActive());
    EXPECT_EQ(form->height(), 705);
    EXPECT_EQ(form->bottom_bar->y(), 656);
}

// ---- Hover images.

TEST(HoverImages, FollowTheMouseOverTheTopBarKeys)
{
    auto form = quick_form();
    Bitmap32 top_bar_before;
    top_bar_before.assign(&form->top_bar->bitmap());
    enter(*form->top_close_key);
    EXPECT_TRUE(same_pixels(form->top_close_key->bitmap(), form->top_key_faces.Bitmaps[1].Bitmap));
    leave(*form->top_close_key);
    EXPECT_TRUE(same_pixels(form->top_close_key->bitmap(), form->top_key_faces.Bitmaps[0].Bitmap));
    enter(*form->top_minimise_key);
    EXPECT_TRUE(same_pixels(form->top_minimise_key->bitmap(), form->top_key_faces.Bitmaps[3].Bitmap));
    leave(*form->top_minimise_key);
    EXPECT_TRUE(same_pixels(form->top_minimise_key->bitmap(), form->top_key_faces.Bitmaps[2].Bitmap));
    EXPECT_FALSE(same_pixels(form->top_key_faces.Bitmaps[0].Bitmap, form->top_key_faces.Bitmaps[1].Bitmap));
    EXPECT_TRUE(same_pixels(form->top_bar->bitmap(), top_bar_before));
}

// ---- Pressed feedback.

TEST(PressedFeedback, ShowsTheControlShiftedForThePressDuration)
{
    auto form = quick_form();
    EXPECT_EQ(form->press_duration, std::chrono::milliseconds(100));
    form->show();
    QCoreApplication::processEvents();
    PaintCounter painted(form->about_button);
    std::vector<std::chrono::milliseconds> sleeps;
    QPoint during;
    int paints_before_sleep = -1;
    form->sleep_for = [&](std::chrono::milliseconds duration) {
        sleeps.push_back(duration);
        during = form->about_button->pos();
        paints_before_sleep = painted.paints;
    };
    form->about_buttonClick();
    ASSERT_EQ(sleeps.size(), 1u);
    EXPECT_EQ(sleeps[0], std::chrono::milliseconds(100));
    EXPECT_EQ(during, QPoint(145, 57));
    EXPECT_GE(paints_before_sleep, 1);  // drawn shifted before the thread sleeps
    EXPECT_EQ(form->about_button->pos(), QPoint(144, 56));
}

TEST(PressedFeedback, RunsAStepWhilePressedAndReturnsHome)
{
    auto form = quick_form();
    form->light_indicator->move(65, 12);
    QPoint during_step;
    form->press_control(*form->light_button, [&] { during_step = form->light_button->pos(); });
    EXPECT_EQ(during_step, QPoint(834, 71));
    EXPECT_EQ(form->light_button->pos(), QPoint(833, 70));
}

TEST(PressedFeedback, ExitPressesAndClosesTheWindow)
{
    auto form = quick_form();
    form->show();
    QPoint during;
    form->sleep_for = [&](std::chrono::milliseconds) { during = form->close_button->pos(); };
    form->close_buttonClick();
    EXPECT_EQ(during, QPoint(9, 57));
    EXPECT_FALSE(form->isVisible());
}

// ---- Moving and minimising.

struct MoveCounter {
    int started = 0;
    bool system_has_move_loop = true;
};

std::unique_ptr<MainWindow> movable_form(MoveCounter& counter)
{
    auto form = quick_form();
    form->start_window_move = [&counter] {
        ++counter.started;
        return counter.system_has_move_loop;
    };
    form->show();
    return form;
}

TEST(WindowMove, StartsOnlyWhenTheTopBarIsDraggedWithTheLeftButton)
{
    MoveCounter counter;
    auto form = movable_form(counter);
    send_mouse(*form->top_bar, QEvent::MouseMove, {200, 10}, Qt::NoButton, Qt::NoButton);
    EXPECT_EQ(counter.started, 0);
    send_mouse(*form->top_bar, QEvent::MouseButtonPress, {200, 10}, Qt::LeftButton, Qt::LeftButton);
    EXPECT_EQ(counter.started, 0);  // a press alone does nothing
    send_mouse(*form->top_bar, QEvent::MouseMove, {205, 12}, Qt::NoButton, Qt::LeftButton);
    EXPECT_EQ(counter.started, 1);
    send_mouse(*form->top_bar, QEvent::MouseMove, {210, 14}, Qt::NoButton, Qt::LeftButton);
    EXPECT_EQ(counter.started, 1);  // the system's loop has it now
    send_mouse(*form->top_bar, QEvent::MouseButtonRelease, {210, 14}, Qt::LeftButton, Qt::NoButton);
    send_mouse(*form->top_bar, QEvent::MouseButtonPress, {200, 10}, Qt::RightButton, Qt::RightButton);
    send_mouse(*form->top_bar, QEvent::MouseMove, {205, 12}, Qt::NoButton, Qt::RightButton);
    EXPECT_EQ(counter.started, 1);
}

TEST(WindowMove, KeysOnTheTopBarDoNotMoveIt)
{
    MoveCounter counter;
    auto form = movable_form(counter);
    for (QWidget* key : std::vector<QWidget*>{form->top_close_key, form->top_minimise_key, form->lcd_panel,
                                              form->open_button}) {
        send_mouse(*key, QEvent::MouseButtonPress, {3, 3}, Qt::LeftButton, Qt::LeftButton);
        send_mouse(*key, QEvent::MouseMove, {8, 6}, Qt::NoButton, Qt::LeftButton);
        send_mouse(*key, QEvent::MouseButtonRelease, {8, 6}, Qt::LeftButton, Qt::NoButton);
    }
    EXPECT_EQ(counter.started, 0);
}

TEST(WindowMove, FollowsTheMouseWhereTheSystemHasNoMoveLoop)
{
    MoveCounter counter;
    counter.system_has_move_loop = false;
    auto form = movable_form(counter);
    const QPoint start = form->pos();
    send_mouse(*form->top_bar, QEvent::MouseButtonPress, {200, 10}, Qt::LeftButton, Qt::LeftButton);
    send_mouse(*form->top_bar, QEvent::MouseMove, {200, 10}, Qt::NoButton, Qt::LeftButton);
    // Each move is given in the bar's coordinates at the time, which shift as the window moves.
    send_mouse(*form->top_bar, QEvent::MouseMove, {230, 25}, Qt::NoButton, Qt::LeftButton);
    EXPECT_EQ(form->pos(), start + QPoint(30, 15));
    send_mouse(*form->top_bar, QEvent::MouseMove, {190, 5}, Qt::NoButton, Qt::LeftButton);
    EXPECT_EQ(form->pos(), start + QPoint(20, 10));
    send_mouse(*form->top_bar, QEvent::MouseButtonRelease, {190, 5}, Qt::LeftButton, Qt::NoButton);
    send_mouse(*form->top_bar, QEvent::MouseMove, {100, 5}, Qt::NoButton, Qt::NoButton);
    EXPECT_EQ(form->pos(), start + QPoint(20, 10));
}

TEST(WindowMinimise, SendsEveryVisibleWindowToTheTaskBar)
{
    auto form = quick_form();
    AboutWindow about;
    form->about_window = &about;
    form->show();
    about.show();
    click(*form->top_minimise_key);
    EXPECT_TRUE(form->isMinimized());
    EXPECT_TRUE(about.isMinimized());
}

}  // namespace
