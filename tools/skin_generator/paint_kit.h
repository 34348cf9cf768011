// Shared drawing helpers for the skin: metal, bevels, gloss, screws, stripes and text.
// Everything is deterministic: noise comes from our own seeded generator and text is
// drawn as outlines from fonts loaded by file, so the output never depends on the
// machine's font configuration.
#pragma once

#include <QColor>
#include <QFont>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QRect>
#include <QString>
#include <cstdint>

namespace skin {

// Small xorshift generator; the same seed always gives the same sequence.
class Noise {
public:
    explicit Noise(std::uint32_t seed) : state_(seed ? seed : 0x9e3779b9u) {}
    std::uint32_t next()
    {
        state_ ^= state_ << 13;
        state_ ^= state_ >> 17;
        state_ ^= state_ << 5;
        return state_;
    }
    // Uniform in [-1, 1].
    double signed_unit() { return (next() & 0xffffff) / double(0x7fffff) - 1.0; }
    // Uniform in [0, 1).
    double unit() { return (next() & 0xffffff) / double(0x1000000); }

private:
    std::uint32_t state_;
};

// A stable seed from an image name, so each image keeps its grain when others change.
std::uint32_t seed_from(const char* name);

QColor mix(const QColor& a, const QColor& b, double t);
QColor grey(int level);

QImage new_image(int width, int height, const QColor& fill);
// A fully transparent layer for drawings that are later faded or composed.
QImage new_layer(int width, int height);
// Sets up a painter with antialiasing on; callers keep straight edges on whole pixels.
void begin(QPainter& painter, QImage& image);

// Blends one pixel towards a colour with the given opacity (0..1); out-of-range pixels are ignored.
void blend(QImage& image, int x, int y, const QColor& colour, double opacity);
void fill(QImage& image, const QRect& rect, const QColor& colour);
void blend_rect(QImage& image, const QRect& rect, const QColor& colour, double opacity);

// Horizontal brushing: a vertical gradient from top to bottom colour with per-row grain and
// long faint streaks. `strength` scales the grain (1 = the skin's normal metal).
void brushed_metal(QImage& image, const QRect& rect, const QColor& top, const QColor& bottom,
                   std::uint32_t seed, double strength = 1.0);

// One-pixel edges with the light from the top left.
void raised_edge(QImage& image, const QRect& rect, double light = 0.75, double dark = 0.45);
void sunken_edge(QImage& image, const QRect& rect, double light = 0.75, double dark = 0.45);
// An engraved line around a rectangle: a dark groove with its lit lower lip one pixel further.
void groove(QImage& image, const QRect& rect);
// A recessed bay: sunken edge two pixels deep with a flat floor.
void bay(QImage& image, const QRect& rect, const QColor& floor);

// A slotted screw head centred at (cx, cy).
void screw(QPainter& painter, double cx, double cy, double radius, double slot_degrees);
// Yellow and near-black diagonal stripes, supersampled for clean edges.
void hazard_stripes(QImage& image, const QRect& rect, int stripe_width);
// White gloss over the upper part of a rounded shape.
void gloss(QPainter& painter, const QRectF& rect, double radius, double top_opacity, double bottom_opacity);

// The program's mark: a lens-like ring split into red, green and blue sectors round a white spark.
// `lens` is the lens' radius as a share of the mark's; small icons take a smaller lens so the colours read.
void logo_mark(QPainter& painter, const QPointF& centre, double radius, double lens = 0.48);

// Fonts loaded from the fonts-dejavu-core package by file.
struct Fonts {
    QString sans;  // DejaVu Sans (regular and bold)
    QString mono;  // DejaVu Sans Mono (regular and bold)
};
// Loads the fonts once; returns false with a message when a file is missing.
bool load_fonts(QString* error);
const Fonts& fonts();
QFont font(const QString& family, double pixel_size, bool bold);

// Text as an outline path with its baseline at `baseline`; drawn by the painter's own rasteriser.
QPainterPath text_path(const QFont& font, const QString& text, const QPointF& baseline);
double text_width(const QFont& font, const QString& text);
void draw_text(QPainter& painter, const QFont& font, const QString& text, const QPointF& baseline,
               const QColor& colour);
// Dark text with a light line below it, as if stamped into the metal.
void engraved_text(QPainter& painter, const QFont& font, const QString& text, const QPointF& baseline,
                   const QColor& ink, const QColor& lip);

// Tiny 3 x 5 pixel digits for the light scale marks, crisp at 1:1.
int pixel_digits_width(const QString& text);
void pixel_digits(QImage& image, int x, int y, const QString& text, const QColor& colour);

// Turns a drawing into its "off" look: desaturated and lightened, alpha kept.
void fade(QImage& layer, double lighten);
// Draws a transparent layer onto an image at (x, y).
void compose(QImage& image, const QImage& layer, int x, int y);

}  // namespace skin
