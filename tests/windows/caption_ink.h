#pragma once

#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <string>

#include "display/bitmap_qt.h"
#include "tests/windows/windows_test_support.h"
#include "windows/main_layout.h"

// Every caption drawn at start-up lies whole inside its face: from its place to before the face's
// last layout column and row (its rim), and a one-line caption is at least `least_height` layout
// pixels high. Returns the height of OPEN PHOTO's ink in its face's pixels.
inline int expect_captions_inside_their_faces(const MainWindow& form, double least_height)
{
    const double ratio = form.device_pixel_ratio();
    Bitmap32 info_box;
    load_skin(info_box, "info_box.png", ratio);
    const Bitmap32* red = &form.button_faces.Bitmaps[ButtonFace::Red].Bitmap;
    const Bitmap32* grey = &form.button_faces.Bitmaps[ButtonFace::Grey].Bitmap;
    const std::map<std::string, const Bitmap32*> plain_faces{
        {"open_button", red},
        {"close_button", red},
        {"about_button", red},
        {"save_button", grey},
        {"undo_button", grey},
        {"correction_info_box", &info_box},
        {"tools_button", &form.icon_faces.Bitmaps[IconFace::ToolsSignFaded].Bitmap}};
    int open_height = 0;
    for (const auto& [name, plain] : plain_faces) {
        SCOPED_TRACE(name);
        const Bitmap32& face = form.findChild<TImage32*>(QString::fromStdString(name))->bitmap();
        const Difference ink = difference(face, *plain);
        const QSize size = logical_size(face);
        const auto caption =
            std::find_if(std::begin(main_layout::drawn_captions), std::end(main_layout::drawn_captions),
                         [&](const auto& c) { return name == c.control; });
        EXPECT_GT(ink.count, 20 * ratio * ratio);
        EXPECT_GE(ink.left, std::floor(caption->x * ratio));
        EXPECT_GE(ink.top, std::floor(caption->y * ratio));
        EXPECT_LT(ink.right, (size.width() - 1) * ratio);
        EXPECT_LT(ink.bottom, (size.height() - 1) * ratio);
        if (name != "tools_button") {  // two lines there
            EXPECT_GE(ink.height(), least_height * ratio);
        }
        if (name == "open_button") open_height = ink.height();
    }
    return open_height;
}
