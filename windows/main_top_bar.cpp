// The top bar: moving the window by dragging it, maximising it, and its close, minimise and maximise keys.
#include <QApplication>

#include "windows/main_window.h"

void MainWindow::top_barMouseDown(Qt::MouseButton button, Qt::KeyboardModifiers, int x, int y)
{
    if (button != Qt::LeftButton) return;
    const QPoint mouse = top_bar->mapToGlobal(QPoint(x, y));
    top_bar_drag_.press(mouse.x(), mouse.y(), pos().x(), pos().y());
}

void MainWindow::top_barMouseMove(Qt::MouseButtons buttons, Qt::KeyboardModifiers, int x, int y)
{
    if (!buttons.testFlag(Qt::LeftButton)) return;
    const QPoint mouse = top_bar->mapToGlobal(QPoint(x, y));
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

void MainWindow::top_barMouseUp(Qt::MouseButton button, Qt::KeyboardModifiers, int, int)
{
    if (button != Qt::LeftButton) return;
    top_bar_drag_.release();
}

void MainWindow::top_close_keyMouseEnter()
{
    top_close_key->set_bitmap(top_key_faces.Bitmaps[TopKeyFace::CloseHover].Bitmap);
}
void MainWindow::top_close_keyMouseLeave()
{
    top_close_key->set_bitmap(top_key_faces.Bitmaps[TopKeyFace::Close].Bitmap);
}
void MainWindow::top_minimise_keyMouseEnter()
{
    top_minimise_key->set_bitmap(top_key_faces.Bitmaps[TopKeyFace::MinimiseHover].Bitmap);
}
void MainWindow::top_minimise_keyMouseLeave()
{
    top_minimise_key->set_bitmap(top_key_faces.Bitmaps[TopKeyFace::Minimise].Bitmap);
}

void MainWindow::top_minimise_keyClick()
{
    // The whole program goes to the task bar, not just this window.
    for (QWidget* window : QApplication::topLevelWidgets())
        if (window->isVisible()) window->showMinimized();
}

void MainWindow::top_maximise_keyMouseEnter()
{
    top_maximise_key->set_bitmap(
        top_key_faces.Bitmaps[isMaximized() ? TopKeyFace::RestoreHover : TopKeyFace::MaximiseHover].Bitmap);
}
void MainWindow::top_maximise_keyMouseLeave()
{
    top_maximise_key->set_bitmap(
        top_key_faces.Bitmaps[isMaximized() ? TopKeyFace::Restore : TopKeyFace::Maximise].Bitmap);
}

void MainWindow::top_maximise_keyClick()
{
    top_bar_drag_.release();
    if (isMaximized())
        showNormal();
    else
        showMaximized();
}

void MainWindow::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    if (event->type() != QEvent::WindowStateChange) return;
    top_maximise_key->setAccessibleName(isMaximized() ? "Restore" : "Maximise");
    const bool under_mouse = top_maximise_key->underMouse();
    if (under_mouse)
        top_maximise_keyMouseEnter();
    else
        top_maximise_keyMouseLeave();
}
