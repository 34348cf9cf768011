#include "windows/focus_ring.h"

#include <QPainter>

#include "windows/main_layout.h"

namespace {

constexpr std::uint32_t kAccentYellow = main_layout::rgb(237, 218, 10);
constexpr std::uint32_t kOutline = main_layout::rgb(24, 24, 26);

}  // namespace

FocusRing::FocusRing(QWidget& window) : QWidget(&window)
{
    setObjectName("focus_ring");
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setFocusPolicy(Qt::NoFocus);
    hide();
}

void FocusRing::follow(QWidget* control)
{
    followed_ = control;
    if (control == nullptr || !control->isVisible()) {
        hide();
        return;
    }
    const QRect around(control->mapTo(parentWidget(), QPoint(0, 0)), control->size());
    // At the window's edge the ring comes inside, over the control's own rim, so all four sides show.
    setGeometry(around.adjusted(-outset, -outset, outset, outset).intersected(parentWidget()->rect()));
    raise();
    show();
    update();
}

// Whole layout pixels filled without smoothing: at 2x each line is two device pixels, crisp.
void FocusRing::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const auto frame = [&painter](QRect box, int thickness, QColor colour) {
        painter.fillRect(box.left(), box.top(), box.width(), thickness, colour);
        painter.fillRect(box.left(), box.bottom() - thickness + 1, box.width(), thickness, colour);
        painter.fillRect(box.left(), box.top(), thickness, box.height(), colour);
        painter.fillRect(box.right() - thickness + 1, box.top(), thickness, box.height(), colour);
    };
    frame(rect(), 1, QColor::fromRgb(kOutline));
    frame(rect().adjusted(1, 1, -1, -1), 2, QColor::fromRgb(kAccentYellow));
    frame(rect().adjusted(3, 3, -3, -3), 1, QColor::fromRgb(kOutline));
}
