#include "engine/profile_selection.h"

#include <gtest/gtest.h>

#include <array>
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <numeric>
#include <ostream>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "engine/bitmap24.h"
#include "engine/bitmap32.h"
#include "engine/histogram_library.h"

namespace {

// Values the caller leaves in the fields; no rule assigns either.
constexpr std::int32_t untouched_phone = 99;
constexpr std::int32_t untouched_camera = 98;

// {red, green, blue} pixels, each repeated `count` times, in rows of `width`.
Bitmap24 photo_of(const std::vector<std::pair<std::array<std::uint8_t, 3>, int>>& colours, int width = 10)
{
    int pixels = 0;
    for (const auto& c : colours) pixels += c.second;
    EXPECT_EQ(pixels % width, 0);
    Bitmap24 bitmap(width, pixels / width);
    int index = 0;
    for (const auto& [rgb, count] : colours) {
        for (int i = 0; i < count; ++i, ++index) {
            std::uint8_t* p = bitmap.scan_line(index / width) + 3 * (index % width);
            p[0] = rgb[2];
            p[1] = rgb[1];
            p[2] = rgb[0];
        }
    }
    return bitmap;
}

std::pair<std::int32_t, std::int32_t> profiles_for(Bitmap24 bitmap)
{
    // The caller's defaults, as the photo corrector sets them before every call.
    std::int32_t phone = 5;
    std::int32_t camera = 1;
    select_profiles(bitmap, phone, camera);
    return {phone, camera};
}

using Profiles = std::pair<std::int32_t, std::int32_t>;

TEST(SelectProfilesTest, GreyPhotos)
{
    // Mean at most 90: nothing decides, the defaults stay.
    EXPECT_EQ(profiles_for(photo_of({{{90, 90, 90}, 100}})), (Profiles{5, 1}));
    EXPECT_EQ(profiles_for(photo_of({{{0, 0, 0}, 50}, {{180, 180, 180}, 50}})), (Profiles{5, 1}));
    // Mean above 110 with a flat intensity histogram, nothing else special.
    EXPECT_EQ(profiles_for(photo_of({{{100, 100, 100}, 50}, {{200, 200, 200}, 50}})), (Profiles{4, 4}));
    // Mean above 90 and not flat enough for the bright-and-flat rules: K at most -0.1 (here -3) ...
    EXPECT_EQ(profiles_for(photo_of({{{100, 100, 100}, 100}})), (Profiles{4, 4}));
    // ... and K above -0.1: a peak with far outliers.
    EXPECT_EQ(profiles_for(photo_of({{{100, 100, 100}, 98}, {{0, 0, 0}, 1}, {{200, 200, 200}, 1}})),
              (Profiles{4, 5}));
}

TEST(SelectProfilesTest, GreyPhotoStatisticsCoincide)
{
    const PhotoStatistics s =
        measure_photo(photo_of({{{100, 100, 100}, 98}, {{0, 0, 0}, 1}, {{200, 200, 200}, 1}}));
    EXPECT_EQ(s.red.mean, 100.0);
    EXPECT_EQ(s.green.mean, s.red.mean);
    EXPECT_EQ(s.blue.mean, s.red.mean);
    EXPECT_EQ(s.intensity.mean, s.red.mean);
    EXPECT_EQ(s.excess_kurtosis_blue, s.excess_kurtosis_intensity);
    EXPECT_GT(s.excess_kurtosis_intensity, -0.1);
}

TEST(SelectProfilesTest, SingleColourPhotos)
{
    const Bitmap24 red = photo_of({{{255, 0, 0}, 20}});
    const PhotoStatistics s = measure_photo(red);
    EXPECT_EQ(s.intensity.mean, 85.0);
    EXPECT_EQ(s.excess_kurtosis_intensity, -3.0);
    EXPECT_EQ(s.excess_kurtosis_blue, -3.0);
    EXPECT_EQ(profiles_for(red), (Profiles{5, 5}));  // redder, far short of blue
    EXPECT_EQ(profiles_for(photo_of({{{255, 255, 255}, 20}})), (Profiles{4, 4}));  // bright and flat
    EXPECT_EQ(profiles_for(photo_of({{{0, 0, 0}, 20}})), (Profiles{5, 1}));        // nothing decides
    EXPECT_EQ(measure_photo(photo_of({{{100, 150, 200}, 20}})).intensity.mean, 150.0);
    EXPECT_EQ(profiles_for(photo_of({{{100, 150, 200}, 20}})),
              (Profiles{4, 4}));  // bright and flat, no green cast
    EXPECT_EQ(measure_photo(photo_of({{{200, 100, 50}, 20}})).intensity.mean, 116.0);
    EXPECT_EQ(profiles_for(photo_of({{{200, 100, 50}, 20}})),
              (Profiles{5, 5}));  // bright and flat, short of blue
}

TEST(SelectProfilesTest, PhotoWithoutPixelsKeepsTheCallerValues)
{
    for (auto [width, height] : {std::pair{0, 0}, std::pair{0, 7}, std::pair{7, 0}}) {
        Bitmap24 empty(width, height);
        std::int32_t phone = untouched_phone;
        std::int32_t camera = untouched_camera;
        EXPECT_NO_THROW(select_profiles(empty, phone, camera));
        EXPECT_EQ(phone, untouched_phone);
        EXPECT_EQ(camera, untouched_camera);
    }
}

TEST(SelectProfilesTest, BringsTheBitmapToTwentyFourBits)
{
    Bitmap24 bitmap = photo_of({{{255, 0, 0}, 10}});
    bitmap.bits_per_pixel = 32;
    std::int32_t phone = 5;
    std::int32_t camera = 1;
    EXPECT_NO_THROW(select_profiles(bitmap, phone, camera));
    EXPECT_EQ(bitmap.bits_per_pixel, 24);
    EXPECT_EQ(phone, 5);
    EXPECT_EQ(camera, 5);
}

Bitmap24 random_bitmap(int width, int height, unsigned seed)
{
    std::mt19937 random(seed);
    Bitmap24 bitmap(width, height);
    for (int y = 0; y < height; ++y)
        for (int i = 0; i < 3 * width; ++i) bitmap.scan_line(y)[i] = static_cast<std::uint8_t>(random());
    return bitmap;
}

TEST(FillAnalysisHistogramsTest, MatchesGetHistogramForEachKind)
{
    // Widths leave every remainder after groups of four neighbouring pixels.
    const std::pair<int, int> sizes[] = {{1, 1}, {6, 4}, {7, 5}, {64, 33}, {257, 3}};
    unsigned seed = 1;
    for (auto [width, height] : sizes) {
        const Bitmap24 bitmap = random_bitmap(width, height, seed++);
        THistogram red, green, blue, intensity;
        red.Increment(1);  // earlier contents must be discarded
        fill_analysis_histograms(bitmap, red, green, blue, intensity);
        THistogram expected;
        GetHistogram(histogram_red, bitmap, expected);
        EXPECT_EQ(red.bins, expected.bins) << width << "x" << height;
        GetHistogram(histogram_green, bitmap, expected);
        EXPECT_EQ(green.bins, expected.bins) << width << "x" << height;
        GetHistogram(histogram_blue, bitmap, expected);
        EXPECT_EQ(blue.bins, expected.bins) << width << "x" << height;
        GetHistogram(histogram_intensity, bitmap, expected);
        EXPECT_EQ(intensity.bins, expected.bins) << width << "x" << height;
    }
}

TEST(FillAnalysisHistogramsTest, RefusesOtherDepthsAndKeepsTheHistograms)
{
    Bitmap24 bitmap = random_bitmap(4, 4, 7);
    bitmap.bits_per_pixel = 32;
    THistogram red, green, blue, intensity;
    red.Increment(1);
    intensity.Increment(200);
    EXPECT_THROW(fill_analysis_histograms(bitmap, red, green, blue, intensity), EHistogramError);
    EXPECT_EQ(red.bins[1], 1);
    EXPECT_EQ(intensity.bins[200], 1);
    EXPECT_EQ(std::accumulate(green.bins.begin(), green.bins.end(), 0), 0);
}

TEST(MeasurePhotoTest, AgreesWithGetStatisticsPerHistogram)
{
    const Bitmap24 bitmap = random_bitmap(31, 17, 11);
    const PhotoStatistics s = measure_photo(bitmap);
    const std::pair<std::uint8_t, const HistogramStatistics*> kinds[] = {{histogram_red, &s.red},
                                                                         {histogram_green, &s.green},
                                                                         {histogram_blue, &s.blue},
                                                                         {histogram_intensity, &s.intensity}};
    for (auto [kind, measured] : kinds) {
        THistogram h;
        GetHistogram(kind, bitmap, h);
        const HistogramStatistics expected = statistics_of(h);
        EXPECT_EQ(measured->count, 31 * 17);
        EXPECT_EQ(measured->minimum, expected.minimum);
        EXPECT_EQ(measured->maximum, expected.maximum);
        EXPECT_EQ(measured->mode, expected.mode);
        EXPECT_EQ(measured->median, expected.median);
        EXPECT_EQ(measured->mean, expected.mean);
        EXPECT_EQ(measured->std_dev, expected.std_dev);
        EXPECT_EQ(measured->skewness, expected.skewness);
        EXPECT_EQ(measured->kurtosis, expected.kurtosis);
    }
    EXPECT_EQ(s.excess_kurtosis_intensity, s.intensity.kurtosis - 3.0);
    EXPECT_EQ(s.excess_kurtosis_blue, s.blue.kurtosis - 3.0);
    const ProfileStatistics p = s.profile_statistics();
    EXPECT_EQ(p.mean_red, s.red.mean);
    EXPECT_EQ(p.mean_green, s.green.mean);
    EXPECT_EQ(p.mean_blue, s.blue.mean);
    EXPECT_EQ(p.mean_intensity, s.intensity.mean);
    EXPECT_EQ(p.excess_kurtosis_intensity, s.excess_kurtosis_intensity);
    EXPECT_EQ(p.excess_kurtosis_blue, s.excess_kurtosis_blue);
}

TEST(CopyAndMeasureProfileTest, EqualsCopyingThenMeasuringBitForBit)
{
    // Random and smooth content, one flat photo (no spread), odd sizes, one
    // pixel and an empty photo, tall ones that are counted in bands on several cores; the working bitmap is
    // reused across calls as the corrector reuses it.
    struct Case {
        int width;
        int height;
        int content;  // 0 random, 1 smooth, 2 flat
    };
    const Case cases[] = {{13, 7, 0}, {64, 3, 1}, {0, 5, 0}, {1, 1, 0},    {6, 2, 0},
                          {3, 4, 1},  {41, 9, 1}, {8, 8, 2}, {37, 301, 0}, {130, 257, 1}};
    std::mt19937 random(77);
    Bitmap24 working;
    for (const Case& c : cases) {
        Bitmap32 photo;
        photo.set_size(c.width, c.height);
        for (std::size_t k = 0; k < photo.pixel_count(); ++k) {
            const auto level = static_cast<std::uint32_t>(k % 97);
            photo.pixels()[k] = c.content == 0 ? static_cast<std::uint32_t>(random())
                                : c.content == 1
                                    ? 0xFF000000u | (level + 40) << 16 | (level + 20) << 8 | level
                                    : 0xFF7F3F1Fu;
        }
        const ProfileStatistics fused = copy_and_measure_profile(photo, working);
        const Bitmap24 copied = copy_to_bitmap24(photo);
        const ProfileStatistics separate = measure_photo(copied).profile_statistics();
        const std::string where = std::to_string(c.width) + "x" + std::to_string(c.height);
        ASSERT_EQ(working.width(), c.width) << where;
        ASSERT_EQ(working.height(), c.height) << where;
        for (int y = 0; y < copied.height() && c.width > 0; ++y)
            ASSERT_EQ(std::vector<std::uint8_t>(working.scan_line(y), working.scan_line(y) + 3 * c.width),
                      std::vector<std::uint8_t>(copied.scan_line(y), copied.scan_line(y) + 3 * c.width))
                << where;
        // NaN means (empty photo) must come out as the same NaN, so bits are compared.
        const auto bits = [](const ProfileStatistics& p) {
            return std::vector<std::uint64_t>{std::bit_cast<std::uint64_t>(p.mean_red),
                                              std::bit_cast<std::uint64_t>(p.mean_green),
                                              std::bit_cast<std::uint64_t>(p.mean_blue),
                                              std::bit_cast<std::uint64_t>(p.mean_intensity),
                                              std::bit_cast<std::uint64_t>(p.excess_kurtosis_intensity),
                                              std::bit_cast<std::uint64_t>(p.excess_kurtosis_blue)};
        };
        EXPECT_EQ(bits(fused), bits(separate)) << where;

        std::int32_t phone_a = 5, camera_a = 1, phone_b = 5, camera_b = 1;
        copy_and_select_profiles(photo, working, phone_a, camera_a);
        Bitmap24 again = copy_to_bitmap24(photo);
        select_profiles(again, phone_b, camera_b);
        EXPECT_EQ(std::make_pair(phone_a, camera_a), std::make_pair(phone_b, camera_b)) << where;
    }
}

}  // namespace
