#pragma once

/// Moving the window by dragging its top bar, in screen coordinates. The first
/// move with the left button held hands the window to the window system's own
/// move loop, once per press; where the system has none, the window follows the
/// mouse itself from the next move on, until the button is released.
class WindowDrag {
public:
    enum class Action {
        None,
        StartSystemMove,  // hand the window to the window system's move loop now
        MoveWindow,       // put the window's top-left at (window_x, window_y)
    };
    struct Step {
        Action action = Action::None;
        int window_x = 0;
        int window_y = 0;
    };

    /// The left button went down with the mouse at (mouse_x, mouse_y) and the
    /// window's top-left at (window_x, window_y).
    void press(int mouse_x, int mouse_y, int window_x, int window_y);
    /// The mouse moved to (mouse_x, mouse_y) with the left button held.
    Step move(int mouse_x, int mouse_y);
    /// The system had no move loop to take the window: it follows the mouse.
    void follow_mouse() { following_mouse_ = true; }
    /// The left button went up.
    void release();

private:
    bool move_started_ = false;  // this press already asked for the system's move loop
    bool following_mouse_ = false;
    int press_x_ = 0;
    int press_y_ = 0;
    int window_at_press_x_ = 0;
    int window_at_press_y_ = 0;
};
