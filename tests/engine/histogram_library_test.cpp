#include "engine/histogram_library.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdint>
#include <initializer_list>
#include <numeric>
#include <utility>

#include "engine/bitmap24.h"

namespace {

std::uint64_t bits_of(double value)
{
    return std::bit_cast<std::uint64_t>(value);
}

constexpr std::uint64_t negative_quiet_nan_bits = 0xFFF8000000000000;

// A histogram with bins[value] = count for each listed pair.
THistogram histogram_of(std::initializer_list<std::pair<int, int>> counts)
{
    THistogram h;
    for (auto [value, count] : counts) h.bins[value] = count;
    return h;
}

// One row of pixels given as {red, green, blue}.
Bitmap24 row_of(std::initializer_list<std::array<std::uint8_t, 3>> pixels)
{
    Bitmap24 bitmap(static_cast<int>(pixels.size()), 1);
    std::uint8_t* p = bitmap.scan_line(0);
    for (const auto& rgb : pixels) {
        p[0] = rgb[2];
        p[1] = rgb[1];
        p[2] = rgb[0];
        p += 3;
    }
    return bitmap;
}

TEST(THistogramTest, StartsEmptyCountsAndClears)
{
    THistogram h;
    for (std::int32_t bin : h.bins) EXPECT_EQ(bin, 0);
    h.Increment(0);
    h.Increment(255);
    h.Increment(255);
    EXPECT_EQ(h.bins[0], 1);
    EXPECT_EQ(h.bins[255], 2);
    EXPECT_EQ(std::accumulate(h.bins.begin(), h.bins.end(), 0), 3);
    h.Clear();
    for (std::int32_t bin : h.bins) EXPECT_EQ(bin, 0);
}

TEST(GetStatisticsTest, EmptyHistogram)
{
    const HistogramStatistics s = statistics_of(THistogram{});
    EXPECT_EQ(s.count, 0);
    EXPECT_EQ(s.minimum, 255);
    EXPECT_EQ(s.maximum, 0);
    EXPECT_EQ(s.mode, 255);
    EXPECT_EQ(s.median, 255);
    EXPECT_EQ(bits_of(s.mean), negative_quiet_nan_bits);
    EXPECT_EQ(bits_of(s.std_dev), negative_quiet_nan_bits);
    EXPECT_EQ(bits_of(s.skewness), bits_of(0.0));
    EXPECT_EQ(bits_of(s.kurtosis), bits_of(0.0));
}

TEST(GetStatisticsTest, OnePixel)
{
    const HistogramStatistics s = statistics_of(histogram_of({{77, 1}}));
    EXPECT_EQ(s.count, 1);
    EXPECT_EQ(s.minimum, 77);
    EXPECT_EQ(s.maximum, 77);
    EXPECT_EQ(s.mode, 77);
    EXPECT_EQ(s.median, 77);
    EXPECT_EQ(s.mean, 77.0);
    EXPECT_EQ(bits_of(s.std_dev), negative_quiet_nan_bits);
    EXPECT_EQ(s.skewness, 0.0);
    EXPECT_EQ(s.kurtosis, 0.0);
}

TEST(GetStatisticsTest, SingleValueHasNoSpread)
{
    const HistogramStatistics s = statistics_of(histogram_of({{40, 10}}));
    EXPECT_EQ(s.count, 10);
    EXPECT_EQ(s.mean, 40.0);
    EXPECT_EQ(s.std_dev, 0.0);
    EXPECT_EQ(bits_of(s.skewness), negative_quiet_nan_bits);
    EXPECT_EQ(s.kurtosis, 0.0);
    EXPECT_EQ(s.median, 40);
    EXPECT_EQ(s.mode, 40);

    const HistogramStatistics top = statistics_of(histogram_of({{255, 2}}));
    EXPECT_EQ(top.minimum, 255);
    EXPECT_EQ(top.maximum, 255);
    EXPECT_EQ(top.mean, 255.0);
    EXPECT_EQ(top.std_dev, 0.0);
    EXPECT_EQ(bits_of(top.skewness), negative_quiet_nan_bits);
    EXPECT_EQ(top.kurtosis, 0.0);
    EXPECT_EQ(top.median, 255);
}

TEST(GetStatisticsTest, TwoPixelsKurtosisComesFromTheStoredDeviation)
{
    const HistogramStatistics s = statistics_of(histogram_of({{10, 1}, {20, 1}}));
    EXPECT_EQ(s.count, 2);
    EXPECT_EQ(s.mean, 15.0);
    EXPECT_EQ(s.std_dev, std::sqrt(50.0));
    EXPECT_EQ(s.skewness, 0.0);
    // Rebuilding the variance from the double deviation lands one step below 1.
    EXPECT_EQ(s.kurtosis, 0.9999999999999999);
    EXPECT_EQ(bits_of(s.kurtosis), 0x3FEFFFFFFFFFFFFFu);
    EXPECT_EQ(s.mode, 10);
    EXPECT_EQ(s.median, 10);
}

TEST(GetStatisticsTest, SkewedDistribution)
{
    const HistogramStatistics s = statistics_of(histogram_of({{0, 3}, {255, 1}}));
    EXPECT_EQ(s.count, 4);
    EXPECT_EQ(s.mean, 63.75);
    EXPECT_EQ(s.std_dev, 127.5);
    EXPECT_NEAR(s.skewness, 2.0 / std::sqrt(3.0), 1e-15);
    EXPECT_NEAR(s.kurtosis, 7.0 / 3.0, 1e-15);
    EXPECT_EQ(s.mode, 0);
    EXPECT_EQ(s.median, 0);
}

TEST(GetStatisticsTest, OddCountMedianFallsBelowTheMiddle)
{
    const HistogramStatistics s = statistics_of(histogram_of({{1, 1}, {2, 1}, {3, 1}, {4, 1}, {5, 1}}));
    EXPECT_EQ(s.count, 5);
    EXPECT_EQ(s.minimum, 1);
    EXPECT_EQ(s.maximum, 5);
    EXPECT_EQ(s.mean, 3.0);
    EXPECT_NEAR(s.std_dev, 1.5811388300841898, 1e-15);
    EXPECT_EQ(s.skewness, 0.0);
    // 1.7 to within the last bits: the variance rebuilt from the double deviation
    // puts it two steps below.
    EXPECT_NEAR(s.kurtosis, 1.7, 1e-15);
    EXPECT_EQ(s.kurtosis, 1.6999999999999995);
    EXPECT_EQ(s.mode, 1);
    EXPECT_EQ(s.median, 2);
}

TEST(GetStatisticsTest, CancellationShowsTheOrderOfTheExtendedSteps)
{
    // Three pixels 20, 21, 21: the deviation is sqrt(1/3) and the kurtosis 1.5 in exact
    // arithmetic, but the sum-of-squares form 1282 - 3 * m * m (m = 62/3 rounded to a
    // double) cancels most bits, so the last bits show the order and rounding of every
    // extended step (3 * m, exact, then times m). The profile thresholds were tuned on
    // exactly these bits, and every CPU must give them.
    const HistogramStatistics s = statistics_of(histogram_of({{20, 1}, {21, 2}}));
    EXPECT_NEAR(s.std_dev, std::sqrt(1.0 / 3), 1e-12);
    EXPECT_EQ(bits_of(s.std_dev), 0x3FE279A7459030E0u);
    EXPECT_NEAR(s.kurtosis, 1.5, 1e-11);
    EXPECT_EQ(bits_of(s.kurtosis), 0x3FF8000000000BBEu);
}

TEST(GetStatisticsTest, ModeMedianAndRangeRules)
{
    // Highest bin wins; of equal highest bins the lowest index.
    EXPECT_EQ(statistics_of(histogram_of({{3, 2}, {9, 5}, {200, 5}})).mode, 9);
    // Median: lowest value where the running count reaches count div 2.
    EXPECT_EQ(statistics_of(histogram_of({{3, 2}, {9, 5}, {200, 5}})).median, 9);
    EXPECT_EQ(statistics_of(histogram_of({{3, 6}, {9, 5}, {200, 1}})).median, 3);
    EXPECT_EQ(statistics_of(histogram_of({{0, 1}, {255, 1}})).median, 0);
    EXPECT_EQ(statistics_of(histogram_of({{0, 1}, {255, 3}})).median, 255);

    const HistogramStatistics ends = statistics_of(histogram_of({{0, 1}, {255, 1}}));
    EXPECT_EQ(ends.minimum, 0);
    EXPECT_EQ(ends.maximum, 255);
    EXPECT_EQ(ends.mean, 127.5);

    const HistogramStatistics middle = statistics_of(histogram_of({{17, 4}, {18, 4}, {130, 2}}));
    EXPECT_EQ(middle.minimum, 17);
    EXPECT_EQ(middle.maximum, 130);
    EXPECT_EQ(middle.count, 10);
}

TEST(GetStatisticsTest, GetStatisticsLeavesTheHistogramAlone)
{
    THistogram h = histogram_of({{4, 7}, {90, 1}});
    const auto before = h.bins;
    std::int32_t count;
    std::uint8_t minimum, maximum, mode, median;
    double mean, std_dev, skewness, kurtosis;
    h.GetStatistics(count, minimum, maximum, mode, median, mean, std_dev, skewness, kurtosis);
    EXPECT_EQ(h.bins, before);
    EXPECT_EQ(count, 8);
    EXPECT_EQ(minimum, 4);
    EXPECT_EQ(maximum, 90);
    EXPECT_EQ(mode, 4);
    EXPECT_EQ(median, 4);
    EXPECT_EQ(mean, (4.0 * 7 + 90) / 8);
}

TEST(GetStatisticsTest, LargeCountsDoNotOverflow)
{
    // 2^30 pixels: value x count alone passes what a 32-bit product can hold.
    const int big = 1 << 29;
    const HistogramStatistics s = statistics_of(histogram_of({{254, big}, {255, big}}));
    EXPECT_EQ(s.count, 2 * big);
    EXPECT_EQ(s.mean, 254.5);
    EXPECT_NEAR(s.std_dev, 0.5, 1e-9);
    EXPECT_NEAR(s.kurtosis, 1.0, 1e-12);
    EXPECT_NEAR(s.skewness, 0.0, 1e-12);
    EXPECT_EQ(s.median, 254);
}

TEST(GetHistogramTest, CountsEachKind)
{
    // {red, green, blue}
    const Bitmap24 bitmap = row_of({{255, 255, 1}, {10, 20, 30}, {200, 7, 9}});
    THistogram h;

    GetHistogram(histogram_red, bitmap, h);
    EXPECT_EQ(h.bins, histogram_of({{255, 1}, {10, 1}, {200, 1}}).bins);
    GetHistogram(histogram_green, bitmap, h);
    EXPECT_EQ(h.bins, histogram_of({{255, 1}, {20, 1}, {7, 1}}).bins);
    GetHistogram(histogram_blue, bitmap, h);
    EXPECT_EQ(h.bins, histogram_of({{1, 1}, {30, 1}, {9, 1}}).bins);
    GetHistogram(histogram_largest, bitmap, h);
    EXPECT_EQ(h.bins, histogram_of({{255, 1}, {30, 1}, {200, 1}}).bins);
    GetHistogram(histogram_intensity, bitmap, h);
    // (255 + 255 + 1) div 3 = 170, (10 + 20 + 30) div 3 = 20, (200 + 7 + 9) div 3 = 72
    EXPECT_EQ(h.bins, histogram_of({{170, 1}, {20, 1}, {72, 1}}).bins);
}

TEST(GetHistogramTest, UnknownKindsCountEveryPixelInBinZero)
{
    Bitmap24 bitmap(4, 3);
    for (int y = 0; y < 3; ++y)
        for (int i = 0; i < 12; ++i) bitmap.scan_line(y)[i] = static_cast<std::uint8_t>(100 + y * 12 + i);
    for (int kind : {5, 6, 128, 255}) {
        THistogram h;
        h.Increment(77);
        GetHistogram(static_cast<std::uint8_t>(kind), bitmap, h);
        EXPECT_EQ(h.bins, histogram_of({{0, 12}}).bins) << "kind " << kind;
    }
}

TEST(GetHistogramTest, CountsEveryRowAndColumn)
{
    Bitmap24 bitmap(3, 2);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x)
            bitmap.scan_line(y)[3 * x + 2] = static_cast<std::uint8_t>(10 * (y * 3 + x));
    THistogram h;
    GetHistogram(histogram_red, bitmap, h);
    EXPECT_EQ(h.bins, histogram_of({{0, 1}, {10, 1}, {20, 1}, {30, 1}, {40, 1}, {50, 1}}).bins);
}

TEST(GetHistogramTest, EmptyBitmapClearsEarlierCounts)
{
    for (auto [width, height] : {std::pair{0, 0}, std::pair{0, 5}, std::pair{5, 0}}) {
        Bitmap24 bitmap(width, height);
        THistogram h;
        h.Increment(3);
        h.Increment(250);
        GetHistogram(histogram_intensity, bitmap, h);
        for (std::int32_t bin : h.bins) EXPECT_EQ(bin, 0);
    }
}

TEST(GetHistogramTest, RefusesOtherDepthsAndKeepsTheHistogram)
{
    Bitmap24 bitmap = row_of({{1, 2, 3}});
    bitmap.bits_per_pixel = 32;
    THistogram h;
    h.Increment(9);
    h.Increment(9);
    const auto before = h.bins;
    try {
        GetHistogram(histogram_red, bitmap, h);
        FAIL() << "a 32-bit bitmap was accepted";
    } catch (const EHistogramError& e) {
        EXPECT_STREQ(e.what(), "GetHistogram:  Bitmap must be 24-bit.");
    }
    EXPECT_EQ(h.bins, before);
}

}  // namespace
