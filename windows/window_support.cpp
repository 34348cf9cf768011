#include "windows/window_support.h"

#include <QGuiApplication>
#include <QImage>
#include <QScreen>
#include <stdexcept>
#include <string>

#include "display/bitmap_qt.h"

void load_skin(Bitmap32& bitmap, const char* file)
{
    const QImage picture(QString(":/assets/") + file);
    if (picture.isNull()) throw std::runtime_error(std::string("Missing skin picture ") + file);
    assign_image(bitmap, picture);
}

void centre_on_screen(QWidget& window)
{
    const QScreen* screen = window.screen() ? window.screen() : QGuiApplication::primaryScreen();
    if (screen == nullptr) return;
    const QRect area = screen->geometry();
    window.move(area.left() + (area.width() - window.width()) / 2,
                area.top() + (area.height() - window.height()) / 2);
}

void repaint_now(QWidget& window)
{
    window.repaint();
    for (QWidget* control : window.findChildren<QWidget*>()) control->repaint();
}
