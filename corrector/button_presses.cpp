#include "corrector/button_presses.h"

#include <cctype>
#include <charconv>
#include <string>

namespace {

// Lower case, with every run of spaces, hyphens and underscores as one space and none at either end.
std::string comparable_name(std::string_view name)
{
    std::string result;
    bool gap = false;
    for (const char c : name) {
        if (c == ' ' || c == '-' || c == '_') {
            gap = !result.empty();
            continue;
        }
        if (gap) result += ' ';
        gap = false;
        result += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return result;
}

std::optional<int> number_up_to(std::string_view text, int highest)
{
    int value = -1;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || value < 0 || value > highest)
        return std::nullopt;
    return value;
}

}  // namespace

void press_buttons(PhotoCorrector& corrector, std::span<const ButtonPress> presses)
{
    for (const ButtonPress& press : presses) {
        switch (press.button) {
            case ButtonPress::Button::preset:
                corrector.apply_preset(press.preset);
                break;
            case ButtonPress::Button::lighter:
                for (int i = 0; i < press.count; ++i) corrector.lighten();
                break;
            case ButtonPress::Button::darker:
                for (int i = 0; i < press.count; ++i) corrector.darken();
                break;
            case ButtonPress::Button::camera:
                corrector.set_camera_type(press.camera);
                break;
            case ButtonPress::Button::strength:
                corrector.set_strength(press.count);
                break;
        }
    }
}

std::optional<ScenePreset> scene_preset_named(std::string_view name)
{
    const std::string wanted = comparable_name(name);
    for (const ScenePresetInfo& info : scene_presets)
        if (wanted == comparable_name(info.hint) || wanted == comparable_name(info.caption) ||
            wanted == comparable_name(info.name))
            return info.preset;
    return std::nullopt;
}

bool is_button_option(std::string_view option)
{
    return option == "--preset" || option == "--lighter" || option == "--darker" || option == "--camera" ||
           option == "--strength";
}

std::optional<ButtonPress> button_press_from_option(std::string_view option, std::string_view value)
{
    ButtonPress press;
    if (option == "--preset") {
        const std::optional<ScenePreset> preset = scene_preset_named(value);
        if (!preset) return std::nullopt;
        press.preset = *preset;
    } else if (option == "--lighter" || option == "--darker") {
        const std::optional<int> count = number_up_to(value, 1000);
        if (!count) return std::nullopt;
        press.button = option == "--lighter" ? ButtonPress::Button::lighter : ButtonPress::Button::darker;
        press.count = *count;
    } else if (option == "--strength") {
        const std::optional<int> percent = number_up_to(value, kFullStrength);
        if (!percent) return std::nullopt;
        press.button = ButtonPress::Button::strength;
        press.count = *percent;
    } else if (option == "--camera") {
        // In any case, as the presets' names are.
        const std::string camera = comparable_name(value);
        if (camera != "phone" && camera != "digital") return std::nullopt;
        press.button = ButtonPress::Button::camera;
        press.camera = camera == "digital" ? CameraType::DigitalCamera : CameraType::MobilePhone;
    } else {
        return std::nullopt;
    }
    return press;
}
