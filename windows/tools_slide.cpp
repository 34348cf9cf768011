#include "windows/tools_slide.h"

bool ToolsSlide::open_one_pixel()
{
    if (window_height_ >= open_height) return false;
    ++window_height_;
    ++bar_top_;
    return true;
}

bool ToolsSlide::close_one_pixel()
{
    if (window_height_ <= closed_height) return false;
    --window_height_;
    --bar_top_;
    return true;
}
