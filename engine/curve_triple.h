#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "engine/curve_path.h"

class Bitmap32;

/// Three tone curves; entry i of a table is the output level for input level i.
/// Stored red first, 768 bytes, so a triple can be written as one constant.
struct CurveTriple {
    std::uint8_t red_table[256];
    std::uint8_t green_table[256];
    std::uint8_t blue_table[256];
    bool operator==(const CurveTriple&) const = default;
};
static_assert(sizeof(CurveTriple) == 768);

/// The triple that gives, per channel, `second` applied to the result of `first`.
CurveTriple compose_curves(const CurveTriple& first, const CurveTriple& second);

/// Writes `source` with `triple` applied to every pixel into `destination`
/// (which may be `source`), alpha forced to 0xFF, then notifies one change.
/// Throws EBitmapError "The source is nil" / "Destination is nil" before touching anything.
void apply_curves(Bitmap32* destination, const Bitmap32* source, const CurveTriple& triple);

/// `triple` made ready to apply to runs of words on the path this process runs
/// (curve_path()). Whatever it needs is built once here for about `pixels` words to
/// come, and only read afterwards, so several threads may apply one lookup at once.
class CurveLookup {
public:
    CurveLookup(const CurveTriple& triple, std::size_t pixels);
    /// Writes the `n` words of `in` with the curves applied, alpha 0xFF, to `out`
    /// (which may be `in`): the words apply_curves writes.
    void apply(const std::uint32_t* in, std::uint32_t* out, std::size_t n) const;

private:
    CurveTriple triple_;
    CurvePath path_;
    std::uint32_t red_[256] = {};
    std::vector<std::uint16_t> green_blue_;  // pair tables; empty on the other paths
};
