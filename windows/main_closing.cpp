// Closing the main window: the EXIT button, the top bar's close key and the
// window system's own close all ask the same save question.
#include <QCloseEvent>

#include "windows/main.h"
#include "windows/on_exit.h"

bool TForm1::may_close()
{
    if (!corrector.needs_save_prompt()) return true;
    switch (messages->ask_save_before_closing()) {
        case SavePromptAnswer::Cancel:
            return false;
        case SavePromptAnswer::Yes:
            // Closing goes on even when the save dialog is cancelled; a save that
            // fails leaves by its error, and the window stays open.
            save_buttonClick();
            return true;
        case SavePromptAnswer::No:
            return true;
    }
    return true;
}

void TForm1::close_main_window()
{
    if (!may_close()) return;
    // The question is answered: the close event that follows must not ask again.
    close_approved_ = true;
    const OnExit reset([this] { close_approved_ = false; });
    close();
}

void TForm1::close_buttonClick()
{
    press_control(*close_button);
    close_main_window();
}

void TForm1::up_closeClick()
{
    close_main_window();
}

void TForm1::closeEvent(QCloseEvent* event)
{
    bool approved = close_approved_;
    // Errors must not unwind through the window system's frames.
    if (!approved) guarded([&] { approved = may_close(); });
    if (approved)
        event->accept();
    else
        event->ignore();
}
