#pragma once

#include <QFontMetrics>
#include <QString>

/// `text` as it fits in `width` pixels of `font`: whole when it fits, otherwise its
/// start and its end with "..." between them, the end getting the larger half,
/// since the end of a file name is what tells photos apart
/// ("IMG_2024...beach.jpg"). A character made of two UTF-16 units is never split.
/// Where not even "..." fits, it is "...".
QString elided_in_the_middle(const QString& text, const QFontMetrics& font, int width);
