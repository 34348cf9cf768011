#include "display/image32.h"

#include <QMouseEvent>
#include <QPainter>

#include "display/bitmap_qt.h"
#include "display/compositing.h"

TImage32::TImage32(QWidget* parent) : QWidget(parent), color_(palette().color(QPalette::Button))
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true);
    set_default_display_attributes(bitmap_);
    // The bitmap is a member, so these handlers never outlive the control.
    bitmap_.OnChange = [this] { bitmap_changed(); };
    bitmap_.OnResize = [this] { bitmap_changed(); };
}

void TImage32::set_bitmap(const Bitmap32& source)
{
    bitmap_.assign(&source);
}

void TImage32::size_to_bitmap()
{
    resize(logical_size(bitmap_));
}

void TImage32::set_color(const QColor& color)
{
    if (color == color_) return;
    color_ = color;
    bitmap_changed();
}

void TImage32::bitmap_changed()
{
    picture_valid_ = false;
    update();
}

void TImage32::rebuild_picture()
{
    picture_valid_ = true;
    if (bitmap_.is_empty()) {
        picture_ = QImage();
        return;
    }
    picture_ = QImage(bitmap_.width(), bitmap_.height(), QImage::Format_RGB32);
    const std::uint32_t background = color_.rgb();
    // Skin pictures are opaque and rebuilt at every step of a window resize: a plain loop the
    // compiler vectorises, rather than a call per pixel.
    const bool opaque = bitmap_.attributes.draw_mode == DrawMode::dmOpaque;
    for (int y = 0; y < bitmap_.height(); ++y) {
        const std::uint32_t* in = bitmap_.scan_line(y);
        auto* out = reinterpret_cast<std::uint32_t*>(picture_.scanLine(y));
        if (opaque)
            for (int x = 0; x < bitmap_.width(); ++x) out[x] = in[x] | 0xFF000000u;
        else
            for (int x = 0; x < bitmap_.width(); ++x)
                out[x] = shown_pixel(in[x], background, bitmap_.attributes);
    }
    // A bitmap finer than the layout covers its logical size with all of its pixels.
    if (bitmap_.attributes.pixel_ratio > 0) picture_.setDevicePixelRatio(bitmap_.attributes.pixel_ratio);
}

void TImage32::paintEvent(QPaintEvent*)
{
    if (!picture_valid_) rebuild_picture();
    QPainter painter(this);
    painter.fillRect(rect(), color_);
    if (!picture_.isNull()) painter.drawImage(0, 0, picture_);
}

void TImage32::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton) left_pressed_ = true;
    const QPoint at = event->position().toPoint();
    if (OnMouseDown) OnMouseDown(event->button(), event->modifiers(), at.x(), at.y());
}

void TImage32::mouseDoubleClickEvent(QMouseEvent* event)
{
    // The second press of a double click: it is reported as a double click,
    // not as a second click.
    left_pressed_ = false;
    const QPoint at = event->position().toPoint();
    if (OnMouseDown) OnMouseDown(event->button(), event->modifiers(), at.x(), at.y());
    if (event->button() == Qt::LeftButton && OnDblClick) OnDblClick();
}

void TImage32::mouseMoveEvent(QMouseEvent* event)
{
    const QPoint at = event->position().toPoint();
    if (OnMouseMove) OnMouseMove(event->buttons(), event->modifiers(), at.x(), at.y());
}

void TImage32::mouseReleaseEvent(QMouseEvent* event)
{
    const QPoint at = event->position().toPoint();
    const bool click = event->button() == Qt::LeftButton && left_pressed_ && rect().contains(at);
    if (event->button() == Qt::LeftButton) left_pressed_ = false;
    if (OnMouseUp) OnMouseUp(event->button(), event->modifiers(), at.x(), at.y());
    if (click && OnClick) OnClick();
}

void TImage32::enterEvent(QEnterEvent*)
{
    if (OnMouseEnter) OnMouseEnter();
}

void TImage32::leaveEvent(QEvent*)
{
    if (OnMouseLeave) OnMouseLeave();
}
