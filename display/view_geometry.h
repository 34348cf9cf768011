#pragma once

// Placement and scrolling of a photo inside a photo view, kept apart from the
// widget so it can be checked without a screen. All lengths are in screen
// pixels unless named otherwise. The photo is centred along an axis where it is
// smaller than the view and has no extra margin around it.
class ViewGeometry {
public:
    /// Scales below this are raised to it.
    static constexpr float kMinimumScale = 0.001f;
    /// Drawn sizes are capped here so that integer pixel arithmetic never overflows.
    static constexpr int kMaximumDrawnSize = 1 << 30;

    ViewGeometry() = default;
    ViewGeometry(int view_width, int view_height);

    int view_width() const { return x_.view; }
    int view_height() const { return y_.view; }
    int photo_width() const { return x_.photo; }
    int photo_height() const { return y_.photo; }
    float scale() const { return scale_; }

    /// Distance from the photo's left (top) edge to the view's left (top) edge,
    /// always within [0, drawn size - view size], and 0 when the photo fits.
    float scroll_x() const { return x_.position; }
    float scroll_y() const { return y_.position; }

    /// Size of the photo on screen: photo size x scale, halves rounded to even.
    int drawn_width() const { return drawn_size(x_.photo, scale_); }
    int drawn_height() const { return drawn_size(y_.photo, scale_); }

    /// Where the photo's left (top) edge lies in the view, before rounding:
    /// (view - drawn) / 2 when the photo is smaller than the view, else -scroll.
    float offset_x() const { return offset(x_); }
    float offset_y() const { return offset(y_); }

    /// First view column (row) of the drawn photo: the offset rounded, halves to even.
    /// The photo covers [left, left + drawn_width) x [top, top + drawn_height).
    int left() const;
    int top() const;

    /// Sets the scale, keeping the photo point at the view's centre in place
    /// (or centring a photo that was smaller than the view). Values below
    /// kMinimumScale, and NaN, become kMinimumScale. Returns false, changing
    /// nothing, when the new scale equals the current one as a float.
    bool set_scale(float scale);

    /// Moves the scroll positions by (dx, dy) screen pixels, clamped to the
    /// edges. Returns whether either position moved.
    bool scroll_by(float dx, float dy);

    /// A photo of a new size: scrolls so that photo pixel (width / 2, height / 2)
    /// lies at the view's centre, clamped.
    void set_photo_size(int width, int height);

    /// The view was resized: the photo point at its centre stays there (a photo that fitted
    /// before is centred), within the new ranges.
    void set_view_size(int width, int height);

    static int drawn_size(int photo_size, float scale);

    /// The same placement measured in device pixels of a screen with
    /// `device_pixel_ratio` device pixels per pixel of this geometry: view sizes
    /// (rounded), scale and scroll positions multiplied, positions clamped to the
    /// finer ranges. The photo's size is kept. A ratio of 1 (or below 0.001, or
    /// NaN) gives an identical copy.
    ViewGeometry in_device_pixels(float device_pixel_ratio) const;

    bool operator==(const ViewGeometry&) const = default;

private:
    struct Axis {
        int photo = 0;
        int view = 0;
        float position = 0.0f;
        bool operator==(const Axis&) const = default;
    };

    float offset(const Axis& axis) const;
    void clamp(Axis& axis) const;
    void rescale(Axis& axis, float new_scale) const;
    void centre_on_middle_pixel(Axis& axis) const;

    Axis x_;
    Axis y_;
    float scale_ = 1.0f;
};
