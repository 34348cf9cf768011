#include "profile_selection.h"

#include <array>
#include <limits>

#include "bitmap24.h"
#include "bitmap32.h"
#include "pixel_packing.h"

ProfileStatistics PhotoStatistics::profile_statistics() const
{
    return {red.mean, green.mean, blue.mean, intensity.mean, excess_kurtosis_intensity, excess_kurtosis_blue};
}

namespace {

// Counting the analysis histograms is bound by the read-modify-write of one
// counter per channel per pixel. In a smooth photo neighbouring pixels keep
// hitting the same bins, so an increment often has to wait for the one just
// before it; giving each of four neighbouring pixels its own set of tables
// breaks those chains, and the sets are added together at the end.
class AnalysisCounts {
public:
    // Also the group size the packing of the working copy takes at once.
    static constexpr int sets = 4;

    void add(int set, unsigned r, unsigned g, unsigned b)
    {
        auto& tables = counts_[set];
        ++tables[0][r];
        ++tables[1][g];
        ++tables[2][b];
        ++tables[3][(r + g + b) / 3];
    }

    void store(THistogram& red, THistogram& green, THistogram& blue, THistogram& intensity) const
    {
        THistogram* const histograms[4] = {&red, &green, &blue, &intensity};
        for (int channel = 0; channel < 4; ++channel) {
            for (int value = 0; value < 256; ++value) {
                std::int32_t total = 0;
                for (const auto& tables : counts_) total += tables[channel][value];
                histograms[channel]->bins[value] = total;
            }
        }
    }

private:
    std::array<std::array<std::array<std::int32_t, 256>, 4>, sets> counts_{};
};

}  // namespace

void fill_analysis_histograms(const Bitmap24& bitmap, THistogram& red, THistogram& green, THistogram& blue,
                              THistogram& intensity)
{
    check_histogram_source(bitmap);
    // One scan feeding four tables instead of four GetHistogram scans: every
    // pixel is read once.
    AnalysisCounts counts;
    constexpr int sets = AnalysisCounts::sets;
    for (int y = 0; y < bitmap.height(); ++y) {
        const std::uint8_t* pixel = bitmap.scan_line(y);
        int x = 0;
        for (; x + sets <= bitmap.width(); x += sets, pixel += 3 * sets) {
#pragma GCC unroll 4
            for (int set = 0; set < sets; ++set)
                counts.add(set, pixel[3 * set + 2], pixel[3 * set + 1], pixel[3 * set]);
        }
        for (; x < bitmap.width(); ++x, pixel += 3) counts.add(0, pixel[2], pixel[1], pixel[0]);
    }
    counts.store(red, green, blue, intensity);
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

PhotoStatistics copy_and_measure_photo(const Bitmap32& photo, Bitmap24& working_bitmap)
{
    // Bins and the count are signed 32-bit; refuse rather than wrap around.
    if (photo.pixel_count() > static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max()))
        throw EHistogramError("GetHistogram:  Bitmap has too many pixels to count.");
    working_bitmap.set_size_for_overwrite(photo.width(), photo.height());
    AnalysisCounts counts;
    constexpr int sets = AnalysisCounts::sets;
    const auto count = [&counts](int set, std::uint32_t p) {
        counts.add(set, (p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
    };
    if (!photo.is_empty()) {
        for (int y = 0; y < photo.height(); ++y) {
            const std::uint32_t* in = photo.scan_line(y);
            std::uint8_t* out = working_bitmap.scan_line(y);
            int x = 0;
            for (; x + sets <= photo.width(); x += sets, out += 3 * sets) {
#pragma GCC unroll 4
                for (int set = 0; set < sets; ++set) {
                    pack_pixel(in[x + set], out + 3 * set);
                    count(set, in[x + set]);
                }
            }
            for (; x < photo.width(); ++x, out += 3) {
                pack_pixel(in[x], out);
                count(0, in[x]);
            }
        }
    }
    THistogram red, green, blue, intensity;
    counts.store(red, green, blue, intensity);
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
