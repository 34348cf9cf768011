#include "display/antialiased_text.h"

#include <QFontMetrics>
#include <QImage>
#include <QPainter>
#include <algorithm>

#include "display/bitmap_qt.h"
#include "display/compositing.h"

void draw_antialiased_text(Bitmap32& bitmap, int x, int y, const QString& text, int level,
                           std::uint32_t color, int pixels_per_inch)
{
    if (bitmap.is_empty()) return;
    const std::uint8_t alpha = static_cast<std::uint8_t>(color >> 24);
    const std::uint32_t rgb = color & 0x00FFFFFFu;
    const int f = 1 << std::clamp(level, 1, 4);
    if (pixels_per_inch <= 0) pixels_per_inch = screen_pixels_per_inch();

    const QFont font = to_qfont(bitmap.attributes.font, f, pixels_per_inch);
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

    Bitmap32 coverage;
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
    coverage.attributes.draw_mode = DrawMode::dmBlend;
    coverage.attributes.master_alpha = alpha;
    coverage.attributes.combine_mode = bitmap.attributes.combine_mode;

    draw_bitmap(bitmap, x, y, coverage);
    bitmap.changed();
}
