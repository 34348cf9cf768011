#include "display/matrix_shaper_rows.h"

#include <algorithm>

#if defined(__x86_64__) && defined(__GNUC__)
#include <immintrin.h>
#endif

void convert_row_plain(const MatrixShaperTables& tables, std::uint32_t* row, int width)
{
    const int shift = tables.matrix_bits + 1;
    for (int x = 0; x < width; ++x) {
        const std::uint32_t word = row[x];
        const int red = word >> 16 & 0xFF, green = word >> 8 & 0xFF, blue = word & 0xFF;
        std::uint32_t shown = word & 0xFF000000u;
        for (int c = 0; c < 3; ++c) {
            const auto& terms = tables.terms[c];
            const std::int32_t sum = terms[0][red] + terms[1][green] + terms[2][blue] + tables.offset[c];
            // Colours outside the display's gamut are clipped to it, as lcms2 clips them.
            const int step = std::clamp(sum >> shift, 0, MatrixShaperTables::kEncodedSteps);
            shown |= static_cast<std::uint32_t>(tables.encoded[c][step]) << (16 - 8 * c);
        }
        row[x] = shown;
    }
}

#if defined(__x86_64__) && defined(__GNUC__)

namespace {

// Two 16-bit coefficients side by side, for multiply-adds of 16-bit pairs.
std::int32_t coefficient_pair(std::int16_t low, std::int16_t high)
{
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(static_cast<std::uint16_t>(high)) << 16 |
                                     static_cast<std::uint16_t>(low));
}

// Channel c's linear light for eight levels; the gather reads the next entry too.
__attribute__((target("avx2"), always_inline)) inline __m256i linear_avx2(const MatrixShaperTables& tables,
                                                                          int c, __m256i levels)
{
    return _mm256_and_si256(
        _mm256_i32gather_epi32(reinterpret_cast<const int*>(tables.linear[c].data()), levels, 2),
        _mm256_set1_epi32(0xFFFF));
}

}  // namespace

__attribute__((target("avx2"))) void convert_row_avx2(const MatrixShaperTables& tables, std::uint32_t* row,
                                                      int width)
{
    const __m256i low_byte = _mm256_set1_epi32(0xFF);
    const __m256i last_step = _mm256_set1_epi32(MatrixShaperTables::kEncodedSteps);
    const __m128i shift = _mm_cvtsi32_si128(tables.matrix_bits + 1);
    __m256i red_green[3], blue[3], offset[3];
    for (int c = 0; c < 3; ++c) {
        red_green[c] = _mm256_set1_epi32(coefficient_pair(tables.matrix[c][0], tables.matrix[c][1]));
        blue[c] = _mm256_set1_epi32(coefficient_pair(tables.matrix[c][2], 0));
        offset[c] = _mm256_set1_epi32(tables.offset[c]);
    }
    int x = 0;
    for (; x + 8 <= width; x += 8) {
        const __m256i words = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(row + x));
        const __m256i photo_red_green = _mm256_or_si256(
            linear_avx2(tables, 0, _mm256_and_si256(_mm256_srli_epi32(words, 16), low_byte)),
            _mm256_slli_epi32(linear_avx2(tables, 1, _mm256_and_si256(_mm256_srli_epi32(words, 8), low_byte)),
                              16));
        const __m256i photo_blue = linear_avx2(tables, 2, _mm256_and_si256(words, low_byte));
        __m256i shown = _mm256_andnot_si256(_mm256_set1_epi32(0x00FFFFFF), words);
        for (int c = 0; c < 3; ++c) {
            const __m256i sum =
                _mm256_add_epi32(_mm256_add_epi32(_mm256_madd_epi16(photo_red_green, red_green[c]),
                                                  _mm256_madd_epi16(photo_blue, blue[c])),
                                 offset[c]);
            const __m256i step = _mm256_min_epi32(
                _mm256_max_epi32(_mm256_sra_epi32(sum, shift), _mm256_setzero_si256()), last_step);
            const __m256i level = _mm256_and_si256(
                _mm256_i32gather_epi32(reinterpret_cast<const int*>(tables.encoded[c].data()), step, 1),
                low_byte);
            shown = _mm256_or_si256(shown, _mm256_sllv_epi32(level, _mm256_set1_epi32(16 - 8 * c)));
        }
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(row + x), shown);
    }
    convert_row_plain(tables, row + x, width - x);
}

// GCC 12's AVX-512 intrinsics start some results from a register left undefined on purpose,
// which its flow analysis then reports as maybe uninitialised.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"

namespace {

// The bytes of one channel of 64 words, ordered so that unpacking the looked-up bytes to 16-bit
// and then to 32-bit lanes puts the pixels back in order: byte 16 L + 4 j + e (lane L) is pixel
// 16 j + 4 L + e, taken from word register j.
constexpr auto kChannelOrder = [] {
    std::array<std::array<std::uint8_t, 64>, 3> order{};
    for (int c = 0; c < 3; ++c)
        for (int p = 0; p < 64; ++p) {
            const int lane = p / 16, j = p % 16 / 4, e = p % 4;
            order[c][p] = static_cast<std::uint8_t>((j & 1) * 64 + 4 * (4 * lane + e) + (2 - c));
        }
    return order;
}();

// A 256-entry byte table held in four registers, looked up for 64 bytes at once.
struct ByteTable {
    __m512i quarter[4];
    __attribute__((target("avx512f,avx512bw,avx512vbmi"))) explicit ByteTable(const std::uint8_t* table)
    {
        for (int k = 0; k < 4; ++k) quarter[k] = _mm512_loadu_si512(table + 64 * k);
    }
    __attribute__((target("avx512f,avx512bw,avx512vbmi"))) __m512i operator()(__m512i index,
                                                                              __mmask64 upper_half) const
    {
        return _mm512_mask_blend_epi8(upper_half, _mm512_permutex2var_epi8(quarter[0], index, quarter[1]),
                                      _mm512_permutex2var_epi8(quarter[2], index, quarter[3]));
    }
};

}  // namespace

// The photo's linear levels are looked up with byte permutes, 64 pixels at a time, so only
// the display's encoding is gathered: three lookups a pixel from memory instead of six.
__attribute__((target("avx512f,avx512bw,avx512vbmi"))) void convert_row_vbmi(const MatrixShaperTables& tables,
                                                                             std::uint32_t* row, int width)
{
    constexpr __mmask64 kFromSecondPair = 0xFF00FF00FF00FF00ull;
    const ByteTable low[3] = {ByteTable(tables.linear_low[0].data()), ByteTable(tables.linear_low[1].data()),
                              ByteTable(tables.linear_low[2].data())};
    const ByteTable high[3] = {ByteTable(tables.linear_high[0].data()),
                               ByteTable(tables.linear_high[1].data()),
                               ByteTable(tables.linear_high[2].data())};
    const __m512i low_byte = _mm512_set1_epi32(0xFF), zero = _mm512_setzero_si512();
    const __m512i last_step = _mm512_set1_epi32(MatrixShaperTables::kEncodedSteps);
    const __m128i shift = _mm_cvtsi32_si128(tables.matrix_bits + 1);
    __m512i red_green[3], blue[3], offset[3];
    for (int c = 0; c < 3; ++c) {
        red_green[c] = _mm512_set1_epi32(coefficient_pair(tables.matrix[c][0], tables.matrix[c][1]));
        blue[c] = _mm512_set1_epi32(coefficient_pair(tables.matrix[c][2], 0));
        offset[c] = _mm512_set1_epi32(tables.offset[c]);
    }
    for (int x = 0; x < width; x += 64) {
        // A short last block reads missing words as 0, a valid level, and stores none of them.
        __mmask16 inside[4];
        __m512i words[4];
        for (int j = 0; j < 4; ++j) {
            const int left = std::clamp(width - x - 16 * j, 0, 16);
            inside[j] = static_cast<__mmask16>((1u << left) - 1);
            words[j] = _mm512_maskz_loadu_epi32(inside[j], row + x + 16 * j);
        }
        __m512i linear_words[3][2];  // per channel, pixels of byte positions 0-7 and 8-15 of each lane
        for (int c = 0; c < 3; ++c) {
            const __m512i index = _mm512_loadu_si512(kChannelOrder[c].data());
            const __m512i level =
                _mm512_mask_blend_epi8(kFromSecondPair, _mm512_permutex2var_epi8(words[0], index, words[1]),
                                       _mm512_permutex2var_epi8(words[2], index, words[3]));
            const __mmask64 upper_half = _mm512_movepi8_mask(level);
            const __m512i low_bytes = low[c](level, upper_half), high_bytes = high[c](level, upper_half);
            linear_words[c][0] = _mm512_unpacklo_epi8(low_bytes, high_bytes);
            linear_words[c][1] = _mm512_unpackhi_epi8(low_bytes, high_bytes);
        }
        for (int j = 0; j < 4; ++j) {
            const int half = j / 2;
            const __m512i photo_red_green =
                j % 2 == 0 ? _mm512_unpacklo_epi16(linear_words[0][half], linear_words[1][half])
                           : _mm512_unpackhi_epi16(linear_words[0][half], linear_words[1][half]);
            const __m512i photo_blue = j % 2 == 0 ? _mm512_unpacklo_epi16(linear_words[2][half], zero)
                                                  : _mm512_unpackhi_epi16(linear_words[2][half], zero);
            __m512i shown = _mm512_andnot_si512(_mm512_set1_epi32(0x00FFFFFF), words[j]);
            for (int c = 0; c < 3; ++c) {
                const __m512i sum =
                    _mm512_add_epi32(_mm512_add_epi32(_mm512_madd_epi16(photo_red_green, red_green[c]),
                                                      _mm512_madd_epi16(photo_blue, blue[c])),
                                     offset[c]);
                const __m512i step =
                    _mm512_min_epi32(_mm512_max_epi32(_mm512_sra_epi32(sum, shift), zero), last_step);
                const __m512i level =
                    _mm512_and_si512(_mm512_i32gather_epi32(step, tables.encoded[c].data(), 1), low_byte);
                shown = _mm512_or_si512(shown, _mm512_slli_epi32(level, static_cast<unsigned>(16 - 8 * c)));
            }
            _mm512_mask_storeu_epi32(row + x + 16 * j, inside[j], shown);
        }
    }
}

#pragma GCC diagnostic pop

#else

void convert_row_avx2(const MatrixShaperTables& tables, std::uint32_t* row, int width)
{
    convert_row_plain(tables, row, width);
}

void convert_row_vbmi(const MatrixShaperTables& tables, std::uint32_t* row, int width)
{
    convert_row_plain(tables, row, width);
}

#endif
