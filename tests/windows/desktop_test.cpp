// The main window at home on the desktop: files dropped on it, its keys, the
// command line, and a failed open that leaves no dead end.
#include <gtest/gtest.h>

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <QTemporaryDir>
#include <QUrl>
#include <filesystem>
#include <fstream>
#include <stdexcept>

#include "photo_files/jpeg_photo.h"
#include "tests/support/synthetic_photos.h"
#include "tests/windows/windows_test_support.h"
#include "windows/command_line.h"

namespace {

class DesktopTest : public ::testing::Test {
protected:
    std::string photo(const std::string& name)
    {
        Bitmap32 scene;
        fill_photo(scene, 120, 90,
                   [](int x, int y) { return opaque_rgb(70 + x / 2, 80 + y / 2, 60 + (x ^ y) % 40); });
        const std::string path = file(name);
        write_photo(scene, path);
        return path;
    }
    std::string file(const std::string& name) const
    {
        return folder.filePath(QString::fromStdString(name)).toStdString();
    }
    static QUrl url(const std::string& path) { return QUrl::fromLocalFile(QString::fromStdString(path)); }

    QTemporaryDir folder;
    std::unique_ptr<TForm1> form = quick_form();
};

// What a file manager offers: the files as urls, to be copied or moved.
bool drag_taken(TForm1& form, const QList<QUrl>& urls,
                Qt::DropActions offered = Qt::CopyAction | Qt::MoveAction)
{
    QMimeData data;
    data.setUrls(urls);
    QDragEnterEvent enter(QPoint(450, 300), offered, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&form, &enter);
    return enter.isAccepted() && enter.dropAction() == Qt::CopyAction;
}

// A drop, after the drag entered the window as it always does first.
void drop(TForm1& form, const QList<QUrl>& urls)
{
    drag_taken(form, urls);
    QMimeData data;
    data.setUrls(urls);
    QDropEvent event(QPointF(450, 300), Qt::CopyAction | Qt::MoveAction, &data, Qt::LeftButton,
                     Qt::NoModifier);
    QApplication::sendEvent(&form, &event);
    // The photo opens once the drop is over.
    QApplication::processEvents();
}

void press_key(TForm1& form, int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier, bool repeat = false)
{
    QKeyEvent event(QEvent::KeyPress, key, modifiers, QString(), repeat);
    QApplication::sendEvent(&form, &event);
}

TEST_F(DesktopTest, OnlyLocalJpegFilesAreTakenAndTheFirstOfThemOpensWhenDropped)
{
    const std::string beach = photo("Beach.JPEG");
    const std::string other = photo("other.jpg");
    const QUrl notes = url(file("notes.png"));
    EXPECT_TRUE(drag_taken(*form, {url(beach)}));
    EXPECT_TRUE(drag_taken(*form, {notes, url(beach)}));
    EXPECT_FALSE(drag_taken(*form, {notes}));
    EXPECT_FALSE(drag_taken(*form, {QUrl("https://example.org/beach.jpg")}));
    // A photo is never taken away from where the user keeps it.
    EXPECT_FALSE(drag_taken(*form, {url(beach)}, Qt::MoveAction));

    drop(*form, {notes, url(beach), url(other)});
    EXPECT_TRUE(form->corrector.photo_loaded);
    EXPECT_EQ(form->status->caption(), "Beach.JPEG");

    // A dropped file that is no photo meets the open dialog's failure message.
    std::ofstream(file("text.jpg")) << "not a photo";
    drop(*form, {url(file("text.jpg"))});
    EXPECT_EQ(messages(*form).load_failures, 1);
    EXPECT_EQ(form->status->caption(), "Beach.JPEG");
}

TEST_F(DesktopTest, KeysRunTheirControlsHandlersOnlyWhileTheControlCanBeClicked)
{
    auto presses = std::make_shared<int>(0);
    form->sleep_for = [presses](std::chrono::milliseconds) { ++*presses; };
    // Before a photo: nothing to save, undo or slide out.
    press_key(*form, Qt::Key_S, Qt::ControlModifier);
    press_key(*form, Qt::Key_Z, Qt::ControlModifier);
    press_key(*form, Qt::Key_T);
    press_key(*form, Qt::Key_Plus, Qt::ShiftModifier);
    EXPECT_EQ(*presses, 0);
    EXPECT_TRUE(save_dialog(*form).offered.empty());
    EXPECT_FALSE(form->Timer1.isActive());

    open_dialog(*form).answers.push_back(photo("keys.jpg"));
    press_key(*form, Qt::Key_O, Qt::ControlModifier);
    ASSERT_TRUE(form->corrector.photo_loaded);
    EXPECT_EQ(*presses, 1);  // the open button's feedback

    // The presets and light keys wait for the tools panel.
    press_key(*form, Qt::Key_1);
    press_key(*form, Qt::Key_Plus, Qt::ShiftModifier);
    EXPECT_EQ(form->correction->caption(), "AUTOMATIC CORRECTION");
    EXPECT_EQ(form->corrector.light_level, 0);
    press_key(*form, Qt::Key_T);
    ASSERT_TRUE(form->tools_open);
    press_key(*form, Qt::Key_T, Qt::NoModifier, true);  // held down: the panel does not flap
    EXPECT_TRUE(form->tools_open);
    press_key(*form, Qt::Key_1);
    EXPECT_EQ(form->correction->caption(), "INDOORS BULB LAMP");
    press_key(*form, Qt::Key_9);
    EXPECT_EQ(form->correction->caption(), "OUTDOORS VIVID");
    press_key(*form, Qt::Key_1, Qt::AltModifier);
    EXPECT_EQ(form->correction->caption(), "OUTDOORS VIVID");
    press_key(*form, Qt::Key_Plus, Qt::ShiftModifier);
    press_key(*form, Qt::Key_Equal, Qt::NoModifier, true);
    press_key(*form, Qt::Key_Minus, Qt::KeypadModifier);
    EXPECT_EQ(form->corrector.light_level, 1);
    EXPECT_EQ(form->valo_select->pos(), QPoint(65, 12));

    press_key(*form, Qt::Key_D);
    EXPECT_EQ(form->profile->caption(), "DIGITAL CAMERA PROFILE");
    press_key(*form, Qt::Key_Space);
    EXPECT_EQ(form->correction->caption(), "NO CORRECTION");
    press_key(*form, Qt::Key_Space);
    press_key(*form, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(shown(*form->photo_org), shown(*form->photo_tn));

    const int fitted = form->tn_zoom->position();
    form->tn_zoom->set_position(300);
    press_key(*form, Qt::Key_0, Qt::ControlModifier);
    EXPECT_EQ(form->tn_zoom->position(), fitted);

    const int before = *presses;
    press_key(*form, Qt::Key_S, Qt::ControlModifier);
    EXPECT_EQ(save_dialog(*form).offered.size(), 1u);
    press_key(*form, Qt::Key_Q, Qt::ControlModifier);  // the save question, answered Cancel
    EXPECT_EQ(messages(*form).save_questions, 1);
    press_key(*form, Qt::Key_F1);
    EXPECT_EQ(*presses, before + 3);  // save, exit and about buttons
}

TEST_F(DesktopTest, AFailedOpenLeavesThePhotoButtonsAndToolsPanelAsTheyWere)
{
    form->show();
    open_dialog(*form).answers.push_back(photo("kept.jpg"));
    click(*form->open_button);
    click(*form->tools_button);
    while (form->Timer1.isActive()) form->Timer1Timer();
    const QImage before = shown(*form);
    std::ofstream(file("broken.jpg")) << "not a photo";
    open_dialog(*form).answers.push_back(file("broken.jpg"));
    click(*form->open_button);
    EXPECT_EQ(messages(*form).load_failures, 1);
    EXPECT_EQ(shown(*form), before);
    // Every control still answers: the panel closes, a preset applies, the photo saves.
    click(*form->Image327);
    EXPECT_EQ(form->correction->caption(), "OUTDOORS");
    click(*form->tools_button);
    EXPECT_TRUE(form->Timer2.isActive());
    save_dialog(*form).answers.push_back(file("saved.jpg"));
    click(*form->save_button);
    EXPECT_TRUE(std::filesystem::exists(file("saved.jpg")));
}

TEST_F(DesktopTest, AnErrorOnceTheOldPhotoIsReplacedReturnsTheWindowToItsStartState)
{
    form->show();
    // Everything but the zoom sliders, which keep the last photo's fit.
    const auto look = [this] {
        std::vector<QImage> parts;
        for (QWidget* part : std::initializer_list<QWidget*>{
                 form->lcd, form->save_button, form->undo_button, form->tools_button, form->tn_nappula,
                 form->cam_icon, form->mob_icon, form->photo_org, form->photo_tn})
            parts.push_back(shown(*part));
        return parts;
    };
    const std::vector<QImage> start = look();
    open_dialog(*form).answers.push_back(photo("first.jpg"));
    click(*form->open_button);
    click(*form->tools_button);
    bool armed = true;
    form->photo_org->OnChange = [&armed] {
        if (armed) {
            armed = false;
            throw std::runtime_error("no memory left for the view");
        }
    };
    open_dialog(*form).answers.push_back(photo("second.jpg"));
    click(*form->open_button);
    EXPECT_EQ(messages(*form).error_reports, std::vector<std::string>{"no memory left for the view"});
    EXPECT_FALSE(form->tools_open);
    EXPECT_FALSE(form->Timer1.isActive());
    EXPECT_EQ(form->height(), TForm1::kClosedHeight);
    // The window looks as it did at start: empty views, READY, grey buttons, the faded tools sign.
    EXPECT_TRUE(look() == start);
    click(*form->tools_button);
    EXPECT_FALSE(form->Timer1.isActive());
}

TEST(CommandLine, HelpVersionUsageErrorsAndThePhoto)
{
    struct Case {
        const char* description;
        QStringList arguments;
        std::optional<int> exit_code;
        bool to_standard_error;
        const char* output_holds;
        std::optional<std::string> photo;
    };
    const Case cases[] = {
        {"nothing", {"tn_photo_mallet"}, std::nullopt, false, "", std::nullopt},
        {"a photo", {"tn_photo_mallet", "/photos/a b.jpg"}, std::nullopt, false, "", "/photos/a b.jpg"},
        {"a photo named like an option",
         {"tn_photo_mallet", "--", "-x.jpg"},
         std::nullopt,
         false,
         "",
         "-x.jpg"},
        {"help", {"tn_photo_mallet", "--help"}, 0, false, "PHOTO", std::nullopt},
        {"version", {"tn_photo_mallet", "--version"}, 0, false, "tn_photo_mallet 1.", std::nullopt},
        {"unknown option", {"tn_photo_mallet", "--bogus", "a.jpg"}, 2, true, "bogus", std::nullopt},
        {"two photos", {"tn_photo_mallet", "a.jpg", "b.jpg"}, 2, true, "PHOTO", std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.description);
        const CommandLine line = read_command_line(c.arguments);
        EXPECT_EQ(line.exit_code, c.exit_code);
        EXPECT_EQ(line.output_is_error, c.to_standard_error);
        EXPECT_NE(line.output.find(c.output_holds), std::string::npos) << line.output;
        if (c.exit_code == 2) {
            EXPECT_NE(line.output.find("Usage:"), std::string::npos) << line.output;
        }
        EXPECT_EQ(line.photo, c.photo);
    }
}

}  // namespace
