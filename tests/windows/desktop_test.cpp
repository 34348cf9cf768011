// The main window at home on the desktop: files dropped on it, its keys, the
// command line, and an open that fails without leaving a dead end.
#include <gtest/gtest.h>

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <QTemporaryDir>
#include <QUrl>
#include <algorithm>
#include <fstream>
#include <stdexcept>
#include <utility>

#include "corrector/scene_presets.h"
#include "photo_files/jpeg_photo.h"
#include "tests/support/synthetic_photos.h"
#include "tests/windows/windows_test_support.h"
#include "windows/command_line.h"

namespace {

class DesktopTest : public ::testing::Test {
protected:
    std::string file(const std::string& name) const
    {
        return folder.filePath(QString::fromStdString(name)).toStdString();
    }
    std::string photo(const std::string& name) const
    {
        Bitmap32 scene;
        fill_photo(scene, 120, 90,
                   [](int x, int y) { return opaque_rgb(70 + x / 2, 80 + y / 2, 60 + (x ^ y) % 40); });
        write_photo(scene, file(name));
        return file(name);
    }
    QUrl url(const std::string& name) const
    {
        return QUrl::fromLocalFile(QString::fromStdString(file(name)));
    }
    void press_key(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier, bool repeat = false)
    {
        QKeyEvent event(QEvent::KeyPress, key, modifiers, QString(), repeat);
        QApplication::sendEvent(form.get(), &event);
    }

    QTemporaryDir folder;
    std::unique_ptr<MainWindow> form = quick_form();
};

constexpr Qt::DropActions kCopyOrMove = Qt::CopyAction | Qt::MoveAction;

// What a file manager offers: the files as urls, to be copied or moved. The action the
// window takes the drag with, Qt::IgnoreAction when it refuses it.
Qt::DropAction drag_taken(MainWindow& form, const QList<QUrl>& urls, Qt::DropActions offered = kCopyOrMove)
{
    QMimeData data;
    data.setUrls(urls);
    QDragEnterEvent enter(QPoint(450, 300), offered, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&form, &enter);
    return enter.isAccepted() ? enter.dropAction() : Qt::IgnoreAction;
}

// A drop, after the drag has entered the window as it always does first.
void drop(MainWindow& form, const QList<QUrl>& urls, Qt::DropActions offered = kCopyOrMove)
{
    drag_taken(form, urls, offered);
    QMimeData data;
    data.setUrls(urls);
    QDropEvent event(QPointF(450, 300), offered, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&form, &event);
    QApplication::processEvents();  // the photo opens once the drop is over
}

TEST_F(DesktopTest, OnlyLocalPhotoFilesAreTakenAndTheFirstOfThemOpensWhenDropped)
{
    photo("Beach.JPEG");
    photo("other.jpg");
    EXPECT_EQ(drag_taken(*form, {url("notes.png"), url("Beach.JPEG")}), Qt::CopyAction);
    EXPECT_EQ(drag_taken(*form, {url("notes.png"), url("Phone.heic")}), Qt::CopyAction);
    EXPECT_EQ(drag_taken(*form, {url("notes.png")}), Qt::IgnoreAction);
    EXPECT_EQ(drag_taken(*form, {QUrl("https://example.org/beach.jpg")}), Qt::IgnoreAction);
    // A photo is never taken away from where the user keeps it: a drag that may only
    // move it is refused, and so is its drop.
    EXPECT_EQ(drag_taken(*form, {url("Beach.JPEG")}, Qt::MoveAction), Qt::IgnoreAction);
    drop(*form, {url("Beach.JPEG")}, Qt::MoveAction);
    EXPECT_FALSE(form->corrector.photo_loaded);

    drop(*form, {url("notes.png"), url("Beach.JPEG"), url("other.jpg")});
    EXPECT_EQ(form->status_label->caption(), "Beach.JPEG  1 / 2");
    // A dropped file that is no photo meets the open dialog's failure message.
    std::ofstream(file("text.jpg")) << "not a photo";
    drop(*form, {url("text.jpg")});
    EXPECT_EQ(messages(*form).load_failures, 1);
    EXPECT_EQ(form->status_label->caption(), "Beach.JPEG  1 / 2");
}

TEST_F(DesktopTest, KeysRunTheirControlsHandlersOnlyWhileTheControlCanBeClicked)
{
    // Before a photo there is nothing to save or slide out.
    press_key(Qt::Key_S, Qt::ControlModifier);
    press_key(Qt::Key_T);
    EXPECT_TRUE(save_dialog(*form).offered.empty());
    EXPECT_FALSE(form->panel_open_timer.isActive());
    open_dialog(*form).answers.push_back(photo("keys.jpg"));
    press_key(Qt::Key_O, Qt::ControlModifier);
    ASSERT_TRUE(form->corrector.photo_loaded);

    // The presets and light keys wait for the tools panel.
    for (int digit = 1; digit <= 9; ++digit) press_key(Qt::Key_0 + digit);
    press_key(Qt::Key_Plus, Qt::ShiftModifier);
    EXPECT_EQ(form->correction_label->caption(), "AUTOMATIC CORRECTION");
    EXPECT_EQ(form->corrector.light_level, 0);
    press_key(Qt::Key_T);
    press_key(Qt::Key_T, Qt::NoModifier, true);  // held down, the panel does not flap
    ASSERT_TRUE(form->tools_open);
    // The digits run the presets in the order the panel shows their pictures, left to right.
    std::vector<ScenePresetInfo> left_to_right(scene_presets.begin(), scene_presets.end());
    std::sort(left_to_right.begin(), left_to_right.end(), [this](const auto& a, const auto& b) {
        return form->preset_button(a.preset)->x() < form->preset_button(b.preset)->x();
    });
    for (int digit = 1; digit <= 9; ++digit) {
        press_key(Qt::Key_0 + digit);
        EXPECT_EQ(form->correction_label->caption(), left_to_right[digit - 1].caption) << digit;
    }
    press_key(Qt::Key_1, Qt::AltModifier);
    EXPECT_EQ(form->correction_label->caption(), left_to_right.back().caption);
    press_key(Qt::Key_Plus, Qt::ShiftModifier);
    press_key(Qt::Key_Equal, Qt::NoModifier, true);
    press_key(Qt::Key_Minus, Qt::KeypadModifier);
    EXPECT_EQ(form->light_indicator->pos(), QPoint(65, 12));

    press_key(Qt::Key_Space);
    press_key(Qt::Key_Space);
    EXPECT_EQ(form->correction_label->caption(), "NO CORRECTION");
    press_key(Qt::Key_D);
    EXPECT_EQ(form->profile_label->caption(), "DIGITAL CAMERA PROFILE");
    EXPECT_FALSE(same_pixels(form->corrector.corrected_photo, form->corrector.org_photo));
    // Ctrl+Z takes the camera switch back; Ctrl+Shift+Z and Ctrl+Y take steps again.
    press_key(Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(form->profile_label->caption(), "MOBILE PHONE PROFILE");
    EXPECT_EQ(form->correction_label->caption(), "NO CORRECTION");
    EXPECT_TRUE(same_pixels(form->corrector.corrected_photo, form->corrector.org_photo));
    press_key(Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(form->profile_label->caption(), "DIGITAL CAMERA PROFILE");
    press_key(Qt::Key_Z, Qt::ControlModifier);
    press_key(Qt::Key_Y, Qt::ControlModifier);
    EXPECT_EQ(form->profile_label->caption(), "DIGITAL CAMERA PROFILE");
    press_key(Qt::Key_BracketLeft, Qt::NoModifier, true);  // held down, it steps on
    EXPECT_EQ(form->corrector.strength, 90);
    press_key(Qt::Key_BracketRight);
    EXPECT_EQ(form->corrector.strength, 100);
    press_key(Qt::Key_P);
    EXPECT_EQ(form->profile_label->caption(), "MOBILE PHONE PROFILE");
    const int fitted = form->corrected_zoom->position();
    form->corrected_zoom->set_position(300);
    press_key(Qt::Key_0, Qt::ControlModifier);
    EXPECT_EQ(form->corrected_zoom->position(), fitted);
    press_key(Qt::Key_Q, Qt::ControlModifier);  // the save question, answered Cancel
    EXPECT_EQ(messages(*form).save_questions, 1);
}

// A failed open leaves the window exactly as it was, every control still
// answering; an error once the new photo has replaced the old one returns it
// to its start state.
TEST_F(DesktopTest, AFailedOpenLeavesNoDeadEnd)
{
    form->show();
    const auto look = [this] {  // all but the zoom sliders, which keep the last photo's fit
        std::vector<QImage> parts;
        for (QWidget* part :
             std::initializer_list<QWidget*>{form->lcd_panel, form->save_button, form->undo_button,
                                             form->tools_button, form->correction_button, form->camera_icon,
                                             form->phone_icon, form->original_view, form->corrected_view})
            parts.push_back(shown(*part));
        return parts;
    };
    const std::vector<QImage> start = look();
    open_dialog(*form).answers = {photo("kept.jpg"), file("missing.jpg")};
    click(*form->open_button);
    click(*form->tools_button);
    while (form->panel_open_timer.isActive()) form->panel_open_timerTick();
    const QImage before = shown(*form);
    click(*form->open_button);
    EXPECT_EQ(messages(*form).load_failures, 1);
    EXPECT_EQ(shown(*form), before);
    click(*form->tools_button);
    EXPECT_TRUE(form->panel_close_timer.isActive());

    bool armed = true;
    form->original_view->OnChange = [&armed] {
        if (std::exchange(armed, false)) throw std::runtime_error("no memory left for the view");
    };
    open_dialog(*form).answers.push_back(photo("second.jpg"));
    click(*form->open_button);
    EXPECT_EQ(messages(*form).error_reports, std::vector<std::string>{"no memory left for the view"});
    EXPECT_TRUE(look() == start);
    EXPECT_EQ(form->height(), MainWindow::kClosedHeight);
    click(*form->tools_button);
    EXPECT_FALSE(form->panel_open_timer.isActive());
}

TEST(CommandLine, HelpVersionUsageErrorsAndThePhoto)
{
    struct Case {
        QStringList arguments;
        std::optional<int> exit_code;
        bool to_standard_error;
        const char* output_holds;
        std::optional<std::string> photo;
    };
    const Case cases[] = {
        {{"tn_photo_mallet"}, std::nullopt, false, "", std::nullopt},
        {{"tn_photo_mallet", "/photos/a b.jpg"}, std::nullopt, false, "", "/photos/a b.jpg"},
        {{"tn_photo_mallet", "--", "-x.jpg"}, std::nullopt, false, "", "-x.jpg"},
        {{"tn_photo_mallet", "--help"}, 0, false, "Usage: tn_photo_mallet", std::nullopt},
        {{"tn_photo_mallet", "--version"}, 0, false, "tn_photo_mallet 1.", std::nullopt},
        {{"tn_photo_mallet", "--bogus", "a.jpg"},
         2,
         true,
         "'bogus'.\n\nUsage: tn_photo_mallet",
         std::nullopt},
        {{"tn_photo_mallet", "a.jpg", "b.jpg"}, 2, true, "Usage: tn_photo_mallet", std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.arguments.join(' ').toStdString());
        const CommandLine line = read_command_line(c.arguments);
        EXPECT_EQ(line.exit_code, c.exit_code);
        EXPECT_EQ(line.output_is_error, c.to_standard_error);
        EXPECT_NE(line.output.find(c.output_holds), std::string::npos) << line.output;
        EXPECT_EQ(line.photo, c.photo);
    }
}

}  // namespace
