#pragma once

// Where the rows a decoder delivers in stored order land in the upright photo, for
// each EXIF orientation (1 to 8; photo_files/exif_orientation.h).

#include <cstddef>
#include <cstdint>

class Bitmap32;

/// Writes `count` stored rows, stored rows first_row onwards of a stored photo of
/// `width` x `height` pixels, to their places in `upright`, which has the upright
/// size (height x width for the quarter turns 5 to 8). Row i of the batch is the
/// `width` words at rows + i * stride. Orientation 1 writes nothing: the decoder then
/// fills the upright rows directly.
void place_upright_rows(Bitmap32& upright, int orientation, const std::uint32_t* rows, std::size_t stride,
                        int first_row, int count, int width, int height);

/// Upright rows [first, end).
struct UprightRows {
    int first = 0;
    int end = 0;
    bool empty() const { return first >= end; }
};

/// The upright rows that stored rows first_row .. first_row + count - 1 of a photo
/// `height` rows high fill completely. Empty for the quarter turns, where every
/// stored row fills one upright column: no upright row is complete before the last
/// stored row is in.
UprightRows upright_rows_filled(int orientation, int height, int first_row, int count);
