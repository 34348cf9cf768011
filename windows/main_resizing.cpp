// The window at any size: the controls follow the layout table, the bars widen their
// pictures, fitted views stay fitted, and a press on the window's rim resizes it
// through the window system.
#include <QGuiApplication>
#include <QMouseEvent>
#include <QScreen>
#include <QWindow>
#include <cmath>
#include <string_view>

#include "windows/layout_growth.h"
#include "windows/main_window.h"
#include "windows/skin_widening.h"
#include "windows/window_rim.h"
#include "windows/window_support.h"

namespace {

Qt::CursorShape rim_cursor(Qt::Edges edges)
{
    const bool horizontal = edges & (Qt::LeftEdge | Qt::RightEdge);
    const bool vertical = edges & (Qt::TopEdge | Qt::BottomEdge);
    if (horizontal && vertical)
        return (edges == (Qt::LeftEdge | Qt::TopEdge) || edges == (Qt::RightEdge | Qt::BottomEdge))
                   ? Qt::SizeFDiagCursor
                   : Qt::SizeBDiagCursor;
    return horizontal ? Qt::SizeHorCursor : Qt::SizeVerCursor;
}

bool stretches(main_layout::Follow follow)
{
    using main_layout::Follow;
    return follow == Follow::Both || follow == Follow::FirstHalf || follow == Follow::SecondHalf;
}

}  // namespace

QSize MainWindow::size_on_screen(QSize wanted) const
{
    const QScreen* on = screen() != nullptr ? screen() : QGuiApplication::primaryScreen();
    if (on == nullptr) return wanted;
    return wanted.boundedTo(on->availableGeometry().size());
}

void MainWindow::set_window_height(int height)
{
    // The window grows or shrinks downward from where it stands, keeping what it grew beyond its design.
    settle_window_position(*this);
    const int grown = this->height() - (kClosedHeight + slide_offset_);
    slide_offset_ = height - kClosedHeight;
    setMinimumSize(size_on_screen({kWidth, height}));
    if (!isMaximized() && !isFullScreen()) resize(size_on_screen({width(), height + std::max(grown, 0)}));
    lay_out_controls();
}

void MainWindow::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    lay_out_controls();
}

void MainWindow::lay_out_controls()
{
    if (laid_out_controls_.empty()) return;
    auto boxes = main_layout::placed_controls(width(), height() - slide_offset_);
    if (single_view) {
        // The corrected view, its frame and caption take the room of both.
        for (const auto& [original, corrected] : {std::pair{"original_view", "corrected_view"},
                                                  {"original_view_frame", "corrected_view_frame"},
                                                  {"original_caption_frame", "corrected_caption_frame"},
                                                  {"original_caption_bar", "corrected_caption_bar"}}) {
            const main_layout::Box& from = boxes[main_layout::index_of(original)];
            main_layout::Box& to = boxes[main_layout::index_of(corrected)];
            const int wider = to.left - from.left;
            to.width += wider;
            to.left = from.left;
            // What follows the right end of a widened control (the caption bar's zoom) moves along.
            for (std::size_t i = 0; i < main_layout::control_count; ++i)
                if (std::string_view(main_layout::controls[i].parent) == corrected &&
                    main_layout::controls[i].across == main_layout::Follow::End)
                    boxes[i].left += wider;
        }
    }
    for (std::size_t i = 0; i < main_layout::control_count; ++i) {
        const main_layout::Control& place = main_layout::controls[i];
        if (place.across == main_layout::Follow::Start && place.down == main_layout::Follow::Start) continue;
        QWidget& control = *laid_out_controls_[i];
        const main_layout::Box& box = boxes[i];
        // A Start axis keeps what the window gave the control (a label's text width, a baseline).
        QRect placed(place.across == main_layout::Follow::Start ? control.x() : box.left,
                     place.down == main_layout::Follow::Start ? control.y() : box.top,
                     stretches(place.across) ? box.width : control.width(),
                     stretches(place.down) ? box.height : control.height());
        if (&control == bottom_bar) placed.moveTop(box.top + slide_offset_);
        if (place.widening.column >= 0 && placed.width() != control.width())
            widen_picture(static_cast<TImage32&>(control), place, placed.width());
        control.setGeometry(placed);
    }
    if (original_in_place) original_view->setGeometry(corrected_view->geometry());
    if (views_fitted_ && corrector.photo_loaded) fit_both_views();
}

void MainWindow::widen_picture(TImage32& control, const main_layout::Control& place, int width)
{
    std::unique_ptr<Bitmap32>& drawn = unwidened_pictures_[place.name];
    if (drawn == nullptr) {
        drawn = std::make_unique<Bitmap32>();
        drawn->attributes = control.bitmap().attributes;
        load_skin(*drawn, place.picture, device_pixel_ratio_);
    }
    const double ratio = drawn->attributes.pixel_ratio > 0 ? drawn->attributes.pixel_ratio : 1.0;
    const int device_width = static_cast<int>(std::lround(width * ratio));
    widen_skin_picture(*drawn, control.bitmap(), device_width, place.widening, ratio);
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event)
{
    follow_keyboard_focus(watched, event);
    if (event->type() != QEvent::MouseButtonPress && event->type() != QEvent::MouseMove)
        return QWidget::eventFilter(watched, event);
    const auto* mouse = static_cast<QMouseEvent*>(event);
    const bool resizable = !isMaximized() && !isFullScreen();
    const Qt::Edges edges =
        resizable ? window_rim_edges(mapFromGlobal(mouse->globalPosition().toPoint()), size()) : Qt::Edges();
    if (event->type() == QEvent::MouseMove) {
        if (mouse->buttons() == Qt::NoButton) {
            if (edges)
                setCursor(rim_cursor(edges));
            else
                unsetCursor();
        }
        return QWidget::eventFilter(watched, event);
    }
    if (mouse->button() == Qt::LeftButton && edges && start_window_resize(edges)) return true;
    return QWidget::eventFilter(watched, event);
}
