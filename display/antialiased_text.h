#pragma once

#include <QString>
#include <cstdint>

#include "engine/bitmap32.h"

/// Draws `text` onto `bitmap` with the bitmap's font so that the top-left of
/// the text box lands at (x, y); `color` is 0xAARRGGBB. The text is rendered
/// white on black at 2^level times the font's point size, and each 2^level x
/// 2^level block of that rendering gives the coverage of one bitmap pixel,
/// which mixes `color` into the pixel (scaled by the colour's own alpha) with
/// the bitmap's CombineMode. Anything beyond the bitmap's edges is clipped.
/// `level` is clamped to 1..4. The font's point size is read as the font
/// reports it (its pixel height at its own pixels-per-inch) and drawn at
/// `pixels_per_inch`, the screen's resolution unless given. An empty bitmap is
/// left alone; otherwise the bitmap notifies one change. The caller repaints
/// the control that shows it.
void draw_antialiased_text(Bitmap32& bitmap, int x, int y, const QString& text, int level,
                           std::uint32_t color, int pixels_per_inch = 0);
