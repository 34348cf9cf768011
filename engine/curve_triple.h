#pragma once

#include <cstdint>

class Bitmap32;

/// Three tone curves; entry i of a table is the output level for input level i.
/// Stored red first, 768 bytes, so a triple can be written as one constant.
struct CurveTriple {
    std::uint8_t red_table[256];
    std::uint8_t green_table[256];
    std::uint8_t blue_table[256];
};
static_assert(sizeof(CurveTriple) == 768);

/// The triple that gives, per channel, `second` applied to the result of `first`.
CurveTriple compose_curves(const CurveTriple& first, const CurveTriple& second);

/// Writes `source` with `triple` applied to every pixel into `destination`
/// (which may be `source`), alpha forced to 0xFF, then notifies one change.
/// Throws EBitmapError "The source is nil" / "Destination is nil" before touching anything.
void apply_curves(Bitmap32* destination, const Bitmap32* source, const CurveTriple& triple);
