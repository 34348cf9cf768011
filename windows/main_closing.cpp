// Closing the main window: the EXIT button, the top bar's close key and the
// window system's own close all ask the same save question.
#include <QCloseEvent>

#include "windows/main_window.h"
#include "windows/on_exit.h"

bool MainWindow::may_close()
{
    if (!corrector.needs_save_prompt()) return true;
    switch (messages->ask_save_before_closing()) {
        case SavePromptAnswer::Cancel:
            return false;
        case SavePromptAnswer::Yes:
            // The user asked to keep the work: only a save that happened lets the
            // window close. A cancelled save dialog cancels the close, and a save
            // that fails leaves by its error with the window open.
            save_buttonClick();
            return corrector.photo_saved;
        case SavePromptAnswer::No:
            return true;
    }
    return true;
}

void MainWindow::close_main_window()
{
    if (!may_close()) return;
    // The question is answered: the close event that follows must not ask again.
    close_approved_ = true;
    const OnExit reset([this] { close_approved_ = false; });
    close();
}

void MainWindow::close_buttonClick()
{
    press_control(*close_button);
    close_main_window();
}

void MainWindow::top_close_keyClick()
{
    close_main_window();
}

void MainWindow::closeEvent(QCloseEvent* event)
{
    bool approved = close_approved_;
    // Errors must not unwind through the window system's frames.
    if (!approved) guarded([&] { approved = may_close(); });
    if (approved)
        event->accept();
    else
        event->ignore();
}
