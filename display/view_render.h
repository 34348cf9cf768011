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

/// The instruction sets a reduced view can be drawn with, slowest first. All give the same words.
enum class RenderPath {
    plain,   // the portable vector code; any CPU
    avx2,    // x86-64 with AVX2
    avx512,  // x86-64 with AVX-512 F, BW and VL
};

/// The fastest path this CPU runs, lowered by TINTELO_RENDER_PATH=plain|avx2|avx512 (a request
/// above what the CPU has is ignored). Decided once per process.
RenderPath render_path();

/// Overrides the choice for the rest of the process (benchmarks compare paths side by side);
/// a path the CPU lacks falls back to the fastest it has.
void set_render_path(RenderPath path);

/// The fastest path this CPU runs, whatever the environment says.
RenderPath fastest_render_path();

const char* render_path_name(RenderPath path);
