#include <gtest/gtest.h>

#include <vector>

#include "engine/bitmap32.h"
#include "photo_files/colour_profile.h"
#include "photo_files/jpeg_photo.h"
#include "tests/photo_files/test_profiles.h"
#include "tests/support/synthetic_photos.h"
#include "tests/support/temp_dir.h"
#include "tests/windows/windows_test_support.h"

namespace {

// How far the view's photo strays from lcms2's conversion of `photo` from `profile` to
// sRGB, and how many pixels that conversion changes by more than a few levels.
struct Comparison {
    int worst = 0;
    int changed = 0;
};

Comparison view_against_lcms(TImgView32& view, const Bitmap32& photo, const ProfileBytes& profile)
{
    const QImage image = shown(view);
    std::vector<std::uint32_t> values;
    for (int y = 0; y < photo.height(); ++y)
        for (int x = 0; x < photo.width(); ++x) values.push_back(photo.pixel(x, y) | 0xFF000000u);
    const std::vector<std::uint32_t> expected = lcms_converted(values, profile, {});
    const int left = view.placement().left();
    const int top = view.placement().top();
    Comparison comparison;
    for (int y = 0; y < photo.height(); ++y)
        for (int x = 0; x < photo.width(); ++x) {
            const std::size_t i = static_cast<std::size_t>(y) * photo.width() + x;
            const std::uint32_t seen = image.pixel(left + x, top + y);
            comparison.worst = std::max(comparison.worst, channel_distance(seen, expected[i]));
            comparison.changed += channel_distance(values[i], expected[i]) > 4;
        }
    return comparison;
}

}  // namespace

TEST(PhotoColours, BothViewsShowThePhotoThroughItsProfile)
{
    TempDir folder;
    Bitmap32 scene;
    // Smaller than the views: shown at 100 %, one screen pixel per photo pixel.
    fill_photo(scene, 160, 120, [](int x, int y) {
        return opaque_rgb(40 + x * 215 / 159, 230 - y * 200 / 119, (x * y) % 256);
    });
    struct Case {
        const char* what;
        PhotoMetadata metadata;
        ProfileBytes profile;
    };
    PhotoMetadata marked;
    marked.exif = exif_colour_space(0xFFFF, "R03");
    PhotoMetadata embedded;
    embedded.icc_profile = display_p3_test_profile();
    const std::vector<Case> cases = {{"Adobe RGB by the EXIF mark", marked, adobe_rgb_profile()},
                                     {"embedded Display P3", embedded, embedded.icc_profile}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string path = folder.file("photo.jpg");
        write_photo(scene, path, c.metadata);
        auto form = quick_form();
        form->show();
        form->open_photo_file(path);
        ASSERT_TRUE(form->corrector.photo_loaded);
        ASSERT_FLOAT_EQ(form->original_view->scale(), 1.0f);

        const Comparison original =
            view_against_lcms(*form->original_view, form->corrector.org_photo, c.profile);
        EXPECT_LE(original.worst, 1);
        EXPECT_GT(original.changed, 1000);
        // A preset recolours the corrected photo; its view still shows it through the profile.
        form->corrector.apply_preset(ScenePreset::OutdoorsVivid);
        const Comparison corrected =
            view_against_lcms(*form->corrected_view, form->corrector.corrected_photo, c.profile);
        EXPECT_LE(corrected.worst, 1);
        EXPECT_GT(corrected.changed, 1000);
    }
}
