// Going through the shown photo's folder: next, previous, first and last photo, and
// saving beside the original before going on.

#include "batch/photo_jobs.h"
#include "photo_files/dialog_texts.h"
#include "photo_files/file_names.h"
#include "photo_files/load_outcome.h"
#include "windows/main_window.h"
#include "windows/on_exit.h"

void MainWindow::show_step_key_face(TImage32& control, int face)
{
    control.set_bitmap(step_key_faces.Bitmaps[face].Bitmap);
}

void MainWindow::wire_stepping()
{
    // Shift with a click on SAVE PHOTO saves beside the original and goes on.
    save_button->OnMouseDown = [this](Qt::MouseButton, Qt::KeyboardModifiers modifiers, int, int) {
        save_pressed_with_shift_ = modifiers.testFlag(Qt::ShiftModifier);
    };
    const struct {
        TImage32* key;
        int face;  // the plain face; hover and pressed follow it in the list
        void (MainWindow::*click)();
    } keys[] = {{previous_button, StepKeyFace::Previous, &MainWindow::previous_buttonClick},
                {next_button, StepKeyFace::Next, &MainWindow::next_buttonClick}};
    for (const auto& key : keys) {
        TImage32* control = key.key;
        const int face = key.face;
        control->OnMouseEnter = [this, control, face] { show_step_key_face(*control, face + 1); };
        control->OnMouseLeave = [this, control, face] { show_step_key_face(*control, face); };
        control->OnMouseDown = [this, control, face](Qt::MouseButton button, Qt::KeyboardModifiers, int,
                                                     int) {
            if (button == Qt::LeftButton) show_step_key_face(*control, face + 2);
        };
        control->OnMouseUp = [this, control, face](Qt::MouseButton, Qt::KeyboardModifiers, int, int) {
            show_step_key_face(*control, control->underMouse() ? face + 1 : face);
        };
        control->OnClick = [this, click = key.click] { guarded([this, click] { (this->*click)(); }); };
    }
}

void MainWindow::next_buttonClick()
{
    press_step_key(*next_button, StepKeyFace::Next, FolderStep::next);
}

void MainWindow::previous_buttonClick()
{
    press_step_key(*previous_button, StepKeyFace::Previous, FolderStep::previous);
}

void MainWindow::press_step_key(TImage32& key, int face, FolderStep step)
{
    // The key looks pressed while the step runs, and no longer: a step is meant to be instant.
    show_step_key_face(key, face + 2);
    key.repaint();
    const OnExit release([&] { show_step_key_face(key, key.underMouse() ? face + 1 : face); });
    step_photo(step);
}

void MainWindow::first_photo()
{
    step_photo(FolderStep::first);
}

void MainWindow::last_photo()
{
    step_photo(FolderStep::last);
}

bool MainWindow::may_leave_photo()
{
    if (!corrector.needs_save_prompt_before_step()) return true;
    switch (messages->ask_save_before_closing()) {
        case SavePromptAnswer::Cancel:
            return false;
        case SavePromptAnswer::Yes:
            // Only a save that happened lets the step go on; a cancelled save dialog keeps the photo.
            save_pressed_with_shift_ = false;
            save_buttonClick();
            return corrector.photo_saved;
        case SavePromptAnswer::No:
            return true;
    }
    return true;
}

void MainWindow::step_photo(FolderStep step)
{
    folder_walk.follow_shown_photo();
    if (!folder_walk.target(step)) {
        if (!corrector.photo_loaded) return;
        const bool forward = step == FolderStep::next || step == FolderStep::last;
        corrector.status_text = forward ? "LAST PHOTO OF THE FOLDER" : "FIRST PHOTO OF THE FOLDER";
        render_corrector();
        return;
    }
    if (!may_leave_photo()) return;
    go_to_photo(step);
}

void MainWindow::go_to_photo(FolderStep step)
{
    FolderWalk::Outcome outcome;
    {
        // A photo that does not open says so on the status line, not in a box per file.
        stepping_ = true;
        const OnExit done([this] { stepping_ = false; });
        outcome = folder_walk.step(step);
    }
    if (outcome == FolderWalk::Outcome::failed)
        corrector.status_text = folder_walk.position() + ": " + load_failure_text(corrector.load_outcome);
    render_corrector();
}

void MainWindow::save_and_go_on()
{
    if (!corrector.photo_loaded) return;
    const std::string original = corrector.shown_path();
    const std::string output =
        output_path_for(InputPhoto{original, file_name_part(original), {}}, OutputRule{});
    if (file_exists(output) &&
        save_dialogs->ask_overwrite(overwrite_prompt_text(output)) != OverwriteAnswer::Yes)
        return;
    press_control(*save_button);
    // A write that fails leaves here with its error, for the general error report, and stays.
    corrector.save_photo(output);
    const std::string saved = corrector.status_text;
    folder_walk.follow_shown_photo();
    // The file just written lies next to the original in the folder's order: go past it.
    if (folder_walk.target(FolderStep::next) == output) folder_walk.stand_at(output);
    if (!folder_walk.target(FolderStep::next)) {
        corrector.status_text = saved + " -- LAST PHOTO OF THE FOLDER";
        render_corrector();
        return;
    }
    go_to_photo(FolderStep::next);
    if (corrector.photo_loaded && corrector.shown_path() != original)
        corrector.status_text = saved + " -- " + corrector.status_text;
    render_corrector();
}

QString MainWindow::status_position_text() const
{
    // The position goes beside the name of the photo shown.
    const std::string& name = corrector.file_part;
    const std::string& status = corrector.status_text;
    if (corrector.photo_loaded && !name.empty() && status.size() >= name.size() &&
        status.compare(status.size() - name.size(), name.size(), name) == 0 &&
        folder_walk.position() == name) {
        const std::string position = folder_walk.position_text();
        if (!position.empty()) return "  " + QString::fromStdString(position);
    }
    return {};
}
