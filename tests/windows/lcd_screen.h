#pragma once

#include <gtest/gtest.h>

#include <QImage>
#include <QRegularExpression>
#include <algorithm>
#include <string>

#include "tests/windows/windows_test_support.h"

// The status line's ink lies on the LCD's screen (the blue part of its picture) and no letter is
// cut off by the label's edge (a space after it changes nothing drawn): for the status shown, and
// for the widest count of grey rows a photo can give in its place. In the screen's own pixels.
inline void expect_status_on_the_lcd_screen(MainWindow& form)
{
    const std::string shown_status = form.corrector.status_text;
    const std::string widest =
        QString::fromStdString(shown_status).replace(QRegularExpression("[0-9]+"), "65535").toStdString();
    const double ratio = form.device_pixel_ratio();
    auto lcd_showing = [&](const std::string& status) {
        form.corrector.status_text = status;
        form.render_corrector();
        return shown(*form.lcd_panel);
    };
    const QImage plain = lcd_showing("");
    for (const std::string& status : {shown_status, widest}) {
        SCOPED_TRACE(status);
        EXPECT_TRUE(lcd_showing(status + " ") == lcd_showing(status));
        const QImage drawn = lcd_showing(status);
        const QRect label = form.status_label->geometry();
        const int top = static_cast<int>(label.top() * ratio);
        const int bottom = static_cast<int>((label.bottom() + 1) * ratio);
        int screen_right = 0, ink_right = 0;
        for (int x = 0; x < plain.width(); ++x) {
            const QRgb p = plain.pixel(x, (top + bottom) / 2);
            if (qBlue(p) > qRed(p) + 40) screen_right = x;
        }
        for (int y = top; y < std::min(bottom, drawn.height()); ++y)
            for (int x = 0; x < drawn.width(); ++x)
                if (drawn.pixel(x, y) != plain.pixel(x, y)) ink_right = std::max(ink_right, x);
        EXPECT_GT(ink_right, (label.left() + label.width() / 2) * ratio);
        EXPECT_LT(ink_right, screen_right);
    }
}
