#include "windows/tools_slide.h"

#include <gtest/gtest.h>

#include <ostream>

namespace {

// Ticks of one direction from a window height and bottom-bar top.
struct SlideCase {
    const char* description;
    bool opening;
    int height, bar_top;
    int ticks;
    int end_height, end_bar_top;
    bool last_tick_moved;
};
std::ostream& operator<<(std::ostream& out, const SlideCase& c)
{
    return out << c.description;
}

class Slide : public testing::TestWithParam<SlideCase> {};

TEST_P(Slide, MovesOnePixelPerTickAndStopsAtItsLimit)
{
    const SlideCase& c = GetParam();
    ToolsSlide slide(c.height, c.bar_top);
    bool moved = false;
    for (int tick = 0; tick < c.ticks; ++tick)
        moved = c.opening ? slide.open_one_pixel() : slide.close_one_pixel();
    EXPECT_EQ(slide.window_height(), c.end_height);
    EXPECT_EQ(slide.bar_top(), c.end_bar_top);
    EXPECT_EQ(moved, c.last_tick_moved);
}

INSTANTIATE_TEST_SUITE_P(
    ToolsSlide, Slide,
    testing::Values(SlideCase{"a full opening is 97 ticks", true, 608, 559, 97, 705, 656, true},
                    SlideCase{"a tick at the open limit stops", true, 705, 656, 1, 705, 656, false},
                    SlideCase{"opening never passes the limit", true, 608, 559, 200, 705, 656, false},
                    SlideCase{"a full closing is 97 ticks", false, 705, 656, 97, 608, 559, true},
                    SlideCase{"a tick at the closed limit stops", false, 608, 559, 1, 608, 559, false},
                    SlideCase{"closing from half way", false, 638, 589, 1, 637, 588, true}));

}  // namespace
