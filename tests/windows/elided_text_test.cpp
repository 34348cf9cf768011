#include "windows/elided_text.h"

#include <gtest/gtest.h>

#include "windows/skin_fonts.h"

namespace {

// What fits stays whole; what does not keeps its start and, the larger half, its end.
TEST(ElidedText, KeepsTheStartAndTheLargerEnd)
{
    const QFontMetrics font(terminal_font(8));
    EXPECT_EQ(elided_in_the_middle("beach.jpg", font, font.horizontalAdvance("beach.jpg")), "beach.jpg");
    EXPECT_EQ(elided_in_the_middle("abcdefghijklmnop", font, font.horizontalAdvance("abc...mnop")),
              "abc...mnop");
    EXPECT_EQ(elided_in_the_middle("abcdefghijklmnop", font, 1), "...");

    // Characters beyond the first 65,536 (two UTF-16 units each) are kept or cut whole, at every width.
    const QString name =
        QString::fromUtf8("\U0001F30A\U0001F30A\U0001F30A\U0001F3D6\U0001F3D6\U0001F3D6.jpg");
    for (int width = 1; width < font.horizontalAdvance(name); ++width) {
        const QString elided = elided_in_the_middle(name, font, width);
        EXPECT_EQ(QString::fromUtf8(elided.toUtf8()), elided) << width;
    }
}

}  // namespace
