#pragma once

#include <QFont>
#include <QImage>
#include <QSize>

#include "engine/bitmap32.h"

// Bridges between the engine's plain Bitmap32 and Qt.

/// The resolution the desktop gives one logical pixel of the primary screen, the unit the windows
/// are laid out in: 96 whenever Qt scales the windows (a finer screen then shows as a device pixel
/// ratio above 1), the desktop's own setting (Xft.dpi) where scaling is switched off. 96 without a screen.
int screen_pixels_per_inch();

/// The font a new display-layer bitmap gets: the toolkit's default face at 8
/// points for a screen of `pixels_per_inch`, not bold, in the window-text colour.
BitmapFont default_bitmap_font(int pixels_per_inch = screen_pixels_per_inch());

/// Gives `bitmap` the attributes of a new display-layer bitmap: the default
/// font for the screen, opaque drawing, MasterAlpha 255, OuterColor 0.
void set_default_display_attributes(Bitmap32& bitmap);

/// The Qt font that draws `font` at `factor` times its point size on a surface
/// of `pixels_per_inch`, and `pixel_ratio` times that again in pixels (for a
/// bitmap finer than the layout). A face this machine lacks falls back to the
/// nearest sans-serif face.
QFont to_qfont(const BitmapFont& font, int factor, int pixels_per_inch, double pixel_ratio = 1.0);

/// The bitmap's size in layout pixels: its own size divided by its pixel_ratio, rounded.
QSize logical_size(const Bitmap32& bitmap);

/// A deep copy of the bitmap's pixels (ARGB32, alpha kept). Empty for an empty bitmap.
QImage to_qimage(const Bitmap32& bitmap);

/// Makes `bitmap` a copy of `image`'s pixels (converted to 32-bit ARGB),
/// notifying as assign does; attributes are kept.
void assign_image(Bitmap32& bitmap, const QImage& image);
