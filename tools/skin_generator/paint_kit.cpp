#include "tools/skin_generator/paint_kit.h"

#include <QFontDatabase>
#include <QLinearGradient>
#include <QRadialGradient>
#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <numbers>
#include <vector>

namespace skin {

namespace {

int clamp_level(double v)
{
    return std::clamp(int(std::lround(v)), 0, 255);
}

Fonts loaded_fonts;

}  // namespace

std::uint32_t seed_from(const char* name)
{
    // FNV-1a: cheap, stable across runs and platforms.
    std::uint32_t hash = 2166136261u;
    for (const char* c = name; *c; ++c) {
        hash ^= std::uint8_t(*c);
        hash *= 16777619u;
    }
    return hash;
}

QColor mix(const QColor& a, const QColor& b, double t)
{
    return QColor(clamp_level(a.red() + (b.red() - a.red()) * t),
                  clamp_level(a.green() + (b.green() - a.green()) * t),
                  clamp_level(a.blue() + (b.blue() - a.blue()) * t),
                  clamp_level(a.alpha() + (b.alpha() - a.alpha()) * t));
}

QColor grey(int level)
{
    return QColor(level, level, level);
}

QImage new_image(int width, int height, const QColor& fill_colour)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(fill_colour);
    return image;
}

QImage new_layer(int width, int height)
{
    QImage layer(width, height, QImage::Format_ARGB32_Premultiplied);
    layer.fill(Qt::transparent);
    return layer;
}

void begin(QPainter& painter, QImage& image)
{
    painter.begin(&image);
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, true);
}

void blend(QImage& image, int x, int y, const QColor& colour, double opacity)
{
    if (x < 0 || y < 0 || x >= image.width() || y >= image.height()) return;
    QRgb* line = reinterpret_cast<QRgb*>(image.scanLine(y));
    const QRgb old = line[x];
    const double a = std::clamp(opacity * colour.alphaF(), 0.0, 1.0);
    const int r = clamp_level(qRed(old) + (colour.red() - qRed(old)) * a);
    const int g = clamp_level(qGreen(old) + (colour.green() - qGreen(old)) * a);
    const int b = clamp_level(qBlue(old) + (colour.blue() - qBlue(old)) * a);
    line[x] = qRgba(r, g, b, qAlpha(old) + int(std::lround((255 - qAlpha(old)) * a)));
}

void fill(QImage& image, const QRect& rect, const QColor& colour)
{
    const QRect r = rect.intersected(image.rect());
    for (int y = r.top(); y <= r.bottom(); ++y) {
        QRgb* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = r.left(); x <= r.right(); ++x) line[x] = colour.rgba();
    }
}

void blend_rect(QImage& image, const QRect& rect, const QColor& colour, double opacity)
{
    for (int y = rect.top(); y <= rect.bottom(); ++y)
        for (int x = rect.left(); x <= rect.right(); ++x) blend(image, x, y, colour, opacity);
}

void brushed_metal(QImage& image, const QRect& rect, const QColor& top, const QColor& bottom,
                   std::uint32_t seed, double strength)
{
    Noise noise(seed);
    const int height = std::max(1, rect.height() - 1);
    constexpr int step = 40;
    const int points = rect.width() / step + 3;
    std::vector<double> wave(points);
    for (int y = rect.top(); y <= rect.bottom(); ++y) {
        const QColor base = mix(top, bottom, double(y - rect.top()) / height);
        const double row = noise.signed_unit() * 1.4 * strength;
        for (double& w : wave) w = noise.signed_unit() * 1.8 * strength;
        // A faint long streak on some rows: the grain that makes metal read as brushed.
        double streak_level = 0;
        int streak_start = 0, streak_length = 0;
        if (noise.unit() < 0.12) {
            streak_level = (noise.unit() < 0.6 ? 2.6 : -2.2) * strength;
            streak_length = 60 + int(noise.unit() * 260);
            streak_start = rect.left() - 40 + int(noise.unit() * (rect.width() + 40));
        }
        QRgb* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = rect.left(); x <= rect.right(); ++x) {
            const double along = double(x - rect.left()) / step;
            const int i = int(along);
            const double f = (1 - std::cos((along - i) * std::numbers::pi)) / 2;
            double value = row + wave[i] * (1 - f) + wave[i + 1] * f + noise.signed_unit() * 0.9 * strength;
            if (streak_length > 0 && x >= streak_start && x < streak_start + streak_length) {
                const double s = double(x - streak_start) / streak_length;
                value += streak_level * std::sin(s * std::numbers::pi);
            }
            line[x] = qRgb(clamp_level(base.red() + value), clamp_level(base.green() + value),
                           clamp_level(base.blue() + value));
        }
    }
}

void raised_edge(QImage& image, const QRect& rect, double light, double dark)
{
    const QColor white(255, 255, 255), black(0, 0, 0);
    for (int x = rect.left(); x < rect.right(); ++x) blend(image, x, rect.top(), white, light);
    for (int y = rect.top() + 1; y < rect.bottom(); ++y) blend(image, rect.left(), y, white, light);
    for (int x = rect.left(); x <= rect.right(); ++x) blend(image, x, rect.bottom(), black, dark);
    for (int y = rect.top(); y < rect.bottom(); ++y) blend(image, rect.right(), y, black, dark);
}

void sunken_edge(QImage& image, const QRect& rect, double light, double dark)
{
    const QColor white(255, 255, 255), black(0, 0, 0);
    for (int x = rect.left(); x < rect.right(); ++x) blend(image, x, rect.top(), black, dark);
    for (int y = rect.top() + 1; y < rect.bottom(); ++y) blend(image, rect.left(), y, black, dark);
    for (int x = rect.left(); x <= rect.right(); ++x) blend(image, x, rect.bottom(), white, light);
    for (int y = rect.top(); y < rect.bottom(); ++y) blend(image, rect.right(), y, white, light);
}

void groove(QImage& image, const QRect& rect)
{
    const QRect dark_ring = rect.adjusted(0, 0, -1, -1);
    const QRect light_ring = rect.adjusted(1, 1, 0, 0);
    const QColor white(255, 255, 255), black(0, 0, 0);
    auto ring = [&](const QRect& r, const QColor& c, double a) {
        for (int x = r.left(); x <= r.right(); ++x) {
            blend(image, x, r.top(), c, a);
            blend(image, x, r.bottom(), c, a);
        }
        for (int y = r.top() + 1; y < r.bottom(); ++y) {
            blend(image, r.left(), y, c, a);
            blend(image, r.right(), y, c, a);
        }
    };
    ring(light_ring, white, 0.7);
    ring(dark_ring, black, 0.38);
}

void bay(QImage& image, const QRect& rect, const QColor& floor)
{
    fill(image, rect, floor);
    sunken_edge(image, rect, 0.8, 0.42);
    sunken_edge(image, rect.adjusted(1, 1, -1, -1), 0.0, 0.16);
}

void screw(QPainter& painter, double cx, double cy, double radius, double slot_degrees)
{
    painter.save();
    painter.setPen(Qt::NoPen);
    // The countersink: shadowed on the upper left, lit on the lower right.
    QLinearGradient sink(cx - radius, cy - radius, cx + radius, cy + radius);
    sink.setColorAt(0, QColor(40, 40, 46, 170));
    sink.setColorAt(1, QColor(255, 255, 255, 200));
    painter.setBrush(sink);
    painter.drawEllipse(QPointF(cx, cy), radius + 1.2, radius + 1.2);
    QLinearGradient head(cx - radius, cy - radius, cx + radius, cy + radius);
    head.setColorAt(0, QColor(246, 247, 250));
    head.setColorAt(0.5, QColor(196, 198, 204));
    head.setColorAt(1, QColor(128, 130, 138));
    painter.setBrush(head);
    painter.drawEllipse(QPointF(cx, cy), radius, radius);
    const double a = slot_degrees * std::numbers::pi / 180.0;
    const QPointF d(std::cos(a) * radius * 0.78, std::sin(a) * radius * 0.78);
    QPen slot(QColor(58, 60, 68), std::max(1.2, radius * 0.34), Qt::SolidLine, Qt::RoundCap);
    painter.setPen(slot);
    painter.drawLine(QPointF(cx, cy) - d, QPointF(cx, cy) + d);
    QPen lip(QColor(255, 255, 255, 150), 0.8, Qt::SolidLine, Qt::RoundCap);
    painter.setPen(lip);
    const QPointF shift(0.45, 0.75);
    painter.drawLine(QPointF(cx, cy) - d * 0.85 + shift, QPointF(cx, cy) + d * 0.85 + shift);
    painter.restore();
}

void hazard_stripes(QImage& image, const QRect& rect, int stripe_width)
{
    const QColor yellow(237, 218, 10), black(34, 33, 36);
    constexpr int samples = 4;
    for (int y = rect.top(); y <= rect.bottom(); ++y) {
        const double t = double(y - rect.top()) / std::max(1, rect.height() - 1);
        for (int x = rect.left(); x <= rect.right(); ++x) {
            int yellow_hits = 0;
            for (int sy = 0; sy < samples; ++sy)
                for (int sx = 0; sx < samples; ++sx) {
                    const double u = x + (sx + 0.5) / samples + y + (sy + 0.5) / samples;
                    if (std::fmod(u, 2.0 * stripe_width) < stripe_width) ++yellow_hits;
                }
            QColor c = mix(black, yellow, double(yellow_hits) / (samples * samples));
            // Painted metal: a little brighter at the top, a little deeper at the bottom.
            c = mix(c, t < 0.5 ? QColor(255, 255, 255) : QColor(0, 0, 0), std::abs(t - 0.5) * 0.22);
            fill(image, QRect(x, y, 1, 1), c);
        }
    }
}

void gloss(QPainter& painter, const QRectF& rect, double radius, double top_opacity, double bottom_opacity)
{
    painter.save();
    QPainterPath shape;
    shape.addRoundedRect(rect, radius, radius);
    QLinearGradient g(rect.topLeft(), rect.bottomLeft());
    g.setColorAt(0, QColor(255, 255, 255, int(255 * top_opacity)));
    g.setColorAt(1, QColor(255, 255, 255, int(255 * bottom_opacity)));
    painter.setPen(Qt::NoPen);
    painter.setBrush(g);
    painter.drawPath(shape);
    painter.restore();
}

void logo_mark(QPainter& painter, const QPointF& centre, double radius, double lens)
{
    painter.save();
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(30, 32, 40));
    painter.drawEllipse(centre, radius, radius);
    const QColor sectors[3] = {QColor(222, 40, 32), QColor(46, 170, 60), QColor(40, 100, 215)};
    const QRectF box(centre.x() - radius + 1.5, centre.y() - radius + 1.5, 2 * radius - 3, 2 * radius - 3);
    for (int i = 0; i < 3; ++i) {
        QPainterPath wedge;
        wedge.moveTo(centre);
        wedge.arcTo(box, 90 + i * 120 + 2, 116);
        wedge.closeSubpath();
        QRadialGradient shade(centre - QPointF(radius * 0.4, radius * 0.4), radius * 1.6);
        shade.setColorAt(0, sectors[i].lighter(135));
        shade.setColorAt(1, sectors[i].darker(125));
        painter.setBrush(shade);
        painter.drawPath(wedge);
    }
    // The lens: a dark pupil with a white spark, as in a camera's glass.
    const double r = radius * lens / 0.48;  // the lens' sizes below are for the usual lens of 0.48
    painter.setBrush(QColor(22, 24, 30));
    painter.drawEllipse(centre, r * 0.48, r * 0.48);
    QRadialGradient glass(centre - QPointF(r * 0.15, r * 0.15), r * 0.45);
    glass.setColorAt(0, QColor(90, 120, 170));
    glass.setColorAt(1, QColor(20, 26, 40));
    painter.setBrush(glass);
    painter.drawEllipse(centre, r * 0.38, r * 0.38);
    painter.setBrush(QColor(255, 255, 255, 235));
    painter.drawEllipse(centre - QPointF(r * 0.14, r * 0.14), r * 0.11, r * 0.11);
    QPen rim(QColor(255, 255, 255, 90), 1.0);
    painter.setPen(rim);
    painter.setBrush(Qt::NoBrush);
    painter.drawEllipse(centre, radius - 0.5, radius - 0.5);
    painter.restore();
}

bool load_fonts(QString* error)
{
    static const char* const folder = "/usr/share/fonts/truetype/dejavu/";
    const char* files[] = {"DejaVuSans.ttf", "DejaVuSans-Bold.ttf", "DejaVuSansMono.ttf",
                           "DejaVuSansMono-Bold.ttf"};
    QString families[std::size(files)];
    for (std::size_t i = 0; i < std::size(files); ++i) {
        const QString path = QString(folder) + files[i];
        const int id = QFontDatabase::addApplicationFont(path);
        const QStringList names = id < 0 ? QStringList() : QFontDatabase::applicationFontFamilies(id);
        if (names.isEmpty()) {
            *error = "cannot load font " + path + " (install fonts-dejavu-core)";
            return false;
        }
        families[i] = names.first();
    }
    loaded_fonts = Fonts{families[0], families[2]};
    return true;
}

const Fonts& fonts()
{
    return loaded_fonts;
}

QFont font(const QString& family, double pixel_size, bool bold)
{
    QFont f(family);
    f.setPixelSize(int(std::lround(pixel_size)));
    f.setBold(bold);
    // Design outlines and design advances only, whatever the machine's hinting settings.
    f.setHintingPreference(QFont::PreferNoHinting);
    f.setStyleStrategy(QFont::StyleStrategy(QFont::ForceOutline | QFont::NoFontMerging));
    return f;
}

QPainterPath text_path(const QFont& f, const QString& text, const QPointF& baseline)
{
    QPainterPath path;
    path.addText(baseline, f, text);
    return path;
}

double text_width(const QFont& f, const QString& text)
{
    return text_path(f, text, QPointF(0, 0)).boundingRect().width();
}

void draw_text(QPainter& painter, const QFont& f, const QString& text, const QPointF& baseline,
               const QColor& colour)
{
    painter.save();
    painter.setPen(Qt::NoPen);
    painter.setBrush(colour);
    painter.drawPath(text_path(f, text, baseline));
    painter.restore();
}

void engraved_text(QPainter& painter, const QFont& f, const QString& text, const QPointF& baseline,
                   const QColor& ink, const QColor& lip)
{
    draw_text(painter, f, text, baseline + QPointF(0, 1), lip);
    draw_text(painter, f, text, baseline, ink);
}

namespace {

struct Glyph {
    char c;
    std::array<const char*, 5> rows;
};

const Glyph pixel_glyphs[] = {
    {'0', {"111", "101", "101", "101", "111"}}, {'1', {"01", "11", "01", "01", "01"}},
    {'2', {"111", "001", "111", "100", "111"}}, {'3', {"111", "001", "011", "001", "111"}},
    {'4', {"101", "101", "111", "001", "001"}}, {'5', {"111", "100", "111", "001", "111"}},
    {'6', {"111", "100", "111", "101", "111"}}, {'7', {"111", "001", "010", "010", "010"}},
    {'8', {"111", "101", "111", "101", "111"}}, {'9', {"111", "101", "111", "001", "111"}},
    {'-', {"00", "00", "11", "00", "00"}},      {'+', {"000", "010", "111", "010", "000"}},
};

const Glyph* glyph_for(QChar c)
{
    for (const Glyph& g : pixel_glyphs)
        if (g.c == c.toLatin1()) return &g;
    return nullptr;
}

}  // namespace

int pixel_digits_width(const QString& text)
{
    int width = 0;
    for (QChar c : text)
        if (const Glyph* g = glyph_for(c)) width += int(std::strlen(g->rows[0])) + 1;
    return std::max(0, width - 1);
}

void pixel_digits(QImage& image, int x, int y, const QString& text, const QColor& colour)
{
    for (QChar c : text) {
        const Glyph* g = glyph_for(c);
        if (!g) continue;
        const int w = int(std::strlen(g->rows[0]));
        for (int row = 0; row < 5; ++row)
            for (int col = 0; col < w; ++col)
                if (g->rows[row][col] == '1') blend(image, x + col, y + row, colour, 1.0);
        x += w + 1;
    }
}

void fade(QImage& layer, double lighten)
{
    layer = layer.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < layer.height(); ++y) {
        QRgb* line = reinterpret_cast<QRgb*>(layer.scanLine(y));
        for (int x = 0; x < layer.width(); ++x) {
            const QRgb p = line[x];
            const double lum = 0.3 * qRed(p) + 0.59 * qGreen(p) + 0.11 * qBlue(p);
            auto tone = [&](int channel) {
                const double desaturated = lum + (channel - lum) * 0.12;
                // Squeeze the contrast so the faded drawing reads as switched off.
                const double flat = 150 + (desaturated - 150) * 0.55;
                return clamp_level(flat + (255 - flat) * lighten);
            };
            line[x] = qRgba(tone(qRed(p)), tone(qGreen(p)), tone(qBlue(p)), qAlpha(p));
        }
    }
    layer = layer.convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

void compose(QImage& image, const QImage& layer, int x, int y)
{
    QPainter painter(&image);
    painter.drawImage(x, y, layer);
}

}  // namespace skin
