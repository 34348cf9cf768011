#pragma once

#include "windows/main_layout.h"

/// The tools panel slides out under the lower bar by growing the window
/// downward one pixel per timer tick while the bottom bar follows the window's
/// lower edge, and slides back the same way. One step of either direction, as
/// plain arithmetic on the window's height and the bottom bar's top; the window
/// keeps its top-left corner.
class ToolsSlide {
public:
    static constexpr int closed_height = main_layout::closed_height;
    static constexpr int open_height = main_layout::open_height;
    static constexpr int closed_bar_top = main_layout::control_named("bottom_bar").top;
    static constexpr int open_bar_top = closed_bar_top + (open_height - closed_height);
    /// How often the slide moves one pixel.
    static constexpr int tick_milliseconds = 5;

    ToolsSlide(int window_height, int bar_top) : window_height_(window_height), bar_top_(bar_top) {}

    int window_height() const { return window_height_; }
    int bar_top() const { return bar_top_; }

    /// One step of opening: the window 1 pixel taller and the bar 1 pixel lower.
    /// At the open height or beyond nothing changes and the result is false:
    /// the slide is over.
    bool open_one_pixel();
    /// One step of closing: the window 1 pixel shorter and the bar 1 pixel
    /// higher; false, changing nothing, at the closed height or below.
    bool close_one_pixel();

private:
    int window_height_;
    int bar_top_;
};
