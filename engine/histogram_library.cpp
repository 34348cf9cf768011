#include "engine/histogram_library.h"

#include <cstdint>
#include <limits>

#include "engine/bitmap24.h"
#include "engine/extended_float.h"

namespace {

// Counts value_of(blue, green, red) for every pixel, last row first and each
// row from its last pixel; the order does not change the result.
template <class ValueOf>
void count_pixels(const Bitmap24& bitmap, THistogram& histogram, ValueOf value_of)
{
    for (int y = bitmap.height() - 1; y >= 0; --y) {
        const std::uint8_t* row = bitmap.scan_line(y);
        for (int x = bitmap.width() - 1; x >= 0; --x) {
            const std::uint8_t* pixel = row + 3 * x;
            histogram.Increment(value_of(pixel[0], pixel[1], pixel[2]));
        }
    }
}

}  // namespace

void check_histogram_source(const Bitmap24& bitmap)
{
    if (bitmap.bits_per_pixel != 24) throw EHistogramError("GetHistogram:  Bitmap must be 24-bit.");
    // Bins and the count are signed 32-bit; refuse rather than wrap around.
    const auto pixels = static_cast<std::int64_t>(bitmap.width()) * bitmap.height();
    if (pixels > std::numeric_limits<std::int32_t>::max())
        throw EHistogramError("GetHistogram:  Bitmap has too many pixels to count.");
}

void GetHistogram(std::uint8_t kind, const Bitmap24& bitmap, THistogram& histogram)
{
    check_histogram_source(bitmap);
    histogram.Clear();
    using Byte = std::uint8_t;
    switch (kind) {
        case histogram_red:
            count_pixels(bitmap, histogram, [](Byte, Byte, Byte r) { return r; });
            break;
        case histogram_green:
            count_pixels(bitmap, histogram, [](Byte, Byte g, Byte) { return g; });
            break;
        case histogram_blue:
            count_pixels(bitmap, histogram, [](Byte b, Byte, Byte) { return b; });
            break;
        case histogram_largest:
            count_pixels(bitmap, histogram, [](Byte b, Byte g, Byte r) {
                Byte largest = r > g ? r : g;
                return b > largest ? b : largest;
            });
            break;
        case histogram_intensity:
            count_pixels(bitmap, histogram,
                         [](Byte b, Byte g, Byte r) { return static_cast<Byte>((unsigned{r} + g + b) / 3); });
            break;
        default:
            count_pixels(bitmap, histogram, [](Byte, Byte, Byte) { return Byte{0}; });
            break;
    }
}

void THistogram::GetStatistics(std::int32_t& count, std::uint8_t& minimum, std::uint8_t& maximum,
                               std::uint8_t& mode, std::uint8_t& median, double& mean, double& std_dev,
                               double& skewness, double& kurtosis) const
{
    int low = 0;
    while (bins[low] == 0 && low < 255) ++low;
    int high = 255;
    while (bins[high] == 0 && high > 0) --high;
    minimum = static_cast<std::uint8_t>(low);
    maximum = static_cast<std::uint8_t>(high);

    int most = low;
    std::int32_t best = bins[low];
    for (int i = low; i <= high; ++i) {
        if (bins[i] > best) {
            best = bins[i];
            most = i;
        }
    }
    mode = static_cast<std::uint8_t>(most);

    // The sums are integers far below 2^64, exact here and exact as extended values.
    std::int64_t total = 0;
    std::uint64_t level_sum = 0;
    std::uint64_t square_sum = 0;
    for (int i = low; i <= high; ++i) {
        const auto count_here = static_cast<std::uint64_t>(bins[i]);
        total += bins[i];
        level_sum += static_cast<std::uint64_t>(i) * count_here;
        square_sum += static_cast<std::uint64_t>(i * i) * count_here;
    }
    count = static_cast<std::int32_t>(total);
    const ExtendedFloat n(total);

    // The later steps read mean and std_dev back from the doubles, not from the
    // extended values they were computed in.
    mean = histogram_mean(level_sum, total);

    if (total < 2) {
        std_dev = histogram_nan;
        skewness = 0;
        kurtosis = 0;
    } else {
        const ExtendedFloat m(mean);
        std_dev = sqrt((ExtendedFloat(square_sum) - n * m * m) / (n - 1)).to_double();
        const ExtendedFloat s(std_dev);
        const ExtendedFloat variance = s * s * (n - 1) / n;

        ExtendedFloat m3;
        ExtendedFloat m4;
        for (int i = low; i <= high; ++i) {
            const ExtendedFloat count_here(bins[i]);
            const ExtendedFloat d = i - m;
            const ExtendedFloat d2 = d * d;
            m3 += d * d2 * count_here;
            m4 += d2 * d2 * count_here;
        }
        m3 /= n;
        m4 /= n;

        if (variance == 0) {
            skewness = histogram_nan;
            kurtosis = 0;
        } else {
            // variance^1.5 as the variance times its square root: two roundings of basic
            // operations, which every CPU makes alike, where a power function's last bit
            // depends on the library.
            skewness = (m3 / (variance * sqrt(variance))).to_double();
            kurtosis = (m4 / (variance * variance)).to_double();
        }
    }

    // The lowest value at which the running count reaches count div 2, so an
    // odd count lands below the middle value.
    const std::int64_t half = total / 2;
    std::int64_t running = 0;
    int k = low;
    while (running < half && k < 255) {
        running += bins[k];
        if (running < half) ++k;
    }
    median = static_cast<std::uint8_t>(k);
}

HistogramStatistics statistics_of(const THistogram& histogram)
{
    HistogramStatistics s;
    histogram.GetStatistics(s.count, s.minimum, s.maximum, s.mode, s.median, s.mean, s.std_dev, s.skewness,
                            s.kurtosis);
    return s;
}

double histogram_mean(std::uint64_t level_sum, std::int64_t count)
{
    return count == 0 ? histogram_nan : (ExtendedFloat(level_sum) / ExtendedFloat(count)).to_double();
}
