#pragma once

#include <QApplication>
#include <QImage>
#include <QMouseEvent>
#include <QWidget>
#include <cstdint>

#include "engine/bitmap32.h"

inline void fill(Bitmap32& bitmap, int width, int height, std::uint32_t color)
{
    bitmap.set_size(width, height);
    for (std::size_t k = 0; k < bitmap.pixel_count(); ++k) bitmap.pixels()[k] = color;
    bitmap.changed();
}

// Each pixel tells where it is: red = x & 0xFF, green = y & 0xFF, blue = (x >> 8) | (y >> 8) << 4.
inline void fill_with_coordinates(Bitmap32& bitmap, int width, int height)
{
    bitmap.set_size(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            bitmap.scan_line(y)[x] =
                0xFF000000u | (x & 0xFF) << 16 | (y & 0xFF) << 8 | (x >> 8) | (y >> 8) << 4;
    bitmap.changed();
}
inline int coordinate_x(std::uint32_t word)
{
    return static_cast<int>((word >> 16 & 0xFF) | (word & 0x0F) << 8);
}
inline int coordinate_y(std::uint32_t word)
{
    return static_cast<int>((word >> 8 & 0xFF) | (word >> 4 & 0x0F) << 8);
}

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
