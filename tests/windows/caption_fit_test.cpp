#include <gtest/gtest.h>

#include "tests/windows/caption_ink.h"
#include "tests/windows/windows_test_support.h"

namespace {

// At 144 pixels per inch and above, the 150-pixel-per-inch marking asks for captions larger than
// their faces ("OPEN PHOT"); they are drawn as large as fits instead, and never below the size a
// 96-pixel-per-inch screen gets.
TEST(MainWindowCaptions, StayInsideTheirFacesAtEveryResolution)
{
    const auto open_height = [](const TForm1& form) { return start_caption_inks(form).front().ink.height(); };
    auto at96 = quick_form(96);
    for (int pixels_per_inch : {96, 120, 144, 192}) {
        SCOPED_TRACE(pixels_per_inch);
        auto form = quick_form(pixels_per_inch);
        expect_captions_inside_their_faces(*form, 6);
        if (pixels_per_inch > 120) {
            EXPECT_GE(open_height(*form), open_height(*at96));
        }
    }
}

}  // namespace
