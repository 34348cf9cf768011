#pragma once

#include <cstddef>
#include <cstdint>

#include "display/view_geometry.h"
#include "engine/bitmap32.h"

class RowPool;

/// Draws what a photo view shows into `target`, a buffer of
/// geometry.view_width() x geometry.view_height() words with `stride` words per
/// row: the photo placed by `geometry`, resampled with a box kernel, and
/// `background` (0x..RRGGBB) everywhere else. Every written word is opaque.
///
/// Reduction averages the photo pixels under each screen pixel's footprint,
/// enlargement repeats the nearest photo pixel, and scale 1 copies. Only the
/// photo pixels under the visible part are read, each at most once when
/// reducing. The photo's DrawMode and MasterAlpha say whether its alpha
/// blends it over the background. Footprints never reach beyond the photo's
/// edges, so its OuterColor never shows.
///
/// `geometry` must describe `photo`'s current size; a photo of another size
/// draws as background only.
void render_view(const Bitmap32& photo, const ViewGeometry& geometry, std::uint32_t background,
                 std::uint32_t* target, std::ptrdiff_t stride);

/// The same, with a reduced view's rows shared out by `pool` (the form above uses the
/// process's pool); the words written do not depend on the pool.
void render_view(const Bitmap32& photo, const ViewGeometry& geometry, std::uint32_t background,
                 std::uint32_t* target, std::ptrdiff_t stride, RowPool& pool);

/// Whether reduced views are drawn with AVX2 instructions: on x86-64 CPUs that have
/// them, unless TINTELO_RENDER_PATH=plain asks for the portable code (the same words).
/// Decided once per process.
bool render_with_avx2();
