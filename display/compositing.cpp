#include "display/compositing.h"

#include <algorithm>

namespace {

inline std::uint32_t channel(std::uint32_t word, int shift)
{
    return (word >> shift) & 0xFFu;
}

// (value + 127) / 255 for value in 0..255 * 255, without a division.
inline std::uint32_t divide_by_255(std::uint32_t value)
{
    value += 128;
    return (value + (value >> 8)) >> 8;
}

}  // namespace

std::uint8_t scaled_alpha(std::uint8_t alpha, std::uint8_t master_alpha)
{
    return static_cast<std::uint8_t>(divide_by_255(static_cast<std::uint32_t>(alpha) * master_alpha));
}

std::uint32_t blend_pixel(std::uint32_t foreground, std::uint32_t background, std::uint8_t alpha,
                          CombineMode mode)
{
    if (alpha == 0) return background;
    const std::uint32_t a = alpha;
    if (mode == CombineMode::cmBlend || channel(background, 24) == 0xFF) {
        if (a == 0xFF) return (background & 0xFF000000u) | (foreground & 0x00FFFFFFu);
        std::uint32_t result = background & 0xFF000000u;
        for (int shift = 0; shift <= 16; shift += 8) {
            const std::uint32_t mixed =
                divide_by_255(channel(foreground, shift) * a + channel(background, shift) * (255 - a));
            result |= mixed << shift;
        }
        return result;
    }
    // Source-over with a translucent background: the background's colour counts
    // only as far as it is itself visible.
    const std::uint32_t background_weight = divide_by_255(channel(background, 24) * (255 - a));
    const std::uint32_t result_alpha = a + background_weight;
    std::uint32_t result = result_alpha << 24;
    for (int shift = 0; shift <= 16; shift += 8) {
        const std::uint32_t sum =
            channel(foreground, shift) * a + channel(background, shift) * background_weight;
        result |= ((sum + result_alpha / 2) / result_alpha) << shift;
    }
    return result;
}

std::uint32_t shown_pixel(std::uint32_t pixel, std::uint32_t background, const DisplayAttributes& attributes)
{
    if (attributes.draw_mode == DrawMode::dmOpaque) return pixel | 0xFF000000u;
    const std::uint8_t alpha = scaled_alpha(static_cast<std::uint8_t>(pixel >> 24), attributes.master_alpha);
    return blend_pixel(pixel, background | 0xFF000000u, alpha, attributes.combine_mode);
}

void draw_bitmap(Bitmap32& target, int x, int y, const Bitmap32& source)
{
    if (target.is_empty() || source.is_empty()) return;
    // Clip in 64 bits so that far-away positions cannot overflow.
    const long long first_x = std::max<long long>(0, x);
    const long long first_y = std::max<long long>(0, y);
    const long long end_x = std::min<long long>(target.width(), static_cast<long long>(x) + source.width());
    const long long end_y = std::min<long long>(target.height(), static_cast<long long>(y) + source.height());
    if (first_x >= end_x || first_y >= end_y) return;

    const DisplayAttributes& attributes = source.attributes;
    for (long long ty = first_y; ty < end_y; ++ty) {
        std::uint32_t* out = target.scan_line(static_cast<int>(ty));
        const std::uint32_t* in = source.scan_line(static_cast<int>(ty - y));
        for (long long tx = first_x; tx < end_x; ++tx) {
            const std::uint32_t s = in[tx - x];
            if (attributes.draw_mode == DrawMode::dmOpaque) {
                out[tx] = s;
            } else {
                const std::uint8_t alpha =
                    scaled_alpha(static_cast<std::uint8_t>(s >> 24), attributes.master_alpha);
                out[tx] = blend_pixel(s, out[tx], alpha, attributes.combine_mode);
            }
        }
    }
}
