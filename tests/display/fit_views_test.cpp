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
        photo_org.set_bitmap(&org_photo);
        photo_tn.set_bitmap(&corrected_photo);
        org_zoom.OnChange = [this] {
            ++org_changes;
            photo_org.set_scale(static_cast<float>(org_zoom.position() / 100.0));
        };
        tn_zoom.OnChange = [this] {
            ++tn_changes;
            photo_tn.set_scale(static_cast<float>(tn_zoom.position() / 100.0));
        };
    }
    void load(int width, int height)
    {
        org_photo.set_size(width, height);
        corrected_photo.set_size(width, height);
    }
    void fit() { fit_views(photo_org, photo_tn, org_zoom, tn_zoom); }

    Bitmap32 org_photo, corrected_photo;
    TImgView32 photo_org, photo_tn;
    TGaugeBar org_zoom, tn_zoom;
    int org_changes = 0, tn_changes = 0;
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
    EXPECT_EQ(window.org_zoom.position(), c.percent);
    EXPECT_EQ(window.tn_zoom.position(), c.percent);
    EXPECT_EQ(window.org_changes, 1);
    EXPECT_EQ(window.tn_changes, 1);
    EXPECT_EQ(window.photo_org.scale(), static_cast<float>(c.percent / 100.0));
    EXPECT_EQ(window.photo_tn.scale(), static_cast<float>(c.percent / 100.0));
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
    EXPECT_EQ(window.org_zoom.position(), 62);
    EXPECT_EQ(window.org_changes, 1);
    EXPECT_EQ(window.tn_changes, 1);
    EXPECT_EQ(window.photo_org.scale(), 0.63f);
    EXPECT_NEAR(static_cast<double>(window.photo_tn.scale()), 0.6299999952, 1e-10);
    EXPECT_EQ(window.photo_org.placement().drawn_width(), 403);  // 640 x 0.63, 403.19999
}

TEST(FitViewsAgain, VeryLargePhotosClampAtFiveAndKeepTheFittedScaleWhenAlreadyThere)
{
    Fitting window;
    window.org_zoom.set_position(62);
    window.tn_zoom.set_position(62);
    window.load(20000, 10);
    window.fit();
    EXPECT_EQ(window.org_zoom.position(), 5);
    EXPECT_EQ(window.photo_org.scale(), 0.05f);
    EXPECT_EQ(window.org_changes, 2);

    // The sliders are already at 5, so the views keep the fitted scale.
    window.fit();
    EXPECT_EQ(window.org_changes, 2);
    EXPECT_LT(window.photo_org.scale(), 0.05f);
}

TEST(FitViewsAgain, TheFittedPercentDropsBelowFiveJustPast8063WideOr6016High)
{
    // Sliders at 5 do not move, so the views show the fitted scale itself.
    const auto fitted_percent = [](int width, int height) {
        Fitting window;
        window.load(width, height);
        window.fit();
        EXPECT_EQ(window.org_zoom.position(), 5);
        return static_cast<int>(100.0 * window.photo_org.scale());
    };
    EXPECT_EQ(fitted_percent(8063, 100), 5);
    EXPECT_EQ(fitted_percent(8064, 1), 4);
    EXPECT_EQ(fitted_percent(100, 6016), 5);
    EXPECT_EQ(fitted_percent(1, 6017), 4);
}

}  // namespace
