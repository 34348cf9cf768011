// The photo views on a desktop of two screens, each with its own colour profile: a view
// moved to the other screen shows its photo through that screen's profile.
#include <gtest/gtest.h>

#include <QApplication>
#include <QScreen>
#include <QWindow>
#include <cstdlib>
#include <fstream>

#include "display/img_view32.h"
#include "tests/display/display_test_support.h"
#include "tests/photo_files/test_profiles.h"
#include "tests/support/file_bytes.h"
#include "tests/support/temp_dir.h"

namespace {

// The largest difference between what `view` shows of the flat `colour` and lcms2's
// conversion of it from `photo` to `display`.
int distance_from_lcms(TImgView32& view, std::uint32_t colour, const ProfileBytes& photo,
                       const ProfileBytes& display)
{
    const QImage image = shown(view);
    return channel_distance(at(image, image.width() / 2, image.height() / 2),
                            lcms_converted({colour}, photo, display).front());
}

}  // namespace

TEST(TwoScreens, AViewMovedToTheOtherScreenFollowsItsProfile)
{
    const QList<QScreen*> screens = QGuiApplication::screens();
    ASSERT_EQ(screens.size(), 2);
    TempDir folder;
    const ProfileBytes first = srgb_test_profile();
    const ProfileBytes second = wide_display_test_profile();
    write_bytes(folder.file("first.icc"), first);
    write_bytes(folder.file("second.icc"), second);
    const ProfileBytes p3 = display_p3_test_profile();
    const std::uint32_t colour = 0xFF20D040u;  // a green far from every gamut's edge but P3's

    Bitmap32 photo;
    fill_flat(photo, 100, 80, colour);
    TImgView32 view;
    view.setScreen(screens[0]);
    view.set_bitmap(&photo);
    view.set_photo_profile(p3);
    view.show();
    // The desktop publishes one profile per screen; the variable stands for the screen's own.
    setenv("TINTELO_DISPLAY_PROFILE", folder.file("first.icc").c_str(), 1);
    EXPECT_LE(distance_from_lcms(view, colour, p3, first), 1);

    setenv("TINTELO_DISPLAY_PROFILE", folder.file("second.icc").c_str(), 1);
    EXPECT_LE(distance_from_lcms(view, colour, p3, first), 1) << "looked up again without moving";
    view.windowHandle()->setScreen(screens[1]);
    QApplication::processEvents();
    EXPECT_EQ(view.screen(), screens[1]);
    EXPECT_LE(distance_from_lcms(view, colour, p3, second), 1);
    EXPECT_GT(channel_distance(lcms_converted({colour}, p3, first).front(),
                               lcms_converted({colour}, p3, second).front()),
              8);
    unsetenv("TINTELO_DISPLAY_PROFILE");
}

int main(int argc, char** argv)
{
    TempDir folder{"two_screens"};
    std::ofstream(folder.file("screens.json")) << R"({"screens": [
        {"name": "left", "x": 0, "y": 0, "width": 1280, "height": 1024, "dpr": 1},
        {"name": "right", "x": 1280, "y": 0, "width": 1280, "height": 1024, "dpr": 1}]})";
    qputenv("QT_QPA_PLATFORM", ("offscreen:configfile=" + folder.file("screens.json")).c_str());
    ::testing::InitGoogleTest(&argc, argv);
    QApplication application(argc, argv);
    return RUN_ALL_TESTS();
}
