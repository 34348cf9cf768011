// The main window's strength: the slider let go, and the keys that move it in tens.
#include "windows/main_window.h"

void MainWindow::strength_chosen(int percent)
{
    corrector.set_strength(percent);
    render_corrector();
}

void MainWindow::strength_downKey()
{
    // From a value between the tens, the key goes to the ten below it, as a ruler's marks do.
    strength_chosen((corrector.strength - 1) / 10 * 10);
}

void MainWindow::strength_upKey()
{
    strength_chosen(corrector.strength / 10 * 10 + 10);
}
