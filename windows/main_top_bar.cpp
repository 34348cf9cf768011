// The top bar: moving the window by dragging it, and its close and minimise keys.
#include <QApplication>

#include "windows/main.h"

void TForm1::Image3213MouseDown(Qt::MouseButton button, Qt::KeyboardModifiers, int x, int y)
{
    if (button != Qt::LeftButton) return;
    const QPoint mouse = Image3213->mapToGlobal(QPoint(x, y));
    top_bar_drag_.press(mouse.x(), mouse.y(), pos().x(), pos().y());
}

void TForm1::Image3213MouseMove(Qt::MouseButtons buttons, Qt::KeyboardModifiers, int x, int y)
{
    if (!buttons.testFlag(Qt::LeftButton)) return;
    const QPoint mouse = Image3213->mapToGlobal(QPoint(x, y));
    const WindowDrag::Step step = top_bar_drag_.move(mouse.x(), mouse.y());
    switch (step.action) {
        case WindowDrag::Action::StartSystemMove:
            // The window system's move loop takes the pointer over from here on.
            if (!start_window_move()) top_bar_drag_.follow_mouse();
            break;
        case WindowDrag::Action::MoveWindow:
            move(step.window_x, step.window_y);
            break;
        case WindowDrag::Action::None:
            break;
    }
}

void TForm1::Image3213MouseUp(Qt::MouseButton button, Qt::KeyboardModifiers, int, int)
{
    if (button != Qt::LeftButton) return;
    top_bar_drag_.release();
}

void TForm1::up_closeMouseEnter()
{
    up_close->set_bitmap(ylanapit.Bitmaps[YlanapitFace::CloseHover].Bitmap);
}
void TForm1::up_closeMouseLeave()
{
    up_close->set_bitmap(ylanapit.Bitmaps[YlanapitFace::Close].Bitmap);
}
void TForm1::up_minMouseEnter()
{
    up_min->set_bitmap(ylanapit.Bitmaps[YlanapitFace::MinimiseHover].Bitmap);
}
void TForm1::up_minMouseLeave()
{
    up_min->set_bitmap(ylanapit.Bitmaps[YlanapitFace::Minimise].Bitmap);
}

void TForm1::up_minClick()
{
    // The whole program goes to the task bar, not just this window.
    for (QWidget* window : QApplication::topLevelWidgets())
        if (window->isVisible()) window->showMinimized();
}
