#pragma once

#include <cstdint>
#include <vector>

#include "display/view_geometry.h"
#include "engine/bitmap32.h"

/// A view's picture drawn ahead, away from the event thread, before the photo is shown: a
/// view placed exactly as `device_geometry` says, on `background`, takes it instead of
/// resampling the photo again.
struct ViewPicture {
    ViewGeometry device_geometry;
    std::uint32_t background = 0;
    std::vector<std::uint32_t> words;  // device_geometry.view_width() words per row
};

/// Draws `photo` as a view placed by `device_geometry` would, on the calling thread alone.
ViewPicture draw_view_picture(const Bitmap32& photo, const ViewGeometry& device_geometry,
                              std::uint32_t background);
