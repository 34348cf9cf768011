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
    enum : int { Close, CloseHover, Minimise, MinimiseHover, Count };
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

/// The light indicator's left edge at light level 0, and its step per level.
inline constexpr int light_indicator_middle = 57;
inline constexpr int light_indicator_step = 8;

/// The pictures of the image lists, in item order.
inline constexpr std::array<const char*, IconFace::Count> icon_face_pictures{
    "correction_on.png", "correction_off.png", "camera.png",     "camera_faded.png",
    "phone.png",         "phone_faded.png",    "tools_sign.png", "tools_sign_faded.png"};
inline constexpr std::array<const char*, ButtonFace::Count> button_face_pictures{"button_grey.png",
                                                                                 "button_red.png"};
inline constexpr std::array<const char*, TopKeyFace::Count> top_key_face_pictures{
    "close.png", "close_hover.png", "minimise.png", "minimise_hover.png"};

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

/// A preset picture on the tools panel, named and hinted as its preset.
constexpr Control preset(ScenePreset preset, int left, const char* picture)
{
    const ScenePresetInfo& info = scene_presets[static_cast<std::size_t>(preset)];
    return skin(info.button, "tools_panel", left, 25, 81, 66, picture, info.hint);
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
    rect("views_backdrop", window, 0, 106, 902, 369, panel_grey),
    rect("original_view_frame", window, 12, 117, 428, 326, caption_grey),
    rect("corrected_view_frame", window, 456, 117, 428, 326, caption_grey),
    rect("original_caption_frame", window, 12, 448, 428, 18, caption_grey),
    rect("corrected_caption_frame", window, 457, 448, 428, 18, caption_grey),

    skin("tools_panel", window, 0, 560, 902, 97, "tools_panel.png"),
    rect("presets_label_plate", "tools_panel", 371, 4, 187, 17, panel_label_grey),
    label("presets_label", "tools_panel", 383, 9, "Select illumination type", 8, no_colour, panel_label_grey),
    rect("light_label_plate", "tools_panel", 774, 5, 111, 17, panel_label_grey),
    label("light_label", "tools_panel", 780, 10, "Adjust lightning", 8, no_colour, panel_label_grey),
    preset(ScenePreset::IndoorsBulbLamp, 15, "preset_indoors_bulb_lamp.png"),
    preset(ScenePreset::IndoorsMixedLight, 97, "preset_indoors_mixed_light.png"),
    preset(ScenePreset::Outdoors, 178, "preset_outdoors.png"),
    preset(ScenePreset::OutdoorsCloudy, 260, "preset_outdoors_cloudy.png"),
    preset(ScenePreset::OutdoorsTooShiny, 341, "preset_outdoors_too_shiny.png"),
    preset(ScenePreset::IndoorsNoFlash, 423, "preset_indoors_no_flash.png"),
    preset(ScenePreset::IndoorsFlash, 504, "preset_indoors_flash.png"),
    preset(ScenePreset::Backlight, 586, "preset_backlight.png"),
    preset(ScenePreset::OutdoorsVivid, 668, "preset_outdoors_vivid.png"),
    skin("light_scale", "tools_panel", 768, 25, 122, 43, "light_scale.png"),
    skin("light_indicator", "light_scale", light_indicator_middle, 12, 5, 25, "light_indicator.png"),
    skin("dark_button", "tools_panel", 785, 70, 32, 22, "dark_button.png", "Set less light to photo"),
    skin("light_button", "tools_panel", 833, 70, 32, 22, "light_button.png", "Set more light to phone"),

    view("corrected_view", window, 460, 120, 420, 320, caption_grey),

    skin("top_bar", window, 0, 0, 902, 107, "top_bar.png"),
    skin("top_close_key", "top_bar", 880, 0, 22, 22, top_key_face_pictures[TopKeyFace::Close]),
    skin("top_minimise_key", "top_bar", 856, 0, 23, 22, top_key_face_pictures[TopKeyFace::Minimise]),

    skin("lcd_panel", window, 296, 32, 599, 58, "lcd.png"),
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

    skin("lower_bar", window, 0, 474, 902, 90, "lower_bar.png"),
    skin("camera_icon", "lower_bar", 8, 19, 77, 53, icon_face_pictures[IconFace::CameraFaded],
         "Set camera type (Digital camera)", lower_bay_floor),
    skin("phone_icon", "lower_bar", 81, 19, 65, 53, icon_face_pictures[IconFace::PhoneFaded],
         "Set camera type (Mobile phone)", lower_bay_floor),
    skin("tools_button", "lower_bar", 720, 17, 152, 62, icon_face_pictures[IconFace::ToolsSignFaded],
         "Show more tools", lower_bay_floor),
    skin("correction_info_box", "lower_bar", 376, 31, 218, 30, "info_box.png", "", lower_bay_floor),
    skin("correction_button", window, 312, 497, 49, 49, icon_face_pictures[IconFace::CorrectionOff],
         "Activate Automatic Color Correction", lower_bay_floor),

    view("original_view", window, 16, 120, 420, 320, caption_grey),

    skin("bottom_bar", window, 0, 559, 902, 49, "bottom_bar.png"),

    skin("original_caption_bar", window, 13, 449, 424, 16, "caption_bar.png", "", caption_grey),
    label("original_caption", "original_caption_bar", 4, 4, "Original photo", 8, no_colour, caption_grey),
    label("original_zoom_label", "original_caption_bar", 397, 4, "100%", 11, no_colour, caption_grey),
    slider("original_zoom", "original_caption_bar", 274, 4, 100, 9),
    skin("corrected_caption_bar", window, 458, 449, 424, 16, "caption_bar.png", "", caption_grey),
    label("corrected_caption", "corrected_caption_bar", 4, 4, "Color corrected photo", 8, no_colour,
          caption_grey),
    label("corrected_zoom_label", "corrected_caption_bar", 397, 4, "100%", 11, no_colour, caption_grey),
    slider("corrected_zoom", "corrected_caption_bar", 275, 4, 100, 9),
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
