#include "photo_files/colour_profile.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>

#include "engine/bitmap32.h"
#include "photo_files/jpeg_photo.h"
#include "tests/photo_files/jpeg_fixtures.h"
#include "tests/photo_files/test_profiles.h"
#include "tests/support/file_bytes.h"
#include "tests/support/temp_dir.h"

namespace {

PhotoMetadata with(IccProfile profile, Bytes exif = {})
{
    PhotoMetadata metadata;
    metadata.icc_profile = std::move(profile);
    metadata.exif = std::move(exif);
    return metadata;
}

}  // namespace

TEST(ShownColourProfile, EmbeddedProfileFirstThenTheExifMarkThenSrgb)
{
    const IccProfile p3 = display_p3_test_profile();
    const Bytes adobe_mark = exif_colour_space(0xFFFF, "R03");
    EXPECT_EQ(shown_colour_profile(with(p3)), p3);
    EXPECT_EQ(shown_colour_profile(with(p3, adobe_mark)), p3)
        << "the embedded profile wins over the EXIF mark";
    EXPECT_EQ(shown_colour_profile(with({}, adobe_mark)), adobe_rgb_profile());
    EXPECT_TRUE(shown_colour_profile(with({}, exif_colour_space(0xFFFF, "R98"))).empty());
    EXPECT_TRUE(shown_colour_profile(with({}, exif_colour_space(1, "R03"))).empty()) << "marked sRGB";
    EXPECT_TRUE(shown_colour_profile(with({})).empty());
    // Phones embed sRGB: it must cost nothing on screen.
    EXPECT_TRUE(shown_colour_profile(with(srgb_test_profile())).empty());
    EXPECT_TRUE(shown_colour_profile(with(srgb_profile())).empty());
}

TEST(ShownColourProfile, OwnAdobeRgbConvertsAsAnInstalledOne)
{
    const ProfileBytes installed = profile_file("/usr/share/color/icc/compatibleWithAdobeRGB1998.icc");
    if (installed.empty()) GTEST_SKIP() << "icc-profiles-free is not installed";
    std::vector<std::uint32_t> words;
    for (std::uint32_t r = 0; r < 256; r += 51)
        for (std::uint32_t g = 0; g < 256; g += 51)
            for (std::uint32_t b = 0; b < 256; b += 51) words.push_back(0xFF000000u | r << 16 | g << 8 | b);
    const std::vector<std::uint32_t> ours = lcms_converted(words, adobe_rgb_profile(), {});
    const std::vector<std::uint32_t> theirs = lcms_converted(words, installed, {});
    for (std::size_t i = 0; i < words.size(); ++i)
        EXPECT_LE(channel_distance(ours[i], theirs[i]), 1) << std::hex << words[i];
}

TEST(ShownColourProfile, BrokenHostileAndNonRgbProfilesShowAsSrgb)
{
    const IccProfile p3 = display_p3_test_profile();
    std::mt19937 random(28);
    IccProfile noise(4000);
    for (auto& byte : noise) byte = static_cast<std::uint8_t>(random());
    IccProfile cut(p3.begin(), p3.begin() + static_cast<std::ptrdiff_t>(p3.size() / 2));
    IccProfile header_only(p3.begin(), p3.begin() + 128);
    IccProfile endless_tag_table = p3;
    for (std::size_t i = 128; i < 132; ++i) endless_tag_table[i] = 0xFF;
    int index = 0;
    for (const IccProfile& profile : {noise, cut, header_only, endless_tag_table, cmyk_test_profile()}) {
        SCOPED_TRACE(index++);
        EXPECT_TRUE(rgb_profile_or_srgb(profile).empty());
        EXPECT_TRUE(shown_colour_profile(with(profile, exif_colour_space(0xFFFF, "R03"))).empty());
    }
}

TEST(CmykPhotos, ConvertThroughTheirProfileAndSaveWithSrgb)
{
    TempDir dir;
    const ProfileBytes press = cmyk_test_profile();
    // Stored inks; Adobe files store them inverted (255 = no ink).
    const std::uint8_t inks[][4] = {{255, 128, 0, 200}, {30, 220, 140, 255}, {200, 200, 200, 60}};
    bool unlike_the_formula = false;
    for (const J_COLOR_SPACE space : {JCS_CMYK, JCS_YCCK}) {
        for (const auto& stored : inks) {
            EncodeOptions options;
            options.file_space = space;
            options.quality = 100;
            options.icc_profile = press;
            const std::string path = dir.file("press.jpg");
            write_bytes(path, encode_test_jpeg(flat_cmyk_image(16, 16, stored), options));

            Bitmap32 photo;
            PhotoMetadata metadata;
            ASSERT_TRUE(load_photo(path, photo, &metadata));
            const std::uint32_t expected = lcms_converted_cmyk(stored, true, press);
            EXPECT_LE(channel_distance(photo.pixel(8, 8), expected), 1) << std::hex << photo.pixel(8, 8);
            EXPECT_EQ(photo.pixel(8, 8) >> 24, 0xFFu);
            const unsigned k = stored[3];
            const std::uint32_t formula = 0xFF000000u | (stored[0] * k + 127) / 255 << 16 |
                                          (stored[1] * k + 127) / 255 << 8 | (stored[2] * k + 127) / 255;
            unlike_the_formula |= channel_distance(photo.pixel(8, 8), formula) > 8;

            // A load that wants no metadata, as the batch's, converts the same way.
            Bitmap32 without_metadata;
            ASSERT_TRUE(load_photo(path, without_metadata));
            EXPECT_EQ(without_metadata.pixel(8, 8), photo.pixel(8, 8));

            write_photo(photo, dir.file("saved.jpg"), metadata);
            Bitmap32 reloaded;
            PhotoMetadata saved;
            ASSERT_TRUE(load_photo(dir.file("saved.jpg"), reloaded, &saved));
            EXPECT_EQ(saved.icc_profile, srgb_profile());
            EXPECT_FALSE(is_cmyk_profile(saved.icc_profile));
            EXPECT_TRUE(shown_colour_profile(saved).empty());
        }
    }
    EXPECT_TRUE(unlike_the_formula) << "the press profile was not used";
}
