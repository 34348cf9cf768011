#include <gtest/gtest.h>

#include <QFontInfo>
#include <QScreen>
#include <QToolTip>
#include <string>
#include <vector>

#include "display/bitmap_qt.h"
#include "windows/skin_fonts.h"
#include "tests/windows/windows_test_support.h"

namespace {

TEST(MainWindowStart, IsTheClosedWindowReadyWithNothingLoaded)
{
    auto form = quick_form();
    EXPECT_EQ(form->size(), QSize(902, 608));
    EXPECT_TRUE(form->windowFlags().testFlag(Qt::FramelessWindowHint));
    EXPECT_EQ(form->status->caption(), "READY");
    EXPECT_EQ(form->lcd_row1->caption(), "TINTELO PHOTO MALLET 1.1 -- ");
    for (QWidget* hidden :
         std::vector<QWidget*>{form->profile_shape, form->profile, form->correction_shape, form->correction})
        EXPECT_TRUE(hidden->isHidden());
    EXPECT_EQ(form->zoom_level->caption(), "100%");
    EXPECT_EQ(form->tn_zoom_level->caption(), "100%");
    EXPECT_EQ(form->org_zoom->position(), 5);
    EXPECT_EQ(form->tn_zoom->position(), 5);
    EXPECT_EQ(form->org_zoom->large_change(), 10);
    EXPECT_EQ(form->photo_org->scale(), 1.0f);
    EXPECT_EQ(form->photo_org->bitmap(), &form->corrector.org_photo);
    EXPECT_EQ(form->photo_tn->bitmap(), &form->corrector.corrected_photo);
    EXPECT_FALSE(form->Timer1.isActive());
    EXPECT_FALSE(form->Timer2.isActive());
    EXPECT_EQ(form->Timer1.interval(), 5);
    EXPECT_EQ(form->Timer2.interval(), 5);
    EXPECT_FALSE(form->corrector.photo_loaded);
    EXPECT_FALSE(form->corrector.correction_shown);
    EXPECT_FALSE(form->tools_may_open);
    EXPECT_FALSE(form->tools_open);
    EXPECT_EQ(form->corrector.phone_profile, 0);
    EXPECT_EQ(form->corrector.camera_profile, 0);
}

TEST(MainWindowStart, FacesAreTheStartStateListImages)
{
    auto form = quick_form();
    EXPECT_EQ(form->bitmaplist.Bitmaps.count(), 8);
    EXPECT_EQ(form->nappula.Bitmaps.count(), 2);
    EXPECT_EQ(form->ylanapit.Bitmaps.count(), 4);
    // Faces without captions are exact copies of their list images.
    EXPECT_TRUE(same_pixels(form->tn_nappula->bitmap(), form->bitmaplist.Bitmaps[1].Bitmap));  // dark red
    EXPECT_TRUE(same_pixels(form->cam_icon->bitmap(), form->bitmaplist.Bitmaps[3].Bitmap));
    EXPECT_TRUE(same_pixels(form->mob_icon->bitmap(), form->bitmaplist.Bitmaps[5].Bitmap));
    EXPECT_TRUE(same_pixels(form->up_close->bitmap(), form->ylanapit.Bitmaps[0].Bitmap));
    EXPECT_TRUE(same_pixels(form->up_min->bitmap(), form->ylanapit.Bitmaps[2].Bitmap));
    // The lists hold the sizes the layout is made for.
    const std::vector<std::pair<const Bitmap32*, QSize>> sizes{
        {&form->bitmaplist.Bitmaps[0].Bitmap, {49, 46}},  {&form->bitmaplist.Bitmaps[1].Bitmap, {49, 50}},
        {&form->bitmaplist.Bitmaps[2].Bitmap, {77, 53}},  {&form->bitmaplist.Bitmaps[5].Bitmap, {65, 53}},
        {&form->bitmaplist.Bitmaps[6].Bitmap, {151, 62}}, {&form->bitmaplist.Bitmaps[7].Bitmap, {152, 62}},
        {&form->nappula.Bitmaps[0].Bitmap, {131, 21}},    {&form->ylanapit.Bitmaps[3].Bitmap, {23, 22}}};
    for (const auto& [bitmap, size] : sizes) EXPECT_EQ(QSize(bitmap->width(), bitmap->height()), size);
    // The dark face really is darker red than the active one.
    const QColor on(form->bitmaplist.Bitmaps[0].Bitmap.pixel(24, 23));
    const QColor off(form->bitmaplist.Bitmaps[1].Bitmap.pixel(24, 23));
    EXPECT_LT(off.lightness(), on.lightness());
}

// Each caption changes its face only inside a box that starts at the caption's
// place, fits inside the face, and is about one line of text high.
struct CaptionCase {
    const char* name;
    TImage32* TForm1::*control;
    const Bitmap32& (*face)(const TForm1&);
    int x;
    int y;
    bool white;
};

const Bitmap32& grey_face(const TForm1& f)
{
    return f.nappula.Bitmaps[0].Bitmap;
}
const Bitmap32& red_face(const TForm1& f)
{
    return f.nappula.Bitmaps[1].Bitmap;
}
const Bitmap32& faded_tools(const TForm1& f)
{
    return f.bitmaplist.Bitmaps[7].Bitmap;
}
const Bitmap32& info_box(const TForm1& f)
{
    static Bitmap32 plain;
    if (plain.is_empty()) load_skin(plain, "info_box.png");
    (void)f;
    return plain;
}

const CaptionCase kCaptions[] = {
    {"open", &TForm1::open_button, red_face, 30, 3, true},
    {"exit", &TForm1::close_button, red_face, 45, 3, true},
    {"save", &TForm1::save_button, grey_face, 30, 3, true},
    {"undo", &TForm1::undo_button, grey_face, 45, 3, true},
    {"about", &TForm1::about_button, red_face, 40, 3, true},
    {"info", &TForm1::tn_info_box, info_box, 12, 8, false},
    {"tools", &TForm1::tools_button, faded_tools, 89, 20, false},
};

void expect_captions_in_place(const TForm1& form, int min_height, int max_height)
{
    for (const CaptionCase& c : kCaptions) {
        SCOPED_TRACE(c.name);
        const Bitmap32& drawn = (form.*c.control)->bitmap();
        const Bitmap32& plain = c.face(form);
        ASSERT_EQ(drawn.width(), plain.width());
        const Difference d = difference(drawn, plain);
        EXPECT_GT(d.count, 40);
        EXPECT_GE(d.left, c.x);
        EXPECT_GE(d.top, c.y);
        EXPECT_LT(d.left, c.x + 3);
        // Inside the face, clear of its edges.
        EXPECT_LT(d.right, drawn.width() - 1);
        EXPECT_LT(d.bottom, drawn.height() - 1);
        if (c.control != &TForm1::tools_button) {  // two lines there
            EXPECT_GE(d.height(), min_height);
            EXPECT_LE(d.height(), max_height);
        }
        // White captions lighten their faces, black ones darken them.
        long long lighter = 0, darker = 0;
        for (int y = d.top; y <= d.bottom; ++y)
            for (int x = d.left; x <= d.right; ++x) {
                const int now = QColor(drawn.pixel(x, y)).lightness();
                const int before = QColor(plain.pixel(x, y)).lightness();
                if (now > before) ++lighter;
                if (now < before) ++darker;
            }
        if (c.white)
            EXPECT_GT(lighter, 10 * darker);
        else
            EXPECT_GT(darker, 10 * lighter);
    }
}

TEST(MainWindowCaptions, AllEightAreDrawnInsideTheirFacesAt96PixelsPerInch)
{
    auto form = quick_form(96);
    // Cap height of an 11-pixel bold face, descender-free texts.
    expect_captions_in_place(*form, 7, 10);
    // Both tool lines: "More" from y 20, "Tools" from y 33.
    const Difference tools = difference(form->tools_button->bitmap(), form->bitmaplist.Bitmaps[7].Bitmap);
    EXPECT_LE(tools.top, 22);
    EXPECT_GE(tools.bottom, 40);
    EXPECT_EQ(form->open_button->bitmap().attributes.font.size(), 8);
    EXPECT_EQ(form->open_button->bitmap().attributes.font.pixels_per_inch, 96);
    EXPECT_TRUE(form->open_button->bitmap().attributes.font.bold);
    EXPECT_EQ(form->open_button->bitmap().attributes.font.face_name, "Verdana");
    // Nothing is marked on an ordinary screen.
    EXPECT_EQ(form->nappula.Bitmaps[1].Bitmap.attributes.font.pixels_per_inch, 96);
}

TEST(MainWindowCaptions, AreMarkedAt150AndStaySmallAt120PixelsPerInch)
{
    auto form = quick_form(120);
    const BitmapFont& font = form->open_button->bitmap().attributes.font;
    EXPECT_EQ(font.pixels_per_inch, 150);
    EXPECT_EQ(font.height, -13);  // the 8-point pixel height at 120 kept
    EXPECT_EQ(font.size(), 6);
    EXPECT_EQ(to_qfont(font, 1, 120).pixelSize(), 10);  // what the caption is drawn with
    for (const Bitmap32* marked : {&form->nappula.Bitmaps[0].Bitmap, &form->nappula.Bitmaps[1].Bitmap,
                                   &form->bitmaplist.Bitmaps[6].Bitmap, &form->bitmaplist.Bitmaps[7].Bitmap})
        EXPECT_EQ(marked->attributes.font.pixels_per_inch, 150);
    EXPECT_EQ(form->bitmaplist.Bitmaps[0].Bitmap.attributes.font.pixels_per_inch, 120);
    // 6 points at 120 pixels per inch: a 10-pixel face, a little smaller than at 96.
    expect_captions_in_place(*form, 6, 9);
    auto at96 = quick_form(96);
    EXPECT_LE(difference(form->open_button->bitmap(), form->nappula.Bitmaps[1].Bitmap).right,
              difference(at96->open_button->bitmap(), at96->nappula.Bitmaps[1].Bitmap).right);
}

TEST(MainWindowCaptions, GrowAt144PixelsPerInch)
{
    auto form = quick_form(144);
    EXPECT_EQ(form->open_button->bitmap().attributes.font.size(), 8);
    auto at96 = quick_form(96);
    EXPECT_GT(difference(form->open_button->bitmap(), form->nappula.Bitmaps[1].Bitmap).height(),
              difference(at96->open_button->bitmap(), at96->nappula.Bitmaps[1].Bitmap).height());
}

TEST(MainWindowCaptions, ListImagesStayClean)
{
    auto form = quick_form();
    Bitmap32 red;
    load_skin(red, "button_red.png");
    Bitmap32 faded;
    load_skin(faded, "tools_sign_faded.png");
    EXPECT_TRUE(same_pixels(form->nappula.Bitmaps[1].Bitmap, red));
    EXPECT_TRUE(same_pixels(form->bitmaplist.Bitmaps[7].Bitmap, faded));
}

struct Place {
    const char* name;
    QWidget* control;
    QWidget* parent;
    QRect geometry;
};

TEST(MainWindowLayout, EveryControlIsAtItsPlace)
{
    auto form = quick_form();
    TForm1& f = *form;
    const std::vector<Place> places{
        {"Shape1", f.Shape1, &f, {0, 106, 902, 369}},
        {"Shape2", f.Shape2, &f, {12, 117, 428, 326}},
        {"Shape3", f.Shape3, &f, {456, 117, 428, 326}},
        {"Shape4", f.Shape4, &f, {12, 448, 428, 18}},
        {"Shape5", f.Shape5, &f, {457, 448, 428, 18}},
        {"tools", f.tools, &f, {0, 560, 902, 97}},
        {"Shape6", f.Shape6, f.tools, {371, 4, 187, 17}},
        {"Shape8", f.Shape8, f.tools, {774, 5, 111, 17}},
        {"Image329", f.Image329, f.tools, {15, 25, 81, 66}},
        {"Image328", f.Image328, f.tools, {97, 25, 81, 66}},
        {"Image327", f.Image327, f.tools, {178, 25, 81, 66}},
        {"Image326", f.Image326, f.tools, {260, 25, 81, 66}},
        {"Image325", f.Image325, f.tools, {341, 25, 81, 66}},
        {"Image324", f.Image324, f.tools, {423, 25, 81, 66}},
        {"Image323", f.Image323, f.tools, {504, 25, 81, 66}},
        {"Image322", f.Image322, f.tools, {586, 25, 81, 66}},
        {"Image321", f.Image321, f.tools, {668, 25, 81, 66}},
        {"Image3216", f.Image3216, f.tools, {768, 25, 122, 43}},
        {"valo_select", f.valo_select, f.Image3216, {57, 12, 5, 25}},
        {"dark_button", f.dark_button, f.tools, {785, 70, 32, 22}},
        {"light_button", f.light_button, f.tools, {833, 70, 32, 22}},
        {"photo_tn", f.photo_tn, &f, {460, 120, 420, 320}},
        {"Image3213", f.Image3213, &f, {0, 0, 902, 107}},
        {"up_close", f.up_close, f.Image3213, {880, 0, 22, 22}},
        {"up_min", f.up_min, f.Image3213, {856, 0, 23, 22}},
        {"lcd", f.lcd, &f, {296, 32, 599, 58}},
        {"profile_shape", f.profile_shape, f.lcd, {90, 33, 144, 13}},
        {"correction_shape", f.correction_shape, f.lcd, {238, 33, 144, 13}},
        {"save_button", f.save_button, &f, {8, 80, 131, 21}},
        {"close_button", f.close_button, &f, {8, 56, 131, 21}},
        {"open_button", f.open_button, &f, {8, 32, 131, 21}},
        {"undo_button", f.undo_button, &f, {144, 32, 131, 21}},
        {"about_button", f.about_button, &f, {144, 56, 131, 21}},
        {"Image3215", f.Image3215, &f, {0, 474, 902, 90}},
        {"cam_icon", f.cam_icon, f.Image3215, {8, 19, 77, 53}},
        {"mob_icon", f.mob_icon, f.Image3215, {81, 19, 65, 53}},
        {"tools_button", f.tools_button, f.Image3215, {720, 17, 152, 62}},
        {"tn_info_box", f.tn_info_box, f.Image3215, {376, 31, 218, 30}},
        {"tn_nappula", f.tn_nappula, &f, {312, 497, 49, 49}},
        {"photo_org", f.photo_org, &f, {16, 120, 420, 320}},
        {"alapalkki", f.alapalkki, &f, {0, 559, 902, 49}},
        {"org_photo_cap", f.org_photo_cap, &f, {13, 449, 424, 16}},
        {"org_zoom", f.org_zoom, f.org_photo_cap, {274, 4, 100, 9}},
        {"photo_tn_cap", f.photo_tn_cap, &f, {458, 449, 424, 16}},
        {"tn_zoom", f.tn_zoom, f.photo_tn_cap, {275, 4, 100, 9}},
    };
    for (const Place& place : places) {
        SCOPED_TRACE(place.name);
        EXPECT_EQ(place.control->parentWidget(), place.parent);
        EXPECT_EQ(place.control->geometry(), place.geometry);
    }
    // Labels are placed by their top-left and sized to their text.
    const std::vector<std::pair<TLabel*, QPoint>> labels{
        {f.Label1, {383, 9}},          {f.Label5, {780, 10}},    {f.lcd_row1, {40, 16}},
        {f.status, {256, 16}},         {f.profile, {95, 36}},    {f.correction, {250, 36}},
        {f.org_photo_caption, {4, 4}}, {f.zoom_level, {397, 4}}, {f.tn_photo_cap, {4, 4}},
        {f.tn_zoom_level, {397, 4}}};
    for (const auto& [label, at] : labels) {
        SCOPED_TRACE(label->caption().toStdString());
        EXPECT_EQ(label->pos(), at);
        EXPECT_EQ(label->width(), QFontMetrics(label->font()).horizontalAdvance(label->caption()));
    }
    // Label boxes stay inside the grey plates they are written on.
    EXPECT_LE(f.Label1->geometry().right(), f.Shape6->geometry().right());
    EXPECT_LE(f.Label5->geometry().right(), f.Shape8->geometry().right());
    EXPECT_LE(f.zoom_level->geometry().right(), f.org_photo_cap->width() - 1);
    EXPECT_LE(f.zoom_level->geometry().bottom(), f.org_photo_cap->height() - 1);
}

TEST(MainWindowLayout, ControlsCarryTheirHintsAndTipsAreGrey)
{
    auto form = quick_form();
    TForm1& f = *form;
    const std::vector<std::pair<TImage32*, const char*>> hints{
        {f.Image329, "Indoors bulb lamp"},
        {f.Image328, "Indoors mixed light"},
        {f.Image327, "Outdoors"},
        {f.Image326, "Outdoors cloudy"},
        {f.Image325, "Outdoors too shiny"},
        {f.Image324, "Indoors no flash"},
        {f.Image323, "Indoors flash"},
        {f.Image322, "Backlight"},
        {f.Image321, "Outdoors  vivid "},
        {f.dark_button, "Set less light to photo"},
        {f.light_button, "Set more light to phone"},
        {f.save_button, "Save as corrected photo"},
        {f.close_button, "Close application"},
        {f.open_button, "Open photo"},
        {f.undo_button, "Undo"},
        {f.about_button, "More information"},
        {f.cam_icon, "Set camera type (Digital camera)"},
        {f.mob_icon, "Set camera type (Mobile phone)"},
        {f.tools_button, "Show more tools"},
        {f.tn_nappula, "Activate Automatic Color Correction"}};
    for (const auto& [control, hint] : hints) EXPECT_EQ(control->hint(), QString(hint));
    EXPECT_EQ(f.Image3213->hint(), QString());
    EXPECT_EQ(QToolTip::palette().color(QPalette::ToolTipBase), QColor(213, 213, 213));
    EXPECT_TRUE(f.testAttribute(Qt::WA_AlwaysShowToolTips));
}

// Grabs the window and compares it with the pictures that should be on top.
TEST(MainWindowLayout, StackingShowsWhatLiesOnTop)
{
    auto form = quick_form();
    const QImage top_bar = skin_picture("top_bar.png");
    const QImage lcd = skin_picture("lcd.png");
    const QImage lower_bar = skin_picture("lower_bar.png");
    const QImage bottom_bar = skin_picture("bottom_bar.png");
    const QImage tools_panel = skin_picture("tools_panel.png");
    const QImage correction_off = skin_picture("correction_off.png");

    QImage window = shown(*form);
    ASSERT_EQ(window.size(), QSize(902, 608));
    EXPECT_EQ(window.pixel(150, 10), top_bar.pixel(150, 10));
    EXPECT_EQ(window.pixel(296 + 5, 32 + 50), lcd.pixel(5, 50));  // lcd above the top bar
    EXPECT_EQ(window.pixel(0, 106), top_bar.pixel(0, 106));       // top bar above Shape1
    EXPECT_EQ(window.pixel(312 + 24, 497 + 10),
              correction_off.pixel(24, 10));                         // tn_nappula above the lower bar
    EXPECT_EQ(window.pixel(100, 140), QColor(201, 201, 201).rgb());  // the empty view's colour
    // Closed: the bottom bar hides the whole tools panel.
    for (int y = 559; y < 608; ++y)
        ASSERT_EQ(window.pixel(5, y), bottom_bar.pixel(5, y - 559)) << "row " << y;

    // Open: the lower bar covers the panel's top 4 rows, the bottom bar its last row.
    form->corrector.photo_loaded = true;
    form->tools_may_open = true;
    form->tools_buttonClick();
    for (int tick = 0; tick < 98; ++tick) form->Timer1Timer();
    window = shown(*form);
    ASSERT_EQ(window.size(), QSize(902, 705));
    for (int row = 0; row < 4; ++row) EXPECT_EQ(window.pixel(5, 560 + row), lower_bar.pixel(5, 86 + row));
    EXPECT_EQ(window.pixel(5, 564), tools_panel.pixel(5, 4));
    EXPECT_EQ(window.pixel(5, 655), tools_panel.pixel(5, 95));
    EXPECT_EQ(window.pixel(5, 656), bottom_bar.pixel(5, 0));
    EXPECT_NE(tools_panel.pixel(5, 96), bottom_bar.pixel(5, 0));  // so the check above means something
    const QImage bulb = skin_picture("preset_indoors_bulb_lamp.png");
    EXPECT_EQ(window.pixel(15 + 40, 560 + 25 + 30), bulb.pixel(40, 30));
    const QImage indicator = skin_picture("light_indicator.png");
    EXPECT_EQ(window.pixel(768 + 57 + 2, 560 + 25 + 12 + 10), indicator.pixel(2, 10));
}

TEST(MainWindowLayout, IsCentredOnFirstShow)
{
    auto form = quick_form();
    form->show();
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    EXPECT_EQ(form->pos(),
              QPoint(screen.left() + (screen.width() - 902) / 2, screen.top() + (screen.height() - 608) / 2));
    form->move(10, 20);
    form->hide();
    form->show();
    EXPECT_EQ(form->pos(), QPoint(10, 20));
}

TEST(SkinFonts, StandInsHaveTheLayoutsPixelHeights)
{
    // The stand-ins come from xfonts-base, which the set-up installs.
    EXPECT_TRUE(install_skin_fonts());
    for (const auto& [design, expected] : std::vector<std::pair<int, int>>{{8, 9}, {10, 10}, {11, 12}}) {
        SCOPED_TRACE(design);
        const QFont font = terminal_font(design);
        const QFontInfo info(font);
        EXPECT_TRUE(info.fixedPitch());
        EXPECT_EQ(info.pixelSize(), expected);
        EXPECT_EQ(QFontMetrics(font).horizontalAdvance("Adjust lightning"), 16 * 6);
    }
    EXPECT_EQ(QFontInfo(QFont("Verdana")).family(), caption_face_stand_in());
}

TEST(MainWindowZoom, SlidersSetTheirViewsScaleAndCaption)
{
    auto form = quick_form();
    form->tn_zoom->set_position(250);
    EXPECT_EQ(form->tn_zoom_level->caption(), "250%");
    EXPECT_FLOAT_EQ(form->photo_tn->scale(), 2.5f);
    EXPECT_EQ(form->photo_org->scale(), 1.0f);  // the views zoom independently
    EXPECT_EQ(form->zoom_level->caption(), "100%");
    form->org_zoom->set_position(50);
    EXPECT_EQ(form->zoom_level->caption(), "50%");
    form->org_zoom->set_position(3);
    EXPECT_EQ(form->zoom_level->caption(), "5%");
    EXPECT_FLOAT_EQ(form->photo_org->scale(), 0.05f);
}

}  // namespace
