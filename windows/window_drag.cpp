#include "windows/window_drag.h"

void WindowDrag::press(int mouse_x, int mouse_y, int window_x, int window_y)
{
    move_started_ = false;
    following_mouse_ = false;
    press_x_ = mouse_x;
    press_y_ = mouse_y;
    window_at_press_x_ = window_x;
    window_at_press_y_ = window_y;
}

WindowDrag::Step WindowDrag::move(int mouse_x, int mouse_y)
{
    if (following_mouse_)
        return {Action::MoveWindow, window_at_press_x_ + mouse_x - press_x_,
                window_at_press_y_ + mouse_y - press_y_};
    if (move_started_) return {};
    move_started_ = true;
    return {Action::StartSystemMove};
}

void WindowDrag::release()
{
    move_started_ = false;
    following_mouse_ = false;
}
