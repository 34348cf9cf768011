#pragma once

// Where each control of the main window's layout lies at a window size other
// than the designed one, following its row's Follow values. Plain arithmetic on
// the table, so the window and the skin generator's previews place controls alike.

#include <array>
#include <cstddef>
#include <string_view>

#include "windows/main_layout.h"

namespace main_layout {

/// A control's place in its parent, in layout pixels.
struct Box {
    int left;
    int top;
    int width;
    int height;
};

/// One axis of a control whose parent changed size by `change` pixels: its start and length.
constexpr std::array<int, 2> follow(Follow follow, int start, int length, int change)
{
    const int first_half = change / 2;
    switch (follow) {
        case Follow::Start:
            return {start, length};
        case Follow::End:
            return {start + change, length};
        case Follow::Both:
            return {start, length + change};
        case Follow::Centre:
            return {start + first_half, length};
        case Follow::FirstHalf:
            return {start, length + first_half};
        case Follow::SecondHalf:
            return {start + first_half, length + change - first_half};
    }
    return {start, length};
}

inline constexpr std::size_t control_count = std::size(controls);

/// The row of the control called `name` in the table.
constexpr std::size_t index_of(std::string_view name)
{
    for (std::size_t i = 0; i < control_count; ++i)
        if (name == controls[i].name) return i;
    return control_count;
}

/// Every control's box, in the table's order, in a window `width` x `height`
/// pixels whose designed size is window_width x `designed_height`.
constexpr std::array<Box, control_count> placed_controls(int width, int height,
                                                         int designed_height = closed_height)
{
    std::array<Box, control_count> boxes{};
    for (std::size_t i = 0; i < control_count; ++i) {
        const Control& control = controls[i];
        int across = width - window_width;
        int down = height - designed_height;
        if (std::string_view(control.parent) != window) {
            // Parents come first in the table.
            for (std::size_t p = 0; p < i; ++p)
                if (std::string_view(controls[p].name) == control.parent) {
                    across = boxes[p].width - controls[p].width;
                    down = boxes[p].height - controls[p].height;
                }
        }
        const auto [left, box_width] = follow(control.across, control.left, control.width, across);
        const auto [top, box_height] = follow(control.down, control.top, control.height, down);
        boxes[i] = {left, top, box_width, box_height};
    }
    return boxes;
}

}  // namespace main_layout
