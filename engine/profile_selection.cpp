#include "engine/profile_selection.h"

#include <array>
#include <limits>

#include "engine/bitmap24.h"
#include "engine/bitmap32.h"
#include "engine/pixel_packing.h"
#include "engine/profile_counting.h"
#include "engine/row_pool.h"

ProfileStatistics PhotoStatistics::profile_statistics() const
{
    return {red.mean, green.mean, blue.mean, intensity.mean, excess_kurtosis_intensity, excess_kurtosis_blue};
}

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
    for (THistogram* histogram : {&red, &green, &blue, &intensity}) histogram->Clear();
    counts.add_to(0, red);
    counts.add_to(1, green);
    counts.add_to(2, blue);
    counts.add_to(3, intensity);
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

template <bool Copy>
void count_rows(const Bitmap32& photo, int first, int end, ProfileCounts& counts, Bitmap24* working_bitmap)
{
    SplitCounts<2> tables;
    std::uint64_t red_sum = 0;
    std::uint64_t green_sum = 0;
    const auto count = [&](int set, std::uint32_t p, std::uint8_t* out) {
        const unsigned b = p & 0xFF;
        const unsigned g = (p >> 8) & 0xFF;
        const unsigned r = (p >> 16) & 0xFF;
        if constexpr (Copy) pack_pixel(p, out);
        red_sum += r;
        green_sum += g;
        tables.increment(set, 0, b);
        tables.increment(set, 1, intensity_of(r, g, b));
    };
    constexpr int sets = SplitCounts<2>::sets;
    const int width = photo.width();
    for (int y = first; y < end; ++y) {
        const std::uint32_t* in = photo.scan_line(y);
        std::uint8_t* out = Copy ? working_bitmap->scan_line(y) : nullptr;
        int x = 0;
        for (; x + sets <= width; x += sets) {
#pragma GCC unroll 4
            for (int set = 0; set < sets; ++set)
                count(set, in[x + set], Copy ? out + 3 * (x + set) : nullptr);
        }
        for (; x < width; ++x) count(0, in[x], Copy ? out + 3 * x : nullptr);
    }
    tables.add_to(0, counts.blue);
    tables.add_to(1, counts.intensity);
    counts.red_sum += red_sum;
    counts.green_sum += green_sum;
    counts.pixels += static_cast<std::uint64_t>(end - first) * static_cast<std::uint64_t>(width);
}

}  // namespace

void count_profile_rows(const Bitmap32& photo, int first, int end, ProfileCounts& counts,
                        Bitmap24* working_bitmap)
{
    if (working_bitmap != nullptr)
        count_rows<true>(photo, first, end, counts, working_bitmap);
    else
        count_rows<false>(photo, first, end, counts, nullptr);
}

ProfileStatistics profile_statistics_of(const THistogram& blue, const THistogram& intensity,
                                        std::uint64_t red_sum, std::uint64_t green_sum, std::uint64_t pixels)
{
    const HistogramStatistics blue_statistics = statistics_of(blue);
    const HistogramStatistics intensity_statistics = statistics_of(intensity);
    const auto count = static_cast<std::int64_t>(pixels);
    ProfileStatistics statistics;
    statistics.mean_red = histogram_mean(red_sum, count);
    statistics.mean_green = histogram_mean(green_sum, count);
    statistics.mean_blue = blue_statistics.mean;
    statistics.mean_intensity = intensity_statistics.mean;
    // Taken from the kurtosis as stored, and stored again as a double.
    statistics.excess_kurtosis_intensity = intensity_statistics.kurtosis - 3.0;
    statistics.excess_kurtosis_blue = blue_statistics.kurtosis - 3.0;
    return statistics;
}

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
    // Bands of rows are counted on several cores and merged in band order.
    RowPool& pool = RowPool::shared();
    constexpr int minimum_rows_per_band = 64;
    std::array<ProfileCounts, RowPool::kMaximumBands> bands;
    const int parts = pool.run_parts(photo.height(), minimum_rows_per_band);
    auto band = [&](int first, int end, int part) {
        count_profile_rows(photo, first, end, bands[static_cast<std::size_t>(part)], &working_bitmap);
    };
    if (!photo.is_empty()) pool.run(photo.height(), minimum_rows_per_band, band);
    THistogram blue, intensity;
    std::uint64_t red_sum = 0;
    std::uint64_t green_sum = 0;
    for (int part = 0; part < parts; ++part) {
        const ProfileCounts& counts = bands[static_cast<std::size_t>(part)];
        for (int value = 0; value < 256; ++value) {
            blue.bins[value] += counts.blue.bins[value];
            intensity.bins[value] += counts.intensity.bins[value];
        }
        red_sum += counts.red_sum;
        green_sum += counts.green_sum;
    }
    return profile_statistics_of(blue, intensity, red_sum, green_sum, photo.pixel_count());
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
