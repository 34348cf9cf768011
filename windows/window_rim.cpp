#include "windows/window_rim.h"

Qt::Edges window_rim_edges(QPoint at, QSize size)
{
    Qt::Edges edges;
    if (at.x() < 0 || at.y() < 0 || at.x() >= size.width() || at.y() >= size.height()) return edges;
    if (at.x() < window_rim_width) edges |= Qt::LeftEdge;
    if (at.x() >= size.width() - window_rim_width) edges |= Qt::RightEdge;
    if (at.y() < window_rim_width) edges |= Qt::TopEdge;
    if (at.y() >= size.height() - window_rim_width) edges |= Qt::BottomEdge;
    return edges;
}
