#include "tools/skin_generator/skin_images.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <QTransform>
#include <cmath>

#include "tools/skin_generator/paint_kit.h"
#include "tools/skin_generator/symbols.h"

namespace skin {

namespace {

const QColor frame_dark(58, 60, 66);
const QColor metal_top(234, 235, 238);
const QColor metal_bottom(184, 186, 191);

// The window's one-pixel outline continues through every bar that touches its edge.
void window_edges(QImage& image, bool top, bool bottom)
{
    const QRect area = bounds(image);
    fill(image, QRect(0, 0, 1, area.height()), frame_dark);
    fill(image, QRect(area.width() - 1, 0, 1, area.height()), frame_dark);
    if (top) fill(image, QRect(0, 0, area.width(), 1), frame_dark);
    if (bottom) fill(image, QRect(0, area.height() - 1, area.width(), 1), frame_dark);
}

enum class TitleGlyph { Close, Minimise, Maximise, Restore };

// Corner button of the top bar: a light grey key with a glyph; `right_edge` continues the window outline.
QImage title_key(int width, bool right_edge, const QColor& glyph_colour, TitleGlyph glyph)
{
    QImage image = new_image(width, 22, QColor(222, 223, 226));
    brushed_metal(image, QRect(0, 1, width, 21), QColor(236, 237, 240), QColor(206, 208, 212),
                  seed_from("title key"), 0.5);
    raised_edge(image, QRect(0, 1, width - (right_edge ? 1 : 0), 21), 0.85, 0.42);
    fill(image, QRect(0, 0, width, 1), frame_dark);
    if (right_edge) fill(image, QRect(width - 1, 0, 1, 22), frame_dark);
    QPainter painter;
    begin(painter, image);
    const double cx = (width - (right_edge ? 1 : 0)) / 2.0;
    const double left = std::floor(cx) - 4;
    switch (glyph) {
        case TitleGlyph::Close: {
            QPen pen(glyph_colour, 2.0, Qt::SolidLine, Qt::SquareCap);
            painter.setPen(pen);
            painter.drawLine(QPointF(cx - 4, 7), QPointF(cx + 4, 15));
            painter.drawLine(QPointF(cx + 4, 7), QPointF(cx - 4, 15));
            break;
        }
        case TitleGlyph::Minimise:
            painter.setPen(Qt::NoPen);
            painter.setBrush(glyph_colour);
            painter.drawRect(QRectF(left, 14, 9, 2));
            break;
        case TitleGlyph::Maximise:
            // A window's frame: a heavy title edge over a thin outline, as wide as the minimise bar.
            painter.setPen(Qt::NoPen);
            painter.setBrush(glyph_colour);
            painter.drawRect(QRectF(left, 6, 9, 2));
            painter.drawRect(QRectF(left, 8, 1, 8));
            painter.drawRect(QRectF(left + 8, 8, 1, 8));
            painter.drawRect(QRectF(left, 15, 9, 1));
            break;
        case TitleGlyph::Restore:
            // Two smaller frames, the front one lower left.
            painter.setPen(Qt::NoPen);
            painter.setBrush(glyph_colour);
            painter.drawRect(QRectF(left + 2, 5, 7, 2));
            painter.drawRect(QRectF(left + 8, 7, 1, 5));
            painter.drawRect(QRectF(left, 9, 7, 2));
            painter.drawRect(QRectF(left, 11, 1, 5));
            painter.drawRect(QRectF(left + 6, 11, 1, 5));
            painter.drawRect(QRectF(left, 15, 7, 1));
            break;
    }
    return image;
}

QImage close_key()
{
    return title_key(22, true, QColor(0, 0, 0), TitleGlyph::Close);
}
QImage close_key_hover()
{
    return title_key(22, true, QColor(128, 128, 134), TitleGlyph::Close);
}
QImage minimise_key()
{
    return title_key(23, false, QColor(0, 0, 0), TitleGlyph::Minimise);
}
QImage minimise_key_hover()
{
    return title_key(23, false, QColor(150, 150, 156), TitleGlyph::Minimise);
}
QImage maximise_key()
{
    return title_key(23, false, QColor(0, 0, 0), TitleGlyph::Maximise);
}
QImage maximise_key_hover()
{
    return title_key(23, false, QColor(150, 150, 156), TitleGlyph::Maximise);
}
QImage restore_key()
{
    return title_key(23, false, QColor(0, 0, 0), TitleGlyph::Restore);
}
QImage restore_key_hover()
{
    return title_key(23, false, QColor(150, 150, 156), TitleGlyph::Restore);
}

QImage top_bar()
{
    QImage image = new_image(902, 107, metal_top);
    // Title strip: the handle by which the window is dragged.
    brushed_metal(image, QRect(0, 0, 902, 22), QColor(226, 227, 231), QColor(198, 200, 205),
                  seed_from("title strip"));
    brushed_metal(image, QRect(0, 22, 902, 85), metal_top, metal_bottom, seed_from("top bar"));
    fill(image, QRect(0, 22, 902, 1), QColor(120, 122, 128));
    blend_rect(image, QRect(0, 23, 902, 1), QColor(255, 255, 255), 0.8);
    raised_edge(image, QRect(0, 0, 902, 22), 0.7, 0.0);
    // Button bay, with a vent grille filling the place that has no button.
    bay(image, QRect(3, 27, 277, 78), button_bay_floor);
    for (int x = 150; x <= 266; x += 6) {
        fill(image, QRect(x, 83, 2, 14), QColor(52, 54, 60));
        blend_rect(image, QRect(x + 2, 83, 1, 14), QColor(255, 255, 255), 0.22);
        blend_rect(image, QRect(x, 97, 2, 1), QColor(255, 255, 255), 0.22);
    }
    // Seat of the LCD.
    sunken_edge(image, QRect(294, 30, 603, 62), 0.8, 0.35);
    // Lower lip and the window's outline under it.
    fill(image, QRect(0, 105, 902, 1), QColor(150, 152, 158));
    window_edges(image, true, false);
    fill(image, QRect(0, 106, 902, 1), frame_dark);
    QPainter painter;
    begin(painter, image);
    logo_mark(painter, QPointF(12.5, 11.5), 7.5);
    engraved_text(painter, font(fonts().sans, 12, true), "Tintelo photo mallet", QPointF(26, 16),
                  QColor(52, 54, 62), QColor(255, 255, 255, 170));
    painter.end();
    compose(image, maximise_key(), 833, 0);
    compose(image, minimise_key(), 856, 0);
    compose(image, close_key(), 880, 0);
    return image;
}

QImage lcd()
{
    QImage image = new_image(599, 58, metal_top);
    brushed_metal(image, bounds(image), QColor(230, 231, 235), QColor(178, 180, 186), seed_from("lcd frame"));
    raised_edge(image, bounds(image), 0.9, 0.55);
    const QRect glass(28, 5, 543, 48);
    // Bezel: two sunken steps round the glass.
    sunken_edge(image, glass.adjusted(-2, -2, 2, 2), 0.9, 0.3);
    fill(image, glass.adjusted(-1, -1, 1, 1), QColor(22, 30, 44));
    QPainter painter;
    begin(painter, image);
    painter.setPen(Qt::NoPen);
    QLinearGradient blue(glass.topLeft(), glass.bottomLeft());
    blue.setColorAt(0, QColor(48, 108, 178));
    blue.setColorAt(0.45, QColor(38, 92, 162));
    blue.setColorAt(1, QColor(20, 60, 120));
    painter.setBrush(blue);
    painter.drawRect(glass);
    // Inner shadow under the bezel's top and left lips.
    QLinearGradient shade_top(0, glass.top(), 0, glass.top() + 4);
    shade_top.setColorAt(0, QColor(0, 0, 0, 110));
    shade_top.setColorAt(1, QColor(0, 0, 0, 0));
    painter.setBrush(shade_top);
    painter.drawRect(QRect(glass.left(), glass.top(), glass.width(), 4));
    QLinearGradient shade_left(glass.left(), 0, glass.left() + 4, 0);
    shade_left.setColorAt(0, QColor(0, 0, 0, 90));
    shade_left.setColorAt(1, QColor(0, 0, 0, 0));
    painter.setBrush(shade_left);
    painter.drawRect(QRect(glass.left(), glass.top(), 4, glass.height()));
    // Glass sheen over the upper third, with a soft curved lower edge.
    QPainterPath sheen;
    sheen.moveTo(glass.left(), glass.top());
    sheen.lineTo(glass.right() + 1, glass.top());
    sheen.lineTo(glass.right() + 1, glass.top() + 12);
    sheen.quadTo(glass.center().x(), glass.top() + 21, glass.left(), glass.top() + 15);
    sheen.closeSubpath();
    QLinearGradient sheen_fill(0, glass.top(), 0, glass.top() + 18);
    sheen_fill.setColorAt(0, QColor(255, 255, 255, 58));
    sheen_fill.setColorAt(1, QColor(255, 255, 255, 14));
    painter.setBrush(sheen_fill);
    painter.drawPath(sheen);
    screw(painter, 14.5, 29.5, 5, 30);
    screw(painter, 585.5, 29.5, 5, 120);
    painter.end();
    // Faint matrix rows give the glass the grain of a liquid-crystal panel.
    for (int y = glass.top() + 1; y <= glass.bottom(); y += 2)
        blend_rect(image, QRect(glass.left(), y, glass.width(), 1), QColor(0, 0, 0), 0.035);
    return image;
}

// A glossy push-button face lying in the top bar's button bay.
QImage push_button(const QColor& top, const QColor& bottom, const QColor& rim)
{
    QImage image = new_image(131, 21, button_bay_floor);
    QPainter painter;
    begin(painter, image);
    const QRectF face(0.5, 0.5, 130, 20);
    QLinearGradient body(0, 0, 0, 21);
    body.setColorAt(0, top.lighter(112));
    body.setColorAt(0.5, top);
    body.setColorAt(0.85, bottom);
    body.setColorAt(1, bottom.lighter(118));
    painter.setPen(QPen(rim, 1));
    painter.setBrush(body);
    painter.drawRoundedRect(face, 4, 4);
    // Upper rim catches the light; the gloss sits over the top half.
    painter.setPen(QPen(QColor(255, 255, 255, 120), 1));
    painter.drawLine(QPointF(4, 1.5), QPointF(127, 1.5));
    gloss(painter, QRectF(2, 2, 127, 8), 3, 0.36, 0.06);
    return image;
}

QImage button_red()
{
    return push_button(QColor(200, 30, 25), QColor(140, 10, 10), QColor(84, 6, 6));
}
QImage button_grey()
{
    return push_button(QColor(170, 170, 172), QColor(120, 120, 124), QColor(70, 71, 76));
}

// The keys that step through the folder: small push buttons in the top bar's bay beside SAVE PHOTO,
// with a bold arrow. Under the mouse the face brightens; pressed, it darkens, loses most of its
// gloss and the arrow sinks one pixel.
enum class StepKeyState { normal, hover, pressed };

QImage step_key(bool next, StepKeyState state)
{
    QColor top(200, 30, 25), bottom(140, 10, 10);
    double gloss_top = 0.36;
    if (state == StepKeyState::hover) {
        top = QColor(224, 52, 44);
        bottom = QColor(164, 22, 18);
        gloss_top = 0.44;
    } else if (state == StepKeyState::pressed) {
        top = QColor(150, 16, 12);
        bottom = QColor(118, 8, 8);
        gloss_top = 0.12;
    }
    QImage image = new_image(63, 21, button_bay_floor);
    QPainter painter;
    begin(painter, image);
    const QRectF face(0.5, 0.5, 62, 20);
    QLinearGradient body(0, 0, 0, 21);
    body.setColorAt(0, top.lighter(112));
    body.setColorAt(0.5, top);
    body.setColorAt(0.85, bottom);
    body.setColorAt(1, bottom.lighter(118));
    painter.setPen(QPen(QColor(84, 6, 6), 1));
    painter.setBrush(body);
    painter.drawRoundedRect(face, 4, 4);
    if (state == StepKeyState::pressed) {
        // Pressed in: the shadow falls on the upper rim.
        painter.setPen(QPen(QColor(0, 0, 0, 90), 1));
        painter.drawLine(QPointF(4, 1.5), QPointF(59, 1.5));
    } else {
        painter.setPen(QPen(QColor(255, 255, 255, 120), 1));
        painter.drawLine(QPointF(4, 1.5), QPointF(59, 1.5));
    }
    gloss(painter, QRectF(2, 2, 59, 8), 3, gloss_top, 0.06);
    // A double arrow with a 1-pixel darker outline, pointing the way the key steps.
    const double sink = state == StepKeyState::pressed ? 1.0 : 0.0;
    const double direction = next ? 1.0 : -1.0;
    const double cx = 31.5 + sink, cy = 10.5 + sink;
    painter.setPen(QPen(QColor(96, 8, 6), 1.0, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.setBrush(QColor(255, 255, 255));
    for (const double offset : {-5.0, 3.0}) {
        const double tip = cx + direction * (offset + 6.0);
        const double base = cx + direction * offset;
        QPainterPath arrow;
        arrow.moveTo(tip, cy);
        arrow.lineTo(base, cy - 5.5);
        arrow.lineTo(base, cy + 5.5);
        arrow.closeSubpath();
        painter.drawPath(arrow);
    }
    return image;
}

QImage previous_key()
{
    return step_key(false, StepKeyState::normal);
}
QImage previous_key_hover()
{
    return step_key(false, StepKeyState::hover);
}
QImage previous_key_pressed()
{
    return step_key(false, StepKeyState::pressed);
}
QImage next_key()
{
    return step_key(true, StepKeyState::normal);
}
QImage next_key_hover()
{
    return step_key(true, StepKeyState::hover);
}
QImage next_key_pressed()
{
    return step_key(true, StepKeyState::pressed);
}

QImage lower_bar()
{
    QImage image = new_image(902, 90, metal_top);
    brushed_metal(image, bounds(image), QColor(230, 231, 234), QColor(176, 178, 183), seed_from("lower bar"));
    blend_rect(image, QRect(0, 1, 902, 1), QColor(255, 255, 255), 0.8);
    // Three engraved frames: camera type, automatic correction, tools.
    // They end three rows above the bottom bar, which covers the last five rows while the tools are shut.
    for (const QRect& r : {QRect(4, 10, 147, 71), QRect(305, 10, 297, 71), QRect(714, 10, 165, 71)}) {
        bay(image, r, lower_bay_floor);
        groove(image, r.adjusted(-3, -3, 3, 3));
    }
    blend_rect(image, QRect(0, 88, 902, 1), QColor(0, 0, 0), 0.18);
    window_edges(image, true, true);
    QPainter painter;
    begin(painter, image);
    for (double x : {228.5, 658.5}) screw(painter, x, 45.5, 4, 40);
    return image;
}

QImage info_box()
{
    QImage image = new_image(218, 30, QColor(228, 229, 231));
    QLinearGradient g(0, 0, 0, 30);
    QPainter painter;
    begin(painter, image);
    g.setColorAt(0, QColor(218, 219, 222));
    g.setColorAt(1, QColor(236, 237, 239));
    painter.setPen(Qt::NoPen);
    painter.setBrush(g);
    painter.drawRect(bounds(image));
    painter.end();
    sunken_edge(image, bounds(image), 0.95, 0.5);
    blend_rect(image, QRect(1, 1, 216, 1), QColor(0, 0, 0), 0.1);
    blend_rect(image, QRect(1, 2, 1, 27), QColor(0, 0, 0), 0.06);
    return image;
}

QImage bottom_bar()
{
    QImage image = new_image(902, 49, metal_top);
    brushed_metal(image, bounds(image), QColor(220, 221, 225), QColor(170, 172, 178),
                  seed_from("bottom bar"));
    hazard_stripes(image, QRect(0, 1, 902, 10), 10);
    fill(image, QRect(0, 11, 902, 1), QColor(40, 40, 44));
    blend_rect(image, QRect(0, 12, 902, 1), QColor(255, 255, 255), 0.75);
    // The long slot, rounded at both ends.
    QPainter painter;
    begin(painter, image);
    const QRectF slot(36, 26, 830, 9);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(255, 255, 255, 190));
    painter.drawRoundedRect(slot.translated(0, 1), 4.5, 4.5);
    QLinearGradient inside(0, slot.top(), 0, slot.bottom());
    inside.setColorAt(0, QColor(18, 18, 22));
    inside.setColorAt(1, QColor(70, 72, 80));
    painter.setBrush(inside);
    painter.drawRoundedRect(slot, 4.5, 4.5);
    screw(painter, 18.5, 30.5, 5, 20);
    screw(painter, 883.5, 30.5, 5, 75);
    painter.end();
    window_edges(image, false, true);
    fill(image, QRect(0, 0, 902, 1), frame_dark);
    return image;
}

// A punched hole in the tools plate, shadowed on the upper left wall.
void hole(QImage& image, int x, int y)
{
    if (scale_of(image) > 1) {
        // Finer screens show the hole round: its lit lower lip, its shadowed upper wall, the dark inside.
        QPainter painter;
        begin(painter, image);
        painter.setPen(Qt::NoPen);
        const QPointF centre(x + 1.0, y + 1.0);
        painter.setBrush(QColor(255, 255, 255, 115));
        painter.drawEllipse(centre + QPointF(0.5, 0.5), 1.2, 1.2);
        painter.setBrush(QColor(0, 0, 0, 46));
        painter.drawEllipse(centre - QPointF(0.5, 0.5), 1.2, 1.2);
        painter.setBrush(QColor(46, 48, 54));
        painter.drawEllipse(centre, 1.05, 1.05);
        return;
    }
    fill(image, QRect(x, y, 2, 2), QColor(46, 48, 54));
    blend_rect(image, QRect(x - 1, y, 1, 2), QColor(0, 0, 0), 0.18);
    blend_rect(image, QRect(x, y - 1, 2, 1), QColor(0, 0, 0), 0.18);
    blend_rect(image, QRect(x + 2, y, 1, 2), QColor(255, 255, 255), 0.45);
    blend_rect(image, QRect(x, y + 2, 2, 1), QColor(255, 255, 255), 0.45);
}

QImage tools_panel()
{
    QImage image = new_image(902, 97, metal_top);
    brushed_metal(image, bounds(image), QColor(212, 213, 217), QColor(178, 180, 186),
                  seed_from("tools panel"));
    // Perforation wherever the plate is bare; the rows under the lower bar and labels stay plain.
    const QRect keep_clear[] = {QRect(8, 19, 749, 78), QRect(366, 0, 197, 25), QRect(766, 0, 136, 97),
                                QRect(0, 0, 902, 7), QRect(12, 0, 354, 25)};
    for (int y = 9; y <= 90; y += 5)
        for (int x = 3 + ((y / 5) % 2) * 3; x <= 896; x += 6) {
            bool clear = true;
            for (const QRect& r : keep_clear)
                if (r.intersects(QRect(x - 1, y - 1, 4, 4))) clear = false;
            if (clear) hole(image, x, y);
        }
    bay(image, QRect(11, 21, 743, 73), preset_tray_floor);
    window_edges(image, false, false);
    return image;
}

// One scene preset: a print with a light border lying on the dark tray.
QImage preset(void (*scene)(QPainter&, const QRectF&))
{
    QImage image = new_image(81, 66, preset_tray_floor);
    const QRect print(3, 3, 74, 59);
    // Soft shadow down and to the right.
    for (int i = 1; i <= 3; ++i) blend_rect(image, print.translated(i, i), QColor(0, 0, 0), 0.22 - i * 0.05);
    fill(image, print, QColor(246, 245, 240));
    QPainter painter;
    begin(painter, image);
    const QRectF photo(print.left() + 2, print.top() + 2, print.width() - 4, print.height() - 4);
    painter.save();
    painter.setClipRect(photo);
    scene(painter, photo);
    painter.restore();
    painter.end();
    raised_edge(image, print, 0.6, 0.3);
    sunken_edge(image, QRect(print.left() + 2, print.top() + 2, print.width() - 4, print.height() - 4), 0.0,
                0.25);
    return image;
}

// A round plate in a corner of a preset that carries its symbol.
void badge(QPainter& painter, const QRectF& photo, bool dark)
{
    const QPointF c(photo.right() - 12, photo.top() + 12);
    painter.setPen(QPen(dark ? QColor(255, 255, 255, 150) : QColor(0, 0, 0, 90), 1));
    painter.setBrush(dark ? QColor(20, 22, 30, 150) : QColor(255, 255, 255, 150));
    painter.drawEllipse(c, 10.5, 10.5);
}

void scene_outdoors_vivid(QPainter& p, const QRectF& r)
{
    landscape(p, r,
              Scene{QColor(0, 84, 230), QColor(90, 190, 255), QColor(0, 150, 60), QColor(40, 200, 40),
                    QColor(10, 120, 20), 0.6, 21});
    // A rainbow over the hills and a field of flowers: colour at full strength.
    const QColor bands[] = {QColor(230, 30, 30), QColor(250, 150, 0), QColor(250, 230, 0),
                            QColor(40, 190, 60), QColor(40, 90, 240)};
    p.setBrush(Qt::NoBrush);
    for (int i = 0; i < 5; ++i) {
        p.setPen(QPen(QColor(bands[i].red(), bands[i].green(), bands[i].blue(), 200), 1.6));
        const double radius = 30 - i * 1.6;
        p.drawArc(QRectF(r.left() + 6 - radius + 30, r.top() + 36 - radius, 2 * radius, 2 * radius), 0,
                  180 * 16);
    }
    Noise noise(5);
    p.setPen(Qt::NoPen);
    for (int i = 0; i < 26; ++i) {
        const QPointF at(r.left() + noise.unit() * r.width(),
                         r.top() + r.height() * (0.72 + 0.26 * noise.unit()));
        p.setBrush(i % 3 == 0 ? QColor(255, 230, 0)
                              : (i % 3 == 1 ? QColor(255, 40, 80) : QColor(255, 255, 255)));
        p.drawEllipse(at, 1.1, 1.1);
    }
    badge(p, r, false);
    sun(p, QPointF(r.right() - 12, r.top() + 12), 4.6, 8);
}

void scene_backlight(QPainter& p, const QRectF& r)
{
    QLinearGradient sky(r.topLeft(), r.bottomLeft());
    sky.setColorAt(0, QColor(250, 180, 60));
    sky.setColorAt(0.55, QColor(255, 228, 150));
    sky.setColorAt(1, QColor(200, 90, 40));
    p.setPen(Qt::NoPen);
    p.setBrush(sky);
    p.drawRect(r);
    glaring_sun(p, QPointF(r.center().x() + 2, r.top() + r.height() * 0.36), 6);
    p.setBrush(QColor(70, 36, 24));
    p.drawRect(QRectF(r.left(), r.top() + r.height() * 0.8, r.width(), r.height() * 0.2));
    figure_silhouette(p, QRectF(r.center().x() - 10, r.top() + r.height() * 0.34, 18, r.height() * 0.66),
                      QColor(44, 24, 18));
}

void scene_indoors_flash(QPainter& p, const QRectF& r)
{
    room(p, r,
         Room{QColor(228, 230, 238), QColor(196, 200, 214), QColor(170, 150, 130), QColor(0, 0, 0, 0), 1.0});
    // The burst of the flash lights the wall.
    QRadialGradient burst(QPointF(r.center().x() - 6, r.center().y() - 2), r.width() * 0.5);
    burst.setColorAt(0, QColor(255, 255, 255, 220));
    burst.setColorAt(1, QColor(255, 255, 255, 0));
    p.setPen(Qt::NoPen);
    p.setBrush(burst);
    p.drawRect(r);
    p.setBrush(QColor(120, 80, 170));
    p.drawRect(
        QRectF(r.left() + r.width() * 0.3, r.top() + r.height() * 0.42, r.width() * 0.3, r.height() * 0.3));
    p.setBrush(QColor(200, 170, 230));
    p.drawRect(QRectF(r.left() + r.width() * 0.3, r.top() + r.height() * 0.42, r.width() * 0.3, 2));
    badge(p, r, true);
    flash_bolt(p, QRectF(r.right() - 19, r.top() + 4, 14, 17));
}

void scene_indoors_no_flash(QPainter& p, const QRectF& r)
{
    room(p, r,
         Room{QColor(150, 118, 88), QColor(110, 84, 62), QColor(96, 70, 50), QColor(60, 80, 110), 0.62});
    badge(p, r, true);
    flash_bolt(p, QRectF(r.right() - 18, r.top() + 4, 12, 16));
    no_sign(p, QRectF(r.right() - 22, r.top() + 2, 20, 20));
}

void scene_outdoors_too_shiny(QPainter& p, const QRectF& r)
{
    landscape(p, r,
              Scene{QColor(236, 240, 246), QColor(255, 252, 236), QColor(216, 220, 196),
                    QColor(232, 232, 190), QColor(206, 204, 160), 0.62, 33});
    // Bleached highlights: a wash of white over everything, then the sun and its flare.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 255, 240, 60));
    p.drawRect(r);
    const QPointF sun_at(r.left() + r.width() * 0.62, r.top() + r.height() * 0.3);
    glaring_sun(p, sun_at, 6.5);
    const QPointF towards = QPointF(r.left() + r.width() * 0.25, r.bottom() - 6) - sun_at;
    const double flare[][2] = {{0.45, 2.2}, {0.7, 3.6}, {0.95, 1.8}};
    for (const auto& f : flare) {
        p.setPen(QPen(QColor(240, 180, 60, 150), 0.8));
        p.setBrush(QColor(255, 230, 140, 90));
        p.drawEllipse(sun_at + towards * f[0], f[1], f[1]);
    }
}

void scene_outdoors_cloudy(QPainter& p, const QRectF& r)
{
    landscape(p, r,
              Scene{QColor(128, 138, 154), QColor(190, 196, 206), QColor(96, 118, 100), QColor(110, 140, 100),
                    QColor(70, 96, 70), 0.64, 45});
    cloud(p, QRectF(r.left() + 4, r.top() + 10, 30, 14), QColor(214, 218, 226));
    cloud(p, QRectF(r.left() + 30, r.top() + 4, 38, 19), QColor(244, 246, 250));
}

void scene_outdoors(QPainter& p, const QRectF& r)
{
    landscape(p, r,
              Scene{QColor(60, 120, 200), QColor(170, 206, 240), QColor(90, 140, 100), QColor(110, 170, 80),
                    QColor(60, 120, 50), 0.62, 57});
    cloud(p, QRectF(r.left() + 6, r.top() + 8, 22, 10), QColor(255, 255, 255));
    sun(p, QPointF(r.right() - 14, r.top() + 14), 6, 10);
}

void scene_indoors_mixed_light(QPainter& p, const QRectF& r)
{
    room(
        p, r,
        Room{QColor(214, 190, 150), QColor(170, 140, 106), QColor(140, 104, 72), QColor(150, 200, 250), 1.0});
    // Daylight from the window on the left, lamp light from the right.
    QLinearGradient tint(r.topLeft(), r.topRight());
    tint.setColorAt(0, QColor(120, 170, 255, 80));
    tint.setColorAt(0.5, QColor(255, 255, 255, 0));
    tint.setColorAt(1, QColor(255, 150, 40, 90));
    p.setPen(Qt::NoPen);
    p.setBrush(tint);
    p.drawRect(r);
    badge(p, r, false);
    bulb(p, QRectF(r.right() - 15, r.top() + 3, 10, 16));
    sun(p, QPointF(r.right() - 17.5, r.top() + 16), 3, 8);
}

void scene_indoors_bulb_lamp(QPainter& p, const QRectF& r)
{
    room(p, r,
         Room{QColor(226, 160, 80), QColor(180, 110, 50), QColor(150, 90, 40), QColor(0, 0, 0, 0), 1.0});
    // A standard lamp pouring warm light on the wall.
    QRadialGradient pool(QPointF(r.left() + r.width() * 0.42, r.top() + r.height() * 0.3), r.width() * 0.45);
    pool.setColorAt(0, QColor(255, 230, 150, 200));
    pool.setColorAt(1, QColor(255, 200, 100, 0));
    p.setPen(Qt::NoPen);
    p.setBrush(pool);
    p.drawRect(r);
    p.setBrush(QColor(90, 50, 20));
    p.drawRect(QRectF(r.left() + r.width() * 0.42 - 0.5, r.top() + r.height() * 0.34, 1.5, r.height() * 0.5));
    QPolygonF shade;
    shade << QPointF(r.left() + r.width() * 0.35, r.top() + r.height() * 0.36)
          << QPointF(r.left() + r.width() * 0.38, r.top() + r.height() * 0.16)
          << QPointF(r.left() + r.width() * 0.47, r.top() + r.height() * 0.16)
          << QPointF(r.left() + r.width() * 0.5, r.top() + r.height() * 0.36);
    p.setBrush(QColor(255, 236, 190));
    p.setPen(QPen(QColor(150, 90, 30), 1));
    p.drawPolygon(shade);
    badge(p, r, false);
    bulb(p, QRectF(r.right() - 18, r.top() + 3, 12, 18));
}

QImage preset_outdoors_vivid()
{
    return preset(scene_outdoors_vivid);
}
QImage preset_backlight()
{
    return preset(scene_backlight);
}
QImage preset_indoors_flash()
{
    return preset(scene_indoors_flash);
}
QImage preset_indoors_no_flash()
{
    return preset(scene_indoors_no_flash);
}
QImage preset_outdoors_too_shiny()
{
    return preset(scene_outdoors_too_shiny);
}
QImage preset_outdoors_cloudy()
{
    return preset(scene_outdoors_cloudy);
}
QImage preset_outdoors()
{
    return preset(scene_outdoors);
}
QImage preset_indoors_mixed_light()
{
    return preset(scene_indoors_mixed_light);
}
QImage preset_indoors_bulb_lamp()
{
    return preset(scene_indoors_bulb_lamp);
}

// Digits for finer screens: bold outlines, condensed to the pixel digits' proportions, their
// ink as high as `box` and centred on it.
void outline_digits(QImage& image, const QRectF& box, const QString& text, const QColor& colour)
{
    const QPainterPath path = text_path(font(fonts().sans, 40, true), text, QPointF(0, 0));
    const QRectF ink = path.boundingRect();
    const double height_scale = box.height() / ink.height();
    QTransform place;
    place.translate(box.center().x(), box.bottom());
    place.scale(height_scale * 0.75, height_scale);
    place.translate(-ink.center().x(), -ink.bottom());
    QPainter painter;
    begin(painter, image);
    painter.setPen(Qt::NoPen);
    painter.setBrush(colour);
    painter.drawPath(place.map(path));
}

QImage light_scale()
{
    QImage image = new_image(122, 43, QColor(222, 223, 226));
    QPainter painter;
    begin(painter, image);
    QLinearGradient g(0, 0, 0, 43);
    g.setColorAt(0, QColor(232, 233, 236));
    g.setColorAt(1, QColor(210, 211, 215));
    painter.setPen(Qt::NoPen);
    painter.setBrush(g);
    painter.drawRect(bounds(image));
    painter.end();
    sunken_edge(image, bounds(image), 0.95, 0.45);
    const QColor ink(40, 42, 48);
    // Thirteen bars: the indicator's 13 positions cover their fills exactly.
    for (int i = 0; i < 13; ++i) {
        const int x = 9 + 8 * i;
        fill(image, QRect(x - 1, 11, 7, 27), QColor(70, 72, 80));
        const int level = 28 + i * (244 - 28) / 12;
        fill(image, QRect(x, 12, 5, 25), grey(level));
        blend_rect(image, QRect(x, 12, 5, 1), QColor(255, 255, 255), 0.25);
    }
    // Scale marks over their bars, with a tick down to each. "0", "10" and "40" stand over
    // neighbouring bars; nudged apart, each reads on its own instead of "0 1040".
    const struct {
        int bar;
        const char* text;
        int nudge;
    } marks[] = {{0, "-80", 0}, {2, "-60", 0}, {4, "-40", 0}, {6, "0", -1},
                 {7, "10", 0},  {8, "40", 2},  {10, "60", 0}, {12, "80", 0}};
    for (const auto& mark : marks) {
        const int centre = 9 + 8 * mark.bar + 2;
        const int width = pixel_digits_width(mark.text);
        const int left = centre - width / 2 + mark.nudge;
        if (scale_of(image) == 1)
            pixel_digits(image, left, 2, mark.text, ink);
        else
            outline_digits(image, QRectF(left, 2, width, 5), mark.text, ink);
        fill(image, QRect(centre, 8, 1, 2), ink);
    }
    // A ramp under the bars: darker to the left, lighter to the right.
    for (int x = 8; x <= 112; ++x) fill(image, QRect(x, 39, 1, 2), grey(40 + (x - 8) * 200 / 104));
    blend_rect(image, QRect(8, 41, 105, 1), QColor(255, 255, 255), 0.5);
    return image;
}

QImage light_indicator()
{
    return new_image(5, 25, QColor(237, 218, 10));
}

// The small raised metal keys of the light adjustment.
QImage metal_key()
{
    QImage image = new_image(32, 22, metal_top);
    brushed_metal(image, bounds(image), QColor(240, 241, 244), QColor(190, 192, 198), seed_from("metal key"),
                  0.6);
    fill(image, QRect(0, 0, 32, 1), QColor(90, 92, 100));
    fill(image, QRect(0, 0, 1, 22), QColor(90, 92, 100));
    fill(image, QRect(0, 21, 32, 1), QColor(50, 52, 58));
    fill(image, QRect(31, 0, 1, 22), QColor(50, 52, 58));
    raised_edge(image, QRect(1, 1, 30, 20), 0.9, 0.35);
    return image;
}

QImage dark_button()
{
    QImage image = metal_key();
    QPainter painter;
    begin(painter, image);
    moon(painter, QPointF(15.5, 11), 7);
    return image;
}

QImage light_button()
{
    QImage image = metal_key();
    QPainter painter;
    begin(painter, image);
    sun(painter, QPointF(16, 11), 4.6, 8);
    return image;
}

// The strength slider: a label plate like the panel's others, with an engraved groove between
// its caption and its value, ticks at every quarter.
QImage strength_track()
{
    using namespace main_layout;
    QImage image = new_image(348, 17, QColor::fromRgb(panel_label_grey));
    const QColor outline(0, 0, 0);
    fill(image, QRect(0, 0, 348, 1), outline);
    fill(image, QRect(0, 16, 348, 1), outline);
    fill(image, QRect(0, 0, 1, 17), outline);
    fill(image, QRect(347, 0, 1, 17), outline);
    const QRect groove(strength_groove_left - 2, 6, strength_groove_width + 5, 5);
    fill(image, groove, QColor(70, 72, 80));
    // The groove's floor darkens towards 0 %, as the light scale's ramp does.
    for (int x = groove.left() + 1; x < groove.right(); ++x)
        fill(image, QRect(x, 7, 1, 3), grey(92 + (x - groove.left()) * 120 / groove.width()));
    sunken_edge(image, groove, 0.95, 0.55);
    const QColor ink(40, 42, 48);
    for (int quarter = 0; quarter <= 4; ++quarter) {
        const int x = strength_groove_left + quarter * strength_groove_width / 4;
        fill(image, QRect(x, 12, 1, quarter % 2 == 0 ? 3 : 2), ink);
    }
    return image;
}

// The slider's knob: a small raised metal key with a grip line; lit under the mouse, pushed in while held.
QImage strength_knob_face(double light, bool pushed)
{
    using namespace main_layout;
    QImage image = new_image(strength_knob_width, 15, metal_top);
    brushed_metal(image, bounds(image), mix(QColor(240, 241, 244), QColor(255, 255, 255), light),
                  mix(QColor(176, 178, 186), QColor(214, 216, 222), light), seed_from("strength knob"), 0.5);
    const QColor rim(50, 52, 58);
    fill(image, QRect(0, 0, strength_knob_width, 1), rim);
    fill(image, QRect(0, 14, strength_knob_width, 1), rim);
    fill(image, QRect(0, 0, 1, 15), rim);
    fill(image, QRect(strength_knob_width - 1, 0, 1, 15), rim);
    const QRect face(1, 1, strength_knob_width - 2, 13);
    if (pushed)
        sunken_edge(image, face, 0.9, 0.4);
    else
        raised_edge(image, face, 0.9, 0.35);
    fill(image, QRect(4, 4, 1, 7), QColor(70, 72, 80));
    blend_rect(image, QRect(5, 4, 1, 7), QColor(255, 255, 255), 0.6);
    return image;
}

QImage strength_knob()
{
    return strength_knob_face(0.0, false);
}

QImage strength_knob_hover()
{
    return strength_knob_face(0.5, false);
}

QImage strength_knob_pressed()
{
    return strength_knob_face(-0.4, true);
}

QImage caption_bar()
{
    return new_image(426, 15, QColor(201, 201, 201));
}

// The automatic-correction key: raised and dark when off, pressed in and lit when on.
QImage correction_key(bool on)
{
    const int height = on ? 46 : 50;
    QImage image = new_image(49, height, lower_bay_floor);
    QPainter painter;
    begin(painter, image);
    const double top = on ? 3.5 : 1.5;
    const QRectF face(2.5, top, 44, 40);
    const double depth = on ? 1.5 : 4.5;
    // Shadow on the bay, then the key's side, then its face.
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0, 0, 0, on ? 40 : 70));
    painter.drawRoundedRect(face.adjusted(-1, 1, 2, depth + 2.5), 7, 7);
    const QColor base = on ? QColor(228, 38, 28) : QColor(128, 16, 14);
    painter.setPen(QPen(base.darker(300), 1));
    painter.setBrush(base.darker(190));
    painter.drawRoundedRect(face.adjusted(0, 0, 0, depth), 6, 6);
    QLinearGradient body(face.topLeft(), face.bottomLeft());
    body.setColorAt(0, base.lighter(on ? 120 : 118));
    body.setColorAt(1, base.darker(on ? 130 : 135));
    painter.setBrush(body);
    painter.drawRoundedRect(face, 6, 6);
    gloss(painter, QRectF(face.left() + 2, face.top() + 1.5, face.width() - 4, face.height() * 0.45), 5,
          on ? 0.5 : 0.3, 0.05);
    // Emblem: a four-pointed spark with a smaller one, the sign of an automatic fix.
    const QColor ink = on ? QColor(255, 255, 255) : QColor(236, 170, 160);
    auto spark = [&](QPointF c, double r) {
        QPainterPath star;
        star.moveTo(c.x(), c.y() - r);
        star.quadTo(c.x(), c.y(), c.x() + r, c.y());
        star.quadTo(c.x(), c.y(), c.x(), c.y() + r);
        star.quadTo(c.x(), c.y(), c.x() - r, c.y());
        star.quadTo(c.x(), c.y(), c.x(), c.y() - r);
        painter.setPen(QPen(base.darker(200), 1));
        painter.setBrush(ink);
        painter.drawPath(star);
    };
    if (on) {
        QRadialGradient glow(face.center(), 16);
        glow.setColorAt(0, QColor(255, 240, 200, 150));
        glow.setColorAt(1, QColor(255, 240, 200, 0));
        painter.setPen(Qt::NoPen);
        painter.setBrush(glow);
        painter.drawEllipse(face.center(), 16, 16);
    }
    spark(face.center() + QPointF(-2, 2), 11);
    spark(face.center() + QPointF(10, -9), 5);
    return image;
}

QImage correction_on()
{
    return correction_key(true);
}
QImage correction_off()
{
    return correction_key(false);
}

QImage icon(int width, void (*drawing)(QPainter&), bool faded)
{
    QImage layer = new_layer(width, 53);
    QPainter painter;
    begin(painter, layer);
    drawing(painter);
    painter.end();
    if (faded) fade(layer, 0.32);
    QImage image = new_image(width, 53, lower_bay_floor);
    compose(image, layer, 0, 0);
    return image;
}

// The camera keeps clear of its right four columns: the phone icon overlaps them.
void camera_drawing(QPainter& p)
{
    compact_camera(p, QRectF(5.5, 13.5, 62, 33));
}
void phone_drawing(QPainter& p)
{
    mobile_phone(p, QRectF(22.5, 3.5, 24, 46));
}

QImage camera()
{
    return icon(77, camera_drawing, false);
}
QImage camera_faded()
{
    return icon(77, camera_drawing, true);
}
QImage phone()
{
    return icon(65, phone_drawing, false);
}
QImage phone_faded()
{
    return icon(65, phone_drawing, true);
}

QImage tools_key(int width, bool faded)
{
    QImage image = new_image(width, 62, lower_bay_floor);
    QImage layer = new_layer(80, 62);
    QPainter painter;
    begin(painter, layer);
    tools_sign(painter, QRectF(10, 2, 58, 57));
    painter.end();
    if (faded) fade(layer, 0.3);
    compose(image, layer, 0, 0);
    // The empty text box for "More" / "Tools".
    const QRect box(83, 14, 62, 36);
    fill(image, box, QColor(226, 227, 230));
    sunken_edge(image, box, 0.95, 0.5);
    blend_rect(image, QRect(box.left() + 1, box.top() + 1, box.width() - 2, 1), QColor(0, 0, 0), 0.08);
    return image;
}

QImage tools_sign_active()
{
    return tools_key(151, false);
}
QImage tools_sign_faded()
{
    return tools_key(152, true);
}

}  // namespace

const std::vector<SkinImage>& skin_images()
{
    static const std::vector<SkinImage> images = {
        {"top_bar.png", "top_bar", 902, 107, top_bar},
        {"lcd.png", "lcd_panel", 599, 58, lcd},
        {"button_red.png", "button_faces item 1", 131, 21, button_red},
        {"button_grey.png", "button_faces item 0", 131, 21, button_grey},
        {"lower_bar.png", "lower_bar", 902, 90, lower_bar},
        {"info_box.png", "correction_info_box", 218, 30, info_box},
        {"bottom_bar.png", "bottom_bar", 902, 49, bottom_bar},
        {"tools_panel.png", "tools_panel", 902, 97, tools_panel},
        {"preset_outdoors_vivid.png", "preset_outdoors_vivid", 81, 66, preset_outdoors_vivid},
        {"preset_backlight.png", "preset_backlight", 81, 66, preset_backlight},
        {"preset_indoors_flash.png", "preset_indoors_flash", 81, 66, preset_indoors_flash},
        {"preset_indoors_no_flash.png", "preset_indoors_no_flash", 81, 66, preset_indoors_no_flash},
        {"preset_outdoors_too_shiny.png", "preset_outdoors_too_shiny", 81, 66, preset_outdoors_too_shiny},
        {"preset_outdoors_cloudy.png", "preset_outdoors_cloudy", 81, 66, preset_outdoors_cloudy},
        {"preset_outdoors.png", "preset_outdoors", 81, 66, preset_outdoors},
        {"preset_indoors_mixed_light.png", "preset_indoors_mixed_light", 81, 66, preset_indoors_mixed_light},
        {"preset_indoors_bulb_lamp.png", "preset_indoors_bulb_lamp", 81, 66, preset_indoors_bulb_lamp},
        {"light_scale.png", "light_scale", 122, 43, light_scale},
        {"light_indicator.png", "light_indicator", 5, 25, light_indicator},
        {"dark_button.png", "dark_button", 32, 22, dark_button},
        {"light_button.png", "light_button", 32, 22, light_button},
        {"strength_track.png", "strength_track", 348, 17, strength_track},
        {"strength_knob.png", "strength_knob_faces item 0", 9, 15, strength_knob},
        {"strength_knob_hover.png", "strength_knob_faces item 1", 9, 15, strength_knob_hover},
        {"strength_knob_pressed.png", "strength_knob_faces item 2", 9, 15, strength_knob_pressed},
        {"caption_bar.png", "original_caption_bar, corrected_caption_bar", 426, 15, caption_bar},
        {"correction_on.png", "icon_faces item 0", 49, 46, correction_on},
        {"correction_off.png", "icon_faces item 1", 49, 50, correction_off},
        {"camera.png", "icon_faces item 2", 77, 53, camera},
        {"camera_faded.png", "icon_faces item 3", 77, 53, camera_faded},
        {"phone.png", "icon_faces item 4", 65, 53, phone},
        {"phone_faded.png", "icon_faces item 5", 65, 53, phone_faded},
        {"tools_sign.png", "icon_faces item 6", 151, 62, tools_sign_active},
        {"tools_sign_faded.png", "icon_faces item 7", 152, 62, tools_sign_faded},
        {"close.png", "top_key_faces item 0", 22, 22, close_key},
        {"close_hover.png", "top_key_faces item 1", 22, 22, close_key_hover},
        {"minimise.png", "top_key_faces item 2", 23, 22, minimise_key},
        {"minimise_hover.png", "top_key_faces item 3", 23, 22, minimise_key_hover},
        {"previous.png", "step_key_faces item 0", 63, 21, previous_key},
        {"previous_hover.png", "step_key_faces item 1", 63, 21, previous_key_hover},
        {"previous_pressed.png", "step_key_faces item 2", 63, 21, previous_key_pressed},
        {"next.png", "step_key_faces item 3", 63, 21, next_key},
        {"next_hover.png", "step_key_faces item 4", 63, 21, next_key_hover},
        {"next_pressed.png", "step_key_faces item 5", 63, 21, next_key_pressed},
        {"maximise.png", "top_key_faces item 4", 23, 22, maximise_key},
        {"maximise_hover.png", "top_key_faces item 5", 23, 22, maximise_key_hover},
        {"restore.png", "top_key_faces item 6", 23, 22, restore_key},
        {"restore_hover.png", "top_key_faces item 7", 23, 22, restore_key_hover},
        {"splash.png", "SplashWindow / AboutWindow picture", 334, 314, draw_splash},
    };
    return images;
}

}  // namespace skin
