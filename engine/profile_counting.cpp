#include "engine/profile_counting.h"

#include "engine/bitmap24.h"
#include "engine/bitmap32.h"
#include "engine/pixel_packing.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#define TINTELO_COUNT_SSE2 1
#endif

namespace {

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
