#include "display/gauge_bar.h"

#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>

namespace {

const QColor kFaceColor(212, 208, 200);
const QColor kLightEdge(255, 255, 255);
const QColor kDarkEdge(128, 128, 128);
const QColor kGlyphColor(0, 0, 0);

void draw_raised_box(QPainter& painter, const QRect& box)
{
    if (box.width() <= 0 || box.height() <= 0) return;
    painter.fillRect(box, kFaceColor);
    painter.setPen(kLightEdge);
    painter.drawLine(box.topLeft(), box.topRight());
    painter.drawLine(box.topLeft(), box.bottomLeft());
    painter.setPen(kDarkEdge);
    painter.drawLine(box.bottomLeft(), box.bottomRight());
    painter.drawLine(box.topRight(), box.bottomRight());
}

// A solid triangle pointing left (direction -1) or right (+1), centred in `box`.
void draw_arrow(QPainter& painter, const QRect& box, int direction)
{
    const int half = std::max(1, (box.height() - 3) / 2);  // columns from the tip to the base
    const int tip_x = box.center().x() + direction * (half / 2);
    const int centre_y = box.center().y();
    painter.setPen(kGlyphColor);
    for (int step = 0; step < half; ++step) {
        const int x = tip_x - direction * step;
        painter.drawLine(x, centre_y - step, x, centre_y + step);
    }
}

// The track: a fine checker of the colour and white, one point per pixel it is drawn in.
void draw_track(QPainter& painter, const QRect& track, const QColor& colour)
{
    painter.fillRect(track, colour);
    painter.setPen(kLightEdge);
    for (int y = track.top(); y <= track.bottom(); ++y)
        for (int x = track.left() + ((track.left() + y) & 1); x <= track.right(); x += 2)
            painter.drawPoint(x, y);
}

// The device pixels a rectangle of the control's layout pixels covers on a screen of `ratio`.
QRect device_rect(const QRect& box, qreal ratio)
{
    const auto at = [ratio](int v) { return static_cast<int>(std::lround(v * ratio)); };
    return QRect(QPoint(at(box.left()), at(box.top())),
                 QPoint(at(box.right() + 1) - 1, at(box.bottom() + 1) - 1));
}

// A raised box in device pixels: edges as wide as one layout pixel, drawn as device lines.
void draw_fine_raised_box(QPainter& painter, const QRect& box, int edge)
{
    if (box.width() <= 0 || box.height() <= 0) return;
    painter.fillRect(box, kFaceColor);
    painter.fillRect(QRect(box.left(), box.top(), box.width(), edge), kLightEdge);
    painter.fillRect(QRect(box.left(), box.top(), edge, box.height()), kLightEdge);
    painter.fillRect(QRect(box.left(), box.bottom() - edge + 1, box.width(), edge), kDarkEdge);
    painter.fillRect(QRect(box.right() - edge + 1, box.top(), edge, box.height()), kDarkEdge);
}

// A solid triangle pointing left (-1) or right (+1) in a device-pixel box, smoothed at its edges.
void draw_fine_arrow(QPainter& painter, const QRect& box, int direction)
{
    const QRectF inner = QRectF(box).adjusted(box.width() * 0.3, box.height() * 0.25, -box.width() * 0.3,
                                              -box.height() * 0.25);
    const qreal tip = direction < 0 ? inner.left() : inner.right();
    const qreal base = direction < 0 ? inner.right() : inner.left();
    const QPointF points[] = {{tip, inner.center().y()}, {base, inner.top()}, {base, inner.bottom()}};
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setPen(Qt::NoPen);
    painter.setBrush(kGlyphColor);
    painter.drawPolygon(points, 3);
    painter.restore();
}

}  // namespace

TGaugeBar::TGaugeBar(QWidget* parent) : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    resize(100, 9);
    repeat_timer_.setSingleShot(false);
    connect(&repeat_timer_, &QTimer::timeout, this, [this] { repeat_step(); });
}

void TGaugeBar::set_range(int min, int max)
{
    if (max < min) std::swap(min, max);
    min_ = min;
    max_ = max;
    const int old = position_;
    // Clamped through the setter so observers hear of a forced change.
    set_position(position_);
    if (position_ == old) update();
}

void TGaugeBar::set_position(int value)
{
    value = std::clamp(value, min_, max_);
    if (value == position_) return;
    position_ = value;
    update();
    if (OnChange) OnChange();
}

void TGaugeBar::set_color(const QColor& color)
{
    color_ = color;
    update();
}

void TGaugeBar::set_show_arrows(bool show)
{
    show_arrows_ = show;
    update();
}

void TGaugeBar::set_show_handle_grip(bool show)
{
    show_handle_grip_ = show;
    update();
}

int TGaugeBar::arrow_size() const
{
    return show_arrows_ ? std::min(height(), width() / 3) : 0;
}

int TGaugeBar::handle_width() const
{
    const QRect track = track_rect();
    return std::clamp(height() + 2, 1, std::max(1, track.width()));
}

QRect TGaugeBar::decrease_arrow_rect() const
{
    return {0, 0, arrow_size(), height()};
}

QRect TGaugeBar::increase_arrow_rect() const
{
    return {width() - arrow_size(), 0, arrow_size(), height()};
}

QRect TGaugeBar::track_rect() const
{
    return {arrow_size(), 0, std::max(0, width() - 2 * arrow_size()), height()};
}

int TGaugeBar::free_length() const
{
    return std::max(0, track_rect().width() - handle_width());
}

QRect TGaugeBar::handle_rect() const
{
    const int span = max_ - min_;
    const int travel =
        span > 0 ? static_cast<int>(std::lround(static_cast<double>(position_ - min_) * free_length() / span))
                 : 0;
    return {track_rect().left() + travel, 0, handle_width(), height()};
}

void TGaugeBar::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const qreal ratio = devicePixelRatioF();
    if (ratio != 1.0) {
        paint_in_device_pixels(painter, ratio);
        return;
    }
    const QRect track = track_rect();
    draw_track(painter, track, color_);

    if (show_arrows_) {
        draw_raised_box(painter, decrease_arrow_rect());
        draw_arrow(painter, decrease_arrow_rect(), -1);
        draw_raised_box(painter, increase_arrow_rect());
        draw_arrow(painter, increase_arrow_rect(), +1);
    }

    const QRect handle = handle_rect();
    draw_raised_box(painter, handle);
    if (show_handle_grip_ && handle.width() >= 7 && handle.height() >= 5) {
        // Three grooves across the middle of the handle.
        const int middle = handle.center().x();
        for (int x = middle - 2; x <= middle + 2; x += 2) {
            painter.setPen(kDarkEdge);
            painter.drawLine(x, handle.top() + 2, x, handle.bottom() - 2);
        }
    }
}

void TGaugeBar::paint_in_device_pixels(QPainter& painter, qreal ratio)
{
    // Drawn in the screen's own pixels: the track's checker, the arrows and the grip stay as
    // fine as the screen, while the layout keeps its sizes.
    painter.scale(1 / ratio, 1 / ratio);
    const int edge = std::max(1, static_cast<int>(std::lround(ratio)));
    const QRect track = device_rect(track_rect(), ratio);
    draw_track(painter, track, color_);

    if (show_arrows_) {
        for (const auto& [box, direction] :
             {std::pair{decrease_arrow_rect(), -1}, std::pair{increase_arrow_rect(), 1}}) {
            const QRect device = device_rect(box, ratio);
            draw_fine_raised_box(painter, device, edge);
            draw_fine_arrow(painter, device, direction);
        }
    }

    const QRect handle = handle_rect();
    const QRect device = device_rect(handle, ratio);
    draw_fine_raised_box(painter, device, edge);
    if (show_handle_grip_ && handle.width() >= 7 && handle.height() >= 5) {
        // Three grooves across the middle of the handle, each a dark line with a lit one beside it.
        const int middle = device.center().x();
        const int spacing = 2 * edge;
        const int line = std::max(1, edge / 2);
        for (int x = middle - spacing; x <= middle + spacing; x += spacing) {
            const QRect groove(x, device.top() + 2 * edge, line, device.height() - 4 * edge);
            painter.fillRect(groove, kDarkEdge);
            painter.fillRect(groove.translated(line, 0), kLightEdge);
        }
    }
}

void TGaugeBar::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton) return;
    const QPoint at = event->position().toPoint();
    stop_holding();
    if (decrease_arrow_rect().contains(at)) {
        held_ = Held::decrease_arrow;
    } else if (increase_arrow_rect().contains(at)) {
        held_ = Held::increase_arrow;
    } else if (handle_rect().contains(at)) {
        held_ = Held::handle;
        drag_start_x_ = at.x();
        drag_start_position_ = position_;
        return;
    } else if (track_rect().contains(at)) {
        held_ = at.x() < handle_rect().left() ? Held::track_before : Held::track_after;
        press_x_ = at.x();
    } else {
        return;
    }
    repeat_step();
    repeat_timer_.start(kRepeatDelay);
}

void TGaugeBar::mouseDoubleClickEvent(QMouseEvent* event)
{
    // A quick second press steps again, like the first.
    mousePressEvent(event);
}

void TGaugeBar::repeat_step()
{
    if (repeat_timer_.isActive() && repeat_timer_.interval() != kRepeatInterval)
        repeat_timer_.setInterval(kRepeatInterval);
    switch (held_) {
        case Held::decrease_arrow:
            set_position(position_ - small_change_);
            break;
        case Held::increase_arrow:
            set_position(position_ + small_change_);
            break;
        case Held::track_before:
            // Stops once the handle has reached the pressed point.
            if (press_x_ < handle_rect().left()) set_position(position_ - large_change_);
            break;
        case Held::track_after:
            if (press_x_ > handle_rect().right()) set_position(position_ + large_change_);
            break;
        case Held::nothing:
        case Held::handle:
            repeat_timer_.stop();
            break;
    }
}

void TGaugeBar::mouseMoveEvent(QMouseEvent* event)
{
    const int x = qRound(event->position().x());
    if (held_ == Held::handle) {
        const int free = free_length();
        if (free > 0) {
            const double moved = static_cast<double>(x - drag_start_x_) * (max_ - min_) / free;
            set_position(drag_start_position_ + static_cast<int>(std::lround(moved)));
        }
    } else if (held_ == Held::track_before || held_ == Held::track_after) {
        press_x_ = x;
    }
}

void TGaugeBar::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton) stop_holding();
}

void TGaugeBar::stop_holding()
{
    repeat_timer_.stop();
    held_ = Held::nothing;
}

void TGaugeBar::wheelEvent(QWheelEvent* event)
{
    const QPoint delta = event->angleDelta();
    wheel_remainder_ += delta.y() != 0 ? delta.y() : delta.x();
    // 120 eighths of a degree make one notch; finer wheels add up to it.
    const int notches = wheel_remainder_ / 120;
    wheel_remainder_ -= notches * 120;
    if (notches != 0) set_position(position_ + notches * small_change_);
    event->accept();
}
