#pragma once

#include <QWidget>

#include "engine/bitmap32.h"

// Small helpers shared by the program's windows.

/// Makes `bitmap` a copy of the skin picture `file` (for instance "top_bar.png")
/// compiled into the program, for a screen of `device_pixel_ratio`: up to 1 the
/// picture drawn 1:1; above 1 the one drawn at twice the size (2x/), smoothly
/// resized where the ratio is not 2, and the bitmap's pixel_ratio says so. The
/// bitmap's other display attributes are kept. Throws std::runtime_error when
/// the picture is missing, which only a broken build can cause.
void load_skin(Bitmap32& bitmap, const char* file, double device_pixel_ratio = 1.0);

/// The device pixel ratio of the screen `widget` is (or will be shown) on.
double screen_pixel_ratio(const QWidget& widget);

/// Places a top-level window so that its centre is the centre of its screen.
void centre_on_screen(QWidget& window);

/// Places the top-level `window` so that its centre is the centre of `over`.
void centre_on_window(QWidget& window, const QWidget& over);

/// Tells the window system's handle of the top-level `window` the position the window
/// was given, where the two differ. Under some window managers (Openbox) the handle keeps
/// a position the window never had, and a resize through it, or a dialog centred on it,
/// would go there.
void settle_window_position(QWidget& window);

/// settle_window_position for the window `dialog` is shown over, so that the
/// dialog is centred on where that window really is.
void settle_parent_position(QWidget& dialog);

/// Paints `window` and every control on it now, before the next event is
/// handled. Qt repaints only what it considers dirty, and a window entirely
/// covered by opaque controls is never dirty itself.
void repaint_now(QWidget& window);
