#include "bitmap24.h"

#include "bitmap32.h"

Bitmap24::Bitmap24(int width, int height)
    : width_(width > 0 ? width : 0),
      height_(height > 0 ? height : 0),
      bytes_(static_cast<std::size_t>(width_) * static_cast<std::size_t>(height_) * 3)
{
}

Bitmap24 copy_to_bitmap24(const Bitmap32& source)
{
    Bitmap24 result(source.width(), source.height());
    if (source.is_empty()) return result;
    for (int y = 0; y < source.height(); ++y) {
        const std::uint32_t* in = source.scan_line(y);
        std::uint8_t* out = result.scan_line(y);
        for (int x = 0; x < source.width(); ++x) {
            const std::uint32_t s = in[x];
            out[0] = static_cast<std::uint8_t>(s);
            out[1] = static_cast<std::uint8_t>(s >> 8);
            out[2] = static_cast<std::uint8_t>(s >> 16);
            out += 3;
        }
    }
    return result;
}
