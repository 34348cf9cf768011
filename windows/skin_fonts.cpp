#include "windows/skin_fonts.h"

#include <QFontDatabase>
#include <QFontInfo>
#include <QFontMetrics>
#include <QImage>
#include <QPainter>
#include <QStandardPaths>
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>

namespace {

// "Terminal" heights used by the windows, and the bitmap strike of the X11
// "Fixed" family that is nearest to each: the layout's label boxes are spaced
// for 6-pixel-wide characters, which all three share.
struct TerminalStandIn {
    int design_height;
    const char* file;  // under fonts/X11/misc in the system data folders
    int pixel_size;
    QFont::Stretch stretch;
};

constexpr std::array<TerminalStandIn, 3> kTerminalStandIns{{
    {8, "fonts/X11/misc/6x9-ISO8859-1.pcf.gz", 9, QFont::Unstretched},
    {10, "fonts/X11/misc/6x10-ISO8859-1.pcf.gz", 10, QFont::Unstretched},
    {11, "fonts/X11/misc/6x12-ISO8859-1.pcf.gz", 12, QFont::SemiCondensed},
}};

bool bitmap_fonts_loaded = false;

const TerminalStandIn& nearest_stand_in(int pixel_height)
{
    const TerminalStandIn* best = &kTerminalStandIns.front();
    for (const TerminalStandIn& candidate : kTerminalStandIns)
        if (std::abs(candidate.design_height - pixel_height) < std::abs(best->design_height - pixel_height))
            best = &candidate;
    return *best;
}

}  // namespace

bool install_skin_fonts()
{
    // Fontconfig hides bitmap fonts on Debian, so they are handed to Qt by file.
    bool all_loaded = true;
    for (const TerminalStandIn& stand_in : kTerminalStandIns) {
        const QString path = QStandardPaths::locate(QStandardPaths::GenericDataLocation, stand_in.file);
        if (path.isEmpty() || QFontDatabase::addApplicationFont(path) < 0) all_loaded = false;
    }
    bitmap_fonts_loaded = all_loaded;
    QFont::insertSubstitution("Verdana", caption_face_stand_in());
    return all_loaded;
}

QFont terminal_font(int pixel_height)
{
    const TerminalStandIn& stand_in = nearest_stand_in(pixel_height);
    QFont font;
    if (bitmap_fonts_loaded) {
        font.setFamily("Fixed");
        font.setPixelSize(stand_in.pixel_size);
        font.setStretch(stand_in.stretch);
    } else {
        font.setFamilies({"Terminus (TTF)", "DejaVu Sans Mono"});
        font.setStyleHint(QFont::TypeWriter);
        font.setPixelSize(pixel_height);
    }
    font.setFixedPitch(true);
    // A bitmap face is never smoothed; an outline stand-in should not be either.
    font.setStyleStrategy(QFont::NoAntialias);
    return font;
}

namespace {

// The height of a capital "H" drawn with `font`, in rows of ink. Measured, because a bitmap
// face reports its whole cell as the capitals' height.
int capital_rows(const QFont& font)
{
    const QFontMetrics metrics(font);
    QImage scratch(metrics.horizontalAdvance(QLatin1Char('H')) + 2, metrics.height() + 2,
                   QImage::Format_RGB32);
    scratch.fill(Qt::black);
    {
        QPainter painter(&scratch);
        painter.setFont(font);
        painter.setPen(Qt::white);
        painter.drawText(QPoint(1, 1 + metrics.ascent()), QStringLiteral("H"));
    }
    int rows = 0;
    for (int y = 0; y < scratch.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(scratch.constScanLine(y));
        if (std::any_of(line, line + scratch.width(), [](QRgb pixel) { return qBlue(pixel) > 127; })) ++rows;
    }
    return rows;
}

}  // namespace

QFont fine_terminal_font(int pixel_height)
{
    const QFont layout = terminal_font(pixel_height);
    QFont fine;
    fine.setFamilies({"DejaVu Sans Mono", "Terminus (TTF)"});
    fine.setStyleHint(QFont::TypeWriter);
    fine.setFixedPitch(true);
    // Horizontal metrics as designed, so the stretch below lands on the cell width.
    fine.setHintingPreference(QFont::PreferVerticalHinting);
    // Measured large, then sized in points: on such screens a layout pixel is divided further.
    constexpr int kProbePixels = 100;
    fine.setPixelSize(kProbePixels);
    const int probe_capitals = capital_rows(fine);
    const int capitals = capital_rows(layout);
    const double pixels =
        probe_capitals > 0 ? double(kProbePixels) * capitals / probe_capitals : pixel_height;
    fine.setPointSizeF(pixels * 72.0 / 96.0);
    const double advance = QFontMetricsF(fine).horizontalAdvance(QLatin1Char('M'));
    const double cell = QFontMetricsF(layout).horizontalAdvance(QLatin1Char('M'));
    if (advance > 0)
        fine.setStretch(std::clamp(static_cast<int>(std::lround(100.0 * cell / advance)), 50, 200));
    return fine;
}

QString caption_face_stand_in()
{
    return "DejaVu Sans";
}
