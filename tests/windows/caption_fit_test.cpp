#include <gtest/gtest.h>

#include "tests/windows/caption_ink.h"
#include "tests/windows/windows_test_support.h"

namespace {

// At 144 pixels per inch and above, the 150-pixel-per-inch marking asks for captions larger than
// their faces ("OPEN PHOT"); they are drawn as large as fits instead, never below the 96 size.
TEST(MainWindowCaptions, StayInsideTheirFacesAtEveryResolution)
{
    const int at96 = expect_captions_inside_their_faces(*quick_form(96), 6);
    for (int pixels_per_inch : {120, 144, 192}) {
        SCOPED_TRACE(pixels_per_inch);
        const int open_height = expect_captions_inside_their_faces(*quick_form(pixels_per_inch), 6);
        if (pixels_per_inch > 120) {
            EXPECT_GE(open_height, at96);
        }
    }
}

}  // namespace
