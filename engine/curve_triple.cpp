#include "curve_triple.h"

#include "bitmap32.h"

void apply_curves(Bitmap32* destination, const Bitmap32* source, const CurveTriple& triple)
{
    if (source == nullptr) throw EBitmapError("The source is nil");
    if (destination == nullptr) throw EBitmapError("Destination is nil");

    destination->set_size(source->width(), source->height());

    const std::size_t n = source->pixel_count();
    const std::uint32_t* in = source->pixels();
    std::uint32_t* out = destination->pixels();
    const std::uint8_t* red = triple.red_table;
    const std::uint8_t* green = triple.green_table;
    const std::uint8_t* blue = triple.blue_table;
    // Each word is read before the word with the same index is written, so in place is safe.
    for (std::size_t k = 0; k < n; ++k) {
        const std::uint32_t s = in[k];
        out[k] = 0xFF000000u | (static_cast<std::uint32_t>(red[(s >> 16) & 0xFF]) << 16) |
                 (static_cast<std::uint32_t>(green[(s >> 8) & 0xFF]) << 8) | blue[s & 0xFF];
    }
    destination->changed();
}
