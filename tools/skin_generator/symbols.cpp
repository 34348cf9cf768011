#include "tools/skin_generator/symbols.h"

#include <QLinearGradient>
#include <QPainterPath>
#include <QPolygonF>
#include <QRadialGradient>
#include <cmath>
#include <numbers>

#include "tools/skin_generator/paint_kit.h"

namespace skin {

namespace {

QPen outline(const QColor& colour, double width = 1.0)
{
    QPen pen(colour, width);
    pen.setJoinStyle(Qt::RoundJoin);
    pen.setCapStyle(Qt::RoundCap);
    return pen;
}

// A soft contact shadow under an object standing on a surface.
void soft_shadow(QPainter& painter, const QRectF& area, int opacity)
{
    QRadialGradient g(area.center(), area.width() / 2);
    g.setColorAt(0, QColor(0, 0, 0, opacity));
    g.setColorAt(1, QColor(0, 0, 0, 0));
    painter.save();
    painter.setPen(Qt::NoPen);
    painter.setBrush(g);
    painter.translate(area.center());
    painter.scale(1.0, area.height() / area.width());
    painter.translate(-area.center());
    painter.drawEllipse(area.center(), area.width() / 2, area.width() / 2);
    painter.restore();
}

QLinearGradient vertical(const QRectF& r, const QColor& top, const QColor& bottom)
{
    QLinearGradient g(r.topLeft(), r.bottomLeft());
    g.setColorAt(0, top);
    g.setColorAt(1, bottom);
    return g;
}

QLinearGradient diagonal(const QRectF& r, const QColor& light, const QColor& dark)
{
    QLinearGradient g(r.topLeft(), r.bottomRight());
    g.setColorAt(0, light);
    g.setColorAt(1, dark);
    return g;
}

void lens(QPainter& painter, const QPointF& c, double r)
{
    painter.setPen(outline(QColor(50, 52, 58)));
    painter.setBrush(
        diagonal(QRectF(c.x() - r, c.y() - r, 2 * r, 2 * r), QColor(250, 251, 253), QColor(120, 123, 132)));
    painter.drawEllipse(c, r, r);
    painter.setPen(outline(QColor(10, 10, 12)));
    painter.setBrush(QColor(36, 37, 42));
    painter.drawEllipse(c, r * 0.8, r * 0.8);
    painter.setPen(outline(QColor(110, 112, 120), 0.8));
    painter.setBrush(QColor(22, 23, 28));
    painter.drawEllipse(c, r * 0.62, r * 0.62);
    QRadialGradient glass(c - QPointF(r * 0.18, r * 0.22), r * 0.55);
    glass.setColorAt(0, QColor(96, 84, 160));
    glass.setColorAt(0.55, QColor(32, 40, 92));
    glass.setColorAt(1, QColor(8, 10, 20));
    painter.setPen(Qt::NoPen);
    painter.setBrush(glass);
    painter.drawEllipse(c, r * 0.48, r * 0.48);
    painter.setBrush(QColor(255, 255, 255, 220));
    painter.drawEllipse(c + QPointF(-r * 0.2, -r * 0.2), r * 0.13, r * 0.13);
    painter.setBrush(QColor(255, 255, 255, 110));
    painter.drawEllipse(c + QPointF(r * 0.2, r * 0.18), r * 0.07, r * 0.07);
}

}  // namespace

void compact_camera(QPainter& painter, const QRectF& b)
{
    painter.save();
    const double w = b.width(), h = b.height();
    soft_shadow(painter, QRectF(b.left() - 2, b.bottom() - 4, w + 6, 10), 90);
    // Shutter release and power button on the top plate.
    const QRectF shutter(b.left() + w * 0.68, b.top() - 3, w * 0.17, 4);
    painter.setPen(outline(QColor(60, 62, 70)));
    painter.setBrush(vertical(shutter, QColor(245, 245, 248), QColor(150, 152, 160)));
    painter.drawRoundedRect(shutter, 1.2, 1.2);
    const QRectF power(b.left() + w * 0.5, b.top() - 2, w * 0.09, 3);
    painter.setBrush(QColor(60, 62, 70));
    painter.drawRect(power);
    // Body.
    painter.setPen(outline(QColor(58, 60, 68)));
    QLinearGradient body(b.topLeft(), b.bottomLeft());
    body.setColorAt(0, QColor(246, 247, 250));
    body.setColorAt(0.45, QColor(206, 209, 216));
    body.setColorAt(1, QColor(136, 139, 148));
    painter.setBrush(body);
    painter.drawRoundedRect(b, h * 0.16, h * 0.16);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(255, 255, 255, 90));
    painter.drawRect(QRectF(b.left() + 2, b.top() + 1.5, w - 4, 1));
    // Flash window with its fresnel ridges.
    const QRectF flash(b.left() + w * 0.07, b.top() + h * 0.17, w * 0.22, h * 0.24);
    painter.setPen(outline(QColor(70, 72, 80)));
    painter.setBrush(vertical(flash, QColor(255, 255, 255), QColor(196, 200, 208)));
    painter.drawRect(flash);
    painter.setPen(QPen(QColor(150, 155, 168, 160), 1));
    for (double x = flash.left() + 3; x < flash.right() - 1; x += 3)
        painter.drawLine(QPointF(x, flash.top() + 1.5), QPointF(x, flash.bottom() - 1));
    // Viewfinder and the autofocus lamp.
    const QRectF finder(b.left() + w * 0.82, b.top() + h * 0.17, w * 0.1, h * 0.18);
    painter.setPen(outline(QColor(30, 30, 34)));
    painter.setBrush(vertical(finder, QColor(90, 110, 140), QColor(20, 24, 34)));
    painter.drawRect(finder);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(255, 120, 30));
    painter.drawEllipse(QPointF(b.left() + w * 0.35, b.top() + h * 0.29), 1.3, 1.3);
    lens(painter, QPointF(b.left() + w * 0.56, b.top() + h * 0.56), h * 0.45);
    painter.restore();
}

void mobile_phone(QPainter& painter, const QRectF& b)
{
    painter.save();
    const double w = b.width(), h = b.height();
    soft_shadow(painter, QRectF(b.left() - 3, b.bottom() - 4, w + 8, 9), 90);
    painter.setPen(outline(QColor(12, 12, 16)));
    QLinearGradient body(b.topLeft(), b.topRight());
    body.setColorAt(0, QColor(92, 96, 108));
    body.setColorAt(0.35, QColor(58, 61, 70));
    body.setColorAt(1, QColor(26, 27, 32));
    painter.setBrush(body);
    const double round = w * 0.2;
    painter.drawRoundedRect(b, round, round);
    painter.setPen(QPen(QColor(255, 255, 255, 70), 1));
    painter.setBrush(Qt::NoBrush);
    painter.drawRoundedRect(b.adjusted(1, 1, -1, -1), round - 1, round - 1);
    // Screen with a tiny photo on it.
    const QRectF screen(b.left() + 3, b.top() + h * 0.14, w - 6, h * 0.64);
    painter.setPen(outline(QColor(8, 8, 10)));
    painter.setBrush(QColor(8, 8, 10));
    painter.drawRect(screen);
    const QRectF picture = screen.adjusted(1, 1, -1, -1);
    landscape(painter, picture,
              Scene{QColor(70, 140, 230), QColor(170, 215, 250), QColor(90, 150, 90), QColor(90, 175, 60),
                    QColor(40, 110, 40), 0.62, 7});
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(255, 230, 90));
    painter.drawEllipse(
        QPointF(picture.right() - picture.width() * 0.3, picture.top() + picture.height() * 0.22),
        picture.width() * 0.12, picture.width() * 0.12);
    // Glass sheen across the screen.
    QPainterPath sheen;
    sheen.moveTo(picture.topLeft());
    sheen.lineTo(picture.right(), picture.top());
    sheen.lineTo(picture.left(), picture.top() + picture.height() * 0.55);
    sheen.closeSubpath();
    painter.setBrush(QColor(255, 255, 255, 46));
    painter.drawPath(sheen);
    // Earpiece, front camera and home button.
    painter.setBrush(QColor(14, 14, 18));
    painter.setPen(QPen(QColor(120, 124, 136), 0.8));
    painter.drawRoundedRect(QRectF(b.center().x() - w * 0.18, b.top() + h * 0.055, w * 0.36, 2.2), 1, 1);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(40, 60, 110));
    painter.drawEllipse(QPointF(b.left() + w * 0.24, b.top() + h * 0.075), 1.1, 1.1);
    const QPointF home(b.center().x(), b.bottom() - h * 0.1);
    const double hr = std::max(2.0, w * 0.11);
    painter.setPen(outline(QColor(150, 154, 166)));
    painter.setBrush(diagonal(QRectF(home.x() - hr, home.y() - hr, 2 * hr, 2 * hr), QColor(20, 20, 24),
                              QColor(70, 72, 80)));
    painter.drawEllipse(home, hr, hr);
    painter.restore();
}

void bellows_camera(QPainter& painter, const QRectF& box)
{
    painter.save();
    const double w = box.width(), h = box.height();
    auto at = [&](double fx, double fy) { return QPointF(box.left() + fx * w, box.top() + fy * h); };
    auto rect = [&](double fx, double fy, double fw, double fh) {
        return QRectF(box.left() + fx * w, box.top() + fy * h, fw * w, fh * h);
    };
    soft_shadow(painter, rect(0.0, 0.86, 1.0, 0.16), 110);
    const QColor wood_light(196, 120, 62), wood_dark(112, 56, 24), brass_light(255, 226, 140),
        brass_dark(160, 112, 30), leather(42, 36, 34);
    // Bed with its two brass rails.
    const QRectF bed = rect(0.08, 0.78, 0.88, 0.1);
    painter.setPen(outline(QColor(60, 28, 10)));
    painter.setBrush(vertical(bed, wood_light, wood_dark));
    painter.drawRect(bed);
    painter.setPen(QPen(brass_light, 1.2));
    painter.drawLine(QPointF(bed.left() + 2, bed.top() + 1.5), QPointF(bed.right() - 2, bed.top() + 1.5));
    painter.setPen(QPen(brass_dark, 1));
    painter.drawLine(QPointF(bed.left() + 2, bed.bottom() - 1.5),
                     QPointF(bed.right() - 2, bed.bottom() - 1.5));
    // Rear standard: wooden frame with the focusing screen.
    const QRectF rear = rect(0.7, 0.06, 0.2, 0.74);
    painter.setPen(outline(QColor(60, 28, 10)));
    painter.setBrush(diagonal(rear, wood_light, wood_dark));
    painter.drawRect(rear);
    painter.setBrush(vertical(rear, QColor(70, 70, 66), QColor(30, 30, 28)));
    painter.drawRect(rear.adjusted(w * 0.04, h * 0.06, -w * 0.04, -h * 0.06));
    painter.setPen(Qt::NoPen);
    painter.setBrush(brass_light);
    for (const QPointF& c : {rear.topLeft(), rear.topRight(), rear.bottomLeft(), rear.bottomRight()})
        painter.drawEllipse(
            c + QPointF(c.x() < rear.center().x() ? 2.5 : -2.5, c.y() < rear.center().y() ? 2.5 : -2.5), 1.4,
            1.4);
    // Bellows: pleats narrowing from the rear standard to the lens board.
    const double x0 = 0.34, x1 = 0.7;
    const int pleats = 7;
    for (int i = 0; i < pleats; ++i) {
        const double a = x0 + (x1 - x0) * i / pleats, b = x0 + (x1 - x0) * (i + 1) / pleats;
        auto half = [&](double fx) { return 0.17 + (0.31 - 0.17) * (fx - x0) / (x1 - x0); };
        QPolygonF pleat;
        const double mid = (a + b) / 2;
        pleat << at(a, 0.43 - half(a)) << at(mid, 0.43 - half(mid) - 0.025) << at(b, 0.43 - half(b))
              << at(b, 0.43 + half(b)) << at(mid, 0.43 + half(mid) + 0.025) << at(a, 0.43 + half(a));
        QLinearGradient fold(at(a, 0), at(b, 0));
        fold.setColorAt(0, leather.lighter(190));
        fold.setColorAt(0.5, leather.lighter(130));
        fold.setColorAt(1, leather);
        painter.setPen(outline(QColor(14, 12, 12), 0.8));
        painter.setBrush(fold);
        painter.drawPolygon(pleat);
    }
    // Front standard on the bed and the lens board.
    painter.setPen(outline(QColor(60, 28, 10)));
    painter.setBrush(vertical(rect(0.3, 0.6, 0.06, 0.2), brass_light, brass_dark));
    painter.drawRect(rect(0.3, 0.6, 0.06, 0.19));
    const QRectF board = rect(0.27, 0.14, 0.08, 0.58);
    painter.setBrush(diagonal(board, wood_light, wood_dark));
    painter.drawRect(board);
    // Brass lens barrel with its glass facing left.
    const QRectF barrel = rect(0.07, 0.3, 0.2, 0.26);
    painter.setPen(outline(QColor(90, 60, 10)));
    painter.setBrush(vertical(barrel, brass_light, brass_dark));
    painter.drawRect(barrel);
    painter.setPen(QPen(QColor(120, 84, 20), 1));
    for (double fx : {0.12, 0.17, 0.22}) painter.drawLine(at(fx, 0.31), at(fx, 0.55));
    const QRectF glass(barrel.left() - w * 0.035, barrel.top() - 1, w * 0.07, barrel.height() + 2);
    painter.setPen(outline(QColor(90, 60, 10)));
    painter.setBrush(brass_light.darker(115));
    painter.drawEllipse(glass);
    QRadialGradient shine(glass.center() - QPointF(1, 2), glass.height() / 2);
    shine.setColorAt(0, QColor(150, 170, 220));
    shine.setColorAt(1, QColor(20, 24, 40));
    painter.setPen(Qt::NoPen);
    painter.setBrush(shine);
    painter.drawEllipse(glass.adjusted(1.2, 2, -1.2, -2));
    painter.setBrush(QColor(255, 255, 255, 200));
    painter.drawEllipse(glass.center() + QPointF(-0.5, -glass.height() * 0.18), 0.9, 1.6);
    painter.restore();
}

void sun(QPainter& painter, const QPointF& c, double r, int rays)
{
    painter.save();
    painter.setPen(outline(QColor(196, 110, 0)));
    painter.setBrush(QColor(255, 196, 30));
    for (int i = 0; i < rays; ++i) {
        const double a = (i * 360.0 / rays - 90) * std::numbers::pi / 180, s = std::numbers::pi / rays * 0.42;
        QPolygonF ray;
        ray << c + QPointF(std::cos(a - s), std::sin(a - s)) * r * 1.22
            << c + QPointF(std::cos(a), std::sin(a)) * r * 1.78
            << c + QPointF(std::cos(a + s), std::sin(a + s)) * r * 1.22;
        painter.drawPolygon(ray);
    }
    QRadialGradient disc(c - QPointF(r * 0.35, r * 0.35), r * 1.3);
    disc.setColorAt(0, QColor(255, 250, 180));
    disc.setColorAt(0.6, QColor(255, 210, 40));
    disc.setColorAt(1, QColor(245, 150, 10));
    painter.setBrush(disc);
    painter.drawEllipse(c, r, r);
    painter.restore();
}

void moon(QPainter& painter, const QPointF& c, double r)
{
    painter.save();
    QPainterPath full, bite, crescent;
    full.addEllipse(c, r, r);
    bite.addEllipse(c + QPointF(r * 0.55, -r * 0.32), r * 0.86, r * 0.86);
    crescent = full.subtracted(bite);
    QRadialGradient g(c - QPointF(r * 0.5, r * 0.3), r * 1.5);
    g.setColorAt(0, QColor(255, 252, 220));
    g.setColorAt(1, QColor(220, 196, 110));
    painter.setPen(outline(QColor(120, 100, 40)));
    painter.setBrush(g);
    painter.drawPath(crescent);
    painter.restore();
}

void bulb(QPainter& painter, const QRectF& box)
{
    painter.save();
    const double w = box.width(), h = box.height();
    const QPointF glass_centre(box.center().x(), box.top() + w * 0.45);
    const double r = w * 0.45;
    QRadialGradient glow(glass_centre, r * 2.0);
    glow.setColorAt(0, QColor(255, 230, 120, 150));
    glow.setColorAt(1, QColor(255, 230, 120, 0));
    painter.setPen(Qt::NoPen);
    painter.setBrush(glow);
    painter.drawEllipse(glass_centre, r * 2.0, r * 2.0);
    QPainterPath glass;
    glass.addEllipse(glass_centre, r, r);
    QPainterPath neck;
    const double neck_top = glass_centre.y() + r * 0.5, neck_bottom = box.top() + h * 0.72;
    neck.moveTo(glass_centre.x() - r * 0.86, neck_top);
    neck.lineTo(glass_centre.x() + r * 0.86, neck_top);
    neck.lineTo(glass_centre.x() + r * 0.46, neck_bottom);
    neck.lineTo(glass_centre.x() - r * 0.46, neck_bottom);
    neck.closeSubpath();
    glass = glass.united(neck);
    QRadialGradient fill_gradient(glass_centre - QPointF(r * 0.3, r * 0.3), r * 1.4);
    fill_gradient.setColorAt(0, QColor(255, 255, 230));
    fill_gradient.setColorAt(0.55, QColor(255, 226, 100));
    fill_gradient.setColorAt(1, QColor(240, 170, 30));
    painter.setPen(outline(QColor(160, 100, 10)));
    painter.setBrush(fill_gradient);
    painter.drawPath(glass);
    // Filament.
    painter.setPen(QPen(QColor(210, 90, 10), 1.0));
    painter.setBrush(Qt::NoBrush);
    QPainterPath filament;
    filament.moveTo(glass_centre.x() - r * 0.3, neck_bottom - 1);
    filament.lineTo(glass_centre.x() - r * 0.3, glass_centre.y() + r * 0.1);
    filament.lineTo(glass_centre.x() - r * 0.1, glass_centre.y() - r * 0.15);
    filament.lineTo(glass_centre.x() + r * 0.1, glass_centre.y() + r * 0.1);
    filament.lineTo(glass_centre.x() + r * 0.3, glass_centre.y() - r * 0.15);
    filament.lineTo(glass_centre.x() + r * 0.3, neck_bottom - 1);
    painter.drawPath(filament);
    // Screw base.
    const QRectF base(glass_centre.x() - r * 0.5, neck_bottom, r, box.bottom() - neck_bottom - h * 0.06);
    painter.setPen(outline(QColor(70, 72, 80)));
    QLinearGradient metal(base.topLeft(), base.topRight());
    metal.setColorAt(0, QColor(240, 240, 244));
    metal.setColorAt(1, QColor(120, 122, 130));
    painter.setBrush(metal);
    painter.drawRect(base);
    painter.setPen(QPen(QColor(90, 92, 100), 1));
    for (double y = base.top() + 2; y < base.bottom() - 0.5; y += 2)
        painter.drawLine(QPointF(base.left() + 0.5, y), QPointF(base.right() - 0.5, y));
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(50, 50, 56));
    painter.drawRoundedRect(QRectF(base.center().x() - r * 0.22, base.bottom(), r * 0.44, h * 0.06), 1, 1);
    painter.setBrush(QColor(255, 255, 255, 200));
    painter.drawEllipse(glass_centre - QPointF(r * 0.42, r * 0.4), r * 0.14, r * 0.2);
    painter.restore();
}

void flash_bolt(QPainter& painter, const QRectF& b)
{
    painter.save();
    auto p = [&](double fx, double fy) {
        return QPointF(b.left() + fx * b.width(), b.top() + fy * b.height());
    };
    QPolygonF bolt;
    bolt << p(0.58, 0) << p(0.08, 0.58) << p(0.44, 0.58) << p(0.28, 1) << p(0.92, 0.36) << p(0.55, 0.36)
         << p(0.78, 0);
    QLinearGradient g(b.topLeft(), b.bottomRight());
    g.setColorAt(0, QColor(255, 250, 170));
    g.setColorAt(0.5, QColor(255, 220, 40));
    g.setColorAt(1, QColor(240, 150, 0));
    painter.setPen(outline(QColor(140, 80, 0)));
    painter.setBrush(g);
    painter.drawPolygon(bolt);
    painter.restore();
}

void cloud(QPainter& painter, const QRectF& b, const QColor& colour)
{
    painter.save();
    const double w = b.width(), h = b.height();
    QPainterPath shape;
    shape.addRoundedRect(QRectF(b.left(), b.top() + h * 0.5, w, h * 0.5), h * 0.25, h * 0.25);
    QPainterPath puff;
    puff.addEllipse(QPointF(b.left() + w * 0.3, b.top() + h * 0.55), w * 0.2, h * 0.36);
    shape = shape.united(puff);
    puff = QPainterPath();
    puff.addEllipse(QPointF(b.left() + w * 0.58, b.top() + h * 0.42), w * 0.26, h * 0.42);
    shape = shape.united(puff);
    QLinearGradient g(b.topLeft(), b.bottomLeft());
    g.setColorAt(0, colour);
    g.setColorAt(1, mix(colour, QColor(120, 130, 150), 0.38));
    painter.setPen(outline(mix(colour, QColor(40, 50, 70), 0.6)));
    painter.setBrush(g);
    painter.drawPath(shape);
    painter.restore();
}

void glaring_sun(QPainter& painter, const QPointF& c, double r)
{
    painter.save();
    painter.setPen(Qt::NoPen);
    QRadialGradient halo(c, r * 3.4);
    halo.setColorAt(0, QColor(255, 255, 230, 230));
    halo.setColorAt(0.35, QColor(255, 245, 170, 130));
    halo.setColorAt(1, QColor(255, 240, 160, 0));
    painter.setBrush(halo);
    painter.drawEllipse(c, r * 3.4, r * 3.4);
    for (int i = 0; i < 8; ++i) {
        const double a = i * std::numbers::pi / 4 + std::numbers::pi / 8, s = 0.07;
        const double len = (i % 2 ? 2.2 : 3.6) * r;
        QPolygonF spike;
        spike << c + QPointF(std::cos(a - s), std::sin(a - s)) * r * 0.8
              << c + QPointF(std::cos(a), std::sin(a)) * len
              << c + QPointF(std::cos(a + s), std::sin(a + s)) * r * 0.8;
        painter.setBrush(QColor(255, 236, 150, 210));
        painter.drawPolygon(spike);
    }
    QRadialGradient core(c, r);
    core.setColorAt(0, QColor(255, 255, 255));
    core.setColorAt(0.7, QColor(255, 252, 210));
    core.setColorAt(1, QColor(255, 220, 80));
    painter.setPen(outline(QColor(235, 170, 20)));
    painter.setBrush(core);
    painter.drawEllipse(c, r, r);
    painter.restore();
}

void figure_silhouette(QPainter& painter, const QRectF& b, const QColor& colour)
{
    painter.save();
    const double w = b.width(), h = b.height();
    QPainterPath shape;
    shape.addEllipse(QPointF(b.center().x(), b.top() + h * 0.17), w * 0.2, h * 0.17);
    QPainterPath body;
    body.moveTo(b.left(), b.bottom());
    body.cubicTo(b.left(), b.top() + h * 0.42, b.left() + w * 0.2, b.top() + h * 0.38, b.center().x(),
                 b.top() + h * 0.38);
    body.cubicTo(b.right() - w * 0.2, b.top() + h * 0.38, b.right(), b.top() + h * 0.42, b.right(),
                 b.bottom());
    body.closeSubpath();
    shape = shape.united(body);
    painter.setPen(Qt::NoPen);
    painter.setBrush(colour);
    painter.drawPath(shape);
    painter.restore();
}

void no_sign(QPainter& painter, const QRectF& b)
{
    painter.save();
    const double t = std::max(1.4, b.width() * 0.09);
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(QColor(255, 255, 255, 200), t + 2));
    painter.drawEllipse(b.adjusted(t / 2, t / 2, -t / 2, -t / 2));
    painter.setPen(QPen(QColor(210, 24, 20), t));
    painter.drawEllipse(b.adjusted(t / 2, t / 2, -t / 2, -t / 2));
    const double k = 0.2;
    painter.drawLine(QPointF(b.left() + b.width() * k, b.top() + b.height() * k),
                     QPointF(b.right() - b.width() * k, b.bottom() - b.height() * k));
    painter.restore();
}

void tools_sign(QPainter& painter, const QRectF& b)
{
    painter.save();
    const QPointF c = b.center();
    const double rx = b.width() / 2, ry = b.height() / 2;
    auto diamond = [&](double inset) {
        QPolygonF d;
        d << QPointF(c.x(), c.y() - ry + inset) << QPointF(c.x() + rx - inset, c.y())
          << QPointF(c.x(), c.y() + ry - inset) << QPointF(c.x() - rx + inset, c.y());
        return d;
    };
    // Drop shadow, then the white border, black rim, orange field and inner line of a road sign.
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0, 0, 0, 70));
    painter.drawPolygon(diamond(0).translated(1.5, 2));
    painter.setPen(outline(QColor(40, 40, 44)));
    painter.setBrush(diagonal(b, QColor(255, 255, 255), QColor(190, 192, 198)));
    painter.drawPolygon(diamond(0.5));
    QLinearGradient orange(b.topLeft(), b.bottomRight());
    orange.setColorAt(0, QColor(255, 190, 70));
    orange.setColorAt(0.5, QColor(250, 140, 20));
    orange.setColorAt(1, QColor(215, 96, 6));
    painter.setPen(outline(QColor(30, 30, 30), 1.4));
    painter.setBrush(orange);
    painter.drawPolygon(diamond(3.4));
    painter.setPen(outline(QColor(30, 30, 30), 1.0));
    painter.setBrush(Qt::NoBrush);
    painter.drawPolygon(diamond(6.5));
    // Crossed wrench and mallet in black.
    const double s = std::min(rx, ry);
    const QColor ink(26, 26, 28);
    painter.translate(c);
    painter.rotate(45);
    painter.setPen(Qt::NoPen);
    painter.setBrush(ink);
    painter.drawRoundedRect(QRectF(-s * 0.07, -s * 0.42, s * 0.14, s * 0.84), s * 0.05, s * 0.05);
    QPainterPath jaw;
    jaw.addEllipse(QPointF(0, -s * 0.44), s * 0.17, s * 0.17);
    QPainterPath notch;
    notch.addRect(QRectF(-s * 0.055, -s * 0.64, s * 0.11, s * 0.2));
    painter.drawPath(jaw.subtracted(notch));
    QPainterPath ring;
    ring.addEllipse(QPointF(0, s * 0.44), s * 0.12, s * 0.12);
    QPainterPath hole;
    hole.addEllipse(QPointF(0, s * 0.44), s * 0.05, s * 0.05);
    painter.drawPath(ring.subtracted(hole));
    painter.rotate(-90);
    painter.drawRoundedRect(QRectF(-s * 0.055, -s * 0.2, s * 0.11, s * 0.64), s * 0.04, s * 0.04);
    painter.drawRoundedRect(QRectF(-s * 0.24, -s * 0.46, s * 0.48, s * 0.24), s * 0.06, s * 0.06);
    painter.restore();
}

void mallet(QPainter& painter, const QPointF& head, double size, double degrees)
{
    painter.save();
    painter.translate(head);
    painter.rotate(degrees);
    const QColor wood_light(232, 176, 104), wood_dark(150, 90, 40), outline_colour(80, 44, 16);
    const QRectF handle(-size * 0.08, size * 0.2, size * 0.16, size * 1.25);
    painter.setPen(outline(outline_colour));
    QLinearGradient hg(handle.topLeft(), handle.topRight());
    hg.setColorAt(0, wood_light);
    hg.setColorAt(1, wood_dark);
    painter.setBrush(hg);
    painter.drawRoundedRect(handle, size * 0.06, size * 0.06);
    const QRectF block(-size * 0.5, -size * 0.26, size, size * 0.52);
    QLinearGradient bg(block.topLeft(), block.bottomLeft());
    bg.setColorAt(0, wood_light.lighter(110));
    bg.setColorAt(1, wood_dark);
    painter.setBrush(bg);
    painter.drawRoundedRect(block, size * 0.1, size * 0.1);
    painter.setPen(QPen(outline_colour, 1));
    painter.drawLine(QPointF(block.left() + size * 0.16, block.top() + 1),
                     QPointF(block.left() + size * 0.16, block.bottom() - 1));
    painter.drawLine(QPointF(block.right() - size * 0.16, block.top() + 1),
                     QPointF(block.right() - size * 0.16, block.bottom() - 1));
    painter.restore();
}

void landscape(QPainter& painter, const QRectF& area, const Scene& scene)
{
    painter.save();
    painter.setClipRect(area);
    painter.setPen(Qt::NoPen);
    const double horizon = area.top() + area.height() * scene.horizon;
    painter.setBrush(vertical(QRectF(area.left(), area.top(), area.width(), horizon - area.top()),
                              scene.sky_top, scene.sky_bottom));
    painter.drawRect(area);
    Noise noise(scene.seed);
    // Distant hills, then the near ground with a gentle rise.
    QPainterPath hills;
    hills.moveTo(area.left(), horizon + 2);
    const int bumps = 5;
    for (int i = 0; i <= bumps; ++i) {
        const double x = area.left() + area.width() * i / bumps;
        const double peak = horizon - area.height() * (0.06 + 0.12 * noise.unit());
        hills.quadTo(x - area.width() / bumps / 2, peak, x, horizon - area.height() * 0.02);
    }
    hills.lineTo(area.right(), area.bottom());
    hills.lineTo(area.left(), area.bottom());
    hills.closeSubpath();
    painter.setBrush(mix(scene.hills, scene.sky_bottom, 0.25));
    painter.drawPath(hills);
    QPainterPath ground;
    const double rise = area.height() * 0.06;
    ground.moveTo(area.left(), horizon + rise);
    ground.cubicTo(area.left() + area.width() * 0.35, horizon - rise, area.left() + area.width() * 0.65,
                   horizon + rise * 1.5, area.right(), horizon);
    ground.lineTo(area.right(), area.bottom());
    ground.lineTo(area.left(), area.bottom());
    ground.closeSubpath();
    painter.setBrush(vertical(QRectF(area.left(), horizon, area.width(), area.bottom() - horizon),
                              scene.ground_top, scene.ground_bottom));
    painter.drawPath(ground);
    painter.restore();
}

void room(QPainter& painter, const QRectF& a, const Room& r)
{
    painter.save();
    painter.setClipRect(a);
    painter.setPen(Qt::NoPen);
    const double w = a.width(), h = a.height();
    painter.setBrush(vertical(a, r.wall.lighter(110), r.wall.darker(110)));
    painter.drawRect(a);
    QPolygonF side;
    side << a.topLeft() << QPointF(a.left() + w * 0.22, a.top() + h * 0.12)
         << QPointF(a.left() + w * 0.22, a.top() + h * 0.68) << a.bottomLeft();
    painter.setBrush(r.side_wall);
    painter.drawPolygon(side);
    QPolygonF floor;
    floor << QPointF(a.left() + w * 0.22, a.top() + h * 0.68) << QPointF(a.right(), a.top() + h * 0.68)
          << a.bottomRight() << a.bottomLeft();
    painter.setBrush(
        vertical(QRectF(a.left(), a.top() + h * 0.68, w, h * 0.32), r.floor, r.floor.darker(130)));
    painter.drawPolygon(floor);
    if (r.window.alpha() > 0) {
        const QRectF pane(a.left() + w * 0.34, a.top() + h * 0.16, w * 0.26, h * 0.36);
        painter.setBrush(QColor(70, 50, 30));
        painter.drawRect(pane.adjusted(-1, -1, 1, 1));
        painter.setBrush(vertical(pane, r.window.lighter(115), r.window));
        painter.drawRect(pane);
        painter.setBrush(QColor(70, 50, 30));
        painter.drawRect(QRectF(pane.center().x() - 0.5, pane.top(), 1, pane.height()));
        painter.drawRect(QRectF(pane.left(), pane.center().y() - 0.5, pane.width(), 1));
    }
    if (r.brightness < 1.0) {
        painter.setBrush(QColor(0, 0, 0, int(255 * (1.0 - r.brightness))));
        painter.drawRect(a);
    }
    painter.restore();
}

}  // namespace skin
