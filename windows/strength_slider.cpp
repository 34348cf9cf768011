#include "windows/strength_slider.h"

#include <QImage>
#include <QPainter>
#include <algorithm>

#include "windows/main_layout.h"
#include "windows/window_support.h"

int strength_at(int x)
{
    const int along = x - main_layout::strength_groove_left;
    const int percent =
        (along * 100 + main_layout::strength_groove_width / 2) / main_layout::strength_groove_width;
    return std::clamp(along < 0 ? 0 : percent, 0, kFullStrength);
}

// Lies over the corrected view during a drag and shows the preview's words instead of the view's own.
class StrengthSlider::PreviewOverlay : public QWidget {
public:
    PreviewOverlay(QWidget* view, const StrengthPreview& preview) : QWidget(view), preview_(preview)
    {
        setAttribute(Qt::WA_TransparentForMouseEvents);
        setAttribute(Qt::WA_OpaquePaintEvent);
        hide();
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        if (!preview_.active()) return;
        QImage words(reinterpret_cast<const uchar*>(preview_.words()), preview_.width(), preview_.height(),
                     preview_.width() * 4, QImage::Format_RGB32);
        words.setDevicePixelRatio(devicePixelRatioF());
        QPainter(this).drawImage(0, 0, words);
    }

private:
    const StrengthPreview& preview_;
};

StrengthSlider::StrengthSlider(TImage32& track, TImage32& knob, TLabel& value, TImgView32& corrected_view,
                               const PhotoCorrector& corrector, double device_pixel_ratio)
    : track_(track), knob_(knob), value_(value), corrected_view_(corrected_view), corrector_(corrector)
{
    for (std::size_t i = 0; i < faces_.size(); ++i)
        load_skin(faces_[i], main_layout::strength_knob_face_pictures[i], device_pixel_ratio);
    overlay_ = new PreviewOverlay(&corrected_view, preview_);

    track_.OnMouseDown = [this](Qt::MouseButton button, Qt::KeyboardModifiers, int x, int) {
        if (button == Qt::LeftButton) press(x);
    };
    track_.OnMouseMove = [this](Qt::MouseButtons, Qt::KeyboardModifiers, int x, int) { drag(x); };
    track_.OnMouseUp = [this](Qt::MouseButton button, Qt::KeyboardModifiers, int x, int) {
        if (button == Qt::LeftButton) release(x);
    };
    // The knob lies on the track: its events speak in the track's pixels too.
    knob_.OnMouseDown = [this](Qt::MouseButton button, Qt::KeyboardModifiers, int x, int) {
        if (button == Qt::LeftButton) press(knob_.x() + x);
    };
    knob_.OnMouseMove = [this](Qt::MouseButtons, Qt::KeyboardModifiers, int x, int) { drag(knob_.x() + x); };
    knob_.OnMouseUp = [this](Qt::MouseButton button, Qt::KeyboardModifiers, int x, int) {
        if (button == Qt::LeftButton) release(knob_.x() + x);
    };
    knob_.OnMouseEnter = [this] {
        under_mouse_ = true;
        if (!dragging_) set_face(hover);
    };
    knob_.OnMouseLeave = [this] {
        under_mouse_ = false;
        if (!dragging_) set_face(normal);
    };
}

StrengthSlider::~StrengthSlider()
{
    // The overlay reads the preview, so it must not outlive it.
    delete overlay_.data();
}

void StrengthSlider::show_strength(int percent)
{
    if (!dragging_) place_knob(percent);
}

void StrengthSlider::place_knob(int percent)
{
    shown_ = percent;
    knob_.move(main_layout::strength_knob_left(percent), knob_.y());
    value_.set_caption(QString::number(percent) + " %");
}

void StrengthSlider::set_face(Face face)
{
    knob_.set_bitmap(faces_[face]);
}

void StrengthSlider::press(int x)
{
    dragging_ = true;
    set_face(held);
    if (corrector_.photo_loaded && !corrector_.corrected_photo.is_empty()) {
        const auto ratio = static_cast<float>(corrected_view_.devicePixelRatioF());
        preview_.begin(corrector_.org_photo, corrected_view_.placement().in_device_pixels(ratio),
                       corrected_view_.color().rgb() & 0x00FFFFFFu);
        overlay_->setGeometry(corrected_view_.rect());
        overlay_->show();
    }
    shown_ = -1;  // the first place always shows
    drag(x);
}

void StrengthSlider::drag(int x)
{
    if (!dragging_) return;
    const int percent = strength_at(x);
    if (percent == shown_) return;
    place_knob(percent);
    if (!preview_.active()) return;
    preview_.show(corrector_.corrected_curves_at(percent));
    overlay_->update();
}

void StrengthSlider::release(int x)
{
    if (!dragging_) return;
    // The knob stops where it is let go, even when no move reported that place.
    drag(x);
    dragging_ = false;
    set_face(under_mouse_ ? hover : normal);
    overlay_->hide();
    preview_.end();
    if (choose) choose(shown_);
}
