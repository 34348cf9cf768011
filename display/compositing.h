#pragma once

#include <cstdint>

#include "engine/bitmap32.h"

// How the display attributes of a Bitmap32 combine its pixels with what lies
// beneath. Pixel words are 0xAARRGGBB.

/// Scales a pixel alpha by a master alpha, both 0..255, rounded.
std::uint8_t scaled_alpha(std::uint8_t alpha, std::uint8_t master_alpha);

/// Mixes `foreground` over `background` with weight `alpha` (0..255).
/// cmBlend treats the background as opaque: colour = fg * a + bg * (1 - a), the
/// background's alpha is kept. cmMerge also weighs in the background's own
/// alpha (source-over compositing), so it differs only on translucent targets.
std::uint32_t blend_pixel(std::uint32_t foreground, std::uint32_t background, std::uint8_t alpha,
                          CombineMode mode);

/// The colour a pixel of `source` shows on an opaque `background`: its own
/// colour (made opaque) in dmOpaque mode, else blended by its alpha scaled by
/// the bitmap's MasterAlpha. The result is always opaque.
std::uint32_t shown_pixel(std::uint32_t pixel, std::uint32_t background, const DisplayAttributes& attributes);

/// Draws `source` onto `target` with the source's top-left at (x, y), clipped
/// to the target, following the source's DrawMode, MasterAlpha and
/// CombineMode. Does not notify: the caller calls target.changed().
void draw_bitmap(Bitmap32& target, int x, int y, const Bitmap32& source);
