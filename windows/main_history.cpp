// The main window's undo and redo of steps: the corrector restores a whole state, and the
// window renders it as after any other step.
#include "windows/main_window.h"

void MainWindow::undo_stepKey()
{
    corrector.undo_step();
    render_corrector();
}

void MainWindow::redo_stepKey()
{
    corrector.redo_step();
    render_corrector();
}
