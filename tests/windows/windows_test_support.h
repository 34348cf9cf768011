#pragma once

#include <QApplication>
#include <QEnterEvent>
#include <QImage>
#include <QMouseEvent>
#include <QWidget>
#include <cstdint>
#include <memory>

#include "bitmap32.h"
#include "main.h"
#include "window_support.h"

// What a widget shows, children included, as 0xFFRRGGBB words.
inline QImage shown(QWidget& widget)
{
    return widget.grab().toImage().convertToFormat(QImage::Format_RGB32);
}

inline std::uint32_t opaque(std::uint32_t word)
{
    return word | 0xFF000000u;
}

// A skin picture as compiled into the program, as 0xFFRRGGBB words.
inline QImage skin_picture(const char* file)
{
    return QImage(QString(":/assets/") + file).convertToFormat(QImage::Format_RGB32);
}

// Pixels where two bitmaps of the same size differ, with the box that holds them.
struct Difference {
    int count = 0;
    int left = 1 << 30, top = 1 << 30, right = -1, bottom = -1;  // inclusive bounds
    int height() const { return count == 0 ? 0 : bottom - top + 1; }
};
inline Difference difference(const Bitmap32& a, const Bitmap32& b)
{
    Difference d;
    for (int y = 0; y < std::min(a.height(), b.height()); ++y)
        for (int x = 0; x < std::min(a.width(), b.width()); ++x)
            if (opaque(a.pixel(x, y)) != opaque(b.pixel(x, y))) {
                ++d.count;
                d.left = std::min(d.left, x);
                d.top = std::min(d.top, y);
                d.right = std::max(d.right, x);
                d.bottom = std::max(d.bottom, y);
            }
    return d;
}

inline bool same_pixels(const Bitmap32& a, const Bitmap32& b)
{
    return a.width() == b.width() && a.height() == b.height() && difference(a, b).count == 0;
}

inline void send_mouse(QWidget& widget, QEvent::Type type, QPoint position, Qt::MouseButton button,
                       Qt::MouseButtons held)
{
    QMouseEvent event(type, QPointF(position), widget.mapToGlobal(QPointF(position)), button, held,
                      Qt::NoModifier);
    QApplication::sendEvent(&widget, &event);
}
inline void click(QWidget& widget, QPoint at = {2, 2})
{
    send_mouse(widget, QEvent::MouseButtonPress, at, Qt::LeftButton, Qt::LeftButton);
    send_mouse(widget, QEvent::MouseButtonRelease, at, Qt::LeftButton, Qt::NoButton);
}
inline void enter(QWidget& widget)
{
    QEnterEvent event(QPointF(1, 1), widget.mapToGlobal(QPointF(1, 1)), widget.mapToGlobal(QPointF(1, 1)));
    QApplication::sendEvent(&widget, &event);
}
inline void leave(QWidget& widget)
{
    QEvent event(QEvent::Leave);
    QApplication::sendEvent(&widget, &event);
}

// A main window whose pressed feedback does not really sleep.
inline std::unique_ptr<TForm1> quick_form(int pixels_per_inch = 96)
{
    auto form = std::make_unique<TForm1>(pixels_per_inch);
    form->sleep_for = [](std::chrono::milliseconds) {};
    form->start_window_move = [] { return true; };
    return form;
}
