// Panning the two photo views by dragging them. One `dragging` flag serves both views.
#include "windows/main.h"

void TForm1::view_mouse_down(TImgView32& view, Qt::MouseButton button, int x, int y)
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

void TForm1::view_mouse_move(TImgView32& view, int x, int y)
{
    if (!dragging) return;
    // The picture follows the mouse: moving right shows more of the left.
    view.scroll_by(static_cast<float>(drag_origin.x() - x), static_cast<float>(drag_origin.y() - y));
    drag_origin = QPoint(x, y);
    view.repaint();
}

void TForm1::view_mouse_up(TImgView32& view, Qt::MouseButton button)
{
    if (button != Qt::LeftButton) return;
    dragging = false;
    view.setCursor(Qt::ArrowCursor);
}

void TForm1::photo_orgMouseDown(Qt::MouseButton button, Qt::KeyboardModifiers, int x, int y)
{
    view_mouse_down(*photo_org, button, x, y);
}
void TForm1::photo_orgMouseMove(Qt::MouseButtons, Qt::KeyboardModifiers, int x, int y)
{
    view_mouse_move(*photo_org, x, y);
}
void TForm1::photo_orgMouseUp(Qt::MouseButton button, Qt::KeyboardModifiers, int, int)
{
    view_mouse_up(*photo_org, button);
}
void TForm1::photo_tnMouseDown(Qt::MouseButton button, Qt::KeyboardModifiers, int x, int y)
{
    view_mouse_down(*photo_tn, button, x, y);
}
void TForm1::photo_tnMouseMove(Qt::MouseButtons, Qt::KeyboardModifiers, int x, int y)
{
    view_mouse_move(*photo_tn, x, y);
}
void TForm1::photo_tnMouseUp(Qt::MouseButton button, Qt::KeyboardModifiers, int, int)
{
    view_mouse_up(*photo_tn, button);
}
