// Panning the two photo views by dragging them. One `dragging` flag serves both views.
#include "windows/main_window.h"

void MainWindow::view_mouse_down(TImgView32& view, Qt::MouseButton button, int x, int y)
{
    if (button != Qt::LeftButton) {
        // Only the capture goes: a drag under way goes on while the mouse is over the view.
        view.release_capture();
        return;
    }
    drag_origin = QPoint(x, y);
    dragging = true;
    view.setCursor(Qt::SizeAllCursor);
}

void MainWindow::view_mouse_move(TImgView32& view, int x, int y)
{
    if (!dragging) return;
    // The picture follows the mouse: moving right shows more of the left.
    view.scroll_by(static_cast<float>(drag_origin.x() - x), static_cast<float>(drag_origin.y() - y));
    drag_origin = QPoint(x, y);
    view.repaint();
}

void MainWindow::view_mouse_up(TImgView32& view, Qt::MouseButton button)
{
    if (button != Qt::LeftButton) return;
    dragging = false;
    view.setCursor(Qt::ArrowCursor);
}

void MainWindow::original_viewMouseDown(Qt::MouseButton button, Qt::KeyboardModifiers, int x, int y)
{
    view_mouse_down(*original_view, button, x, y);
}
void MainWindow::original_viewMouseMove(Qt::MouseButtons, Qt::KeyboardModifiers, int x, int y)
{
    view_mouse_move(*original_view, x, y);
}
void MainWindow::original_viewMouseUp(Qt::MouseButton button, Qt::KeyboardModifiers, int, int)
{
    view_mouse_up(*original_view, button);
}
void MainWindow::corrected_viewMouseDown(Qt::MouseButton button, Qt::KeyboardModifiers, int x, int y)
{
    if (button == Qt::MiddleButton) show_original_in_place(true);
    view_mouse_down(*corrected_view, button, x, y);
}
void MainWindow::corrected_viewMouseMove(Qt::MouseButtons, Qt::KeyboardModifiers, int x, int y)
{
    view_mouse_move(*corrected_view, x, y);
}
void MainWindow::corrected_viewMouseUp(Qt::MouseButton button, Qt::KeyboardModifiers, int, int)
{
    if (button == Qt::MiddleButton) show_original_in_place(false);
    view_mouse_up(*corrected_view, button);
}
