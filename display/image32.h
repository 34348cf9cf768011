#pragma once

#include <QColor>
#include <QImage>
#include <QWidget>
#include <functional>

#include "engine/bitmap32.h"

/// A skin image control: shows its own Bitmap32 unscaled with the bitmap's
/// top-left pixel at the control's top-left; where the control is larger than
/// the bitmap, the control's colour shows. The bitmap's DrawMode and
/// MasterAlpha decide whether it is blended over that colour. A bitmap whose
/// pixel_ratio is above 1 covers its size in layout pixels with all of its own
/// pixels, so on a screen of that device pixel ratio it is still shown pixel
/// for pixel.
///
/// Events (all optional): OnClick runs when the left button is pressed and
/// released over the control; a double click runs OnClick for its first click
/// and OnDblClick for its second. OnMouseEnter / OnMouseLeave run as the
/// pointer enters and leaves; OnMouseMove runs for every move over the control
/// (and, while a button is held, outside it). The hint is the tooltip.
class TImage32 : public QWidget {
    Q_OBJECT

public:
    explicit TImage32(QWidget* parent = nullptr);
    TImage32(const TImage32&) = delete;
    TImage32& operator=(const TImage32&) = delete;

    /// The control's own bitmap; draw on it, then repaint the control (a
    /// change notification of the bitmap schedules a repaint by itself).
    Bitmap32& bitmap() { return bitmap_; }
    const Bitmap32& bitmap() const { return bitmap_; }

    /// Makes the control's bitmap an independent copy of `source` (pixels and,
    /// unless `source` is empty, its display attributes); whatever was drawn
    /// on the previous bitmap is lost.
    void set_bitmap(const Bitmap32& source);

    /// Resizes the control to its bitmap's size in layout pixels.
    void size_to_bitmap();

    /// Shows where the control is larger than its bitmap. The button-face colour at creation.
    QColor color() const { return color_; }
    void set_color(const QColor& color);

    QString hint() const { return toolTip(); }
    void set_hint(const QString& text) { setToolTip(text); }

    std::function<void()> OnClick;
    std::function<void()> OnDblClick;
    std::function<void()> OnMouseEnter;
    std::function<void()> OnMouseLeave;
    std::function<void(Qt::MouseButton, Qt::KeyboardModifiers, int x, int y)> OnMouseDown;
    std::function<void(Qt::MouseButtons, Qt::KeyboardModifiers, int x, int y)> OnMouseMove;
    std::function<void(Qt::MouseButton, Qt::KeyboardModifiers, int x, int y)> OnMouseUp;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    void bitmap_changed();
    void rebuild_picture();

    Bitmap32 bitmap_;
    QColor color_;
    QImage picture_;  // the bitmap as shown over color_
    bool picture_valid_ = false;
    bool left_pressed_ = false;
};
