#include "engine/profile_selection.h"

#include <array>
#include <limits>

#include "engine/bitmap24.h"
#include "engine/bitmap32.h"
#include "engine/pixel_packing.h"
#include "engine/row_pool.h"

ProfileStatistics PhotoStatistics::profile_statistics() const
{
    return {red.mean, green.mean, blue.mean, intensity.mean, excess_kurtosis_intensity, excess_kurtosis_blue};
}

namespace {

// Counting histograms is bound by the read-modify-write of one counter per
// table per pixel. In a smooth photo neighbouring pixels keep hitting the same
// bins, so an increment often has to wait for the one just before it; giving
// each of four neighbouring pixels its own set of tables breaks those chains,
// and the sets are added together at the end.
template <int Tables>
class SplitCounts {
public:
    static constexpr int sets = 4;

    void increment(int set, int table, unsigned value) { ++counts_[set][table][value]; }

    void store(int table, THistogram& histogram) const
    {
        for (int value = 0; value < 256; ++value) {
            std::int32_t total = 0;
            for (const auto& tables : counts_) total += tables[table][value];
            histogram.bins[value] = total;
        }
    }

private:
    std::array<std::array<std::array<std::int32_t, 256>, Tables>, sets> counts_{};
};

unsigned intensity_of(unsigned r, unsigned g, unsigned b)
{
    return (r + g + b) / 3;
}

}  // namespace

void fill_analysis_histograms(const Bitmap24& bitmap, THistogram& red, THistogram& green, THistogram& blue,
                              THistogram& intensity)
{
    check_histogram_source(bitmap);
    // One scan feeding four tables instead of four GetHistogram scans: every
    // pixel is read once.
    SplitCounts<4> counts;
    const auto count = [&counts](int set, const std::uint8_t* pixel) {
        const unsigned b = pixel[0], g = pixel[1], r = pixel[2];
        counts.increment(set, 0, r);
        counts.increment(set, 1, g);
        counts.increment(set, 2, b);
        counts.increment(set, 3, intensity_of(r, g, b));
    };
    constexpr int sets = SplitCounts<4>::sets;
    for (int y = 0; y < bitmap.height(); ++y) {
        const std::uint8_t* pixel = bitmap.scan_line(y);
        int x = 0;
        for (; x + sets <= bitmap.width(); x += sets, pixel += 3 * sets) {
#pragma GCC unroll 4
            for (int set = 0; set < sets; ++set) count(set, pixel + 3 * set);
        }
        for (; x < bitmap.width(); ++x, pixel += 3) count(0, pixel);
    }
    counts.store(0, red);
    counts.store(1, green);
    counts.store(2, blue);
    counts.store(3, intensity);
}

namespace {

PhotoStatistics statistics_of_histograms(const THistogram& red, const THistogram& green,
                                         const THistogram& blue, const THistogram& intensity)
{
    PhotoStatistics photo;
    photo.red = statistics_of(red);
    photo.green = statistics_of(green);
    photo.blue = statistics_of(blue);
    photo.intensity = statistics_of(intensity);
    // Taken from the kurtosis as stored, and stored again as a double.
    photo.excess_kurtosis_intensity = photo.intensity.kurtosis - 3.0;
    photo.excess_kurtosis_blue = photo.blue.kurtosis - 3.0;
    return photo;
}

// What one band of rows contributes to the profile statistics.
struct BandCounts {
    THistogram blue;
    THistogram intensity;
    std::uint64_t red_sum = 0;
    std::uint64_t green_sum = 0;
};

void count_rows(const Bitmap32& photo, Bitmap24& working_bitmap, int first, int end, BandCounts& band)
{
    // The rules read only the red and green means, and a mean is the level sum
    // over the count. Summing those two channels in registers leaves two
    // counter increments per pixel instead of four; blue and intensity need
    // their whole histograms for the kurtosis.
    SplitCounts<2> counts;
    std::uint64_t red_sum = 0;
    std::uint64_t green_sum = 0;
    const auto copy_and_count = [&](int set, std::uint32_t p, std::uint8_t* out) {
        const unsigned b = p & 0xFF;
        const unsigned g = (p >> 8) & 0xFF;
        const unsigned r = (p >> 16) & 0xFF;
        pack_pixel(p, out);
        red_sum += r;
        green_sum += g;
        counts.increment(set, 0, b);
        counts.increment(set, 1, intensity_of(r, g, b));
    };
    constexpr int sets = SplitCounts<2>::sets;
    for (int y = first; y < end; ++y) {
        const std::uint32_t* in = photo.scan_line(y);
        std::uint8_t* out = working_bitmap.scan_line(y);
        int x = 0;
        for (; x + sets <= photo.width(); x += sets) {
#pragma GCC unroll 4
            for (int set = 0; set < sets; ++set) copy_and_count(set, in[x + set], out + 3 * (x + set));
        }
        for (; x < photo.width(); ++x) copy_and_count(0, in[x], out + 3 * x);
    }
    counts.store(0, band.blue);
    counts.store(1, band.intensity);
    band.red_sum = red_sum;
    band.green_sum = green_sum;
}

}  // namespace

PhotoStatistics measure_photo(const Bitmap24& bitmap)
{
    THistogram red;
    THistogram green;
    THistogram blue;
    THistogram intensity;
    fill_analysis_histograms(bitmap, red, green, blue, intensity);
    return statistics_of_histograms(red, green, blue, intensity);
}

ProfileStatistics copy_and_measure_profile(const Bitmap32& photo, Bitmap24& working_bitmap)
{
    // Bins and the count are signed 32-bit; refuse rather than wrap around.
    if (photo.pixel_count() > static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max()))
        throw EHistogramError("GetHistogram:  Bitmap has too many pixels to count.");
    working_bitmap.set_size_for_overwrite(photo.width(), photo.height());
    // Bands of rows are counted on several cores; integer counts and level sums
    // add up exactly, so the merged figures do not depend on the split.
    RowPool& pool = RowPool::shared();
    constexpr int minimum_rows_per_band = 64;
    std::array<BandCounts, RowPool::kMaximumBands> bands;
    const int parts = pool.run_parts(photo.height(), minimum_rows_per_band);
    auto band = [&](int first, int end, int part) {
        count_rows(photo, working_bitmap, first, end, bands[static_cast<std::size_t>(part)]);
    };
    if (!photo.is_empty()) pool.run(photo.height(), minimum_rows_per_band, band);
    THistogram blue, intensity;
    std::uint64_t red_sum = 0;
    std::uint64_t green_sum = 0;
    for (int part = 0; part < parts; ++part) {
        const BandCounts& counts = bands[static_cast<std::size_t>(part)];
        for (int value = 0; value < 256; ++value) {
            blue.bins[value] += counts.blue.bins[value];
            intensity.bins[value] += counts.intensity.bins[value];
        }
        red_sum += counts.red_sum;
        green_sum += counts.green_sum;
    }
    const HistogramStatistics blue_statistics = statistics_of(blue);
    const HistogramStatistics intensity_statistics = statistics_of(intensity);
    const auto pixels = static_cast<std::int64_t>(photo.pixel_count());
    ProfileStatistics statistics;
    statistics.mean_red = histogram_mean(red_sum, pixels);
    statistics.mean_green = histogram_mean(green_sum, pixels);
    statistics.mean_blue = blue_statistics.mean;
    statistics.mean_intensity = intensity_statistics.mean;
    // Taken from the kurtosis as stored, and stored again as a double.
    statistics.excess_kurtosis_intensity = intensity_statistics.kurtosis - 3.0;
    statistics.excess_kurtosis_blue = blue_statistics.kurtosis - 3.0;
    return statistics;
}

void decide_profiles(const ProfileStatistics& statistics, std::int32_t& phone_profile,
                     std::int32_t& camera_profile)
{
    // Widening the doubles is exact. The fractional thresholds are extended
    // constants, so a statistic equal to the double nearest -0.8 (or 0.3) is
    // below it, and I - B is exact. Any comparison with a NaN is false.
    const long double R = statistics.mean_red;
    const long double G = statistics.mean_green;
    const long double B = statistics.mean_blue;
    const long double I = statistics.mean_intensity;
    const long double K = statistics.excess_kurtosis_intensity;
    const long double KB = statistics.excess_kurtosis_blue;
    const auto decide = [&](std::int32_t phone, std::int32_t camera) {
        phone_profile = phone;
        camera_profile = camera;
    };

    // clang-format off
    if (R > 90 && G > 90 && B > 90 && R > G && R > B) {               // rule 1
                                                 decide( 8, 8);
    } else if (I > 110 && K < -0.8L) {                                 // rule 2
        if      (G > R && G > I && R > B)        decide( 2, 2);        // 2a
        else if (I - B > 25)                     decide( 5, 5);        // 2b
        else if (KB > 0)                         decide( 5, 5);        // 2c
        else                                     decide( 4, 4);        // 2d
    } else if (R > 90 && G > 90 && B > 90) {                           // rule 3
        if      (B > G && B > R)                 decide( 4, 4);        // 3a
        else if (I - B > 35)                     decide( 5, 4);        // 3b
        else if (K <= -0.1L)                     decide( 4, 4);        // 3c
        else                                     decide( 4, 5);        // 3d
    } else if (G > R) {                                                // rule 4
        if      (R > B && K > 1.0L)              decide( 7, 7);        // 4a
        else if (R > B && K < -0.2L)             decide( 2, 2);        // 4b
        else if (B > G && K > -0.5L)             decide( 4, 4);        // 4c
        else if (B > G && K <= -0.5L)            decide( 5, 5);        // 4c
        else if (G > B && (K < 0.3L || R < B))   decide(13, 2);        // 4d
        else                                     decide( 1, 1);        // 4e
    } else if (R > G) {                                                // rule 5
        if      (I - B > 50)                     decide( 5, 5);        // 5a
        else if (K >= -0.9L && K < 0)            decide(13, 5);        // 5b
        else                                     decide( 5, 5);        // 5c
    } else {                                                           // rule 6
        if      (B > R && K > -0.5L)             decide( 4, 4);        // 6a
        else if (B > R && K <= -0.5L)            decide( 5, 5);        // 6a
        // 6b: no rule decides; the caller's values stay.
    }
    // clang-format on
}

void copy_and_select_profiles(const Bitmap32& photo, Bitmap24& working_bitmap, std::int32_t& phone_profile,
                              std::int32_t& camera_profile)
{
    decide_profiles(copy_and_measure_profile(photo, working_bitmap), phone_profile, camera_profile);
}

void select_profiles(Bitmap24& working_bitmap, std::int32_t& phone_profile, std::int32_t& camera_profile)
{
    // A Bitmap24 always stores three bytes per pixel, so bringing it to 24-bit
    // form only means restoring its depth tag; the levels are already right.
    working_bitmap.bits_per_pixel = 24;
    decide_profiles(measure_photo(working_bitmap).profile_statistics(), phone_profile, camera_profile);
}
