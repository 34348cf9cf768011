#pragma once

#include <QPoint>
#include <QSize>

/// How wide the band along a borderless window's edges is that resizes it.
inline constexpr int window_rim_width = 4;

/// The edges a press at `at` (window coordinates) in a window of `size` resizes:
/// none away from the rim, two near a corner.
Qt::Edges window_rim_edges(QPoint at, QSize size);
