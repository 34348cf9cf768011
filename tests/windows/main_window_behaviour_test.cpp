#include <gtest/gtest.h>

#include <QCursor>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QTemporaryDir>
#include <QWindow>
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "corrector/scene_presets.h"
#include "engine/bitmap32.h"
#include "photo_files/jpeg_photo.h"
#include "photo_files/load_outcome.h"
#include "tests/windows/lcd_screen.h"
#include "tests/windows/windows_test_support.h"

namespace {

// Photos written for one test into a folder of its own.
class PhotoFolder {
public:
    PhotoFolder() { EXPECT_TRUE(folder_.isValid()); }

    std::string path(const std::string& name) const
    {
        return folder_.filePath(QString::fromStdString(name)).toStdString();
    }

    // A dull scene with detail in both directions, so a correction visibly
    // changes it and a shifted view shows different pixels.
    std::string photo(const std::string& name, int width, int height) const
    {
        Bitmap32 scene;
        scene.set_size(width, height);
        for (int y = 0; y < height; ++y) {
            std::uint32_t* row = scene.scan_line(y);
            for (int x = 0; x < width; ++x) {
                const int ripple = ((x / 6 + y / 5) % 4) * 12;
                row[x] = 0xFF000000u | static_cast<std::uint32_t>(70 + 60 * x / width + ripple) << 16 |
                         static_cast<std::uint32_t>(80 + 50 * y / height) << 8 |
                         static_cast<std::uint32_t>(60 + ripple);
            }
        }
        const std::string at = path(name);
        write_photo(scene, at);
        return at;
    }

private:
    QTemporaryDir folder_;
};

// Counts the pressed feedbacks from now on (each one waits once).
std::shared_ptr<int> count_presses(MainWindow& form)
{
    auto presses = std::make_shared<int>(0);
    form.sleep_for = [presses](std::chrono::milliseconds) { ++*presses; };
    return presses;
}

// Opens `path` through OPEN PHOTO as a user would, the dialog answering it.
void open_through_button(MainWindow& form, const std::string& path)
{
    open_dialog(form).answers.push_back(path);
    click(*form.open_button);
}

bool shows_list_image(TImage32& control, const TBitmap32List& list, int item)
{
    return same_pixels(control.bitmap(), list.Bitmaps[item].Bitmap);
}

// The face is the list image with a caption drawn on it, right of `caption_left`.
bool shows_captioned_face(TImage32& control, const TBitmap32List& list, int item, int caption_left)
{
    const Difference d = difference(control.bitmap(), list.Bitmaps[item].Bitmap);
    return control.bitmap().width() == list.Bitmaps[item].Bitmap.width() && d.count > 0 &&
           d.left >= caption_left;
}

bool views_show_the_same(MainWindow& form)
{
    return shown(*form.original_view) == shown(*form.corrected_view);
}

QCursor* override_cursor()
{
    return QGuiApplication::overrideCursor();
}

// ---- Before any photo.

TEST(BeforeAnyPhoto, SaveUndoAndToolsDoNothingVisible)
{
    auto form = quick_form();
    form->show();
    const auto presses = count_presses(*form);
    const QImage before = shown(*form);
    for (TImage32* control : {form->save_button, form->undo_button, form->tools_button}) {
        click(*control);
        EXPECT_EQ(shown(*form), before) << control->hint().toStdString();
    }
    EXPECT_EQ(*presses, 0);
    EXPECT_TRUE(save_dialog(*form).offered.empty());
    EXPECT_FALSE(form->panel_open_timer.isActive());
    EXPECT_FALSE(form->panel_close_timer.isActive());
    EXPECT_EQ(form->height(), MainWindow::kClosedHeight);
}

TEST(BeforeAnyPhoto, TheCorrectionButtonOpensTheOpenDialogAndACancelLeavesItsFace)
{
    auto form = quick_form();
    std::vector<int> faces_during_dialog;
    open_dialog(*form).while_shown = [&] { faces_during_dialog.push_back(form->corrector.toggle_face); };
    click(*form->correction_button);
    ASSERT_EQ(open_dialog(*form).offered.size(), 1u);
    // The face flipped to "on" around the dialog, and back once nothing was opened.
    EXPECT_EQ(faces_during_dialog, std::vector<int>{0});
    EXPECT_TRUE(shows_list_image(*form->correction_button, form->icon_faces, 1));
    EXPECT_FALSE(form->corrector.correction_shown);
    EXPECT_FALSE(form->corrector.photo_loaded);
    EXPECT_EQ(form->status_label->caption(), "READY");
    EXPECT_FALSE(form->profile_label->isVisibleTo(form.get()));
}

TEST(BeforeAnyPhoto, TheCorrectionButtonOpensAPhotoAndCorrectsIt)
{
    PhotoFolder folder;
    auto form = quick_form();
    open_dialog(*form).answers.push_back(folder.photo("beach.jpg", 160, 120));
    click(*form->correction_button);
    ASSERT_TRUE(form->corrector.photo_loaded);
    EXPECT_EQ(form->status_label->caption(), "beach.jpg  1 / 1");
    EXPECT_FALSE(views_show_the_same(*form));
    EXPECT_TRUE(shows_list_image(*form->correction_button, form->icon_faces, 0));
    EXPECT_TRUE(form->corrector.correction_shown);
}

// ---- Opening.

TEST(Open, PaintsLoadingPhotoBeforeTheDialogShows)
{
    PhotoFolder folder;
    auto form = quick_form();
    form->show();
    QApplication::processEvents();
    PaintCounter status_paints(form->status_label);
    QString caption_at_dialog;
    int paints_at_dialog = -1;
    open_dialog(*form).while_shown = [&] {
        caption_at_dialog = form->status_label->caption();
        paints_at_dialog = status_paints.paints;
    };
    click(*form->open_button);
    EXPECT_EQ(caption_at_dialog, "LOADING PHOTO");
    EXPECT_GT(paints_at_dialog, 0);
    // Cancelled with nothing loaded before.
    EXPECT_EQ(form->status_label->caption(), "READY");
}

TEST(Open, FitsTheViewsAndGivesTheButtonsTheirNewFacesAndCaptions)
{
    PhotoFolder folder;
    auto form = quick_form();
    form->show();
    const auto presses = count_presses(*form);
    open_through_button(*form, folder.photo("wide.jpg", 840, 640));

    EXPECT_EQ(*presses, 1);
    ASSERT_TRUE(form->corrector.photo_loaded);
    // Fitted: the whole photo inside the view, both sliders and captions alike.
    for (auto [view, slider, caption] :
         {std::tuple{form->original_view, form->original_zoom, form->original_zoom_label},
          std::tuple{form->corrected_view, form->corrected_zoom, form->corrected_zoom_label}}) {
        EXPECT_LT(slider->position(), 50);
        EXPECT_LE(view->scale() * 840, 420.0f);
        EXPECT_FLOAT_EQ(view->scale(), static_cast<float>(slider->position()) / 100.0f);
        EXPECT_EQ(caption->caption(), QString::number(slider->position()) + "%");
    }
    EXPECT_TRUE(shows_captioned_face(*form->save_button, form->button_faces, 1, 30));
    EXPECT_TRUE(shows_captioned_face(*form->undo_button, form->button_faces, 1, 45));
    EXPECT_TRUE(shows_captioned_face(*form->tools_button, form->icon_faces, 6, 89));
    EXPECT_TRUE(form->tools_may_open);
    EXPECT_FALSE(form->tools_open);

    // The corrector's state on screen.
    EXPECT_EQ(form->status_label->caption(), "wide.jpg  1 / 1");
    for (QWidget* caption : std::initializer_list<QWidget*>{form->profile_label, form->profile_box,
                                                            form->correction_label, form->correction_box})
        EXPECT_TRUE(caption->isVisible());
    EXPECT_EQ(form->profile_label->caption(), "MOBILE PHONE PROFILE");  // 537,600 pixels
    EXPECT_EQ(form->correction_label->caption(), "AUTOMATIC CORRECTION");
    EXPECT_TRUE(shows_list_image(*form->correction_button, form->icon_faces, 0));
    EXPECT_TRUE(shows_list_image(*form->camera_icon, form->icon_faces, 3));
    EXPECT_TRUE(shows_list_image(*form->phone_icon, form->icon_faces, 4));
    EXPECT_EQ(form->light_indicator->pos(), QPoint(57, 12));
    EXPECT_EQ(override_cursor(), nullptr);

    // Both views show the photo, the corrected one differing.
    const QImage original = shown(*form->original_view);
    EXPECT_NE(original.pixel(210, 160), QColor(201, 201, 201).rgb());
    EXPECT_NE(original, shown(*form->corrected_view));
}

// An open and Ctrl+0 fit by one rule, both views alike, each at the zoom its caption shows:
// a first photo whose fit is the slider's start position too, and a fit between two percents.
TEST(Open, BothViewsFitByOneRuleAtTheZoomTheirCaptionsShow)
{
    PhotoFolder folder;
    auto form = quick_form();
    form->show();
    const auto expect_both_at = [&form](int percent) {
        for (auto [view, caption] : {std::pair{form->original_view, form->original_zoom_label},
                                     std::pair{form->corrected_view, form->corrected_zoom_label}}) {
            EXPECT_FLOAT_EQ(view->scale(), static_cast<float>(percent) / 100.0f);
            EXPECT_EQ(caption->caption(), QString::number(percent) + "%");
        }
    };
    open_through_button(*form, folder.photo("panorama.jpg", 7000, 100));
    expect_both_at(5);
    open_through_button(*form, folder.photo("camera.jpg", 1600, 1200));
    expect_both_at(25);
    form->corrected_zoom->set_position(60);
    form->fit_both_views();
    expect_both_at(25);
}

TEST(Open, WithTheToolsPanelOpenTheToolsButtonKeepsItsFadedFace)
{
    PhotoFolder folder;
    auto form = quick_form();
    open_through_button(*form, folder.photo("first.jpg", 160, 120));
    click(*form->tools_button);
    ASSERT_TRUE(form->tools_open);
    open_through_button(*form, folder.photo("second.jpg", 160, 120));
    EXPECT_TRUE(shows_captioned_face(*form->tools_button, form->icon_faces, 7, 89));
    EXPECT_TRUE(form->tools_open);
    EXPECT_FALSE(form->tools_may_open);
}

TEST(Open, ShowsTheHourglassWhileBusyAndTheDefaultCursorAfter)
{
    PhotoFolder folder;
    auto form = quick_form();
    std::vector<int> cursors;  // the override cursor's shape at each change of a photo buffer
    const auto look = [&] { cursors.push_back(override_cursor() ? override_cursor()->shape() : -1); };
    form->original_view->OnChange = look;
    form->corrected_view->OnChange = look;
    open_through_button(*form, folder.photo("busy.jpg", 160, 120));
    ASSERT_FALSE(cursors.empty());
    for (int shape : cursors) EXPECT_EQ(shape, Qt::WaitCursor);
    EXPECT_EQ(override_cursor(), nullptr);
}

TEST(Open, AFileThatIsNoPhotoShowsTheLoadFailureWithoutTheHourglass)
{
    PhotoFolder folder;
    const std::string text = folder.path("notes.jpg");
    std::ofstream(text) << "not a photo";
    auto form = quick_form();
    int cursor_during_message = -1;
    messages(*form).while_load_failure_shown = [&] {
        cursor_during_message = override_cursor() ? override_cursor()->shape() : -1;
    };
    open_through_button(*form, text);
    EXPECT_EQ(messages(*form).load_failures, 1);
    EXPECT_EQ(cursor_during_message, Qt::ArrowCursor);
    EXPECT_EQ(override_cursor(), nullptr);
    EXPECT_FALSE(form->corrector.photo_loaded);
    EXPECT_EQ(form->status_label->caption(), "READY");
    // Still nothing to save.
    click(*form->save_button);
    EXPECT_TRUE(save_dialog(*form).offered.empty());
}

// However the photo was opened, the correction shows with the button's face "on", so
// the first press of the button or of Space takes it away and the second brings it back.
TEST(Open, TheFirstPressOfTheCorrectionButtonOrSpaceTakesTheCorrectionAway)
{
    PhotoFolder folder;
    const std::string photo = folder.photo("first press.jpg", 160, 120);
    struct Open {
        const char* description;
        std::function<void(MainWindow&)> open;
    };
    const Open opens[] = {
        {"OPEN PHOTO", [&](MainWindow& form) { open_through_button(form, photo); }},
        {"correction button",
         [&](MainWindow& form) {
             open_dialog(form).answers.push_back(photo);
             click(*form.correction_button);
         }},
        {"dropped or named", [&](MainWindow& form) { form.open_photo_file(photo); }},
    };
    for (const Open& open : opens)
        for (const bool with_space : {false, true}) {
            SCOPED_TRACE(std::string(open.description) + (with_space ? ", Space" : ", click"));
            auto form = quick_form();
            open.open(*form);
            ASSERT_TRUE(form->corrector.photo_loaded);
            EXPECT_TRUE(shows_list_image(*form->correction_button, form->icon_faces, 0));
            const QImage corrected = shown(*form->corrected_view);
            const auto press = [&] {
                if (!with_space) return click(*form->correction_button);
                QKeyEvent key(QEvent::KeyPress, Qt::Key_Space, Qt::NoModifier);
                QApplication::sendEvent(form.get(), &key);
            };
            press();
            EXPECT_EQ(form->correction_label->caption(), "NO CORRECTION");
            EXPECT_TRUE(shows_list_image(*form->correction_button, form->icon_faces, 1));
            EXPECT_TRUE(views_show_the_same(*form));
            press();
            EXPECT_EQ(form->correction_label->caption(), "AUTOMATIC CORRECTION");
            EXPECT_EQ(shown(*form->corrected_view), corrected);
        }
}

// An empty file is no photo: the load-failure message says so, the photo shown before
// stays with its name, and with none before there is nothing to save.
TEST(Open, AnEmptyFileFailsAndLeavesNothingEmptyToSave)
{
    PhotoFolder folder;
    const std::string empty = folder.path("empty.jpg");
    std::ofstream{empty};
    auto form = quick_form();
    open_through_button(*form, empty);
    EXPECT_EQ(messages(*form).load_failures, 1);
    EXPECT_EQ(messages(*form).last_load_failure.reason, LoadFailureReason::EmptyFile);
    EXPECT_FALSE(form->corrector.photo_loaded);
    EXPECT_EQ(form->status_label->caption(), "READY");
    click(*form->save_button);
    EXPECT_TRUE(save_dialog(*form).offered.empty());

    open_through_button(*form, folder.photo("kept.jpg", 40, 30));
    Bitmap32 kept;
    kept.assign(&form->corrector.org_photo);
    open_through_button(*form, empty);
    EXPECT_EQ(messages(*form).load_failures, 2);
    EXPECT_EQ(form->status_label->caption(), "kept.jpg  2 / 2");
    EXPECT_TRUE(same_pixels(form->corrector.org_photo, kept));
    save_dialog(*form).answers.push_back(empty);
    save_dialog(*form).overwrite_answers.push_back(OverwriteAnswer::Yes);
    click(*form->save_button);
    EXPECT_GT(std::filesystem::file_size(empty), 0u);
}

// A photo cut off inside its data opens with its grey rows, and the status line says so
// within the LCD's screen at 100, 150 and 200 % (Scale2Window covers a screen twice as fine).
TEST(Open, APhotoWhoseDataEndsEarlySaysSoOnTheStatusLine)
{
    PhotoFolder folder;
    std::ifstream whole(folder.photo("whole.jpg", 900, 700), std::ios::binary);
    const std::string bytes{std::istreambuf_iterator<char>(whole), {}};
    const std::size_t data = bytes.find("\xFF\xDA");
    ASSERT_NE(data, std::string::npos);
    const std::string cut = folder.path("a rather long name for a photo that was cut short.jpg");
    std::ofstream(cut) << bytes.substr(0, data + (bytes.size() - data) / 10);
    for (const int pixels_per_inch : {96, 144, 192}) {
        SCOPED_TRACE(pixels_per_inch);
        auto form = quick_form(pixels_per_inch);
        open_through_button(*form, cut);
        ASSERT_TRUE(form->corrector.photo_loaded);
        EXPECT_EQ(messages(*form).load_failures, 0);
        ASSERT_GT(form->corrector.load_outcome.grey_rows, 99);
        const QString status = form->status_label->caption();
        EXPECT_TRUE(status.startsWith("PHOTO DATA ENDS EARLY")) << status.toStdString();
        EXPECT_TRUE(status.contains(QString::number(form->corrector.load_outcome.grey_rows)));
        expect_status_on_the_lcd_screen(*form);
    }
}

TEST(Open, TheDialogOffersTheNameChosenLast)
{
    PhotoFolder folder;
    auto form = quick_form();
    const std::string first = folder.photo("first.jpg", 64, 48);
    open_through_button(*form, first);
    click(*form->open_button);  // cancelled
    EXPECT_EQ(open_dialog(*form).offered, (std::vector<std::string>{"", first}));
    // A cancelled dialog leaves the photo opened last on the status line.
    EXPECT_EQ(form->status_label->caption(), "first.jpg  1 / 1");
    EXPECT_TRUE(form->corrector.photo_loaded);
}

// However the photo was opened, both dialogs start in its folder, and the save dialog
// offers the name mallet gives its correction.
TEST(Open, TheDialogsStartInThePhotosFolderAndSaveOffersItsCorrectedName)
{
    PhotoFolder folder;
    auto form = quick_form();
    const std::string photo = folder.photo("beach.jpeg", 64, 48);
    form->open_photo_file(photo);
    click(*form->save_button);
    click(*form->open_button);
    EXPECT_EQ(save_dialog(*form).offered, std::vector<std::string>{folder.path("beach_corrected.jpg")});
    EXPECT_EQ(open_dialog(*form).offered, std::vector<std::string>{photo});
}

// ---- Correcting.

class WithPhoto : public ::testing::Test {
protected:
    void SetUp() override
    {
        form = quick_form();
        form->show();
        open_through_button(*form, folder.photo("photo.jpg", 160, 120));
        ASSERT_TRUE(form->corrector.photo_loaded);
    }

    PhotoFolder folder;
    std::unique_ptr<MainWindow> form;
};

TEST_F(WithPhoto, EachPresetPictureRunsItsPresetAfterItsPressedFeedback)
{
    for (const ScenePresetInfo& info : scene_presets) {
        SCOPED_TRACE(info.hint);
        TImage32& button = *form->preset_button(info.preset);
        const QPoint home = button.pos();
        QPoint during;
        form->sleep_for = [&](std::chrono::milliseconds) { during = button.pos(); };
        form->corrector.lighten();
        click(button);
        EXPECT_EQ(during, home + QPoint(1, 1));
        EXPECT_EQ(button.pos(), home);
        EXPECT_EQ(form->correction_label->caption(), info.caption);
        EXPECT_EQ(form->corrector.light_level, 0);
        EXPECT_TRUE(shows_list_image(*form->correction_button, form->icon_faces, 1));
    }
}

TEST_F(WithPhoto, APresetChangesTheCorrectedViewOnly)
{
    const QImage original = shown(*form->original_view);
    const QImage corrected = shown(*form->corrected_view);
    click(*form->preset_button(ScenePreset::Backlight));
    EXPECT_EQ(shown(*form->original_view), original);
    EXPECT_NE(shown(*form->corrected_view), corrected);
}

TEST_F(WithPhoto, ADoubleClickOnAPresetRunsItForEachClick)
{
    const auto presses = count_presses(*form);
    int expected_presses = 0;
    for (const ScenePresetInfo& info : scene_presets) {
        SCOPED_TRACE(info.hint);
        TImage32& button = *form->preset_button(info.preset);
        send_mouse(button, QEvent::MouseButtonPress, {5, 5}, Qt::LeftButton, Qt::LeftButton);
        send_mouse(button, QEvent::MouseButtonRelease, {5, 5}, Qt::LeftButton, Qt::NoButton);
        send_mouse(button, QEvent::MouseButtonDblClick, {5, 5}, Qt::LeftButton, Qt::LeftButton);
        send_mouse(button, QEvent::MouseButtonRelease, {5, 5}, Qt::LeftButton, Qt::NoButton);
        expected_presses += 2;
        EXPECT_EQ(*presses, expected_presses);
        EXPECT_EQ(form->correction_label->caption(), info.caption);
    }
}

TEST_F(WithPhoto, LighterAndDarkerMoveTheIndicatorEightPixelsUpToTheLimits)
{
    const auto presses = count_presses(*form);
    for (int step = 1; step <= 6; ++step) {
        const QImage before = shown(*form->corrected_view);
        click(*form->light_button);
        EXPECT_EQ(form->light_indicator->pos(), QPoint(57 + 8 * step, 12));
        EXPECT_NE(shown(*form->corrected_view), before);
    }
    EXPECT_EQ(*presses, 6);
    // At the limit nothing happens: no feedback, no change.
    const QImage at_limit = shown(*form->corrected_view);
    click(*form->light_button);
    EXPECT_EQ(*presses, 6);
    EXPECT_EQ(form->light_indicator->pos(), QPoint(105, 12));
    EXPECT_EQ(form->light_button->pos(), QPoint(833, 70));
    EXPECT_EQ(shown(*form->corrected_view), at_limit);

    for (int step = 5; step >= -6; --step) {
        click(*form->dark_button);
        EXPECT_EQ(form->light_indicator->pos(), QPoint(57 + 8 * step, 12));
    }
    click(*form->dark_button);
    EXPECT_EQ(form->light_indicator->pos(), QPoint(9, 12));
    EXPECT_EQ(*presses, 6 + 12);
    EXPECT_EQ(form->dark_button->pos(), QPoint(785, 70));

    // A preset starts from level 0 again.
    click(*form->preset_button(ScenePreset::OutdoorsVivid));
    EXPECT_EQ(form->light_indicator->pos(), QPoint(57, 12));
}

TEST_F(WithPhoto, TheLighterStepRunsWhileTheKeyIsDown)
{
    QPoint key_during_step;
    int level_during_pause = 99;
    form->sleep_for = [&](std::chrono::milliseconds) { level_during_pause = form->corrector.light_level; };
    form->corrected_view->OnChange = [&] { key_during_step = form->light_button->pos(); };
    click(*form->light_button);
    EXPECT_EQ(level_during_pause, 0);
    EXPECT_EQ(key_during_step, QPoint(834, 71));
    EXPECT_EQ(form->light_button->pos(), QPoint(833, 70));
}

TEST_F(WithPhoto, TheCameraIconsSwitchTheProfileWithoutFeedback)
{
    const auto presses = count_presses(*form);
    click(*form->camera_icon);
    EXPECT_EQ(form->profile_label->caption(), "DIGITAL CAMERA PROFILE");
    EXPECT_TRUE(shows_list_image(*form->camera_icon, form->icon_faces, 2));
    EXPECT_TRUE(shows_list_image(*form->phone_icon, form->icon_faces, 5));
    click(*form->phone_icon);
    EXPECT_EQ(form->profile_label->caption(), "MOBILE PHONE PROFILE");
    EXPECT_TRUE(shows_list_image(*form->camera_icon, form->icon_faces, 3));
    EXPECT_TRUE(shows_list_image(*form->phone_icon, form->icon_faces, 4));
    EXPECT_EQ(*presses, 0);
}

// After UNDO the LCD, the correction button and the light meter say what the views show,
// and the button's next press applies the correction.
TEST_F(WithPhoto, UndoShowsThePhotoAsLoadedAndSaysSo)
{
    click(*form->preset_button(ScenePreset::IndoorsBulbLamp));
    click(*form->correction_button);
    click(*form->light_button);
    const auto presses = count_presses(*form);
    click(*form->undo_button);
    EXPECT_EQ(*presses, 1);
    EXPECT_TRUE(views_show_the_same(*form));
    EXPECT_EQ(form->correction_label->caption(), "NO CORRECTION");
    EXPECT_TRUE(shows_list_image(*form->correction_button, form->icon_faces, 1));
    EXPECT_EQ(form->light_indicator->pos(), QPoint(57, 12));
    click(*form->correction_button);
    EXPECT_EQ(form->correction_label->caption(), "AUTOMATIC CORRECTION");
    EXPECT_FALSE(views_show_the_same(*form));
}

TEST_F(WithPhoto, TheCorrectionButtonTogglesTheCorrection)
{
    click(*form->preset_button(ScenePreset::IndoorsFlash));
    click(*form->correction_button);  // on again: the automatic correction replaces the preset
    EXPECT_EQ(form->correction_label->caption(), "AUTOMATIC CORRECTION");
    EXPECT_TRUE(shows_list_image(*form->correction_button, form->icon_faces, 0));
    const QImage corrected = shown(*form->corrected_view);
    click(*form->correction_button);
    EXPECT_EQ(form->correction_label->caption(), "NO CORRECTION");
    EXPECT_TRUE(shows_list_image(*form->correction_button, form->icon_faces, 1));
    EXPECT_TRUE(views_show_the_same(*form));
    click(*form->correction_button);
    EXPECT_EQ(shown(*form->corrected_view), corrected);
}

// ---- Panning (the zoom sliders are tested with the layout).

class WithLargePhoto : public WithPhoto {
protected:
    void SetUp() override
    {
        form = quick_form();
        form->show();
        open_through_button(*form, folder.photo("large.jpg", 900, 700));
        ASSERT_TRUE(form->corrector.photo_loaded);
        form->corrected_zoom->set_position(100);
    }
};

TEST_F(WithLargePhoto, ADragMovesThePictureWithTheMouse)
{
    TImgView32& view = *form->corrected_view;
    const QImage before = shown(view);
    const QImage other_view = shown(*form->original_view);
    send_mouse(view, QEvent::MouseButtonPress, {200, 150}, Qt::LeftButton, Qt::LeftButton);
    EXPECT_TRUE(form->dragging);
    EXPECT_EQ(view.cursor().shape(), Qt::SizeAllCursor);
    send_mouse(view, QEvent::MouseMove, {215, 160}, Qt::NoButton, Qt::LeftButton);
    send_mouse(view, QEvent::MouseMove, {230, 170}, Qt::NoButton, Qt::LeftButton);
    EXPECT_EQ(form->drag_origin, QPoint(230, 170));
    const QImage after = shown(view);
    // What was at (x, y) is now at (x + 30, y + 20).
    EXPECT_EQ(after.copy(30, 20, 390, 300), before.copy(0, 0, 390, 300));
    EXPECT_NE(after, before);
    send_mouse(view, QEvent::MouseButtonRelease, {230, 170}, Qt::LeftButton, Qt::NoButton);
    EXPECT_FALSE(form->dragging);
    EXPECT_EQ(view.cursor().shape(), Qt::ArrowCursor);
    // Without the button the mouse pans nothing.
    send_mouse(view, QEvent::MouseMove, {100, 100}, Qt::NoButton, Qt::NoButton);
    EXPECT_EQ(shown(view), after);
    EXPECT_EQ(shown(*form->original_view), other_view);
}

TEST_F(WithLargePhoto, ARightPressDuringADragReleasesTheCaptureButNotTheDrag)
{
    TImgView32& view = *form->corrected_view;
    send_mouse(view, QEvent::MouseButtonPress, {200, 150}, Qt::LeftButton, Qt::LeftButton);
    send_mouse(view, QEvent::MouseButtonPress, {200, 150}, Qt::RightButton, Qt::LeftButton | Qt::RightButton);
    EXPECT_FALSE(view.has_capture());
    EXPECT_TRUE(form->dragging);
    // Outside the view the mouse is no longer the view's...
    const QImage before = shown(view);
    send_mouse(view, QEvent::MouseMove, {600, 150}, Qt::NoButton, Qt::LeftButton);
    EXPECT_EQ(shown(view), before);
    // ...over it the drag goes on.
    send_mouse(view, QEvent::MouseMove, {190, 150}, Qt::NoButton, Qt::LeftButton);
    send_mouse(view, QEvent::MouseMove, {180, 150}, Qt::NoButton, Qt::LeftButton);
    EXPECT_NE(shown(view), before);
}

// ---- Saving.

TEST_F(WithPhoto, SavingAddsTheExtensionAndShowsTheSavedName)
{
    const auto presses = count_presses(*form);
    save_dialog(*form).answers.push_back(folder.path("holiday"));
    click(*form->save_button);
    EXPECT_EQ(*presses, 1);
    const std::string written = folder.path("holiday.jpg");
    ASSERT_TRUE(std::filesystem::exists(written));
    Bitmap32 back;
    ASSERT_TRUE(load_photo(written, back));
    EXPECT_EQ(back.width(), 160);
    EXPECT_EQ(back.height(), 120);
    EXPECT_FALSE(std::filesystem::exists(folder.path("holiday")));
    EXPECT_EQ(form->status_label->caption(), "Saved holiday.jpg");
    // The same dialog offers the adjusted name next time.
    click(*form->save_button);
    EXPECT_EQ(save_dialog(*form).offered,
              (std::vector<std::string>{folder.path("photo_corrected.jpg"), written}));
    EXPECT_EQ(form->status_label->caption(), "Saved holiday.jpg");
}

TEST_F(WithPhoto, ASaveThatFailsReachesTheErrorReportAndTheProgramGoesOn)
{
    const std::string nowhere = folder.path("no such folder/photo.jpg");
    save_dialog(*form).answers.push_back(nowhere);
    click(*form->save_button);
    ASSERT_EQ(messages(*form).error_reports.size(), 1u);
    EXPECT_EQ(messages(*form).error_reports[0], "Cannot create file " + nowhere);
    EXPECT_EQ(form->status_label->caption(), "photo.jpg  1 / 1");
    EXPECT_EQ(override_cursor(), nullptr);
    EXPECT_EQ(form->save_button->pos(), QPoint(8, 80));
    EXPECT_TRUE(form->corrector.needs_save_prompt());
    // The window still works.
    click(*form->undo_button);
    EXPECT_TRUE(views_show_the_same(*form));
    save_dialog(*form).answers.push_back(folder.path("second try.jpg"));
    click(*form->save_button);
    EXPECT_EQ(form->status_label->caption(), "Saved second try.jpg");
    EXPECT_EQ(messages(*form).error_reports.size(), 1u);
}

// ---- Closing.

TEST(Closing, BeforeAnyPhotoAsksNothing)
{
    auto form = quick_form();
    form->show();
    click(*form->close_button);
    EXPECT_FALSE(form->isVisible());
    EXPECT_EQ(messages(*form).save_questions, 0);
}

TEST_F(WithPhoto, ExitAsksOnceAndNoClosesWithoutSaving)
{
    messages(*form).save_answers.push_back(SavePromptAnswer::No);
    click(*form->close_button);
    EXPECT_EQ(messages(*form).save_questions, 1);
    EXPECT_FALSE(form->isVisible());
    EXPECT_TRUE(save_dialog(*form).offered.empty());
}

TEST_F(WithPhoto, CancelKeepsTheWindowOpen)
{
    messages(*form).save_answers.push_back(SavePromptAnswer::Cancel);
    click(*form->top_close_key);
    EXPECT_TRUE(form->isVisible());
    EXPECT_EQ(messages(*form).save_questions, 1);
}

TEST_F(WithPhoto, YesSavesThenCloses)
{
    messages(*form).save_answers.push_back(SavePromptAnswer::Yes);
    save_dialog(*form).answers.push_back(folder.path("on exit"));
    const auto presses = count_presses(*form);
    click(*form->top_close_key);
    EXPECT_EQ(*presses, 1);  // the save button's, not the top bar key's
    EXPECT_TRUE(std::filesystem::exists(folder.path("on exit.jpg")));
    EXPECT_FALSE(form->isVisible());
    EXPECT_EQ(messages(*form).save_questions, 1);
}

// Yes asks to keep the work: whichever way the close is asked for, a save dialog
// cancelled (or its overwrite prompt) or a save that fails keeps the window open
// with the corrections, and the question comes again at the next close.
TEST_F(WithPhoto, YesWithoutASaveKeepsTheWindowOpenWhicheverWayItCloses)
{
    const std::string taken = folder.path("taken.jpg");
    std::ofstream(taken) << "someone else's";
    struct Way {
        const char* description;
        std::function<void()> close;
    };
    const Way ways[] = {
        {"EXIT", [&] { click(*form->close_button); }},
        {"top bar close key", [&] { click(*form->top_close_key); }},
        {"Ctrl+Q",
         [&] {
             QKeyEvent key(QEvent::KeyPress, Qt::Key_Q, Qt::ControlModifier);
             QApplication::sendEvent(form.get(), &key);
         }},
        {"window system", [&] { form->windowHandle()->close(); }},
    };
    click(*form->correction_button);
    Bitmap32 corrected;
    corrected.assign(&form->corrector.corrected_photo);
    int questions = 0;
    std::size_t reports = 0;
    for (const Way& way : ways) {
        SCOPED_TRACE(way.description);
        for (const std::optional<std::string>& answer :
             {std::optional<std::string>(), std::optional<std::string>(taken),
              std::optional<std::string>(folder.path("no such folder/x.jpg"))}) {
            messages(*form).save_answers.push_back(SavePromptAnswer::Yes);
            save_dialog(*form).answers.push_back(answer);
            way.close();
            EXPECT_EQ(messages(*form).save_questions, ++questions);
            EXPECT_TRUE(form->isVisible());
            EXPECT_TRUE(form->corrector.needs_save_prompt());
            EXPECT_TRUE(same_pixels(form->corrector.corrected_photo, corrected));
        }
        // Only the failed write is an error to report.
        EXPECT_EQ(messages(*form).error_reports.size(), ++reports);
    }
    std::string kept;
    std::getline(std::ifstream(taken), kept);
    EXPECT_EQ(kept, "someone else's");
    messages(*form).save_answers.push_back(SavePromptAnswer::No);
    click(*form->close_button);
    EXPECT_FALSE(form->isVisible());
}

TEST_F(WithPhoto, AfterASaveNothingIsAskedUntilAnotherOpen)
{
    save_dialog(*form).answers.push_back(folder.path("kept.jpg"));
    click(*form->save_button);
    messages(*form).save_answers.push_back(SavePromptAnswer::Cancel);
    open_through_button(*form, folder.path("photo.jpg"));
    click(*form->close_button);
    EXPECT_EQ(messages(*form).save_questions, 1);
    EXPECT_TRUE(form->isVisible());
    save_dialog(*form).answers.push_back(folder.path("kept again.jpg"));
    click(*form->save_button);
    click(*form->close_button);
    EXPECT_EQ(messages(*form).save_questions, 1);
    EXPECT_FALSE(form->isVisible());
}

TEST_F(WithPhoto, AWindowSystemCloseAsksTheSameQuestion)
{
    QWindow* window = form->windowHandle();
    ASSERT_NE(window, nullptr);
    messages(*form).save_answers = {SavePromptAnswer::Cancel, SavePromptAnswer::No};
    EXPECT_FALSE(window->close());
    EXPECT_TRUE(form->isVisible());
    EXPECT_EQ(messages(*form).save_questions, 1);
    EXPECT_TRUE(window->close());
    EXPECT_FALSE(form->isVisible());
    EXPECT_EQ(messages(*form).save_questions, 2);
}

TEST_F(WithPhoto, AWindowSystemCloseWithYesSavesFirst)
{
    messages(*form).save_answers.push_back(SavePromptAnswer::Yes);
    save_dialog(*form).answers.push_back(folder.path("closing"));
    form->close();
    EXPECT_TRUE(std::filesystem::exists(folder.path("closing.jpg")));
    EXPECT_FALSE(form->isVisible());
}

}  // namespace
