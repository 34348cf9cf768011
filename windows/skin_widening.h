#pragma once

// Widening a skin picture between its fixed ends, on plain rows of 32-bit pixels, so the
// window and the skin generator's previews widen pictures alike.

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "engine/bitmap32.h"
#include "windows/main_layout.h"

namespace skin_widening {

/// Where each of the `target_width` columns comes from, outside the band: the source with
/// the grown columns (`at`, -1 unused; two share the change) repeated.
inline std::vector<int> source_columns(int source_width, int target_width, const int (&at)[2])
{
    std::vector<int> columns;
    columns.reserve(static_cast<std::size_t>(std::max(target_width, 0)));
    const int change = target_width - source_width;
    const int repeats[2] = {at[1] >= 0 ? change / 2 : change, at[1] >= 0 ? change - change / 2 : 0};
    for (int x = 0; x < source_width; ++x) {
        for (int i = 0; i < 2; ++i)
            if (at[i] == x)
                for (int n = 0; n < repeats[i]; ++n) columns.push_back(x);
        columns.push_back(x);
    }
    columns.resize(static_cast<std::size_t>(std::max(target_width, 0)));
    return columns;
}

/// `row(y)` of the source and `target_row(y)` of the target, `height` rows each; `scale` is
/// the picture's pixels per layout pixel.
template <typename SourceRow, typename TargetRow>
void widen_rows(SourceRow row, int width, int height, TargetRow target_row, int target_width,
                const main_layout::Widening& widening, double scale)
{
    const auto device = [scale](int layout) { return static_cast<int>(std::lround(layout * scale)); };
    int at[2] = {-1, -1};
    const int wanted[2] = {widening.column, widening.second_column};
    for (int i = 0; i < 2; ++i)
        if (wanted[i] >= 0) at[i] = std::clamp(device(wanted[i]), 0, std::max(width - 1, 0));
    if (target_width <= width || at[0] < 0) at[0] = at[1] = -1;
    const std::vector<int> columns = source_columns(width, target_width, at);
    const int band_rows = std::min(device(widening.band_rows), height);
    const int period = std::max(device(widening.band_period), 1);
    const int band_end = target_width - device(widening.band_end);
    for (int y = 0; y < height; ++y) {
        const std::uint32_t* from = row(y);
        std::uint32_t* to = target_row(y);
        const bool in_band = y < band_rows && at[0] >= 0;
        for (int x = 0; x < target_width; ++x) {
            int column = columns[static_cast<std::size_t>(x)];
            if (in_band && x >= at[0] && x < band_end)
                column = std::min(at[0] + (x - at[0]) % period, width - 1);
            to[x] = from[column];
        }
    }
}

}  // namespace skin_widening

/// Makes `target` the skin picture `source` grown to `target_width` of its own
/// pixels as `widening` says; `scale` is the picture's pixels per layout pixel.
/// The ends stay as drawn; a target no wider than the source is a plain copy of
/// its left part.
inline void widen_skin_picture(const Bitmap32& source, Bitmap32& target, int target_width,
                               const main_layout::Widening& widening, double scale)
{
    target.set_size(target_width, source.height());
    target.attributes = source.attributes;
    skin_widening::widen_rows([&source](int y) { return source.scan_line(y); }, source.width(),
                              source.height(), [&target](int y) { return target.scan_line(y); }, target_width,
                              widening, scale);
    target.changed();
}
