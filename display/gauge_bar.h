#pragma once

#include <QColor>
#include <QPainter>
#include <QRect>
#include <QTimer>
#include <QWidget>
#include <functional>

/// A small horizontal slider (a zoom slider): a patterned track, a handle with
/// a grip, and an arrow button at each end. Position always lies in
/// [Min, Max]; every change, by code or by the user, goes through
/// set_position, which runs OnChange only when the position really changes.
///
/// User input: an arrow moves the position by the small change (1), a press on
/// the track beside the handle by the large change (10) towards the press,
/// both repeating while held; dragging the handle moves the position in
/// proportion to the distance dragged over the track's free length; each
/// wheel notch moves it by 1 (up or right: higher).
class TGaugeBar : public QWidget {
    Q_OBJECT

public:
    explicit TGaugeBar(QWidget* parent = nullptr);
    TGaugeBar(const TGaugeBar&) = delete;
    TGaugeBar& operator=(const TGaugeBar&) = delete;

    int min() const { return min_; }
    int max() const { return max_; }
    /// Sets the range (swapped if reversed); the position is clamped into it through set_position.
    void set_range(int min, int max);

    int position() const { return position_; }
    /// Clamps `value` to [Min, Max]; if that differs from the current
    /// position, stores it, repaints and runs OnChange before returning.
    void set_position(int value);

    int small_change() const { return small_change_; }
    void set_small_change(int step) { small_change_ = step; }
    int large_change() const { return large_change_; }
    void set_large_change(int step) { large_change_ = step; }

    /// The colour of the patterned track (an inactive caption's colour at creation).
    QColor color() const { return color_; }
    void set_color(const QColor& color);

    bool show_arrows() const { return show_arrows_; }
    void set_show_arrows(bool show);
    bool show_handle_grip() const { return show_handle_grip_; }
    void set_show_handle_grip(bool show);

    /// Layout in the control's coordinates.
    QRect decrease_arrow_rect() const;
    QRect increase_arrow_rect() const;
    QRect track_rect() const;
    QRect handle_rect() const;
    /// Track length the handle's left edge can travel over.
    int free_length() const;

    /// Delay before a held arrow or track press repeats, and the repeat interval, in ms.
    static constexpr int kRepeatDelay = 400;
    static constexpr int kRepeatInterval = 50;

    std::function<void()> OnChange;

    QSize sizeHint() const override { return {100, 9}; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

private:
    enum class Held { nothing, decrease_arrow, increase_arrow, track_before, track_after, handle };

    /// Paints on a screen whose device pixel ratio is not 1.
    void paint_in_device_pixels(QPainter& painter, qreal ratio);
    int arrow_size() const;
    int handle_width() const;
    void repeat_step();
    void stop_holding();

    int min_ = 5;
    int max_ = 400;
    int position_ = 5;
    int small_change_ = 1;
    int large_change_ = 10;
    QColor color_{191, 205, 219};
    bool show_arrows_ = true;
    bool show_handle_grip_ = true;

    Held held_ = Held::nothing;
    int press_x_ = 0;  // last pointer x while a track press is held
    int drag_start_x_ = 0;
    int drag_start_position_ = 0;
    int wheel_remainder_ = 0;  // eighths of a degree not yet turned into notches
    QTimer repeat_timer_;
};
