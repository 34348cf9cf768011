#pragma once

#include <QString>
#include <cstdint>
#include <optional>

#include "engine/bitmap32.h"

/// Where a caption's ink must end, in layout pixels of the bitmap it is drawn on:
/// left of column `right` and above row `bottom`.
struct TextLimit {
    int right;
    int bottom;
};

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
///
/// (x, y), the font and `limit` are in layout pixels: on a bitmap whose
/// pixel_ratio is above 1 the text is rendered at the bitmap's own, finer
/// resolution. With a `limit`, text whose ink would reach it is drawn one
/// bitmap pixel smaller at a time until it stays inside.
void draw_antialiased_text(Bitmap32& bitmap, int x, int y, const QString& text, int level,
                           std::uint32_t color, int pixels_per_inch = 0,
                           std::optional<TextLimit> limit = std::nullopt);
