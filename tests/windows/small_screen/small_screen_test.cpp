// The window on a screen of 800 x 560 (set by this executable's main), smaller than its
// designed 902 x 608.
#include <gtest/gtest.h>

#include <QScreen>

#include "tests/windows/windows_test_support.h"

namespace {

// The window starts at the largest size that fits, cannot be made larger than the screen by its
// own limits, and the tools panel opening inside it keeps it there.
TEST(SmallScreenWindow, TakesTheLargestSizeThatFits)
{
    auto form = quick_form();
    form->show();
    const QRect room = form->screen()->availableGeometry();
    ASSERT_EQ(room.size(), QSize(800, 560));
    EXPECT_EQ(form->size(), room.size());
    EXPECT_EQ(form->minimumSize(), room.size());
    EXPECT_TRUE(room.contains(form->geometry())) << form->x() << ", " << form->y();

    form->corrector.photo_loaded = true;
    form->tools_may_open = true;
    form->tools_buttonClick();
    for (int tick = 0; tick < 100; ++tick) form->panel_open_timerTick();
    EXPECT_TRUE(form->tools_open);
    EXPECT_EQ(form->size(), room.size());
    EXPECT_EQ(form->minimumSize(), room.size());
    EXPECT_EQ(form->bottom_bar->geometry().bottom(), room.height() - 1);
}

}  // namespace
