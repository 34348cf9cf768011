#include "engine/profile_selection.h"

#include <array>
#include <limits>

#include "engine/bitmap24.h"
#include "engine/bitmap32.h"
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
