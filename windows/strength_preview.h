#pragma once

#include <cstdint>
#include <vector>

#include "display/view_geometry.h"
#include "engine/bitmap32.h"
#include "engine/curve_triple.h"

/// What the corrected view shows while the strength slider is dragged. The loaded photo is
/// reduced once, as the view places it; each new strength then only looks its curves up for
/// those few pixels, so the view follows the knob however large the photo. Resampling and the
/// curves do not commute exactly, so the whole photo is corrected when the knob is let go.
class StrengthPreview {
public:
    /// Reduces `photo` as a view of `device_geometry` (in the screen's pixels) shows it, with
    /// `background` (0x..RRGGBB) around it.
    void begin(const Bitmap32& photo, const ViewGeometry& device_geometry, std::uint32_t background);
    /// The view's words with `curves` applied to the photo's part of them; the background stays.
    void show(const CurveTriple& curves);
    void end();
    bool active() const { return !reduced_.empty(); }

    /// The words shown, width() x height(), rows without gaps.
    const std::uint32_t* words() const { return shown_.data(); }
    int width() const { return width_; }
    int height() const { return height_; }

private:
    std::vector<std::uint32_t> reduced_;
    std::vector<std::uint32_t> shown_;
    int width_ = 0;
    int height_ = 0;
    // The photo's part of the view: columns [left_, right_) of rows [top_, bottom_).
    int left_ = 0, top_ = 0, right_ = 0, bottom_ = 0;
};
