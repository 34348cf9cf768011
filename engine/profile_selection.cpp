#include "engine/profile_selection.h"

#include <array>
#include <limits>

#include "engine/bitmap24.h"
#include "engine/bitmap32.h"
#include "engine/pixel_packing.h"
#include "engine/profile_counting.h"
#include "engine/row_pool.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#define TINTELO_COUNT_SSE2 1
#endif

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

#ifdef TINTELO_COUNT_SSE2
constexpr bool multiplying_divides_by_three()
{
    for (unsigned sum = 0; sum <= 3 * 255; ++sum)
        if ((sum * 43691u) >> 17 != sum / 3) return false;
    return true;
}
static_assert(multiplying_divides_by_three());

// The increments are what counting costs; the rest of the per-pixel work (taking the
// bytes apart, the red and green sums, the intensity's division by three) is done
// sixteen pixels at a time in vector registers, leaving the scalar loop two byte
// loads and two increments a pixel. SSE2 is part of every x86-64 CPU, so this needs
// no run-time choice. Returns how many leading pixels of the row it counted.
int count_row_sse2(const std::uint32_t* in, int width, SplitCounts<2>& tables, std::uint64_t& red_sum,
                   std::uint64_t& green_sum)
{
    const __m128i low_byte = _mm_set1_epi32(0xFF);
    const __m128i green_bytes = _mm_set1_epi32(0xFF00);
    const __m128i red_bytes = _mm_set1_epi32(0xFF0000);
    // (s * 43691) >> 17 is s / 3 for every s up to 3 * 255.
    const __m128i third = _mm_set1_epi16(static_cast<short>(43691));
    const __m128i zero = _mm_setzero_si128();
    __m128i red_sums = zero;
    __m128i green_sums = zero;
    int x = 0;
#pragma GCC unroll 2
    for (; x + 16 <= width; x += 16) {
        __m128i level_sums[4];
        __m128i blues[4];
        for (int k = 0; k < 4; ++k) {
            const __m128i p = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + x + 4 * k));
            red_sums = _mm_add_epi64(red_sums, _mm_sad_epu8(_mm_and_si128(p, red_bytes), zero));
            green_sums = _mm_add_epi64(green_sums, _mm_sad_epu8(_mm_and_si128(p, green_bytes), zero));
            blues[k] = _mm_and_si128(p, low_byte);
            level_sums[k] =
                _mm_add_epi32(_mm_add_epi32(blues[k], _mm_and_si128(_mm_srli_epi32(p, 8), low_byte)),
                              _mm_and_si128(_mm_srli_epi32(p, 16), low_byte));
        }
        // Levels and sums fit 16 bits, so the packs never saturate.
        const __m128i sums_low = _mm_packs_epi32(level_sums[0], level_sums[1]);
        const __m128i sums_high = _mm_packs_epi32(level_sums[2], level_sums[3]);
        const __m128i thirds_low = _mm_srli_epi16(_mm_mulhi_epu16(sums_low, third), 1);
        const __m128i thirds_high = _mm_srli_epi16(_mm_mulhi_epu16(sums_high, third), 1);
        const __m128i intensities = _mm_packus_epi16(thirds_low, thirds_high);
        const __m128i blue_levels =
            _mm_packus_epi16(_mm_packs_epi32(blues[0], blues[1]), _mm_packs_epi32(blues[2], blues[3]));
        // Taken out eight levels at a time through general registers: reading single bytes
        // back from a vector store stalls the loads behind it.
        for (int half = 0; half < 2; ++half) {
            std::uint64_t b = static_cast<std::uint64_t>(
                _mm_cvtsi128_si64(half ? _mm_unpackhi_epi64(blue_levels, blue_levels) : blue_levels));
            std::uint64_t i = static_cast<std::uint64_t>(
                _mm_cvtsi128_si64(half ? _mm_unpackhi_epi64(intensities, intensities) : intensities));
#pragma GCC unroll 8
            for (int k = 0; k < 8; ++k, b >>= 8, i >>= 8) {
                tables.increment(k & 3, 0, static_cast<unsigned>(b & 0xFF));
                tables.increment(k & 3, 1, static_cast<unsigned>(i & 0xFF));
            }
        }
    }
    alignas(16) std::uint64_t lanes[2];
    _mm_store_si128(reinterpret_cast<__m128i*>(lanes), red_sums);
    red_sum += lanes[0] + lanes[1];
    _mm_store_si128(reinterpret_cast<__m128i*>(lanes), green_sums);
    green_sum += lanes[0] + lanes[1];
    return x;
}
#endif

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
#ifdef TINTELO_COUNT_SSE2
        if constexpr (!Copy) x = count_row_sse2(in, width, tables, red_sum, green_sum);
#endif
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
