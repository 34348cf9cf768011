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
}

}  // namespace
