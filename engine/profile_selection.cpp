#include "profile_selection.h"

#include <array>
#include <limits>

#include "bitmap24.h"
#include "bitmap32.h"

ProfileStatistics PhotoStatistics::profile_statistics() const
{
    return {red.mean, green.mean, blue.mean, intensity.mean, excess_kurtosis_intensity, excess_kurtosis_blue};
}

void fill_analysis_histograms(const Bitmap24& bitmap, THistogram& red, THistogram& green, THistogram& blue,
                              THistogram& intensity)
{
    check_histogram_source(bitmap);
    // One scan feeding four tables instead of four GetHistogram scans: every
    // pixel is read once. Local tables keep the counters apart from the caller's
    // objects, so the compiler need not reload anything between increments.
    std::array<std::array<std::int32_t, 256>, 4> counts{};
    auto& red_counts = counts[0];
    auto& green_counts = counts[1];
    auto& blue_counts = counts[2];
    auto& intensity_counts = counts[3];
    for (int y = 0; y < bitmap.height(); ++y) {
        const std::uint8_t* pixel = bitmap.scan_line(y);
        const std::uint8_t* const end = pixel + 3 * static_cast<std::size_t>(bitmap.width());
        for (; pixel != end; pixel += 3) {
            const unsigned b = pixel[0];
            const unsigned g = pixel[1];
            const unsigned r = pixel[2];
            ++red_counts[r];
            ++green_counts[g];
            ++blue_counts[b];
            ++intensity_counts[(r + g + b) / 3];
        }
    }
    red.bins = red_counts;
    green.bins = green_counts;
    blue.bins = blue_counts;
    intensity.bins = intensity_counts;
}

namespace {

PhotoStatistics statistics_of_histograms(const THistogram& red, const THistogram& green, const THistogram& blue,
                                         const THistogram& intensity)
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

PhotoStatistics copy_and_measure_photo(const Bitmap32& photo, Bitmap24& working_bitmap)
{
    // Bins and the count are signed 32-bit; refuse rather than wrap around.
    if (photo.pixel_count() > static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max()))
        throw EHistogramError("GetHistogram:  Bitmap has too many pixels to count.");
    working_bitmap.set_size_for_overwrite(photo.width(), photo.height());
    std::array<std::array<std::int32_t, 256>, 4> counts{};
    auto& red_counts = counts[0];
    auto& green_counts = counts[1];
    auto& blue_counts = counts[2];
    auto& intensity_counts = counts[3];
    if (!photo.is_empty()) {
        for (int y = 0; y < photo.height(); ++y) {
            const std::uint32_t* in = photo.scan_line(y);
            std::uint8_t* out = working_bitmap.scan_line(y);
            for (int x = 0; x < photo.width(); ++x, out += 3) {
                const std::uint32_t p = in[x];
                const unsigned b = p & 0xFF;
                const unsigned g = (p >> 8) & 0xFF;
                const unsigned r = (p >> 16) & 0xFF;
                out[0] = static_cast<std::uint8_t>(b);
                out[1] = static_cast<std::uint8_t>(g);
                out[2] = static_cast<std::uint8_t>(r);
                ++red_counts[r];
                ++green_counts[g];
                ++blue_counts[b];
                ++intensity_counts[(r + g + b) / 3];
            }
        }
    }
    THistogram red, green, blue, intensity;
    red.bins = red_counts;
    green.bins = green_counts;
    blue.bins = blue_counts;
    intensity.bins = intensity_counts;
    return statistics_of_histograms(red, green, blue, intensity);
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
    decide_profiles(copy_and_measure_photo(photo, working_bitmap).profile_statistics(), phone_profile,
                    camera_profile);
}

void select_profiles(Bitmap24& working_bitmap, std::int32_t& phone_profile, std::int32_t& camera_profile)
{
    // A Bitmap24 always stores three bytes per pixel, so bringing it to 24-bit
    // form only means restoring its depth tag; the levels are already right.
    working_bitmap.bits_per_pixel = 24;
    decide_profiles(measure_photo(working_bitmap).profile_statistics(), phone_profile, camera_profile);
}
