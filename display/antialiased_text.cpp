#include "display/antialiased_text.h"

#include <QFontMetrics>
#include <QImage>
#include <QPainter>
#include <algorithm>
#include <cmath>

#include "display/bitmap_qt.h"
#include "display/compositing.h"

namespace {

// The text's coverage at 1 / f of the scratch rendering, each pixel's alpha the
// average of its f x f block; rgb in every pixel.
void render_coverage(Bitmap32& coverage, const QFont& font, const QString& text, int f, std::uint32_t rgb)
{
    const QFontMetrics metrics(font);
    // Measured with a trailing space, then rounded up past the next whole block.
    const int width = (metrics.horizontalAdvance(text + QLatin1Char(' ')) / f + 1) * f;
    const int height = (metrics.height() / f + 1) * f;

    QImage scratch(width, height, QImage::Format_RGB32);
    scratch.fill(Qt::black);
    {
        QPainter painter(&scratch);
        painter.setFont(font);
        painter.setPen(Qt::white);
        painter.drawText(QPoint(0, metrics.ascent()), text);
    }

    coverage.set_size(width / f, height / f);
    const std::uint32_t block_area = static_cast<std::uint32_t>(f * f);
    for (int j = 0; j < coverage.height(); ++j) {
        std::uint32_t* out = coverage.scan_line(j);
        for (int i = 0; i < coverage.width(); ++i) out[i] = 0;
        for (int row = j * f; row < (j + 1) * f; ++row) {
            const auto* in = reinterpret_cast<const std::uint32_t*>(scratch.constScanLine(row));
            for (int i = 0; i < coverage.width(); ++i)
                for (int col = i * f; col < (i + 1) * f; ++col) out[i] += in[col] & 0xFFu;  // blue level
        }
        for (int i = 0; i < coverage.width(); ++i) out[i] = (out[i] / block_area) << 24 | rgb;
    }
}

// Whether the coverage, placed at (left, top), has no ink at or beyond (right, bottom).
bool ink_inside(const Bitmap32& coverage, int left, int top, int right, int bottom)
{
    for (int j = 0; j < coverage.height(); ++j) {
        const std::uint32_t* row = coverage.scan_line(j);
        for (int i = 0; i < coverage.width(); ++i)
            if ((row[i] >> 24) != 0 && (left + i >= right || top + j >= bottom)) return false;
    }
    return true;
}

}  // namespace

void draw_antialiased_text(Bitmap32& bitmap, int x, int y, const QString& text, int level,
                           std::uint32_t color, int pixels_per_inch, std::optional<TextLimit> limit)
{
    if (bitmap.is_empty()) return;
    const std::uint8_t alpha = static_cast<std::uint8_t>(color >> 24);
    const std::uint32_t rgb = color & 0x00FFFFFFu;
    const int f = 1 << std::clamp(level, 1, 4);
    if (pixels_per_inch <= 0) pixels_per_inch = screen_pixels_per_inch();
    const double ratio = bitmap.attributes.pixel_ratio > 0 ? bitmap.attributes.pixel_ratio : 1.0;
    // Where the text lands among the bitmap's own pixels.
    const int left = static_cast<int>(std::lround(x * ratio));
    const int top = static_cast<int>(std::lround(y * ratio));

    QFont font = to_qfont(bitmap.attributes.font, f, pixels_per_inch, ratio);
    Bitmap32 coverage;
    render_coverage(coverage, font, text, f, rgb);
    if (limit) {
        const int right = static_cast<int>(std::lround(limit->right * ratio));
        const int bottom = static_cast<int>(std::lround(limit->bottom * ratio));
        while (!ink_inside(coverage, left, top, right, bottom) && font.pixelSize() > f) {
            font.setPixelSize(font.pixelSize() - f);
            render_coverage(coverage, font, text, f, rgb);
        }
    }
    coverage.attributes.draw_mode = DrawMode::dmBlend;
    coverage.attributes.master_alpha = alpha;
    coverage.attributes.combine_mode = bitmap.attributes.combine_mode;

    draw_bitmap(bitmap, left, top, coverage);
    bitmap.changed();
}
