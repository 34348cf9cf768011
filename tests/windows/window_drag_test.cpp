#include "windows/window_drag.h"

#include <gtest/gtest.h>

#include <ostream>
#include <vector>

namespace {

struct Mouse {
    int x, y;
};

// A press at (200, 10) with the window at (50, 60), then moves with the left button held.
struct DragCase {
    const char* description;
    bool system_has_move_loop;
    std::vector<Mouse> moves;
    WindowDrag::Action last_action;
    int window_x = 0;  // where the last move puts the window, when it moves it
    int window_y = 0;
};
std::ostream& operator<<(std::ostream& out, const DragCase& c)
{
    return out << c.description;
}

// Plays the moves as the window does: a refused move loop makes the window follow the mouse.
WindowDrag::Step drag(WindowDrag& window_drag, bool system_has_move_loop, const std::vector<Mouse>& moves)
{
    WindowDrag::Step step;
    for (const Mouse& mouse : moves) {
        step = window_drag.move(mouse.x, mouse.y);
        if (step.action == WindowDrag::Action::StartSystemMove && !system_has_move_loop)
            window_drag.follow_mouse();
    }
    return step;
}

class Dragging : public testing::TestWithParam<DragCase> {};

TEST_P(Dragging, StartsTheSystemMoveOnceOrFollowsTheMouse)
{
    const DragCase& c = GetParam();
    WindowDrag window_drag;
    window_drag.press(200, 10, 50, 60);
    const WindowDrag::Step step = drag(window_drag, c.system_has_move_loop, c.moves);
    EXPECT_EQ(step.action, c.last_action);
    if (c.last_action == WindowDrag::Action::MoveWindow) {
        EXPECT_EQ(step.window_x, c.window_x);
        EXPECT_EQ(step.window_y, c.window_y);
    }
}

using Action = WindowDrag::Action;
INSTANTIATE_TEST_SUITE_P(
    WindowDrag, Dragging,
    testing::Values(
        DragCase{"the first move starts the system's loop", true, {{205, 12}}, Action::StartSystemMove},
        DragCase{"later moves are the loop's", true, {{205, 12}, {210, 14}}, Action::None},
        DragCase{
            "without a loop the window follows", false, {{200, 10}, {230, 25}}, Action::MoveWindow, 80, 75},
        DragCase{
            "and follows back past its start", false, {{200, 10}, {150, 0}}, Action::MoveWindow, 0, 50}));

TEST(WindowDragPresses, EachPressStartsAfreshFromWhereTheWindowIsThen)
{
    WindowDrag window_drag;
    window_drag.press(200, 10, 50, 60);
    drag(window_drag, false, {{200, 10}, {230, 25}});
    window_drag.release();
    // After the release the next move would ask for the system's loop again, not follow.
    EXPECT_EQ(window_drag.move(240, 30).action, Action::StartSystemMove);
    window_drag.press(100, 5, 80, 75);
    const WindowDrag::Step step = drag(window_drag, false, {{100, 5}, {110, 9}});
    EXPECT_EQ(step.action, Action::MoveWindow);
    EXPECT_EQ(step.window_x, 90);
    EXPECT_EQ(step.window_y, 79);
}

}  // namespace
