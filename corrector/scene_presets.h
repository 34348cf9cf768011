#pragma once

#include <array>

// The nine scene presets, in the order of the controls that offer them (Image321 ... Image329).
enum class ScenePreset {
    OutdoorsVivid,
    Backlight,
    IndoorsFlash,
    IndoorsNoFlash,
    OutdoorsTooShiny,
    OutdoorsCloudy,
    Outdoors,
    IndoorsMixedLight,
    IndoorsBulbLamp,
};

struct ScenePresetInfo {
    ScenePreset preset;
    const char* control;  // the skin image that offers it
    const char* hint;     // shown exactly as stored
    int first_index;      // applied from the loaded photo
    int second_index;     // applied in place on the result; 0 when the preset has none
    const char* caption;  // correction caption after the preset
    const char* name;     // short name for the command-line diagnostics
};

inline constexpr std::array<ScenePresetInfo, 9> scene_presets{{
    {ScenePreset::OutdoorsVivid, "Image321", "Outdoors  vivid ", 4, 0, "OUTDOORS VIVID", "outdoors-vivid"},
    {ScenePreset::Backlight, "Image322", "Backlight", 9, 0, "BACKLIGHT", "backlight"},
    {ScenePreset::IndoorsFlash, "Image323", "Indoors flash", 5, 0, "INDOORS FLASH", "indoors-flash"},
    {ScenePreset::IndoorsNoFlash, "Image324", "Indoors no flash", 4, 0, "INDOORS NO FLASH", "indoors-no-flash"},
    {ScenePreset::OutdoorsTooShiny, "Image325", "Outdoors too shiny", 4, 11, "OUTDOORS TOO SHINY",
     "outdoors-too-shiny"},
    {ScenePreset::OutdoorsCloudy, "Image326", "Outdoors cloudy", 8, 0, "OUTDOORS CLOUDY", "outdoors-cloudy"},
    {ScenePreset::Outdoors, "Image327", "Outdoors", 6, 0, "OUTDOORS", "outdoors"},
    {ScenePreset::IndoorsMixedLight, "Image328", "Indoors mixed light", 2, 0, "INDOORS MIXED LIGHT",
     "indoors-mixed-light"},
    {ScenePreset::IndoorsBulbLamp, "Image329", "Indoors bulb lamp", 5, 10, "INDOORS BULB LAMP",
     "indoors-bulb-lamp"},
}};

inline const ScenePresetInfo& preset_info(ScenePreset preset) { return scene_presets[static_cast<int>(preset)]; }
