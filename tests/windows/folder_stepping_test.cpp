#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QKeyEvent>
#include <QTemporaryDir>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "batch/correct_photo.h"
#include "display/view_render.h"
#include "engine/bitmap32.h"
#include "photo_files/jpeg_photo.h"
#include "tests/support/file_bytes.h"
#include "tests/windows/windows_test_support.h"

namespace {

class FolderSteppingTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(folder_.isValid());
        form = quick_form();
        form->show();
    }

    std::string path(const std::string& name) const
    {
        return folder_.filePath(QString::fromStdString(name)).toStdString();
    }

    // Photos told apart by their tint, with detail a correction changes.
    std::string photo(const std::string& name, int tint, int width = 96, int height = 64)
    {
        Bitmap32 scene;
        scene.set_size(width, height);
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                scene.scan_line(y)[x] = 0xFF000000u | static_cast<std::uint32_t>(60 + x + tint) << 16 |
                                        static_cast<std::uint32_t>(70 + y) << 8 |
                                        static_cast<std::uint32_t>(50 + (x * y) % 40);
        write_photo(scene, path(name));
        return path(name);
    }

    void open(const std::string& at)
    {
        open_dialog(*form).answers.push_back(at);
        click(*form->open_button);
    }

    void press(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        QKeyEvent event(QEvent::KeyPress, key, modifiers);
        QApplication::sendEvent(form.get(), &event);
    }

    std::string status() const { return form->status_label->caption().toStdString(); }
    std::string shown() const { return form->corrector.shown_path(); }

    void wait_for_reads(int reads)
    {
        const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (form->folder_walk.read_ahead().reads_done() < reads &&
               std::chrono::steady_clock::now() < until)
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        ASSERT_GE(form->folder_walk.read_ahead().reads_done(), reads);
    }

    QTemporaryDir folder_;
    std::unique_ptr<MainWindow> form;
};

TEST_F(FolderSteppingTest, TheKeysStepInFileManagerOrderAndFollowTheFolder)
{
    photo("IMG_1.jpg", 0);
    const std::string second = photo("img_2.JPG", 10);
    photo("IMG_10.jpeg", 20);
    write_bytes(path("notes.txt"), {'x'});
    open(second);
    EXPECT_EQ(status(), "img_2.JPG  2 / 3");

    press(Qt::Key_Right);
    EXPECT_EQ(shown(), path("IMG_10.jpeg"));
    EXPECT_EQ(status(), "IMG_10.jpeg  3 / 3");
    press(Qt::Key_PageDown);
    EXPECT_EQ(shown(), path("IMG_10.jpeg")) << "no wrap-around";
    EXPECT_EQ(status(), "LAST PHOTO OF THE FOLDER");
    press(Qt::Key_Home);
    EXPECT_EQ(status(), "IMG_1.jpg  1 / 3");
    press(Qt::Key_Left);
    EXPECT_EQ(status(), "FIRST PHOTO OF THE FOLDER");
    press(Qt::Key_End);
    EXPECT_EQ(shown(), path("IMG_10.jpeg"));
    press(Qt::Key_PageUp);
    EXPECT_EQ(shown(), second);

    // Added, renamed and deleted while the program runs.
    photo("IMG_5.jpg", 30);
    press(Qt::Key_Right);
    EXPECT_EQ(status(), "IMG_5.jpg  3 / 4");
    ASSERT_EQ(std::rename(path("IMG_10.jpeg").c_str(), path("IMG_7.jpg").c_str()), 0);
    press(Qt::Key_Right);
    EXPECT_EQ(shown(), path("IMG_7.jpg"));
    ASSERT_EQ(std::remove(path("IMG_7.jpg").c_str()), 0);
    press(Qt::Key_Left);
    EXPECT_EQ(shown(), path("IMG_5.jpg")) << "from where the gone photo stood";
    EXPECT_EQ(messages(*form).load_failures, 0);
}

TEST_F(FolderSteppingTest, UnsavedCorrectionsAskTheSaveQuestionBeforeAStep)
{
    const std::string first = photo("a.jpg", 0);
    const std::string second = photo("b.jpg", 30);
    open(first);
    const auto correct = [&] { form->preset_buttonClick(ScenePreset::Backlight); };

    correct();
    messages(*form).save_answers = {SavePromptAnswer::Cancel};
    press(Qt::Key_Right);
    EXPECT_EQ(shown(), first) << "Cancel stays";

    messages(*form).save_answers = {SavePromptAnswer::Yes};
    press(Qt::Key_Right);
    EXPECT_EQ(shown(), first) << "Yes, then a cancelled save dialog, stays";
    EXPECT_FALSE(form->corrector.photo_saved);

    messages(*form).save_answers = {SavePromptAnswer::Yes};
    save_dialog(*form).answers = {path("kept.jpg")};
    press(Qt::Key_Right);
    EXPECT_EQ(shown(), second) << "Yes saves, then steps";
    EXPECT_TRUE(file_exists(path("kept.jpg")));

    press(Qt::Key_Left);
    EXPECT_EQ(shown(), first) << "nothing to save: no question";
    correct();
    messages(*form).save_answers = {SavePromptAnswer::No};
    press(Qt::Key_Right);
    EXPECT_EQ(shown(), second) << "No steps and forgets";
    EXPECT_EQ(messages(*form).save_questions, 4);
}

TEST_F(FolderSteppingTest, ABrokenPhotoSaysWhyOnTheStatusLineAndTheNextStepGoesPastIt)
{
    const std::string first = photo("a.jpg", 0);
    write_bytes(path("b.jpg"), {0xFF, 0xD8, 0xFF, 0xE0});
    const std::string third = photo("c.jpg", 40);
    open(first);
    Bitmap32 before;
    before.assign(&form->corrector.org_photo);

    press(Qt::Key_Right);
    EXPECT_EQ(messages(*form).load_failures, 0) << "no box per broken photo";
    EXPECT_EQ(status().rfind("b.jpg: ", 0), 0u) << status();
    EXPECT_EQ(shown(), first);
    EXPECT_TRUE(same_pixels(form->corrector.org_photo, before));
    press(Qt::Key_Right);
    EXPECT_EQ(shown(), third);
    EXPECT_EQ(status(), "c.jpg  3 / 3");

    // Opened from the dialog, a broken photo still gets its box.
    open(path("b.jpg"));
    EXPECT_EQ(messages(*form).load_failures, 1);
}

TEST_F(FolderSteppingTest, AStepToAPhotoReadAheadOrJustLeftDecodesNothing)
{
    const std::string first = photo("a.jpg", 0);
    const std::string second = photo("b.jpg", 30);
    const std::string third = photo("c.jpg", 60);
    open(first);
    wait_for_reads(1);

    // Spoil b.jpg's bytes behind the program's back, keeping its size and time: only a
    // decode on the step could notice.
    struct stat info {};
    ASSERT_EQ(::stat(second.c_str(), &info), 0);
    std::vector<std::uint8_t> spoilt = read_bytes(second);
    std::fill(spoilt.begin() + 2, spoilt.end(), 0);
    write_bytes(second, spoilt);
    const struct timespec times[2] = {info.st_atim, info.st_mtim};
    ASSERT_EQ(::utimensat(AT_FDCWD, second.c_str(), times, 0), 0);
    press(Qt::Key_Right);
    EXPECT_EQ(shown(), second);
    EXPECT_EQ(status(), "b.jpg  2 / 3");

    wait_for_reads(2);
    press(Qt::Key_Right);
    EXPECT_EQ(shown(), third);

    // Back to the photo just left: held, so b.jpg's spoilt file is not read again.
    press(Qt::Key_Left);
    EXPECT_EQ(shown(), second);
    EXPECT_EQ(messages(*form).load_failures, 0);
}

// The original view of a photo read ahead is drawn on the reading thread: the step shows it
// without resampling that view, and exactly as the view draws itself, for a photo of the same
// size and of another; a view placed otherwise by the step draws itself.
TEST_F(FolderSteppingTest, TheOriginalViewOfAPhotoReadAheadIsDrawnAheadAsTheViewDrawsIt)
{
    photo("b.jpg", 30, 900, 600);
    photo("c.jpg", 60, 500, 760);
    open(photo("a.jpg", 0, 900, 600));
    TImgView32& view = *form->original_view;
    const auto drawn_as_the_view_draws_itself = [&] {
        const QImage shown = view.grab().toImage().convertToFormat(QImage::Format_RGB32);
        const ViewGeometry placed = view.placement();
        std::vector<std::uint32_t> words(static_cast<std::size_t>(placed.view_width()) *
                                         placed.view_height());
        render_view(form->corrector.org_photo, placed, view.color().rgb() & 0x00FFFFFFu, words.data(),
                    placed.view_width());
        for (int y = 0; y < shown.height(); ++y)
            for (int x = 0; x < shown.width(); ++x)
                if (reinterpret_cast<const std::uint32_t*>(shown.constScanLine(y))[x] !=
                    words[static_cast<std::size_t>(y) * placed.view_width() + x])
                    return false;
        return shown.size() == QSize(placed.view_width(), placed.view_height());
    };
    for (const auto& [reads, next] : {std::pair{1, "b.jpg"}, std::pair{2, "c.jpg"}}) {
        wait_for_reads(reads);
        const long long resampled = view.render_count();
        const long long taken = view.pictures_taken();
        press(Qt::Key_Right);
        EXPECT_EQ(shown(), path(next));
        EXPECT_TRUE(drawn_as_the_view_draws_itself()) << next;
        EXPECT_EQ(view.render_count(), resampled) << next;
        EXPECT_EQ(view.pictures_taken(), taken + 1) << next;
    }
    // Back to b.jpg, with a.jpg read ahead; the window grows before the step.
    press(Qt::Key_Left);
    wait_for_reads(3);
    form->resize(form->width() + 200, form->height() + 100);
    const long long resampled = view.render_count();
    press(Qt::Key_Left);
    EXPECT_EQ(shown(), path("a.jpg"));
    EXPECT_TRUE(drawn_as_the_view_draws_itself());
    EXPECT_GT(view.render_count(), resampled);
}

TEST_F(FolderSteppingTest, SaveAndGoOnWritesWhatMalletWritesBesideTheOriginal)
{
    const std::string first = photo("a.jpg", 0);
    const std::string second = photo("b.jpg", 30);
    open(first);
    form->preset_buttonClick(ScenePreset::OutdoorsCloudy);
    form->corrector.lighten();

    press(Qt::Key_Return, Qt::ControlModifier);
    const std::string output = path("a_corrected.jpg");
    EXPECT_EQ(shown(), second) << "steps past the photo it wrote";
    EXPECT_EQ(status(), "Saved a_corrected.jpg -- b.jpg  3 / 3");

    // mallet correct --preset "outdoors cloudy" --lighter 1, into another folder.
    PhotoCorrector batch_corrector(nullptr, CorrectedPixels::on_save);
    const std::vector<ButtonPress> presses{{ButtonPress::Button::preset, ScenePreset::OutdoorsCloudy},
                                           {ButtonPress::Button::lighter, ScenePreset::Outdoors, 1}};
    const std::atomic<bool> stop{false};
    CorrectedPhoto batch = correct_photo(batch_corrector, PhotoJob{first, path("mallet/a_corrected.jpg"), {}},
                                         CorrectionSteps{presses, false}, stop);
    ASSERT_NE(batch.file, nullptr) << batch.outcome.reason;
    batch.file->commit();
    EXPECT_EQ(read_bytes(output), read_bytes(path("mallet/a_corrected.jpg")));

    // An existing output is replaced only after the overwrite question.
    write_bytes(path("b_corrected.jpg"), {'o', 'l', 'd'});
    save_dialog(*form).overwrite_answers = {OverwriteAnswer::No};
    press(Qt::Key_Enter, Qt::ControlModifier | Qt::KeypadModifier);
    EXPECT_EQ(read_bytes(path("b_corrected.jpg")), (std::vector<std::uint8_t>{'o', 'l', 'd'}));
    EXPECT_EQ(shown(), second);
    save_dialog(*form).overwrite_answers = {OverwriteAnswer::Yes};
    QMouseEvent down(QEvent::MouseButtonPress, QPointF(2, 2), form->save_button->mapToGlobal(QPointF(2, 2)),
                     Qt::LeftButton, Qt::LeftButton, Qt::ShiftModifier);
    QMouseEvent up(QEvent::MouseButtonRelease, QPointF(2, 2), form->save_button->mapToGlobal(QPointF(2, 2)),
                   Qt::LeftButton, Qt::NoButton, Qt::ShiftModifier);
    QApplication::sendEvent(form->save_button, &down);
    QApplication::sendEvent(form->save_button, &up);
    EXPECT_EQ(save_dialog(*form).overwrite_texts.size(), 2u);
    EXPECT_GT(read_bytes(path("b_corrected.jpg")).size(), 3u);
    EXPECT_EQ(save_dialog(*form).offered.size(), 0u) << "no save dialog";
    // The last photo of the folder: saved, and the status line says there is none after it.
    EXPECT_EQ(shown(), second);
    EXPECT_EQ(status(), "Saved b_corrected.jpg -- LAST PHOTO OF THE FOLDER");
}

}  // namespace

namespace {

TEST_F(FolderSteppingTest, ThePreviousAndNextKeysStepWithTheirFacesAndNameTheirKeys)
{
    const std::string first = photo("a.jpg", 0);
    const std::string second = photo("b.jpg", 30);
    open(first);
    const auto shows = [&](TImage32& key, int face) {
        return same_pixels(key.bitmap(), form->step_key_faces.Bitmaps[face].Bitmap);
    };
    for (int face = 1; face < StepKeyFace::Count; ++face)
        EXPECT_FALSE(same_pixels(form->step_key_faces.Bitmaps[face - 1].Bitmap,
                                 form->step_key_faces.Bitmaps[face].Bitmap));

    enter(*form->next_button);
    EXPECT_TRUE(shows(*form->next_button, StepKeyFace::NextHover));
    send_mouse(*form->next_button, QEvent::MouseButtonPress, {2, 2}, Qt::LeftButton, Qt::LeftButton);
    EXPECT_TRUE(shows(*form->next_button, StepKeyFace::NextPressed));
    send_mouse(*form->next_button, QEvent::MouseButtonRelease, {2, 2}, Qt::LeftButton, Qt::NoButton);
    EXPECT_EQ(shown(), second);
    leave(*form->next_button);
    EXPECT_TRUE(shows(*form->next_button, StepKeyFace::Next));

    click(*form->previous_button);
    EXPECT_EQ(shown(), first);
    EXPECT_TRUE(shows(*form->previous_button, StepKeyFace::Previous));
    EXPECT_NE(form->next_button->toolTip().indexOf("Right"), -1);
    EXPECT_NE(form->next_button->toolTip().indexOf("Page Down"), -1);
    EXPECT_NE(form->previous_button->toolTip().indexOf("Left"), -1);
    EXPECT_NE(form->previous_button->toolTip().indexOf("Page Up"), -1);
}

}  // namespace
