#include "display/view_geometry.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <ostream>

namespace {

// A 420 x 320 view showing a photo at a scale, right after the photo arrived.
struct PlacementCase {
    const char* description;
    int photo_width, photo_height;
    float scale;
    int drawn_width, drawn_height;
    int left, top;
    float scroll_x, scroll_y;
};
std::ostream& operator<<(std::ostream& out, const PlacementCase& c)
{
    return out << c.description;
}

class Placement : public testing::TestWithParam<PlacementCase> {};

TEST_P(Placement, DrawnSizeOffsetAndScroll)
{
    const PlacementCase& c = GetParam();
    ViewGeometry geometry(420, 320);
    geometry.set_scale(c.scale);
    geometry.set_photo_size(c.photo_width, c.photo_height);
    EXPECT_EQ(geometry.drawn_width(), c.drawn_width);
    EXPECT_EQ(geometry.drawn_height(), c.drawn_height);
    EXPECT_EQ(geometry.left(), c.left);
    EXPECT_EQ(geometry.top(), c.top);
    EXPECT_FLOAT_EQ(geometry.scroll_x(), c.scroll_x);
    EXPECT_FLOAT_EQ(geometry.scroll_y(), c.scroll_y);
}

INSTANTIATE_TEST_SUITE_P(
    ViewGeometry, Placement,
    testing::Values(PlacementCase{"smaller photo centred", 300, 200, 1.0f, 300, 200, 60, 60, 0, 0},
                    PlacementCase{"empty photo", 0, 0, 1.0f, 0, 0, 210, 160, 0, 0},
                    PlacementCase{"1x1 half-pixel offsets round to even", 1, 1, 1.0f, 1, 1, 210, 160, 0, 0},
                    PlacementCase{"1x1 at 0.5 rounds to nothing", 1, 1, 0.5f, 0, 0, 210, 160, 0, 0},
                    PlacementCase{"1x1 at 1.5 rounds up to even", 1, 1, 1.5f, 2, 2, 209, 159, 0, 0},
                    PlacementCase{"halves to even: 5 and 7 at 0.5", 5, 7, 0.5f, 2, 4, 209, 158, 0, 0},
                    PlacementCase{"odd margins 303x203", 303, 203, 1.0f, 303, 203, 58, 58, 0, 0},
                    PlacementCase{"exactly the view's size", 420, 320, 1.0f, 420, 320, 0, 0, 0, 0},
                    PlacementCase{"wide photo centred on its middle pixel", 1000, 200, 1.0f, 1000, 200, -290,
                                  60, 290, 0},
                    PlacementCase{"tall odd photo", 200, 1001, 1.0f, 200, 1001, 110, -340, 0, 340},
                    PlacementCase{"large photo reduced", 1000, 800, 0.5f, 500, 400, -40, -40, 40, 40},
                    PlacementCase{"small photo enlarged past the view", 300, 200, 4.0f, 1200, 800, -390, -240,
                                  390, 240}));

struct ScrollCase {
    const char* description;
    int photo_width, photo_height;
    float dx, dy;
    float scroll_x, scroll_y;
};
std::ostream& operator<<(std::ostream& out, const ScrollCase& c)
{
    return out << c.description;
}

class Scrolling : public testing::TestWithParam<ScrollCase> {};

TEST_P(Scrolling, ClampsToTheEdges)
{
    const ScrollCase& c = GetParam();
    ViewGeometry geometry(420, 320);
    geometry.set_photo_size(c.photo_width, c.photo_height);
    geometry.scroll_by(c.dx, c.dy);
    EXPECT_FLOAT_EQ(geometry.scroll_x(), c.scroll_x);
    EXPECT_FLOAT_EQ(geometry.scroll_y(), c.scroll_y);
    EXPECT_EQ(geometry.left(), static_cast<int>(std::nearbyint(geometry.offset_x())));
}

INSTANTIATE_TEST_SUITE_P(
    ViewGeometry, Scrolling,
    testing::Values(ScrollCase{"smaller photo does not move", 300, 200, 50, 50, 0, 0},
                    ScrollCase{"empty photo does not move", 0, 0, -5, 7, 0, 0},
                    ScrollCase{"1x1 photo does not move", 1, 1, 3, 3, 0, 0},
                    ScrollCase{"wide photo moves 10 left", 1000, 200, -10, 0, 280, 0},
                    ScrollCase{"stops at the left edge", 1000, 200, -1000, 0, 0, 0},
                    ScrollCase{"stops at the right edge", 1000, 200, 1000, 0, 580, 0},
                    ScrollCase{"both axes, fractional", 1000, 1000, 10.5f, -20.25f, 300.5f, 319.75f},
                    ScrollCase{"NaN step ends at an edge, not NaN", 1000, 1000, std::nanf(""), 0, 0, 340}));

TEST(ViewGeometryScale, TooSmallOrNaNBecomesTheMinimumAndTheCurrentValueChangesNothing)
{
    ViewGeometry geometry(420, 320);
    EXPECT_FALSE(geometry.set_scale(1.0f));
    for (float low : {0.0f, -3.0f, 0.0005f, std::numeric_limits<float>::quiet_NaN()}) {
        geometry.set_scale(2.0f);
        EXPECT_TRUE(geometry.set_scale(low));
        EXPECT_EQ(geometry.scale(), 0.001f);
    }
    EXPECT_FALSE(geometry.set_scale(0.001f));
}

TEST(ViewGeometryScale, ZoomingAPannedViewKeepsThePhotoPointAtTheCentre)
{
    for (float zoom : {1.5f, 2.0f, 3.7f, 0.8f}) {
        SCOPED_TRACE(zoom);
        ViewGeometry geometry(420, 320);
        geometry.set_photo_size(2000, 1500);
        geometry.scroll_by(-300, 125);
        const float centre_x = (geometry.scroll_x() + 210) / geometry.scale();
        const float centre_y = (geometry.scroll_y() + 160) / geometry.scale();
        ASSERT_TRUE(geometry.set_scale(zoom));
        EXPECT_NEAR((geometry.scroll_x() + 210) / zoom, centre_x, 0.5f / zoom);
        EXPECT_NEAR((geometry.scroll_y() + 160) / zoom, centre_y, 0.5f / zoom);
    }
}

TEST(ViewGeometryScale, ZoomingOutPastTheEdgeClampsAndBelowTheViewCentres)
{
    ViewGeometry geometry(420, 320);
    geometry.set_photo_size(1000, 800);
    geometry.scroll_by(1000, 1000);  // bottom-right corner
    geometry.set_scale(0.5f);
    EXPECT_FLOAT_EQ(geometry.scroll_x(), 80);
    EXPECT_FLOAT_EQ(geometry.scroll_y(), 80);
    geometry.set_scale(0.25f);
    EXPECT_EQ(geometry.scroll_x(), 0);
    EXPECT_EQ(geometry.left(), 85);  // (420 - 250) / 2
    EXPECT_EQ(geometry.top(), 60);
}

TEST(ViewGeometrySize, ShrinkingThePhotoOrGrowingTheViewReclampsPositions)
{
    ViewGeometry geometry(420, 320);
    geometry.set_photo_size(1000, 800);
    geometry.scroll_by(1000, 1000);
    geometry.set_view_size(900, 700);
    EXPECT_FLOAT_EQ(geometry.scroll_x(), 100);
    EXPECT_FLOAT_EQ(geometry.scroll_y(), 100);
    geometry.set_photo_size(10, 10);
    EXPECT_EQ(geometry.scroll_x(), 0);
    EXPECT_EQ(geometry.left(), 445);
}

TEST(ViewGeometrySize, AResizeKeepsThePointAtTheCentreOrCentresAPhotoThatFitted)
{
    ViewGeometry geometry(420, 320);
    geometry.set_photo_size(2000, 1000);
    geometry.scroll_by(500, 200);
    const float x = geometry.scroll_x(), y = geometry.scroll_y();
    geometry.set_view_size(820, 520);
    EXPECT_FLOAT_EQ(geometry.scroll_x(), x - 200);
    EXPECT_FLOAT_EQ(geometry.scroll_y(), y - 100);
    geometry.set_photo_size(700, 400);
    geometry.set_view_size(500, 300);
    EXPECT_FLOAT_EQ(geometry.scroll_x(), 100);
    EXPECT_FLOAT_EQ(geometry.scroll_y(), 50);
}

TEST(ViewGeometrySize, HugeScalesAreCappedInsteadOfOverflowing)
{
    ViewGeometry geometry(420, 320);
    geometry.set_photo_size(100000, 100000);
    geometry.set_scale(std::numeric_limits<float>::infinity());
    EXPECT_EQ(geometry.drawn_width(), ViewGeometry::kMaximumDrawnSize);
    geometry.scroll_by(std::numeric_limits<float>::max(), 0);
    EXPECT_FLOAT_EQ(geometry.scroll_x(), static_cast<float>(ViewGeometry::kMaximumDrawnSize - 420));
}

}  // namespace

// The placement in a screen's device pixels: a 420 x 320 view showing a photo at a
// scale, panned by (pan_x, pan_y) layout pixels, on a screen of `ratio`.
struct DeviceCase {
    const char* description;
    int photo_width, photo_height;
    float scale;
    float pan_x, pan_y;
    float ratio;
    int view_width, view_height;
    int drawn_width, left, top;
    float scroll_x, scroll_y;
};
std::ostream& operator<<(std::ostream& out, const DeviceCase& c)
{
    return out << c.description;
}

class InDevicePixels : public testing::TestWithParam<DeviceCase> {};

TEST_P(InDevicePixels, SizesScaleAndPositionsFollowTheRatio)
{
    const DeviceCase& c = GetParam();
    ViewGeometry geometry(420, 320);
    geometry.set_scale(c.scale);
    geometry.set_photo_size(c.photo_width, c.photo_height);
    geometry.scroll_by(c.pan_x, c.pan_y);
    const ViewGeometry device = geometry.in_device_pixels(c.ratio);
    EXPECT_EQ(device.view_width(), c.view_width);
    EXPECT_EQ(device.view_height(), c.view_height);
    EXPECT_EQ(device.photo_width(), c.photo_width);
    EXPECT_EQ(device.drawn_width(), c.drawn_width);
    EXPECT_EQ(device.left(), c.left);
    EXPECT_EQ(device.top(), c.top);
    EXPECT_FLOAT_EQ(device.scroll_x(), c.scroll_x);
    EXPECT_FLOAT_EQ(device.scroll_y(), c.scroll_y);
}

INSTANTIATE_TEST_SUITE_P(
    ViewGeometry, InDevicePixels,
    testing::Values(DeviceCase{"1:1 is the same placement", 1000, 800, 0.5f, 10, 0, 1.0f, 420, 320, 500, -50,
                               -40, 50, 40},
                    DeviceCase{"200 %: a fitted photo twice as many pixels", 6000, 4000, 0.06f, 0, 0, 2.0f,
                               840, 640, 720, 60, 80, 0, 0},
                    DeviceCase{"200 %: a panned photo keeps the point at the view's corner", 1000, 800, 1.0f,
                               100, 50, 2.0f, 840, 640, 2000, -780, -580, 780, 580},
                    DeviceCase{"125 %: sizes round, positions stay inside the finer range", 1000, 800, 1.0f,
                               580, 480, 1.25f, 525, 400, 1250, -725, -600, 725, 600},
                    DeviceCase{"NaN ratio is 1:1", 300, 200, 1.0f, 0, 0,
                               std::numeric_limits<float>::quiet_NaN(), 420, 320, 300, 60, 60, 0, 0}));
