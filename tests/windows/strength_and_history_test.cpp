#include <gtest/gtest.h>

#include <QKeyEvent>
#include <QTemporaryDir>
#include <string>
#include <vector>

#include "corrector/scene_presets.h"
#include "engine/curve_triple.h"
#include "photo_files/jpeg_photo.h"
#include "tests/support/synthetic_photos.h"
#include "tests/windows/windows_test_support.h"
#include "windows/main_layout.h"
#include "windows/strength_slider.h"

namespace {

class StrengthAndHistory : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(folder.isValid());
        form->show();
        // Small enough to be shown at 100 %, so the view's pixels are the photo's.
        Bitmap32 scene;
        fill_photo(scene, 160, 120, [](int x, int y) {
            return opaque_rgb(60 + x / 2 + (x / 7 % 3) * 9, 70 + y, 50 + (x ^ y) % 60);
        });
        const std::string path = folder.filePath("scene.jpg").toStdString();
        write_photo(scene, path);
        open_dialog(*form).answers.push_back(path);
        click(*form->open_button);
        ASSERT_TRUE(form->corrector.photo_loaded);
        ASSERT_EQ(form->corrected_zoom->position(), 100);
        form->sleep_for = [](std::chrono::milliseconds) {};
    }

    void press_key(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        QKeyEvent event(QEvent::KeyPress, key, modifiers);
        QApplication::sendEvent(form.get(), &event);
    }
    // Where the slider's track must be pressed for `percent`.
    static QPoint track_at(int percent)
    {
        return {main_layout::strength_knob_left(percent) + main_layout::strength_knob_width / 2, 8};
    }
    // Everything the window says of the corrector's state, and the corrected view.
    std::vector<QImage> look()
    {
        std::vector<QImage> parts;
        for (QWidget* part : std::initializer_list<QWidget*>{
                 form->lcd_panel, form->correction_button, form->camera_icon, form->phone_icon,
                 form->light_scale, form->strength_track, form->corrected_view})
            parts.push_back(shown(*part));
        return parts;
    }

    QTemporaryDir folder;
    std::unique_ptr<MainWindow> form = quick_form();
};

TEST(StrengthSliderPlaces, TheKnobsCentreReadsBackAsItsStrength)
{
    for (int percent = 0; percent <= 100; ++percent)
        EXPECT_EQ(
            strength_at(main_layout::strength_knob_left(percent) + main_layout::strength_knob_width / 2),
            percent);
    EXPECT_EQ(strength_at(0), 0);
    EXPECT_EQ(strength_at(main_layout::strength_groove_left - 1), 0);
    EXPECT_EQ(strength_at(main_layout::strength_groove_left + main_layout::strength_groove_width + 40), 100);
}

TEST_F(StrengthAndHistory, DraggingPreviewsTheViewAndTheReleaseCorrectsTheWholePhotoAlike)
{
    Bitmap32 full_strength;
    full_strength.assign(&form->corrector.corrected_photo);
    send_mouse(*form->strength_track, QEvent::MouseButtonPress, track_at(70), Qt::LeftButton, Qt::LeftButton);
    send_mouse(*form->strength_track, QEvent::MouseMove, track_at(40), Qt::NoButton, Qt::LeftButton);
    EXPECT_TRUE(form->strength_slider->dragging());
    EXPECT_EQ(form->strength_value->caption(), "40 %");
    // While the knob moves only the view's pixels change, never the photo.
    EXPECT_EQ(form->corrector.strength, 100);
    EXPECT_TRUE(same_pixels(form->corrector.corrected_photo, full_strength));
    const QImage during = shown(*form->corrected_view);
    EXPECT_NE(during, shown(*form->original_view));

    send_mouse(*form->strength_track, QEvent::MouseButtonRelease, track_at(40), Qt::LeftButton, Qt::NoButton);
    EXPECT_FALSE(form->strength_slider->dragging());
    EXPECT_EQ(form->corrector.strength, 40);
    // At 100 % zoom the preview's pixels are the view's pixels of the whole corrected photo.
    EXPECT_EQ(shown(*form->corrected_view), during);
    Bitmap32 expected;
    apply_curves(&expected, &form->corrector.org_photo, form->corrector.corrected_curves_at(40));
    EXPECT_TRUE(same_pixels(form->corrector.corrected_photo, expected));
    EXPECT_EQ(form->status_label->caption(), "scene.jpg  1 / 1  STRENGTH 40 %");

    // The knob itself drags too, from where it lies.
    const QPoint knob_centre(main_layout::strength_knob_width / 2, 7);
    send_mouse(*form->strength_knob, QEvent::MouseButtonPress, knob_centre, Qt::LeftButton, Qt::LeftButton);
    send_mouse(*form->strength_knob, QEvent::MouseMove, knob_centre + QPoint(22, 0), Qt::NoButton,
               Qt::LeftButton);
    // The knob moved under the mouse: the release lands on its centre again.
    send_mouse(*form->strength_knob, QEvent::MouseButtonRelease, knob_centre, Qt::LeftButton, Qt::NoButton);
    EXPECT_EQ(form->corrector.strength, 50);
}

TEST_F(StrengthAndHistory, BracketKeysStepByTensAndTheStrengthStaysForTheNextPhoto)
{
    click(*form->tools_button);
    while (form->panel_open_timer.isActive()) form->panel_open_timerTick();
    press_key(Qt::Key_BracketRight);
    EXPECT_EQ(form->corrector.strength, 100);
    press_key(Qt::Key_BracketLeft);
    press_key(Qt::Key_BracketLeft);
    EXPECT_EQ(form->corrector.strength, 80);
    form->strength_chosen(45);
    press_key(Qt::Key_BracketRight);
    EXPECT_EQ(form->corrector.strength, 50);
    form->strength_chosen(45);
    press_key(Qt::Key_BracketLeft);
    EXPECT_EQ(form->corrector.strength, 40);
    EXPECT_EQ(form->strength_value->caption(), "40 %");
    EXPECT_EQ(form->strength_knob->x(), main_layout::strength_knob_left(40));

    const std::string again = folder.filePath("again.jpg").toStdString();
    Bitmap32 other;
    fill_photo(other, 90, 70, [](int x, int y) { return opaque_rgb(200 - x, 40 + y * 2, 90); });
    write_photo(other, again);
    open_dialog(*form).answers.push_back(again);
    click(*form->open_button);
    EXPECT_EQ(form->corrector.strength, 40);
    EXPECT_EQ(form->status_label->caption(), "again.jpg  1 / 2  STRENGTH 40 %");
    EXPECT_FALSE(form->corrector.can_undo_step());
}

TEST_F(StrengthAndHistory, UndoAndRedoBringBackWhatTheWindowShowedStepByStep)
{
    std::vector<std::vector<QImage>> looks{look()};
    click(*form->preset_button(ScenePreset::Backlight));
    looks.push_back(look());
    click(*form->light_button);
    looks.push_back(look());
    form->strength_chosen(30);
    looks.push_back(look());
    click(*form->undo_button);  // back to the photo as loaded, itself a step
    looks.push_back(look());
    ASSERT_EQ(shown(*form->corrected_view), shown(*form->original_view));

    for (int step = 3; step >= 0; --step) {
        press_key(Qt::Key_Z, Qt::ControlModifier);
        EXPECT_TRUE(look() == looks[step]) << "undone to step " << step;
    }
    press_key(Qt::Key_Z, Qt::ControlModifier);  // nothing is left to undo
    EXPECT_TRUE(look() == looks[0]);
    press_key(Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_TRUE(look() == looks[1]);
    press_key(Qt::Key_Y, Qt::ControlModifier);
    EXPECT_TRUE(look() == looks[2]);

    // A new step drops what could have been redone.
    click(*form->dark_button);
    const std::vector<QImage> darker = look();
    press_key(Qt::Key_Y, Qt::ControlModifier);
    EXPECT_TRUE(look() == darker);
    press_key(Qt::Key_Z, Qt::ControlModifier);
    EXPECT_TRUE(look() == looks[2]);
}

}  // namespace
