#pragma once

#include <optional>
#include <span>
#include <string_view>

#include "corrector/photo_corrector.h"
#include "corrector/scene_presets.h"
#include "engine/camera_type.h"

/// Presses of one of the corrector's buttons, replayed after a photo is opened so
/// that a command-line program writes exactly what the window saves after the
/// same clicks.
struct ButtonPress {
    enum class Button { preset, lighter, darker, camera, strength };
    Button button = Button::preset;
    ScenePreset preset = ScenePreset::Outdoors;
    int count = 1;  // lighter and darker: how many clicks; strength: the per cent
    CameraType camera = CameraType::MobilePhone;
};

/// Runs every press in order, each as the window's handler would call the corrector.
void press_buttons(PhotoCorrector& corrector, std::span<const ButtonPress> presses);

/// The preset whose hint, caption or short name is `name`, ignoring case and
/// treating runs of spaces, "-" and "_" alike ("Indoors flash", "INDOORS FLASH",
/// "indoors-flash"); nothing when no preset has that name.
std::optional<ScenePreset> scene_preset_named(std::string_view name);

/// True for the options that press buttons: --preset, --lighter, --darker, --camera, --strength.
bool is_button_option(std::string_view option);

/// The press that a button option with its value asks for ("--preset" NAME,
/// "--lighter" N, "--darker" N with N from 0 to 1000, "--camera" phone|digital,
/// "--strength" N with N from 0 to 100);
/// nothing when the value is not one the option takes.
std::optional<ButtonPress> button_press_from_option(std::string_view option, std::string_view value);
