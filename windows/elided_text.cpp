#include "windows/elided_text.h"

QString elided_in_the_middle(const QString& text, const QFontMetrics& font, int width)
{
    const QString ellipsis = QStringLiteral("...");
    if (font.horizontalAdvance(text) <= width) return text;
    // Shorter and shorter until it fits: names are short, and the font need not be fixed-pitch.
    for (qsizetype kept = text.size() - 1; kept > 0; --kept) {
        qsizetype head_end = kept / 2;
        qsizetype tail_start = text.size() - (kept - head_end);
        // Neither cut may fall inside a surrogate pair.
        if (head_end > 0 && text[head_end].isLowSurrogate()) --head_end;
        if (text[tail_start].isLowSurrogate()) ++tail_start;
        const QString candidate = text.left(head_end) + ellipsis + text.mid(tail_start);
        if (font.horizontalAdvance(candidate) <= width) return candidate;
    }
    return ellipsis;
}
