#include "windows/strength_preview.h"

#include <algorithm>

#include "display/view_render.h"

void StrengthPreview::begin(const Bitmap32& photo, const ViewGeometry& device_geometry,
                            std::uint32_t background)
{
    width_ = device_geometry.view_width();
    height_ = device_geometry.view_height();
    const std::size_t words = static_cast<std::size_t>(width_) * static_cast<std::size_t>(height_);
    reduced_.assign(words, 0);
    shown_.assign(words, 0);
    if (words == 0) return;
    render_view(photo, device_geometry, background, reduced_.data(), width_);
    shown_ = reduced_;
    const bool drawn = photo.width() == device_geometry.photo_width() &&
                       photo.height() == device_geometry.photo_height() && !photo.is_empty();
    left_ = drawn ? std::clamp(device_geometry.left(), 0, width_) : 0;
    top_ = drawn ? std::clamp(device_geometry.top(), 0, height_) : 0;
    right_ = drawn ? std::clamp(device_geometry.left() + device_geometry.drawn_width(), left_, width_) : 0;
    bottom_ = drawn ? std::clamp(device_geometry.top() + device_geometry.drawn_height(), top_, height_) : 0;
}

void StrengthPreview::show(const CurveTriple& curves)
{
    if (right_ <= left_) return;
    const auto columns = static_cast<std::size_t>(right_ - left_);
    const CurveLookup lookup(curves, columns * static_cast<std::size_t>(bottom_ - top_));
    for (int y = top_; y < bottom_; ++y) {
        const std::size_t start =
            static_cast<std::size_t>(y) * static_cast<std::size_t>(width_) + static_cast<std::size_t>(left_);
        lookup.apply(reduced_.data() + start, shown_.data() + start, columns);
    }
}

void StrengthPreview::end()
{
    reduced_ = {};
    shown_ = {};
    width_ = height_ = 0;
    left_ = top_ = right_ = bottom_ = 0;
}
