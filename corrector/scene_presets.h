#pragma once

#include <array>

// The nine scene presets, from the right end of the main window's tools panel to its left.
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
    const char* button;   // the object name of the main window's button that offers it
    const char* hint;     // the button's tooltip, spaces included
    int first_index;      // applied from the loaded photo
    int second_index;     // applied in place on the result; 0 when the preset has none
    const char* caption;  // correction caption after the preset
    const char* name;     // short name for the command-line diagnostics
};

inline constexpr std::array<ScenePresetInfo, 9> scene_presets{{
    {ScenePreset::OutdoorsVivid, "preset_outdoors_vivid", "Outdoors  vivid ", 4, 0, "OUTDOORS VIVID",
     "outdoors-vivid"},
    {ScenePreset::Backlight, "preset_backlight", "Backlight", 9, 0, "BACKLIGHT", "backlight"},
    {ScenePreset::IndoorsFlash, "preset_indoors_flash", "Indoors flash", 5, 0, "INDOORS FLASH",
     "indoors-flash"},
    {ScenePreset::IndoorsNoFlash, "preset_indoors_no_flash", "Indoors no flash", 4, 0, "INDOORS NO FLASH",
     "indoors-no-flash"},
    {ScenePreset::OutdoorsTooShiny, "preset_outdoors_too_shiny", "Outdoors too shiny", 4, 11,
     "OUTDOORS TOO SHINY", "outdoors-too-shiny"},
    {ScenePreset::OutdoorsCloudy, "preset_outdoors_cloudy", "Outdoors cloudy", 8, 0, "OUTDOORS CLOUDY",
     "outdoors-cloudy"},
    {ScenePreset::Outdoors, "preset_outdoors", "Outdoors", 6, 0, "OUTDOORS", "outdoors"},
    {ScenePreset::IndoorsMixedLight, "preset_indoors_mixed_light", "Indoors mixed light", 2, 0,
     "INDOORS MIXED LIGHT", "indoors-mixed-light"},
    {ScenePreset::IndoorsBulbLamp, "preset_indoors_bulb_lamp", "Indoors bulb lamp", 5, 10,
     "INDOORS BULB LAMP", "indoors-bulb-lamp"},
}};

inline const ScenePresetInfo& preset_info(ScenePreset preset) { return scene_presets[static_cast<int>(preset)]; }
