#include "windows/window_support.h"

#include <QGuiApplication>
#include <QImage>
#include <QScreen>
#include <QWindow>
#include <cmath>
#include <stdexcept>
#include <string>

#include "display/bitmap_qt.h"

namespace {

QImage skin_picture(const QString& path)
{
    QImage picture(path);
    if (picture.isNull()) throw std::runtime_error("Missing skin picture " + path.toStdString());
    return picture;
}

}  // namespace

void load_skin(Bitmap32& bitmap, const char* file, double device_pixel_ratio)
{
    // Ratios a hair above 1 come from rounding; they are 1:1 screens.
    if (!(device_pixel_ratio > 1.01)) {
        bitmap.attributes.pixel_ratio = 1.0;
        assign_image(bitmap, skin_picture(QString(":/assets/") + file));
        return;
    }
    QImage picture = skin_picture(QString(":/assets/2x/") + file);
    if (device_pixel_ratio != 2.0) {
        // 125 % and 150 % screens: the finer drawing reduced smoothly, never the coarse one blown up.
        const QSize size(static_cast<int>(std::lround(picture.width() / 2.0 * device_pixel_ratio)),
                         static_cast<int>(std::lround(picture.height() / 2.0 * device_pixel_ratio)));
        picture = picture.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    }
    bitmap.attributes.pixel_ratio = device_pixel_ratio;
    assign_image(bitmap, picture);
}

double screen_pixel_ratio(const QWidget& widget)
{
    const QScreen* screen = widget.screen() ? widget.screen() : QGuiApplication::primaryScreen();
    return screen != nullptr ? screen->devicePixelRatio() : 1.0;
}

void centre_on_screen(QWidget& window)
{
    const QScreen* screen = window.screen() ? window.screen() : QGuiApplication::primaryScreen();
    if (screen == nullptr) return;
    const QRect area = screen->geometry();
    window.move(area.left() + (area.width() - window.width()) / 2,
                area.top() + (area.height() - window.height()) / 2);
}

void centre_on_window(QWidget& window, const QWidget& over)
{
    window.move(over.x() + (over.width() - window.width()) / 2,
                over.y() + (over.height() - window.height()) / 2);
}

void settle_window_position(QWidget& window)
{
    QWindow* handle = window.windowHandle();
    if (handle == nullptr || !window.isVisible() || handle->position() == window.pos()) return;
    handle->setPosition(window.pos());
}

void settle_parent_position(QWidget& dialog)
{
    if (QWidget* parent = dialog.parentWidget()) settle_window_position(*parent->window());
}

void repaint_now(QWidget& window)
{
    window.repaint();
    for (QWidget* control : window.findChildren<QWidget*>()) control->repaint();
}
