#include "display/view_geometry.h"

#include <algorithm>
#include <cmath>

namespace {

// Rounds with the current (default: to nearest, ties to even) rounding mode.
int round_half_even(double value)
{
    return static_cast<int>(std::nearbyint(value));
}

}  // namespace

ViewGeometry::ViewGeometry(int view_width, int view_height)
{
    x_.view = std::max(0, view_width);
    y_.view = std::max(0, view_height);
}

int ViewGeometry::drawn_size(int photo_size, float scale)
{
    if (photo_size <= 0) return 0;
    const double exact = static_cast<double>(photo_size) * static_cast<double>(scale);
    if (!(exact < kMaximumDrawnSize)) return kMaximumDrawnSize;
    return round_half_even(exact);
}

float ViewGeometry::offset(const Axis& axis) const
{
    const int drawn = drawn_size(axis.photo, scale_);
    if (drawn < axis.view) return static_cast<float>(axis.view - drawn) / 2.0f;
    return -axis.position;
}

int ViewGeometry::left() const
{
    return round_half_even(offset(x_));
}

int ViewGeometry::top() const
{
    return round_half_even(offset(y_));
}

void ViewGeometry::clamp(Axis& axis) const
{
    const int range = drawn_size(axis.photo, scale_);
    if (range <= axis.view) {
        axis.position = 0.0f;
        return;
    }
    const float highest = static_cast<float>(range - axis.view);
    // Written so that a NaN position also ends at 0.
    if (!(axis.position > 0.0f)) axis.position = 0.0f;
    if (axis.position > highest) axis.position = highest;
}

void ViewGeometry::rescale(Axis& axis, float new_scale) const
{
    const int old_range = drawn_size(axis.photo, scale_);
    const int new_range = drawn_size(axis.photo, new_scale);
    const float half_view = static_cast<float>(axis.view) / 2.0f;
    if (axis.view < new_range) {
        // The fraction of the photo at the view's centre; a photo that fitted the
        // view before the change had no such point and is centred.
        const float centre =
            axis.view < old_range ? (half_view + axis.position) / static_cast<float>(old_range) : 0.5f;
        axis.position = static_cast<float>(new_range) * centre - half_view;
    }
}

bool ViewGeometry::set_scale(float scale)
{
    if (!(scale >= kMinimumScale)) scale = kMinimumScale;
    if (scale == scale_) return false;
    rescale(x_, scale);
    rescale(y_, scale);
    scale_ = scale;
    clamp(x_);
    clamp(y_);
    return true;
}

bool ViewGeometry::scroll_by(float dx, float dy)
{
    const float old_x = x_.position;
    const float old_y = y_.position;
    x_.position += dx;
    y_.position += dy;
    clamp(x_);
    clamp(y_);
    return x_.position != old_x || y_.position != old_y;
}

void ViewGeometry::centre_on_middle_pixel(Axis& axis) const
{
    axis.position = static_cast<float>(axis.photo / 2) * scale_ - static_cast<float>(axis.view) / 2.0f;
    clamp(axis);
}

void ViewGeometry::set_photo_size(int width, int height)
{
    x_.photo = std::max(0, width);
    y_.photo = std::max(0, height);
    centre_on_middle_pixel(x_);
    centre_on_middle_pixel(y_);
}

void ViewGeometry::set_view_size(int width, int height)
{
    for (auto [axis, length] : {std::pair{&x_, width}, std::pair{&y_, height}}) {
        const int range = drawn_size(axis->photo, scale_);
        const int view = std::max(0, length);
        axis->position = range <= axis->view ? static_cast<float>(range - view) / 2.0f
                                             : axis->position + static_cast<float>(axis->view - view) / 2.0f;
        axis->view = view;
        clamp(*axis);
    }
}

ViewGeometry ViewGeometry::in_device_pixels(float device_pixel_ratio) const
{
    if (!(device_pixel_ratio >= kMinimumScale) || device_pixel_ratio == 1.0f) return *this;
    const auto device_length = [device_pixel_ratio](int length) {
        return static_cast<int>(std::lround(static_cast<double>(length) * device_pixel_ratio));
    };
    ViewGeometry device(device_length(x_.view), device_length(y_.view));
    device.x_.photo = x_.photo;
    device.y_.photo = y_.photo;
    device.scale_ = std::max(kMinimumScale, scale_ * device_pixel_ratio);
    device.x_.position = x_.position * device_pixel_ratio;
    device.y_.position = y_.position * device_pixel_ratio;
    device.clamp(device.x_);
    device.clamp(device.y_);
    return device;
}
