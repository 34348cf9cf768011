#pragma once

#include <QApplication>
#include <QImage>
#include <QMouseEvent>
#include <QWidget>
#include <cstdint>

#include "engine/bitmap32.h"
#include "tests/support/synthetic_photos.h"

// What the widget shows, as 0xFFRRGGBB words.
inline QImage shown(QWidget& widget)
{
    return widget.grab().toImage().convertToFormat(QImage::Format_RGB32);
}
inline std::uint32_t at(const QImage& image, int x, int y)
{
    return image.pixel(x, y);
}

inline void send_mouse(QWidget& widget, QEvent::Type type, QPoint position, Qt::MouseButton button,
                       Qt::MouseButtons held)
{
    QMouseEvent event(type, QPointF(position), widget.mapToGlobal(QPointF(position)), button, held,
                      Qt::NoModifier);
    QApplication::sendEvent(&widget, &event);
}
inline void press(QWidget& w, QPoint p, Qt::MouseButton b = Qt::LeftButton)
{
    send_mouse(w, QEvent::MouseButtonPress, p, b, b);
}
inline void release(QWidget& w, QPoint p, Qt::MouseButton b = Qt::LeftButton)
{
    send_mouse(w, QEvent::MouseButtonRelease, p, b, Qt::NoButton);
}
inline void move(QWidget& w, QPoint p, Qt::MouseButtons held = Qt::LeftButton)
{
    send_mouse(w, QEvent::MouseMove, p, Qt::NoButton, held);
}
