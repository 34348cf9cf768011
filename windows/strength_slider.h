#pragma once

#include <QPointer>
#include <QWidget>
#include <array>
#include <functional>

#include "corrector/photo_corrector.h"
#include "display/image32.h"
#include "display/img_view32.h"
#include "windows/plain_controls.h"
#include "windows/strength_preview.h"

/// The strength at `x` in strength_track's pixels: the nearest per cent along the groove,
/// 0 left of it and 100 right of it.
int strength_at(int x);

/// The strength slider on the tools panel: the knob and the value it shows, and the corrected
/// view following the knob while it is dragged. The strength is the corrector's; the slider
/// hands the one chosen to `choose` when the knob is let go, and shows the corrector's
/// whenever the window renders it.
class StrengthSlider {
public:
    StrengthSlider(TImage32& track, TImage32& knob, TLabel& value, TImgView32& corrected_view,
                   const PhotoCorrector& corrector, double device_pixel_ratio);
    ~StrengthSlider();
    StrengthSlider(const StrengthSlider&) = delete;
    StrengthSlider& operator=(const StrengthSlider&) = delete;

    /// Puts the knob and the value at `percent`, unless the knob is being dragged.
    void show_strength(int percent);
    bool dragging() const { return dragging_; }
    /// The preview the corrected view shows during a drag (inactive otherwise).
    const StrengthPreview& preview() const { return preview_; }

    /// Runs when the knob is let go at a strength: the window sets it and renders.
    std::function<void(int)> choose;

private:
    class PreviewOverlay;
    enum Face { normal, hover, held };

    void press(int x);
    void drag(int x);
    void release(int x);
    void place_knob(int percent);
    void set_face(Face face);

    TImage32& track_;
    TImage32& knob_;
    TLabel& value_;
    TImgView32& corrected_view_;
    const PhotoCorrector& corrector_;
    std::array<Bitmap32, 3> faces_;
    // Owned by the corrected view, which the window may delete first.
    QPointer<QWidget> overlay_;
    StrengthPreview preview_;
    int shown_ = kFullStrength;
    bool dragging_ = false;
    bool under_mouse_ = false;
};
