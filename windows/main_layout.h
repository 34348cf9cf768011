#pragma once

// The main window's layout as data: every control with its parent, place, size,
// picture, hint, font and colours, the pictures of its image lists and the
// captions drawn onto its skin pictures. The window builds its controls from it
// and the skin generator's previews compose the same window from it, so this
// header needs no Qt and nothing to link. Which handler each control's events
// run is the window's wiring (windows/main_wiring.cpp).

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "corrector/control_faces.h"
#include "corrector/scene_presets.h"

/// Items of the `button_faces` image list: the push buttons' faces.
struct ButtonFace {
    enum : int {
        Grey,  // inactive: save_button and undo_button before the first photo
        Red,   // active
        Count
    };
};

/// Items of the `top_key_faces` image list: the top bar's keys, plain and under the mouse.
struct TopKeyFace {
    enum : int {
        Close,
        CloseHover,
        Minimise,
        MinimiseHover,
        Maximise,
        MaximiseHover,
        Restore,
        RestoreHover,
        Count
    };
};

/// Items of the `step_key_faces` image list: the keys that step through the folder, plain,
/// under the mouse and pressed.
struct StepKeyFace {
    enum : int { Previous, PreviousHover, PreviousPressed, Next, NextHover, NextPressed, Count };
};

namespace main_layout {

/// A colour as an opaque 0xFFRRGGBB word, as a Bitmap32 stores it.
constexpr std::uint32_t rgb(int red, int green, int blue)
{
    return 0xFF000000u | static_cast<std::uint32_t>(red) << 16 | static_cast<std::uint32_t>(green) << 8 |
           static_cast<std::uint32_t>(blue);
}

/// No colour of the control's own: a label's ink is then the system's
/// window-text colour and its background transparent; a skin image keeps the
/// system's button-face colour.
inline constexpr std::uint32_t no_colour = 0;

inline constexpr std::uint32_t panel_grey = rgb(213, 213, 213);        // views_backdrop, around the two views
inline constexpr std::uint32_t caption_grey = rgb(201, 201, 201);      // frames, views and caption bars
inline constexpr std::uint32_t panel_label_grey = rgb(208, 208, 208);  // plates of the tools panel's labels
inline constexpr std::uint32_t profile_blue = rgb(90, 174, 210);       // the LCD's second row
inline constexpr std::uint32_t tool_tip_grey = rgb(213, 213, 213);
// Floor of the lower bar's bays: a control there that is larger than its
// picture shows it in the uncovered strip, so no seam shows.
inline constexpr std::uint32_t lower_bay_floor = rgb(190, 192, 197);
inline constexpr std::uint32_t black = rgb(0, 0, 0);

/// The window: closed, the tools panel lies under the bottom bar; open, the
/// window is the panel's height taller.
inline constexpr int window_width = 902;
inline constexpr int closed_height = 608;
inline constexpr int open_height = 705;
/// The parent name of the window's own children.
inline constexpr char window[] = "MainWindow";

/// The right end of the LCD picture's glass, in its own pixels: the first column past
/// the glass. The status line's text stays clear of it by `lcd_glass_margin`.
inline constexpr int lcd_glass_right = 571;
inline constexpr int lcd_glass_margin = 4;

/// The light indicator's left edge at light level 0, and its step per level.
inline constexpr int light_indicator_middle = 57;
inline constexpr int light_indicator_step = 8;

/// The strength slider's groove in strength_track's pixels, 0 % at its left end and 100 % at
/// its right, and the knob that is centred on the strength.
inline constexpr int strength_groove_left = 70;
inline constexpr int strength_groove_width = 220;
inline constexpr int strength_knob_width = 9;
/// The knob's left edge in strength_track at `percent`, the nearest pixel.
constexpr int strength_knob_left(int percent)
{
    return strength_groove_left + (percent * strength_groove_width + 50) / 100 - strength_knob_width / 2;
}

/// The strength knob's faces: normal, under the mouse, held.
inline constexpr std::array<const char*, 3> strength_knob_face_pictures{
    "strength_knob.png", "strength_knob_hover.png", "strength_knob_pressed.png"};

/// The pictures of the image lists, in item order.
inline constexpr std::array<const char*, IconFace::Count> icon_face_pictures{
    "correction_on.png", "correction_off.png", "camera.png",     "camera_faded.png",
    "phone.png",         "phone_faded.png",    "tools_sign.png", "tools_sign_faded.png"};
inline constexpr std::array<const char*, ButtonFace::Count> button_face_pictures{"button_grey.png",
                                                                                 "button_red.png"};
inline constexpr std::array<const char*, TopKeyFace::Count> top_key_face_pictures{
    "close.png",    "close_hover.png",    "minimise.png", "minimise_hover.png",
    "maximise.png", "maximise_hover.png", "restore.png",  "restore_hover.png"};

/// How a control follows its parent's change of size along one axis: its near
/// edge stays (Start), it moves with the far edge (End), it stretches (Both), it
/// moves by half the change (Centre), or it is one of two neighbours that share
/// the change, the first stretching by half (FirstHalf), the second moving by
/// that half and stretching by the rest (SecondHalf).
enum class Follow { Start, End, Both, Centre, FirstHalf, SecondHalf };

/// Where a skin picture grows when its control is wider than the picture: at
/// one or two columns (layout pixels; -1 unused), the two given its share of the
/// change as FirstHalf and SecondHalf share it, by repeating that column, so
/// brushing and bevels run on and the ends stay as drawn. The top `band_rows`
/// rows repeat the `band_period` columns from the column instead, up to the
/// last `band_end` columns: stripes at 45 degrees continue without a break.
struct Widening {
    int column = -1;
    int second_column = -1;
    int band_rows = 0;
    int band_period = 1;
    int band_end = 0;
};

inline constexpr std::array<const char*, StepKeyFace::Count> step_key_face_pictures{
    "previous.png", "previous_hover.png", "previous_pressed.png",
    "next.png",     "next_hover.png",     "next_pressed.png"};

enum class Kind {
    Rect,    // filled rectangle with a 1-pixel black outline
    Skin,    // skin image: its picture at 1:1 from the top-left
    View,    // photo view
    Label,   // one line of text sized to its text
    Slider,  // zoom slider
};

struct Control {
    const char* name;
    Kind kind;
    const char* parent;
    int left;
    int top;
    int width = 0;  // a label's size follows its text
    int height = 0;
    const char* picture = nullptr;  // a skin image's start picture
    const char* text = "";          // a label's caption or a skin image's hint
    // A rect's fill; where a skin image or view is larger than its picture, the
    // colour of the uncovered strip; a label's background.
    std::uint32_t colour = no_colour;
    std::uint32_t ink = no_colour;  // a label's text
    int terminal_height = 0;        // a label's "Terminal" font, by character height in pixels
    bool hidden = false;            // hidden until the first photo is chosen
    Follow across = Follow::Start;  // how it follows its parent's change of width
    Follow down = Follow::Start;    // and of height
    Widening widening{};
};

constexpr Control rect(const char* name, const char* parent, int left, int top, int width, int height,
                       std::uint32_t fill)
{
    return {name, Kind::Rect, parent, left, top, width, height, nullptr, "", fill};
}

constexpr Control skin(const char* name, const char* parent, int left, int top, int width, int height,
                       const char* picture, const char* hint = "", std::uint32_t colour = no_colour)
{
    return {name, Kind::Skin, parent, left, top, width, height, picture, hint, colour};
}

constexpr Control view(const char* name, const char* parent, int left, int top, int width, int height,
                       std::uint32_t colour)
{
    return {name, Kind::View, parent, left, top, width, height, nullptr, "", colour};
}

constexpr Control label(const char* name, const char* parent, int left, int top, const char* caption,
                        int terminal_height, std::uint32_t ink, std::uint32_t background)
{
    return {name, Kind::Label, parent, left, top, 0, 0, nullptr, caption, background, ink, terminal_height};
}

constexpr Control slider(const char* name, const char* parent, int left, int top, int width, int height)
{
    return {name, Kind::Slider, parent, left, top, width, height};
}

constexpr Control hidden(Control control)
{
    control.hidden = true;
    return control;
}

constexpr Control follows(Control control, Follow across, Follow down)
{
    control.across = across;
    control.down = down;
    return control;
}

constexpr Control widened(Control control, Widening widening)
{
    control.widening = widening;
    return control;
}

/// A preset picture on the tools panel, named and hinted as its preset.
constexpr Control preset(ScenePreset preset, int left, const char* picture)
{
    const ScenePresetInfo& info = scene_presets[static_cast<std::size_t>(preset)];
    return follows(skin(info.button, "tools_panel", left, 25, 81, 66, picture, info.hint), Follow::Centre,
                   Follow::Start);
}

/// Both zoom sliders, in percent of the photo's size.
struct SliderRange {
    int minimum;
    int maximum;
    int position;
    int large_change;
    int small_change;
};
inline constexpr SliderRange zoom_range{5, 400, 5, 10, 1};

/// Every control, parents before their children. Among siblings a later one
/// lies above an earlier one.
inline constexpr Control controls[] = {
    // The two views share the window's extra width and take all of its extra height.
    follows(rect("views_backdrop", window, 0, 106, 902, 369, panel_grey), Follow::Both, Follow::Both),
    follows(rect("original_view_frame", window, 12, 117, 428, 326, caption_grey), Follow::FirstHalf,
            Follow::Both),
    follows(rect("corrected_view_frame", window, 456, 117, 428, 326, caption_grey), Follow::SecondHalf,
            Follow::Both),
    follows(rect("original_caption_frame", window, 12, 448, 428, 18, caption_grey), Follow::FirstHalf,
            Follow::End),
    follows(rect("corrected_caption_frame", window, 457, 448, 428, 18, caption_grey), Follow::SecondHalf,
            Follow::End),

    // Its content stays centred: the plate widens at both ends.
    widened(
        follows(skin("tools_panel", window, 0, 560, 902, 97, "tools_panel.png"), Follow::Both, Follow::End),
        {1, 898}),
    follows(rect("presets_label_plate", "tools_panel", 371, 4, 187, 17, panel_label_grey), Follow::Centre,
            Follow::Start),
    follows(label("presets_label", "tools_panel", 383, 9, "Select illumination type", 8, no_colour,
                  panel_label_grey),
            Follow::Centre, Follow::Start),
    follows(rect("light_label_plate", "tools_panel", 774, 5, 111, 17, panel_label_grey), Follow::Centre,
            Follow::Start),
    follows(label("light_label", "tools_panel", 780, 10, "Adjust lightning", 8, no_colour, panel_label_grey),
            Follow::Centre, Follow::Start),
    preset(ScenePreset::IndoorsBulbLamp, 15, "preset_indoors_bulb_lamp.png"),
    preset(ScenePreset::IndoorsMixedLight, 97, "preset_indoors_mixed_light.png"),
    preset(ScenePreset::Outdoors, 178, "preset_outdoors.png"),
    preset(ScenePreset::OutdoorsCloudy, 260, "preset_outdoors_cloudy.png"),
    preset(ScenePreset::OutdoorsTooShiny, 341, "preset_outdoors_too_shiny.png"),
    preset(ScenePreset::IndoorsNoFlash, 423, "preset_indoors_no_flash.png"),
    preset(ScenePreset::IndoorsFlash, 504, "preset_indoors_flash.png"),
    preset(ScenePreset::Backlight, 586, "preset_backlight.png"),
    preset(ScenePreset::OutdoorsVivid, 668, "preset_outdoors_vivid.png"),
    follows(skin("light_scale", "tools_panel", 768, 25, 122, 43, "light_scale.png"), Follow::Centre,
            Follow::Start),
    skin("light_indicator", "light_scale", light_indicator_middle, 12, 5, 25, "light_indicator.png"),
    follows(skin("dark_button", "tools_panel", 785, 70, 32, 22, "dark_button.png", "Set less light to photo"),
            Follow::Centre, Follow::Start),
    follows(
        skin("light_button", "tools_panel", 833, 70, 32, 22, "light_button.png", "Set more light to phone"),
        Follow::Centre, Follow::Start),
    follows(skin("strength_track", "tools_panel", 15, 4, 348, 17, "strength_track.png",
                 "How much of the correction is applied ([ and ] in steps of 10 %)"),
            Follow::Centre, Follow::Start),
    label("strength_label", "strength_track", 10, 5, "Strength", 8, no_colour, panel_label_grey),
    label("strength_value", "strength_track", 300, 5, "100 %", 8, no_colour, panel_label_grey),
    skin("strength_knob", "strength_track", strength_knob_left(100), 1, strength_knob_width, 15,
         strength_knob_face_pictures[0]),

    follows(view("corrected_view", window, 460, 120, 420, 320, caption_grey), Follow::SecondHalf,
            Follow::Both),

    widened(follows(skin("top_bar", window, 0, 0, 902, 107, "top_bar.png"), Follow::Both, Follow::Start),
            {600}),
    follows(skin("top_close_key", "top_bar", 880, 0, 22, 22, top_key_face_pictures[TopKeyFace::Close]),
            Follow::End, Follow::Start),
    follows(skin("top_minimise_key", "top_bar", 856, 0, 23, 22, top_key_face_pictures[TopKeyFace::Minimise]),
            Follow::End, Follow::Start),
    follows(skin("top_maximise_key", "top_bar", 833, 0, 23, 22, top_key_face_pictures[TopKeyFace::Maximise]),
            Follow::End, Follow::Start),

    widened(follows(skin("lcd_panel", window, 296, 32, 599, 58, "lcd.png"), Follow::Both, Follow::Start),
            {300}),
    label("title_label", "lcd_panel", 40, 16, "TINTELO PHOTO MALLET 1.1 -- ", 8, no_colour, no_colour),
    label("status_label", "lcd_panel", 256, 16, "READY", 8, no_colour, no_colour),
    hidden(rect("profile_box", "lcd_panel", 90, 33, 144, 13, black)),
    hidden(label("profile_label", "lcd_panel", 95, 36, "DIGITAL CAMERA PROFILE", 8, profile_blue, no_colour)),
    hidden(rect("correction_box", "lcd_panel", 238, 33, 144, 13, black)),
    hidden(
        label("correction_label", "lcd_panel", 250, 36, "AUTOMATIC CORRECTION", 8, profile_blue, no_colour)),

    skin("save_button", window, 8, 80, 131, 21, button_face_pictures[ButtonFace::Grey],
         "Save as corrected photo"),
    skin("close_button", window, 8, 56, 131, 21, button_face_pictures[ButtonFace::Red], "Close application"),
    skin("open_button", window, 8, 32, 131, 21, button_face_pictures[ButtonFace::Red], "Open photo"),
    skin("undo_button", window, 144, 32, 131, 21, button_face_pictures[ButtonFace::Grey], "Undo"),
    skin("about_button", window, 144, 56, 131, 21, button_face_pictures[ButtonFace::Red], "More information"),
    // Beside SAVE PHOTO, over the bay's grille: where the eye is after a save.
    skin("previous_button", window, 146, 80, 63, 21, step_key_face_pictures[StepKeyFace::Previous],
         "Previous photo in the folder (Left or Page Up; Home: the first)"),
    skin("next_button", window, 211, 80, 63, 21, step_key_face_pictures[StepKeyFace::Next],
         "Next photo in the folder (Right or Page Down; End: the last)"),

    // Its three bays spread to the left, the centre and the right.
    widened(follows(skin("lower_bar", window, 0, 474, 902, 90, "lower_bar.png"), Follow::Both, Follow::End),
            {265, 690}),
    skin("camera_icon", "lower_bar", 8, 19, 77, 53, icon_face_pictures[IconFace::CameraFaded],
         "Set camera type (Digital camera)", lower_bay_floor),
    skin("phone_icon", "lower_bar", 81, 19, 65, 53, icon_face_pictures[IconFace::PhoneFaded],
         "Set camera type (Mobile phone)", lower_bay_floor),
    follows(skin("tools_button", "lower_bar", 720, 17, 152, 62, icon_face_pictures[IconFace::ToolsSignFaded],
                 "Show more tools", lower_bay_floor),
            Follow::End, Follow::Start),
    follows(skin("correction_info_box", "lower_bar", 376, 31, 218, 30, "info_box.png", "", lower_bay_floor),
            Follow::Centre, Follow::Start),
    follows(skin("correction_button", window, 312, 497, 49, 49, icon_face_pictures[IconFace::CorrectionOff],
                 "Activate Automatic Color Correction", lower_bay_floor),
            Follow::Centre, Follow::End),

    follows(view("original_view", window, 16, 120, 420, 320, caption_grey), Follow::FirstHalf, Follow::Both),

    // The hazard stripes repeat every 20 columns.
    widened(follows(skin("bottom_bar", window, 0, 559, 902, 49, "bottom_bar.png"), Follow::Both, Follow::End),
            {450, -1, 11, 20, 2}),

    widened(
        follows(skin("original_caption_bar", window, 13, 449, 424, 16, "caption_bar.png", "", caption_grey),
                Follow::FirstHalf, Follow::End),
        {200}),
    label("original_caption", "original_caption_bar", 4, 4, "Original photo", 8, no_colour, caption_grey),
    follows(label("original_zoom_label", "original_caption_bar", 397, 4, "100%", 11, no_colour, caption_grey),
            Follow::End, Follow::Start),
    follows(slider("original_zoom", "original_caption_bar", 274, 4, 100, 9), Follow::End, Follow::Start),
    widened(
        follows(skin("corrected_caption_bar", window, 458, 449, 424, 16, "caption_bar.png", "", caption_grey),
                Follow::SecondHalf, Follow::End),
        {200}),
    label("corrected_caption", "corrected_caption_bar", 4, 4, "Color corrected photo", 8, no_colour,
          caption_grey),
    follows(
        label("corrected_zoom_label", "corrected_caption_bar", 397, 4, "100%", 11, no_colour, caption_grey),
        Follow::End, Follow::Start),
    follows(slider("corrected_zoom", "corrected_caption_bar", 275, 4, 100, 9), Follow::End, Follow::Start),
};

/// The row of the control called `name`; a name that is not in the table does not compile.
consteval const Control& control_named(std::string_view name)
{
    for (const Control& control : controls)
        if (name == control.name) return control;
    throw "no such control";
}

enum class CaptionInk { White, Black };

/// Captions drawn in bold onto a control's own copy of its picture, with the
/// text's top-left at (x, y) in the picture's pixels. They are drawn when the
/// window is created and again onto every new face the control is given.
struct DrawnCaption {
    const char* control;
    const char* text;
    int x;
    int y;
    CaptionInk ink;
};
inline constexpr DrawnCaption drawn_captions[] = {
    {"open_button", "OPEN PHOTO", 30, 3, CaptionInk::White},
    {"close_button", "EXIT", 45, 3, CaptionInk::White},
    {"save_button", "SAVE PHOTO", 30, 3, CaptionInk::White},
    {"undo_button", "UNDO", 45, 3, CaptionInk::White},
    {"about_button", "ABOUT", 40, 3, CaptionInk::White},
    {"correction_info_box", "Start Automatic Color Correction", 12, 8, CaptionInk::Black},
    {"tools_button", "More", 89, 20, CaptionInk::Black},
    {"tools_button", "Tools", 89, 33, CaptionInk::Black},
};

}  // namespace main_layout
