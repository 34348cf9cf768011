#include <gtest/gtest.h>

#include <QFontInfo>
#include <QScreen>
#include <QToolTip>
#include <string>
#include <vector>

#include "corrector/scene_presets.h"
#include "display/bitmap_qt.h"
#include "tests/windows/windows_test_support.h"
#include "windows/skin_fonts.h"

namespace {

TEST(MainWindowStart, IsTheClosedWindowReadyWithNothingLoaded)
{
    auto form = quick_form();
    EXPECT_EQ(form->size(), QSize(902, 608));
    EXPECT_TRUE(form->windowFlags().testFlag(Qt::FramelessWindowHint));
    EXPECT_EQ(form->status_label->caption(), "READY");
    EXPECT_EQ(form->title_label->caption(), "TINTELO PHOTO MALLET 1.1 -- ");
    for (QWidget* hidden : std::vector<QWidget*>{form->profile_box, form->profile_label, form->correction_box,
                                                 form->correction_label})
        EXPECT_TRUE(hidden->isHidden());
    EXPECT_EQ(form->original_zoom_label->caption(), "100%");
    EXPECT_EQ(form->corrected_zoom_label->caption(), "100%");
    EXPECT_EQ(form->original_zoom->position(), 5);
    EXPECT_EQ(form->corrected_zoom->position(), 5);
    EXPECT_EQ(form->original_zoom->large_change(), 10);
    EXPECT_EQ(form->original_view->scale(), 1.0f);
    EXPECT_EQ(form->original_view->bitmap(), &form->corrector.org_photo);
    EXPECT_EQ(form->corrected_view->bitmap(), &form->corrector.corrected_photo);
    EXPECT_FALSE(form->panel_open_timer.isActive());
    EXPECT_FALSE(form->panel_close_timer.isActive());
    EXPECT_EQ(form->panel_open_timer.interval(), 5);
    EXPECT_EQ(form->panel_close_timer.interval(), 5);
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
    EXPECT_EQ(form->icon_faces.Bitmaps.count(), 8);
    EXPECT_EQ(form->button_faces.Bitmaps.count(), 2);
    EXPECT_EQ(form->top_key_faces.Bitmaps.count(), 8);
    // Faces without captions are exact copies of their list images.
    EXPECT_TRUE(
        same_pixels(form->correction_button->bitmap(), form->icon_faces.Bitmaps[1].Bitmap));  // dark red
    EXPECT_TRUE(same_pixels(form->camera_icon->bitmap(), form->icon_faces.Bitmaps[3].Bitmap));
    EXPECT_TRUE(same_pixels(form->phone_icon->bitmap(), form->icon_faces.Bitmaps[5].Bitmap));
    EXPECT_TRUE(same_pixels(form->top_close_key->bitmap(), form->top_key_faces.Bitmaps[0].Bitmap));
    EXPECT_TRUE(same_pixels(form->top_minimise_key->bitmap(), form->top_key_faces.Bitmaps[2].Bitmap));
    // The lists hold the sizes the layout is made for.
    const std::vector<std::pair<const Bitmap32*, QSize>> sizes{
        {&form->icon_faces.Bitmaps[0].Bitmap, {49, 46}},
        {&form->icon_faces.Bitmaps[1].Bitmap, {49, 50}},
        {&form->icon_faces.Bitmaps[2].Bitmap, {77, 53}},
        {&form->icon_faces.Bitmaps[5].Bitmap, {65, 53}},
        {&form->icon_faces.Bitmaps[6].Bitmap, {151, 62}},
        {&form->icon_faces.Bitmaps[7].Bitmap, {152, 62}},
        {&form->button_faces.Bitmaps[0].Bitmap, {131, 21}},
        {&form->top_key_faces.Bitmaps[3].Bitmap, {23, 22}}};
    for (const auto& [bitmap, size] : sizes) EXPECT_EQ(QSize(bitmap->width(), bitmap->height()), size);
    // The dark face really is darker red than the active one.
    const QColor on(form->icon_faces.Bitmaps[0].Bitmap.pixel(24, 23));
    const QColor off(form->icon_faces.Bitmaps[1].Bitmap.pixel(24, 23));
    EXPECT_LT(off.lightness(), on.lightness());
}

// Each caption changes its face only inside a box that starts at the caption's
// place, fits inside the face, and is about one line of text high.
struct CaptionCase {
    const char* name;
    TImage32* MainWindow::*control;
    const Bitmap32& (*face)(const MainWindow&);
    int x;
    int y;
    bool white;
};

const Bitmap32& grey_face(const MainWindow& f)
{
    return f.button_faces.Bitmaps[0].Bitmap;
}
const Bitmap32& red_face(const MainWindow& f)
{
    return f.button_faces.Bitmaps[1].Bitmap;
}
const Bitmap32& faded_tools(const MainWindow& f)
{
    return f.icon_faces.Bitmaps[7].Bitmap;
}
const Bitmap32& info_box(const MainWindow& f)
{
    static Bitmap32 plain;
    if (plain.is_empty()) load_skin(plain, "info_box.png");
    (void)f;
    return plain;
}

const CaptionCase kCaptions[] = {
    {"open", &MainWindow::open_button, red_face, 30, 3, true},
    {"exit", &MainWindow::close_button, red_face, 45, 3, true},
    {"save", &MainWindow::save_button, grey_face, 30, 3, true},
    {"undo", &MainWindow::undo_button, grey_face, 45, 3, true},
    {"about", &MainWindow::about_button, red_face, 40, 3, true},
    {"info", &MainWindow::correction_info_box, info_box, 12, 8, false},
    {"tools", &MainWindow::tools_button, faded_tools, 89, 20, false},
};

void expect_captions_in_place(const MainWindow& form, int min_height, int max_height)
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
        if (c.control != &MainWindow::tools_button) {  // two lines there
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
    const Difference tools = difference(form->tools_button->bitmap(), form->icon_faces.Bitmaps[7].Bitmap);
    EXPECT_LE(tools.top, 22);
    EXPECT_GE(tools.bottom, 40);
    EXPECT_EQ(form->open_button->bitmap().attributes.font.size(), 8);
    EXPECT_EQ(form->open_button->bitmap().attributes.font.pixels_per_inch, 96);
    EXPECT_TRUE(form->open_button->bitmap().attributes.font.bold);
    EXPECT_EQ(form->open_button->bitmap().attributes.font.face_name, "Verdana");
    // Nothing is marked on an ordinary screen.
    EXPECT_EQ(form->button_faces.Bitmaps[1].Bitmap.attributes.font.pixels_per_inch, 96);
}

TEST(MainWindowCaptions, AreMarkedAt150AndStaySmallAt120PixelsPerInch)
{
    auto form = quick_form(120);
    const BitmapFont& font = form->open_button->bitmap().attributes.font;
    EXPECT_EQ(font.pixels_per_inch, 150);
    EXPECT_EQ(font.height, -13);  // the 8-point pixel height at 120 kept
    EXPECT_EQ(font.size(), 6);
    EXPECT_EQ(to_qfont(font, 1, 120).pixelSize(), 10);  // what the caption is drawn with
    for (const Bitmap32* marked :
         {&form->button_faces.Bitmaps[0].Bitmap, &form->button_faces.Bitmaps[1].Bitmap,
          &form->icon_faces.Bitmaps[6].Bitmap, &form->icon_faces.Bitmaps[7].Bitmap})
        EXPECT_EQ(marked->attributes.font.pixels_per_inch, 150);
    EXPECT_EQ(form->icon_faces.Bitmaps[0].Bitmap.attributes.font.pixels_per_inch, 120);
    // 6 points at 120 pixels per inch: a 10-pixel face, a little smaller than at 96.
    expect_captions_in_place(*form, 6, 9);
    auto at96 = quick_form(96);
    EXPECT_LE(difference(form->open_button->bitmap(), form->button_faces.Bitmaps[1].Bitmap).right,
              difference(at96->open_button->bitmap(), at96->button_faces.Bitmaps[1].Bitmap).right);
}

TEST(MainWindowCaptions, GrowAt144PixelsPerInch)
{
    auto form = quick_form(144);
    EXPECT_EQ(form->open_button->bitmap().attributes.font.size(), 8);
    auto at96 = quick_form(96);
    EXPECT_GT(difference(form->open_button->bitmap(), form->button_faces.Bitmaps[1].Bitmap).height(),
              difference(at96->open_button->bitmap(), at96->button_faces.Bitmaps[1].Bitmap).height());
}

TEST(MainWindowCaptions, ListImagesStayClean)
{
    auto form = quick_form();
    Bitmap32 red;
    load_skin(red, "button_red.png");
    Bitmap32 faded;
    load_skin(faded, "tools_sign_faded.png");
    EXPECT_TRUE(same_pixels(form->button_faces.Bitmaps[1].Bitmap, red));
    EXPECT_TRUE(same_pixels(form->icon_faces.Bitmaps[7].Bitmap, faded));
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
    MainWindow& f = *form;
    const std::vector<Place> places{
        {"views_backdrop", f.views_backdrop, &f, {0, 106, 902, 369}},
        {"original_view_frame", f.original_view_frame, &f, {12, 117, 428, 326}},
        {"corrected_view_frame", f.corrected_view_frame, &f, {456, 117, 428, 326}},
        {"original_caption_frame", f.original_caption_frame, &f, {12, 448, 428, 18}},
        {"corrected_caption_frame", f.corrected_caption_frame, &f, {457, 448, 428, 18}},
        {"tools_panel", f.tools_panel, &f, {0, 560, 902, 97}},
        {"presets_label_plate", f.presets_label_plate, f.tools_panel, {371, 4, 187, 17}},
        {"light_label_plate", f.light_label_plate, f.tools_panel, {774, 5, 111, 17}},
        {"preset_indoors_bulb_lamp",
         f.preset_button(ScenePreset::IndoorsBulbLamp),
         f.tools_panel,
         {15, 25, 81, 66}},
        {"preset_indoors_mixed_light",
         f.preset_button(ScenePreset::IndoorsMixedLight),
         f.tools_panel,
         {97, 25, 81, 66}},
        {"preset_outdoors", f.preset_button(ScenePreset::Outdoors), f.tools_panel, {178, 25, 81, 66}},
        {"preset_outdoors_cloudy",
         f.preset_button(ScenePreset::OutdoorsCloudy),
         f.tools_panel,
         {260, 25, 81, 66}},
        {"preset_outdoors_too_shiny",
         f.preset_button(ScenePreset::OutdoorsTooShiny),
         f.tools_panel,
         {341, 25, 81, 66}},
        {"preset_indoors_no_flash",
         f.preset_button(ScenePreset::IndoorsNoFlash),
         f.tools_panel,
         {423, 25, 81, 66}},
        {"preset_indoors_flash",
         f.preset_button(ScenePreset::IndoorsFlash),
         f.tools_panel,
         {504, 25, 81, 66}},
        {"preset_backlight", f.preset_button(ScenePreset::Backlight), f.tools_panel, {586, 25, 81, 66}},
        {"preset_outdoors_vivid",
         f.preset_button(ScenePreset::OutdoorsVivid),
         f.tools_panel,
         {668, 25, 81, 66}},
        {"light_scale", f.light_scale, f.tools_panel, {768, 25, 122, 43}},
        {"light_indicator", f.light_indicator, f.light_scale, {57, 12, 5, 25}},
        {"dark_button", f.dark_button, f.tools_panel, {785, 70, 32, 22}},
        {"light_button", f.light_button, f.tools_panel, {833, 70, 32, 22}},
        {"corrected_view", f.corrected_view, &f, {460, 120, 420, 320}},
        {"top_bar", f.top_bar, &f, {0, 0, 902, 107}},
        {"top_close_key", f.top_close_key, f.top_bar, {880, 0, 22, 22}},
        {"top_minimise_key", f.top_minimise_key, f.top_bar, {856, 0, 23, 22}},
        {"lcd_panel", f.lcd_panel, &f, {296, 32, 599, 58}},
        {"profile_box", f.profile_box, f.lcd_panel, {90, 33, 144, 13}},
        {"correction_box", f.correction_box, f.lcd_panel, {238, 33, 144, 13}},
        {"save_button", f.save_button, &f, {8, 80, 131, 21}},
        {"close_button", f.close_button, &f, {8, 56, 131, 21}},
        {"open_button", f.open_button, &f, {8, 32, 131, 21}},
        {"undo_button", f.undo_button, &f, {144, 32, 131, 21}},
        {"about_button", f.about_button, &f, {144, 56, 131, 21}},
        {"lower_bar", f.lower_bar, &f, {0, 474, 902, 90}},
        {"camera_icon", f.camera_icon, f.lower_bar, {8, 19, 77, 53}},
        {"phone_icon", f.phone_icon, f.lower_bar, {81, 19, 65, 53}},
        {"tools_button", f.tools_button, f.lower_bar, {720, 17, 152, 62}},
        {"correction_info_box", f.correction_info_box, f.lower_bar, {376, 31, 218, 30}},
        {"correction_button", f.correction_button, &f, {312, 497, 49, 49}},
        {"original_view", f.original_view, &f, {16, 120, 420, 320}},
        {"bottom_bar", f.bottom_bar, &f, {0, 559, 902, 49}},
        {"original_caption_bar", f.original_caption_bar, &f, {13, 449, 424, 16}},
        {"original_zoom", f.original_zoom, f.original_caption_bar, {274, 4, 100, 9}},
        {"corrected_caption_bar", f.corrected_caption_bar, &f, {458, 449, 424, 16}},
        {"corrected_zoom", f.corrected_zoom, f.corrected_caption_bar, {275, 4, 100, 9}},
    };
    for (const Place& place : places) {
        SCOPED_TRACE(place.name);
        EXPECT_EQ(place.control->parentWidget(), place.parent);
        EXPECT_EQ(place.control->geometry(), place.geometry);
    }
    // Labels are placed by their top-left and sized to their text.
    const std::vector<std::pair<TLabel*, QPoint>> labels{
        {f.presets_label, {383, 9}},  {f.light_label, {780, 10}},   {f.title_label, {40, 16}},
        {f.status_label, {256, 16}},  {f.profile_label, {95, 36}},  {f.correction_label, {250, 36}},
        {f.original_caption, {4, 4}}, {f.corrected_caption, {4, 4}}};
    for (const auto& [label, at] : labels) {
        SCOPED_TRACE(label->caption().toStdString());
        EXPECT_EQ(label->pos(), at);
        EXPECT_EQ(label->width(), QFontMetrics(label->font()).horizontalAdvance(label->caption()));
    }
    // Label boxes stay inside the grey plates they are written on.
    EXPECT_LE(f.presets_label->geometry().right(), f.presets_label_plate->geometry().right());
    EXPECT_LE(f.light_label->geometry().right(), f.light_label_plate->geometry().right());
    // The zoom percentages stand at their left edge, their height set by the captions' baseline.
    EXPECT_EQ(f.original_zoom_label->x(), 397);
    EXPECT_EQ(f.corrected_zoom_label->x(), 397);
    EXPECT_GE(f.original_zoom_label->y(), 0);
    EXPECT_LE(f.original_zoom_label->geometry().right(), f.original_caption_bar->width() - 1);
    EXPECT_LE(f.original_zoom_label->geometry().bottom(), f.original_caption_bar->height() - 1);
}

TEST(MainWindowLayout, ControlsCarryTheirHintsAndTipsAreGrey)
{
    auto form = quick_form();
    MainWindow& f = *form;
    const std::vector<std::pair<TImage32*, const char*>> hints{
        {f.preset_button(ScenePreset::IndoorsBulbLamp), "Indoors bulb lamp"},
        {f.preset_button(ScenePreset::IndoorsMixedLight), "Indoors mixed light"},
        {f.preset_button(ScenePreset::Outdoors), "Outdoors"},
        {f.preset_button(ScenePreset::OutdoorsCloudy), "Outdoors cloudy"},
        {f.preset_button(ScenePreset::OutdoorsTooShiny), "Outdoors too shiny"},
        {f.preset_button(ScenePreset::IndoorsNoFlash), "Indoors no flash"},
        {f.preset_button(ScenePreset::IndoorsFlash), "Indoors flash"},
        {f.preset_button(ScenePreset::Backlight), "Backlight"},
        {f.preset_button(ScenePreset::OutdoorsVivid), "Outdoors  vivid "},
        {f.dark_button, "Set less light to photo"},
        {f.light_button, "Set more light to phone"},
        {f.save_button, "Save as corrected photo"},
        {f.close_button, "Close application"},
        {f.open_button, "Open photo"},
        {f.undo_button, "Undo"},
        {f.about_button, "More information"},
        {f.camera_icon, "Set camera type (Digital camera)"},
        {f.phone_icon, "Set camera type (Mobile phone)"},
        {f.tools_button, "Show more tools"},
        {f.correction_button, "Activate Automatic Color Correction"}};
    for (const auto& [control, hint] : hints) EXPECT_EQ(control->hint(), QString(hint));
    EXPECT_EQ(f.top_bar->hint(), QString());
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
    EXPECT_EQ(window.pixel(296 + 5, 32 + 50), lcd.pixel(5, 50));  // the LCD above the top bar
    EXPECT_EQ(window.pixel(0, 106), top_bar.pixel(0, 106));       // the top bar above the backdrop
    EXPECT_EQ(window.pixel(312 + 24, 497 + 10),
              correction_off.pixel(24, 10));                         // correction_button above the lower bar
    EXPECT_EQ(window.pixel(100, 140), QColor(201, 201, 201).rgb());  // the empty view's colour
    // Closed: the bottom bar hides the whole tools panel.
    for (int y = 559; y < 608; ++y)
        ASSERT_EQ(window.pixel(5, y), bottom_bar.pixel(5, y - 559)) << "row " << y;

    // Open: the lower bar covers the panel's top 4 rows, the bottom bar its last row.
    form->corrector.photo_loaded = true;
    form->tools_may_open = true;
    form->tools_buttonClick();
    for (int tick = 0; tick < 98; ++tick) form->panel_open_timerTick();
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
    form->corrected_zoom->set_position(250);
    EXPECT_EQ(form->corrected_zoom_label->caption(), "250%");
    EXPECT_FLOAT_EQ(form->corrected_view->scale(), 2.5f);
    EXPECT_EQ(form->original_view->scale(), 1.0f);  // the views zoom independently
    EXPECT_EQ(form->original_zoom_label->caption(), "100%");
    form->original_zoom->set_position(50);
    EXPECT_EQ(form->original_zoom_label->caption(), "50%");
    form->original_zoom->set_position(3);
    EXPECT_EQ(form->original_zoom_label->caption(), "5%");
    EXPECT_FLOAT_EQ(form->original_view->scale(), 0.05f);
}

}  // namespace
