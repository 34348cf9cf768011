#include "tools/skin_generator/program_icons.h"

#include <QPainter>
#include <QRadialGradient>

#include "tools/skin_generator/paint_kit.h"

namespace skin {

QString program_icon_file(int size)
{
    return QString("icons/icon_%1.png").arg(size);
}

QImage draw_program_icon(int size)
{
    QImage image = new_layer(size, size);
    QPainter painter;
    begin(painter, image);
    // Large icons stand on a soft shadow, lit from the top left like the skin; small ones use
    // every pixel for the mark.
    const double margin = size >= 48 ? size / 16.0 : 0.5;
    const double radius = size / 2.0 - margin;
    const QPointF centre(size / 2.0, size / 2.0);
    if (size >= 48) {
        const QPointF shadow_centre = centre + QPointF(margin * 0.4, margin * 0.6);
        QRadialGradient shadow(shadow_centre, radius + margin);
        shadow.setColorAt(radius / (radius + margin) - 0.02, QColor(0, 0, 0, 90));
        shadow.setColorAt(1, QColor(0, 0, 0, 0));
        painter.setPen(Qt::NoPen);
        painter.setBrush(shadow);
        painter.drawEllipse(shadow_centre, radius + margin, radius + margin);
    }
    logo_mark(painter, centre, radius, size <= 24 ? 0.36 : 0.48);
    painter.end();
    return image.convertToFormat(QImage::Format_ARGB32);
}

}  // namespace skin
