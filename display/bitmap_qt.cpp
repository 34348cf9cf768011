#include "display/bitmap_qt.h"

#include <QApplication>
#include <QFontMetricsF>
#include <QPalette>
#include <QScreen>
#include <algorithm>
#include <cmath>
#include <cstring>

int screen_pixels_per_inch()
{
    if (qGuiApp == nullptr) return 96;
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (screen == nullptr) return 96;
    const double ppi = screen->logicalDotsPerInchY();
    return ppi >= 1.0 ? static_cast<int>(std::lround(ppi)) : 96;
}

BitmapFont default_bitmap_font(int pixels_per_inch)
{
    BitmapFont font;
    font.pixels_per_inch = pixels_per_inch > 0 ? pixels_per_inch : 96;
    font.set_size(8);
    font.bold = false;
    if (qGuiApp != nullptr) {
        const QColor window_text = QGuiApplication::palette().color(QPalette::WindowText);
        font.color = 0xFF000000u | (window_text.rgb() & 0x00FFFFFFu);
    }
    return font;
}

void set_default_display_attributes(Bitmap32& bitmap)
{
    bitmap.attributes = DisplayAttributes{};
    bitmap.attributes.font = default_bitmap_font();
}

QFont to_qfont(const BitmapFont& font, int factor, int pixels_per_inch, double pixel_ratio)
{
    QFont result(font.face_name.empty() ? QGuiApplication::font().family()
                                        : QString::fromStdString(font.face_name));
    result.setStyleHint(QFont::SansSerif);
    result.setBold(font.bold);
    int points = font.size();
    if (points == 0) points = 8;  // a zero size means the toolkit's default, as for system fonts
    // Pixel height of factor x points at this resolution, halves away from zero.
    const double em = std::abs(points) * static_cast<double>(factor) * pixels_per_inch * pixel_ratio / 72.0;
    int pixels = std::max(1, static_cast<int>(std::lround(em)));
    if (points < 0) {
        // A positive stored height is the whole character cell (ascent plus
        // descent), not the em size Qt asks for: scale it down accordingly.
        result.setPixelSize(pixels);
        const QFontMetricsF metrics(result);
        if (metrics.height() > 0)
            pixels = std::max(1, static_cast<int>(std::lround(pixels * pixels / metrics.height())));
    }
    result.setPixelSize(pixels);
    return result;
}

QSize logical_size(const Bitmap32& bitmap)
{
    const double ratio = bitmap.attributes.pixel_ratio > 0 ? bitmap.attributes.pixel_ratio : 1.0;
    return {static_cast<int>(std::lround(bitmap.width() / ratio)),
            static_cast<int>(std::lround(bitmap.height() / ratio))};
}

QImage to_qimage(const Bitmap32& bitmap)
{
    if (bitmap.is_empty()) return {};
    QImage image(bitmap.width(), bitmap.height(), QImage::Format_ARGB32);
    // ARGB32 words are 0xAARRGGBB in native order, exactly like Bitmap32's.
    for (int y = 0; y < bitmap.height(); ++y)
        std::memcpy(image.scanLine(y), bitmap.scan_line(y), static_cast<std::size_t>(bitmap.width()) * 4);
    return image;
}

void assign_image(Bitmap32& bitmap, const QImage& image)
{
    const QImage source = image.convertToFormat(QImage::Format_ARGB32);
    bitmap.begin_update();
    try {
        bitmap.set_size(source.width(), source.height());
    } catch (...) {
        bitmap.end_update();
        bitmap.changed();
        throw;
    }
    for (int y = 0; y < bitmap.height(); ++y)
        std::memcpy(bitmap.scan_line(y), source.constScanLine(y),
                    static_cast<std::size_t>(bitmap.width()) * 4);
    bitmap.end_update();
    bitmap.changed();
}
