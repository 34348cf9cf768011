// The splash and about artwork: title band, a fan of drawn prints with the three cameras in
// front, and a footer with the emblem, the tag line and a calm place for the version label.
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>
#include <QRadialGradient>
#include <cmath>
#include <numbers>

#include "tools/skin_generator/paint_kit.h"
#include "tools/skin_generator/skin_images.h"
#include "tools/skin_generator/symbols.h"

namespace skin {

namespace {

const QColor footer_grey(202, 202, 202);
constexpr int footer_top = 259;

void print_beach(QPainter& p, const QRectF& r)
{
    landscape(p, r,
              Scene{QColor(40, 120, 220), QColor(160, 210, 250), QColor(70, 130, 190), QColor(236, 214, 160),
                    QColor(210, 180, 120), 0.55, 71});
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(30, 110, 190));
    p.drawRect(QRectF(r.left(), r.top() + r.height() * 0.52, r.width(), r.height() * 0.14));
    p.setBrush(QColor(255, 255, 255, 150));
    p.drawRect(QRectF(r.left(), r.top() + r.height() * 0.655, r.width(), 1.2));
    sun(p, QPointF(r.right() - 18, r.top() + 14), 5.5, 10);
}

void print_mountains(QPainter& p, const QRectF& r)
{
    landscape(p, r,
              Scene{QColor(90, 150, 220), QColor(200, 225, 245), QColor(110, 120, 140), QColor(80, 150, 70),
                    QColor(40, 100, 40), 0.7, 83});
    QPolygonF peak;
    peak << QPointF(r.left() + r.width() * 0.1, r.top() + r.height() * 0.72)
         << QPointF(r.left() + r.width() * 0.42, r.top() + r.height() * 0.2)
         << QPointF(r.left() + r.width() * 0.62, r.top() + r.height() * 0.45)
         << QPointF(r.left() + r.width() * 0.75, r.top() + r.height() * 0.3)
         << QPointF(r.right(), r.top() + r.height() * 0.72);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(104, 110, 132));
    p.drawPolygon(peak);
    QPolygonF snow;
    snow << QPointF(r.left() + r.width() * 0.33, r.top() + r.height() * 0.33)
         << QPointF(r.left() + r.width() * 0.42, r.top() + r.height() * 0.2)
         << QPointF(r.left() + r.width() * 0.5, r.top() + r.height() * 0.32)
         << QPointF(r.left() + r.width() * 0.45, r.top() + r.height() * 0.3)
         << QPointF(r.left() + r.width() * 0.41, r.top() + r.height() * 0.36);
    p.setBrush(QColor(250, 252, 255));
    p.drawPolygon(snow);
    QPainterPath ground;
    ground.moveTo(r.left(), r.top() + r.height() * 0.74);
    ground.quadTo(r.center().x(), r.top() + r.height() * 0.62, r.right(), r.top() + r.height() * 0.76);
    ground.lineTo(r.bottomRight());
    ground.lineTo(r.bottomLeft());
    p.setBrush(QColor(70, 140, 60));
    p.drawPath(ground);
}

void print_sunset(QPainter& p, const QRectF& r)
{
    QLinearGradient sky(r.topLeft(), r.bottomLeft());
    sky.setColorAt(0, QColor(90, 60, 150));
    sky.setColorAt(0.45, QColor(240, 110, 80));
    sky.setColorAt(0.7, QColor(255, 200, 90));
    p.setPen(Qt::NoPen);
    p.setBrush(sky);
    p.drawRect(r);
    p.setBrush(QColor(255, 236, 150));
    p.drawEllipse(QPointF(r.center().x() + 8, r.top() + r.height() * 0.62), 11, 11);
    p.setBrush(QColor(60, 30, 60));
    p.drawRect(QRectF(r.left(), r.top() + r.height() * 0.68, r.width(), r.height() * 0.32));
    p.setBrush(QColor(255, 190, 110, 150));
    for (int i = 0; i < 4; ++i)
        p.drawRect(
            QRectF(r.center().x() - 10 + i * 2, r.top() + r.height() * (0.72 + i * 0.06), 36 - i * 8, 1.2));
    // A palm tree against the light.
    p.setPen(QPen(QColor(30, 14, 30), 2.2, Qt::SolidLine, Qt::RoundCap));
    QPainterPath trunk;
    trunk.moveTo(r.left() + 20, r.bottom());
    trunk.quadTo(r.left() + 24, r.top() + r.height() * 0.6, r.left() + 30, r.top() + r.height() * 0.3);
    p.setBrush(Qt::NoBrush);
    p.drawPath(trunk);
    p.setPen(QPen(QColor(30, 14, 30), 1.6, Qt::SolidLine, Qt::RoundCap));
    const QPointF crown(r.left() + 30, r.top() + r.height() * 0.3);
    for (int i = 0; i < 6; ++i) {
        const double a = (-160 + i * 32) * std::numbers::pi / 180;
        QPainterPath leaf;
        leaf.moveTo(crown);
        leaf.quadTo(crown + QPointF(std::cos(a) * 10, std::sin(a) * 10 - 5),
                    crown + QPointF(std::cos(a) * 17, std::sin(a) * 12 + 4));
        p.drawPath(leaf);
    }
}

void print_meadow(QPainter& p, const QRectF& r)
{
    landscape(p, r,
              Scene{QColor(70, 140, 230), QColor(190, 226, 250), QColor(80, 150, 90), QColor(120, 200, 70),
                    QColor(50, 130, 40), 0.58, 97});
    cloud(p, QRectF(r.left() + 10, r.top() + 8, 34, 14));
    // A tree and a red barn.
    p.setPen(QPen(QColor(30, 70, 30), 1));
    p.setBrush(QColor(40, 120, 50));
    p.drawEllipse(QPointF(r.right() - 26, r.top() + r.height() * 0.45), 10, 11);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(90, 60, 30));
    p.drawRect(QRectF(r.right() - 27, r.top() + r.height() * 0.55, 2.5, 10));
    p.setBrush(QColor(190, 40, 30));
    p.drawRect(QRectF(r.left() + 30, r.top() + r.height() * 0.5, 18, 12));
    QPolygonF roof;
    roof << QPointF(r.left() + 28, r.top() + r.height() * 0.5)
         << QPointF(r.left() + 39, r.top() + r.height() * 0.38)
         << QPointF(r.left() + 50, r.top() + r.height() * 0.5);
    p.setBrush(QColor(80, 40, 30));
    p.drawPolygon(roof);
    Noise noise(11);
    for (int i = 0; i < 30; ++i) {
        p.setBrush(i % 2 ? QColor(255, 220, 0) : QColor(255, 255, 255));
        p.drawEllipse(
            QPointF(r.left() + noise.unit() * r.width(), r.top() + r.height() * (0.75 + 0.23 * noise.unit())),
            1.2, 1.2);
    }
}

// A print with a white border, turned `degrees` about a point far below the fan.
void fanned_print(QPainter& p, double degrees, void (*scene)(QPainter&, const QRectF&))
{
    p.save();
    p.translate(167, 352);
    p.rotate(degrees);
    p.translate(0, -196);
    const QRectF paper(-63, -47, 126, 94);
    p.setPen(Qt::NoPen);
    for (int i = 3; i >= 1; --i) {
        p.setBrush(QColor(0, 0, 0, 26));
        p.drawRoundedRect(paper.translated(i * 0.8, i * 1.1).adjusted(-i * 0.5, -i * 0.5, i * 0.5, i * 0.5),
                          2, 2);
    }
    p.setPen(QPen(QColor(150, 150, 146), 0.8));
    p.setBrush(QColor(250, 250, 246));
    p.drawRect(paper);
    const QRectF photo = paper.adjusted(5, 5, -5, -5);
    p.save();
    p.setClipRect(photo);
    scene(p, photo);
    p.restore();
    p.setPen(QPen(QColor(0, 0, 0, 60), 0.8));
    p.setBrush(Qt::NoBrush);
    p.drawRect(photo);
    p.restore();
}

void title_band(QPainter& p)
{
    const QRectF band(0, 0, 334, 84);
    QLinearGradient blue(band.topLeft(), band.bottomLeft());
    blue.setColorAt(0, QColor(46, 104, 176));
    blue.setColorAt(1, QColor(18, 52, 108));
    p.setPen(Qt::NoPen);
    p.setBrush(blue);
    p.drawRect(band);
    QPainterPath sheen;
    sheen.moveTo(0, 0);
    sheen.lineTo(334, 0);
    sheen.lineTo(334, 22);
    sheen.quadTo(167, 40, 0, 30);
    sheen.closeSubpath();
    p.setBrush(QColor(255, 255, 255, 26));
    p.drawPath(sheen);
    logo_mark(p, QPointF(40, 42), 27);
    const QFont big = font(fonts().sans, 40, true);
    draw_text(p, big, "Tintelo", QPointF(78, 43), QColor(8, 20, 44, 140));
    draw_text(p, big, "Tintelo", QPointF(77, 42), QColor(255, 255, 255));
    const QFont second = font(fonts().sans, 23, true);
    draw_text(p, second, "photo mallet", QPointF(79, 71), QColor(8, 20, 44, 140));
    draw_text(p, second, "photo mallet", QPointF(78, 70), QColor(178, 214, 255));
}

void emblem(QPainter& p, const QPointF& c, double r)
{
    p.save();
    QPolygonF rosette;
    const int teeth = 28;
    for (int i = 0; i < 2 * teeth; ++i) {
        const double a = i * std::numbers::pi / teeth, radius = i % 2 ? r * 0.92 : r;
        rosette << c + QPointF(std::cos(a), std::sin(a)) * radius;
    }
    QLinearGradient gold(c - QPointF(r, r), c + QPointF(r, r));
    gold.setColorAt(0, QColor(255, 236, 150));
    gold.setColorAt(0.5, QColor(222, 170, 50));
    gold.setColorAt(1, QColor(150, 100, 20));
    p.setPen(QPen(QColor(110, 70, 10), 1));
    p.setBrush(gold);
    p.drawPolygon(rosette);
    QLinearGradient blue(c - QPointF(0, r), c + QPointF(0, r));
    blue.setColorAt(0, QColor(48, 108, 178));
    blue.setColorAt(1, QColor(18, 52, 108));
    p.setPen(QPen(QColor(255, 246, 210), 1.4));
    p.setBrush(blue);
    p.drawEllipse(c, r * 0.74, r * 0.74);
    p.setPen(QPen(QColor(255, 246, 210, 160), 0.8));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(c, r * 0.62, r * 0.62);
    mallet(p, c + QPointF(-3, -4), r * 0.6, -40);
    p.restore();
}

}  // namespace

QImage draw_splash()
{
    QImage image = new_image(334, 314, footer_grey);
    // The collage stands on a light studio backdrop.
    brushed_metal(image, QRect(0, 84, 334, footer_top - 84), QColor(242, 243, 246), QColor(214, 215, 219),
                  seed_from("splash backdrop"), 0.6);
    QPainter p;
    begin(p, image);
    title_band(p);
    QRadialGradient spot(QPointF(167, 160), 150);
    spot.setColorAt(0, QColor(255, 255, 255, 120));
    spot.setColorAt(1, QColor(255, 255, 255, 0));
    p.setPen(Qt::NoPen);
    p.setBrush(spot);
    p.drawRect(QRectF(0, 86, 334, footer_top - 86));
    fanned_print(p, -21, print_mountains);
    fanned_print(p, -7, print_beach);
    fanned_print(p, 7, print_sunset);
    fanned_print(p, 21, print_meadow);
    bellows_camera(p, QRectF(8, 160, 124, 94));
    mobile_phone(p, QRectF(250, 152, 42, 82));
    compact_camera(p, QRectF(130, 198, 98, 52));
    p.end();
    // Footer: a groove, the emblem, the tag line, and plain grey where "Version 1.1" is drawn.
    fill(image, QRect(0, 84, 334, 1), QColor(10, 30, 70));
    blend_rect(image, QRect(0, 85, 334, 1), QColor(255, 255, 255), 0.7);
    fill(image, QRect(0, footer_top - 2, 334, 1), QColor(150, 150, 154));
    fill(image, QRect(0, footer_top - 1, 334, 1), QColor(236, 236, 238));
    begin(p, image);
    emblem(p, QPointF(36, 285.5), 22);
    const QFont tag = font(fonts().sans, 12, true);
    engraved_text(p, tag, "True colors in one click", QPointF(66, 289), QColor(56, 58, 66),
                  QColor(255, 255, 255, 160));
    p.end();
    // The window shows rows and columns 1 to 312 and 1 to 332: outline the part that is seen.
    const QColor edge(40, 42, 48);
    fill(image, QRect(1, 1, 332, 1), edge);
    fill(image, QRect(1, 312, 332, 1), edge);
    fill(image, QRect(1, 1, 1, 312), edge);
    fill(image, QRect(332, 1, 1, 312), edge);
    return image;
}

}  // namespace skin
