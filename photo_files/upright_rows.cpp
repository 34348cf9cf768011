#include "photo_files/upright_rows.h"

#include <cstring>

#include "engine/bitmap32.h"
#include "photo_files/exif_orientation.h"

void place_upright_rows(Bitmap32& upright, int orientation, const std::uint32_t* rows, std::size_t stride,
                        int first_row, int count, int width, int height)
{
    for (int i = 0; i < count; ++i) {
        const std::uint32_t* source = rows + i * stride;
        const int y = first_row + i;
        switch (orientation) {
            case 2: {  // mirrored left to right
                std::uint32_t* out = upright.scan_line(y);
                for (int x = 0; x < width; ++x) out[width - 1 - x] = source[x];
                break;
            }
            case 3: {  // half a turn
                std::uint32_t* out = upright.scan_line(height - 1 - y);
                for (int x = 0; x < width; ++x) out[width - 1 - x] = source[x];
                break;
            }
            case 4:  // mirrored top to bottom
                std::memcpy(upright.scan_line(height - 1 - y), source, width * sizeof(std::uint32_t));
                break;
            default:
                break;
        }
    }
    if (!orientation_swaps_axes(orientation)) return;
    // Quarter turns: stored row y becomes an upright column. Walking the batch's rows
    // innermost fills each upright row's words side by side instead of one per row.
    for (int x = 0; x < width; ++x) {
        // Stored column x becomes upright row x (5, 6) or width - 1 - x (7, 8); stored
        // row y becomes upright column y (5, 8) or height - 1 - y (6, 7).
        const int out_row = orientation == 5 || orientation == 6 ? x : width - 1 - x;
        std::uint32_t* out = upright.scan_line(out_row);
        if (orientation == 5 || orientation == 8) {
            for (int i = 0; i < count; ++i) out[first_row + i] = rows[i * stride + x];
        } else {
            for (int i = 0; i < count; ++i) out[height - 1 - (first_row + i)] = rows[i * stride + x];
        }
    }
}

UprightRows upright_rows_filled(int orientation, int height, int first_row, int count)
{
    if (count <= 0 || orientation_swaps_axes(orientation)) return {};
    // Upside down (3, 4), stored row y is upright row height - 1 - y.
    if (orientation == 3 || orientation == 4) return {height - first_row - count, height - first_row};
    return {first_row, first_row + count};
}
