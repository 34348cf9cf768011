#include <gtest/gtest.h>

#include <QAccessible>
#include <QKeyEvent>
#include <QTemporaryDir>
#include <map>
#include <vector>

#include "engine/bitmap32.h"
#include "photo_files/jpeg_photo.h"
#include "tests/support/synthetic_photos.h"
#include "tests/windows/windows_test_support.h"
#include "windows/about_window.h"
#include "windows/splash_window.h"

namespace {

// The main window's controls as a screen reader lists them, by name.
std::map<QString, QAccessibleInterface*> read_controls(MainWindow& form)
{
    std::map<QString, QAccessibleInterface*> controls;
    QAccessibleInterface* window = QAccessible::queryAccessibleInterface(&form);
    for (int i = 0; i < window->childCount(); ++i) {
        QAccessibleInterface* control = window->child(i);
        EXPECT_EQ(control->parent(), window);
        EXPECT_EQ(window->indexOfChild(control), i);
        controls[control->text(QAccessible::Name)] = control;
    }
    return controls;
}

std::string write_test_photo(const QTemporaryDir& folder)
{
    Bitmap32 scene;
    fill_grainy_photo(scene, 160, 120);
    const std::string path = folder.filePath("harbour.jpg").toStdString();
    write_photo(scene, path);
    return path;
}

void press_key(MainWindow& form, int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    QKeyEvent press(QEvent::KeyPress, key, modifiers);
    QApplication::sendEvent(&form, &press);
}

TEST(ScreenReader, ReadsEveryControlWithItsRoleNameAndStateBeforeAndAfterAPhoto)
{
    QTemporaryDir folder;
    auto form = quick_form();
    form->show();

    auto controls = read_controls(*form);
    // The window lists its controls only: no plates, bars or frames.
    EXPECT_EQ(controls.size(), 33u);
    // Names from the captions drawn on the buttons, the tooltips, or given where neither says it.
    const std::vector<std::pair<QAccessible::Role, QStringList>> roles = {
        {QAccessible::Button,
         {"Open photo", "Save photo", "Exit", "Close", "More tools", "Darker", "Outdoors vivid"}},
        {QAccessible::CheckBox, {"Activate Automatic Color Correction", "Set camera type (Mobile phone)"}},
        {QAccessible::Graphic, {"Original photo", "Corrected photo"}},
        {QAccessible::Slider, {"Original photo zoom", "Strength"}},
        {QAccessible::StatusBar, {"READY"}},
    };
    for (const auto& [role, names] : roles)
        for (const QString& name : names) {
            ASSERT_TRUE(controls.count(name)) << name.toStdString();
            EXPECT_EQ(controls[name]->role(), role) << name.toStdString();
        }
    EXPECT_EQ(controls["Save photo"]->text(QAccessible::Description), "Save as corrected photo");
    EXPECT_TRUE(controls["Save photo"]->state().disabled);
    EXPECT_TRUE(controls["Undo"]->state().disabled);
    EXPECT_FALSE(controls["Open photo"]->state().disabled);
    EXPECT_TRUE(controls["Outdoors vivid"]->state().invisible);
    QAccessibleInterface* correction = controls["Activate Automatic Color Correction"];
    EXPECT_TRUE(correction->state().checkable);
    EXPECT_FALSE(correction->state().checked);
    EXPECT_FALSE(controls["Set camera type (Digital camera)"]->state().checked);

    // The open button's press action opens the photo, as a click does.
    open_dialog(*form).answers.push_back(write_test_photo(folder));
    QAccessibleInterface* open = controls["Open photo"];
    ASSERT_TRUE(open->actionInterface()->actionNames().contains(QAccessibleActionInterface::pressAction()));
    open->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    ASSERT_TRUE(form->corrector.photo_loaded);

    controls = read_controls(*form);
    EXPECT_FALSE(controls["Save photo"]->state().disabled);
    EXPECT_TRUE(correction->state().checked);
    // The camera icons read as the camera type chosen.
    for (const int key : {Qt::Key_D, Qt::Key_P}) {
        press_key(*form, key);
        const bool camera = form->corrector.camera_type == CameraType::DigitalCamera;
        EXPECT_EQ(controls["Set camera type (Digital camera)"]->state().checked, camera);
        EXPECT_EQ(controls["Set camera type (Mobile phone)"]->state().checked, !camera);
    }
    QAccessibleInterface* status = controls[form->status_label->accessibleName()];
    ASSERT_NE(status, nullptr);
    EXPECT_EQ(status->role(), QAccessible::StatusBar);
    EXPECT_TRUE(status->text(QAccessible::Name).startsWith("harbour.jpg"));
    EXPECT_EQ(controls["AUTOMATIC CORRECTION"]->role(), QAccessible::StaticText);
    QAccessibleValueInterface* zoom = controls["Original photo zoom"]->valueInterface();
    ASSERT_NE(zoom, nullptr);
    EXPECT_EQ(zoom->currentValue().toInt(), form->original_zoom->position());
    zoom->setCurrentValue(150);
    EXPECT_EQ(form->original_zoom_label->caption(), "150%");

    // The presets come on the screen with the tools panel; the strength reads and sets the corrector's.
    form->tools_buttonClick();
    EXPECT_FALSE(controls["Outdoors vivid"]->state().invisible);
    controls["Strength"]->valueInterface()->setCurrentValue(40);
    EXPECT_EQ(form->corrector.strength, 40);
    EXPECT_EQ(controls["Strength"]->valueInterface()->currentValue().toInt(), 40);
}

TEST(ScreenReader, NamesTheOtherWindows)
{
    auto form = quick_form();
    AboutWindow about(form.get());
    QAccessibleInterface* window = QAccessible::queryAccessibleInterface(&about);
    EXPECT_EQ(window->text(QAccessible::Name), "About Tintelo photo mallet");
    ASSERT_EQ(window->childCount(), 2);
    EXPECT_EQ(window->child(0)->role(), QAccessible::Graphic);
    EXPECT_EQ(window->child(1)->text(QAccessible::Name), "Version 1.1");
    about.show();
    window->child(0)->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    EXPECT_FALSE(about.isVisible());
    SplashWindow splash;
    EXPECT_EQ(QAccessible::queryAccessibleInterface(&splash)->text(QAccessible::Name),
              "Tintelo photo mallet is starting");
}

// The object names the keyboard focus visits from the window's start, Tab after Tab.
std::vector<std::string> tab_through(MainWindow& form, int presses, int key = Qt::Key_Tab)
{
    std::vector<std::string> visited;
    for (int i = 0; i < presses; ++i) {
        press_key(form, key);
        QWidget* focused = form.focusWidget();
        visited.push_back(focused ? focused->objectName().toStdString() : "");
    }
    return visited;
}

TEST(KeyboardFocus, TabVisitsTheControlsInReadingOrderAndEnterOrSpacePressesThem)
{
    QTemporaryDir folder;
    auto form = quick_form();
    form->show();
    const std::vector<std::string> before_photo = {
        "top_maximise_key", "top_minimise_key", "top_close_key",     "open_button",
        "close_button",     "about_button",     "original_zoom",     "corrected_zoom",
        "camera_icon",      "phone_icon",       "correction_button", "top_maximise_key"};
    EXPECT_EQ(tab_through(*form, 12), before_photo);
    press_key(*form, Qt::Key_Tab, Qt::ShiftModifier);
    EXPECT_EQ(form->focusWidget(), form->correction_button);

    // Enter presses the focused control: here the open button, which opens a photo.
    tab_through(*form, 4);
    ASSERT_EQ(form->focusWidget(), form->open_button);
    open_dialog(*form).answers.push_back(write_test_photo(folder));
    press_key(*form, Qt::Key_Return);
    ASSERT_TRUE(form->corrector.photo_loaded);

    // With a photo, save, undo, the folder keys and the tools button join in; with the tools
    // panel open, the strength slider, the presets and the light keys too.
    form->tools_buttonClick();
    press_key(*form, Qt::Key_Escape);
    const std::vector<std::string> with_tools = tab_through(*form, 27);
    EXPECT_EQ(std::vector<std::string>(with_tools.begin() + 3, with_tools.begin() + 10),
              (std::vector<std::string>{"open_button", "undo_button", "close_button", "about_button",
                                        "save_button", "previous_button", "next_button"}));
    EXPECT_EQ(std::vector<std::string>(with_tools.begin() + 15, with_tools.end()),
              (std::vector<std::string>{"tools_button", "strength_track", "preset_indoors_bulb_lamp",
                                        "preset_indoors_mixed_light", "preset_outdoors",
                                        "preset_outdoors_cloudy", "preset_outdoors_too_shiny",
                                        "preset_indoors_no_flash", "preset_indoors_flash", "preset_backlight",
                                        "preset_outdoors_vivid", "dark_button"}));

    // Space presses the focused preset; Escape drops the focus, and Space switches the correction again.
    press_key(*form, Qt::Key_Tab, Qt::ShiftModifier);
    ASSERT_EQ(form->focusWidget(), form->preset_button(ScenePreset::OutdoorsVivid));
    press_key(*form, Qt::Key_Space);
    EXPECT_EQ(form->corrector.correction_caption, "OUTDOORS VIVID");
    const bool shown = form->corrector.correction_shown;
    press_key(*form, Qt::Key_Escape);
    EXPECT_EQ(form->focusWidget(), nullptr);
    press_key(*form, Qt::Key_Space);
    EXPECT_NE(form->corrector.correction_shown, shown);
    // A focus the window's activation gave back is no keyboard focus: Space still switches the correction.
    form->open_button->setFocus(Qt::ActiveWindowFocusReason);
    press_key(*form, Qt::Key_Space);
    EXPECT_EQ(form->corrector.correction_shown, shown);

    // A focused slider moves with the arrows; elsewhere they step through the folder as before.
    tab_through(*form, 11);
    ASSERT_EQ(form->focusWidget(), form->original_zoom);
    const int zoom = form->original_zoom->position();
    press_key(*form, Qt::Key_Right);
    EXPECT_EQ(form->original_zoom->position(), zoom + 1);
}

TEST(KeyboardFocus, TheRingSurroundsTheFocusedControlUntilEscapeOrTheMouse)
{
    auto form = quick_form();
    form->show();
    const auto accent_left_of = [&form](QWidget& control) {
        const QImage window = shown(*form);
        const QPoint corner = control.mapTo(form.get(), QPoint(0, 0));
        // The accent lies two and three pixels outside the control, between dark lines.
        return window.pixel(corner.x() - 2, corner.y() + control.height() / 2) == qRgb(237, 218, 10) &&
               window.pixel(corner.x() - 1, corner.y() + control.height() / 2) != qRgb(237, 218, 10);
    };
    EXPECT_FALSE(accent_left_of(*form->open_button));
    // At the window's edge the ring comes inside, so its top shows too.
    tab_through(*form, 3);
    ASSERT_EQ(form->focusWidget(), form->top_close_key);
    EXPECT_EQ(shown(*form).pixel(form->top_close_key->mapTo(form.get(), QPoint(10, 1))), qRgb(237, 218, 10));
    tab_through(*form, 1);
    EXPECT_TRUE(accent_left_of(*form->open_button));
    // Escape drops the focus first; only then does it leave full screen, as before.
    form->showFullScreen();
    press_key(*form, Qt::Key_Escape);
    EXPECT_FALSE(accent_left_of(*form->open_button));
    EXPECT_TRUE(form->isFullScreen());
    press_key(*form, Qt::Key_Escape);
    EXPECT_FALSE(form->isFullScreen());

    // The ring follows its control as the window is resized; a click hands over to the mouse.
    tab_through(*form, 9);
    ASSERT_EQ(form->focusWidget(), form->camera_icon);
    form->resize(form->width() + 100, form->height() + 60);
    EXPECT_TRUE(accent_left_of(*form->camera_icon));
    click(*form->about_button);
    EXPECT_FALSE(accent_left_of(*form->camera_icon));
}

}  // namespace
