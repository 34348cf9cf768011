#include "corrector/button_presses.h"

#include <gtest/gtest.h>

namespace {

TEST(ButtonPresses, PresetsAreFoundByTheirButtonsHintsInAnyCase)
{
    for (const ScenePresetInfo& info : scene_presets) {
        EXPECT_EQ(scene_preset_named(info.hint), info.preset) << info.hint;
        EXPECT_EQ(scene_preset_named(info.name), info.preset) << info.name;
    }
    // The stored hint has a double space and a trailing one; nobody types them.
    EXPECT_EQ(scene_preset_named("OUTDOORS VIVID"), ScenePreset::OutdoorsVivid);
    EXPECT_EQ(scene_preset_named("outdoors"), ScenePreset::Outdoors);
    EXPECT_EQ(scene_preset_named("outdoorsvivid"), std::nullopt);
    EXPECT_EQ(scene_preset_named(" "), std::nullopt);

    EXPECT_EQ(button_press_from_option("--lighter", "7")->count, 7);
    EXPECT_EQ(button_press_from_option("--lighter", "7x"), std::nullopt);
    EXPECT_EQ(button_press_from_option("--darker", "1001"), std::nullopt);
    EXPECT_EQ(button_press_from_option("--strength", "100")->count, 100);
    EXPECT_EQ(button_press_from_option("--strength", "0")->button, ButtonPress::Button::strength);
    EXPECT_EQ(button_press_from_option("--strength", "101"), std::nullopt);
    // The camera's name in any case too, as the presets' names.
    EXPECT_EQ(button_press_from_option("--camera", "Phone")->camera, CameraType::MobilePhone);
    EXPECT_EQ(button_press_from_option("--camera", "DIGITAL")->camera, CameraType::DigitalCamera);
    EXPECT_EQ(button_press_from_option("--camera", "phones"), std::nullopt);
}

}  // namespace
