// Simple vector drawings used across the skin and the splash artwork. Each one fits the
// box or circle it is given, has a one-pixel darker outline and is lit from the top left.
#pragma once

#include <QColor>
#include <QPainter>
#include <QRectF>

namespace skin {

void compact_camera(QPainter& painter, const QRectF& body);
void mobile_phone(QPainter& painter, const QRectF& body);
// Side view: lens board on the left, pleated bellows, rear standard on the right, on a rail bed.
void bellows_camera(QPainter& painter, const QRectF& box);

void sun(QPainter& painter, const QPointF& centre, double radius, int rays = 8);
void moon(QPainter& painter, const QPointF& centre, double radius);
void bulb(QPainter& painter, const QRectF& box);
void flash_bolt(QPainter& painter, const QRectF& box);
void cloud(QPainter& painter, const QRectF& box, const QColor& colour = QColor(250, 251, 253));
// A sun too bright to look at: white core, a wide halo and long glare spikes.
void glaring_sun(QPainter& painter, const QPointF& centre, double radius);
// A dark figure against the light.
void figure_silhouette(QPainter& painter, const QRectF& box, const QColor& colour);
void no_sign(QPainter& painter, const QRectF& box);
// Orange diamond road sign with a crossed wrench and mallet.
void tools_sign(QPainter& painter, const QRectF& box);
// A wooden mallet lying at the given angle (degrees), head centred at `head`.
void mallet(QPainter& painter, const QPointF& head, double size, double degrees);

// A drawn landscape filling `area`: sky and ground gradients, hills at `horizon` (0..1 of the height).
struct Scene {
    QColor sky_top, sky_bottom;
    QColor hills;
    QColor ground_top, ground_bottom;
    double horizon = 0.6;
    unsigned seed = 1;
};
void landscape(QPainter& painter, const QRectF& area, const Scene& scene);
// A room corner: back wall, side wall, floor and a window or lamp light.
struct Room {
    QColor wall, side_wall, floor;
    QColor window;  // transparent: no window
    double brightness = 1.0;
};
void room(QPainter& painter, const QRectF& area, const Room& room);

}  // namespace skin
