#pragma once

#include <gtest/gtest.h>

#include <QSize>
#include <cmath>
#include <string>
#include <vector>

#include "display/bitmap_qt.h"
#include "tests/windows/windows_test_support.h"
#include "windows/main_layout.h"

// Where the captions drawn at start-up changed each captioned face (the tools
// button's two lines count as one caption), in the face's own pixels.
struct CaptionInk {
    std::string control;
    int x = 0;  // the caption's place, in layout pixels
    int y = 0;
    Difference ink;
    QSize face;  // in layout pixels
    double ratio = 1.0;
};

inline std::vector<CaptionInk> start_caption_inks(const TForm1& form)
{
    const double ratio = form.device_pixel_ratio();
    Bitmap32 info_box;
    load_skin(info_box, "info_box.png", ratio);
    const Bitmap32& red = form.nappula.Bitmaps[NappulaFace::Red].Bitmap;
    const Bitmap32& grey = form.nappula.Bitmaps[NappulaFace::Grey].Bitmap;
    const auto plain_face = [&](const std::string& control) -> const Bitmap32& {
        if (control == "save_button" || control == "undo_button") return grey;
        if (control == "tn_info_box") return info_box;
        if (control == "tools_button") return form.bitmaplist.Bitmaps[BitmaplistFace::ToolsSignFaded].Bitmap;
        return red;
    };
    std::vector<CaptionInk> inks;
    for (const main_layout::DrawnCaption& caption : main_layout::drawn_captions) {
        if (!inks.empty() && inks.back().control == caption.control) continue;
        const auto* control = form.findChild<TImage32*>(caption.control);
        inks.push_back({caption.control, caption.x, caption.y,
                        difference(control->bitmap(), plain_face(caption.control)),
                        logical_size(control->bitmap()), ratio});
    }
    return inks;
}

// Every caption is drawn whole: it starts at its place and ends before its
// face's last layout column and row (the rim), and a one-line caption is at
// least `least_height` layout pixels high, so it was not shrunk to nothing.
inline void expect_captions_inside_their_faces(const TForm1& form, double least_height)
{
    for (const CaptionInk& c : start_caption_inks(form)) {
        SCOPED_TRACE(c.control);
        EXPECT_GT(c.ink.count, 20 * c.ratio * c.ratio);
        EXPECT_GE(c.ink.left, std::floor(c.x * c.ratio));
        EXPECT_GE(c.ink.top, std::floor(c.y * c.ratio));
        EXPECT_LT(c.ink.right, (c.face.width() - 1) * c.ratio);
        EXPECT_LT(c.ink.bottom, (c.face.height() - 1) * c.ratio);
        if (c.control != "tools_button") {
            EXPECT_GE(c.ink.height(), least_height * c.ratio);
        }
    }
}
