#include "display/fit_views.h"

#include <gtest/gtest.h>

#include <cmath>
#include <ostream>

#include "tests/display/display_test_support.h"
#include "display/gauge_bar.h"
#include "display/img_view32.h"

namespace {

// Two views and two sliders wired the way the main window wires them: a
// slider change sets its view's scale to position / 100.
class Fitting {
public:
    Fitting()
    {
        original_view.set_bitmap(&original_photo);
        corrected_view.set_bitmap(&corrected_photo);
        original_zoom.OnChange = [this] {
            ++original_changes;
            original_view.set_scale(static_cast<float>(original_zoom.position() / 100.0));
        };
        corrected_zoom.OnChange = [this] {
            ++corrected_changes;
            corrected_view.set_scale(static_cast<float>(corrected_zoom.position() / 100.0));
        };
    }
    void load(int width, int height)
    {
        original_photo.set_size(width, height);
        corrected_photo.set_size(width, height);
    }
    void fit() { fit_views(original_view, corrected_view, original_zoom, corrected_zoom); }

    Bitmap32 original_photo, corrected_photo;
    TImgView32 original_view, corrected_view;
    TGaugeBar original_zoom, corrected_zoom;
    int original_changes = 0, corrected_changes = 0;
};

struct FitCase {
    const char* description;
    int width, height;
    int percent;
};
std::ostream& operator<<(std::ostream& out, const FitCase& c)
{
    return out << c.description;
}

class FitViews : public testing::TestWithParam<FitCase> {};

TEST_P(FitViews, SetsBothSlidersAndBothViews)
{
    const FitCase& c = GetParam();
    Fitting window;
    window.load(c.width, c.height);
    window.fit();
    EXPECT_EQ(window.original_zoom.position(), c.percent);
    EXPECT_EQ(window.corrected_zoom.position(), c.percent);
    EXPECT_EQ(window.original_changes, 1);
    EXPECT_EQ(window.corrected_changes, 1);
    EXPECT_EQ(window.original_view.scale(), static_cast<float>(c.percent / 100.0));
    EXPECT_EQ(window.corrected_view.scale(), static_cast<float>(c.percent / 100.0));
}

INSTANTIATE_TEST_SUITE_P(FitViews, FitViews,
                         testing::Values(FitCase{"640x480 truncates 62.99999 to 62", 640, 480, 62},
                                         FitCase{"1600x1200", 1600, 1200, 25},
                                         FitCase{"square uses the width rule", 1000, 1000, 40},
                                         FitCase{"400x330 uses the width rule", 400, 330, 100},
                                         FitCase{"view-sized photo stays at 1", 420, 320, 100},
                                         FitCase{"small photo stays at 1", 300, 200, 100},
                                         FitCase{"taller than wide uses the height rule, 46.99999", 480, 640,
                                                 46},
                                         FitCase{"empty photo", 0, 0, 100}));

TEST(FitViewsAgain, SecondRunLeavesSlidersSilentAndViewsAtTheFittedFloat)
{
    Fitting window;
    window.load(640, 480);
    window.fit();
    window.fit();
    EXPECT_EQ(window.original_zoom.position(), 62);
    EXPECT_EQ(window.original_changes, 1);
    EXPECT_EQ(window.corrected_changes, 1);
    EXPECT_EQ(window.original_view.scale(), 0.63f);
    EXPECT_NEAR(static_cast<double>(window.corrected_view.scale()), 0.6299999952, 1e-10);
    EXPECT_EQ(window.original_view.placement().drawn_width(), 403);  // 640 x 0.63, 403.19999
}

TEST(FitViewsAgain, VeryLargePhotosClampAtFiveAndKeepTheFittedScaleWhenAlreadyThere)
{
    Fitting window;
    window.original_zoom.set_position(62);
    window.corrected_zoom.set_position(62);
    window.load(20000, 10);
    window.fit();
    EXPECT_EQ(window.original_zoom.position(), 5);
    EXPECT_EQ(window.original_view.scale(), 0.05f);
    EXPECT_EQ(window.original_changes, 2);

    // The sliders are already at 5, so the views keep the fitted scale.
    window.fit();
    EXPECT_EQ(window.original_changes, 2);
    EXPECT_LT(window.original_view.scale(), 0.05f);
}

TEST(FitViewsAgain, TheFittedPercentDropsBelowFiveJustPast8063WideOr6016High)
{
    // Sliders at 5 do not move, so the views show the fitted scale itself.
    const auto fitted_percent = [](int width, int height) {
        Fitting window;
        window.load(width, height);
        window.fit();
        EXPECT_EQ(window.original_zoom.position(), 5);
        return static_cast<int>(100.0 * window.original_view.scale());
    };
    EXPECT_EQ(fitted_percent(8063, 100), 5);
    EXPECT_EQ(fitted_percent(8064, 1), 4);
    EXPECT_EQ(fitted_percent(100, 6016), 5);
    EXPECT_EQ(fitted_percent(1, 6017), 4);
}

}  // namespace
