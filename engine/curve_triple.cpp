#include "engine/curve_triple.h"

#include <algorithm>
#include <vector>

#include "engine/bitmap32.h"
#include "engine/curve_path.h"
#include "engine/row_pool.h"

#if defined(__x86_64__) && defined(__GNUC__)
#include <immintrin.h>
#define TINTELO_CURVES_VBMI 1
#endif

namespace {

// Each word is read before the word with the same index is written, so in place is safe.
void apply_words(const std::uint32_t* in, std::uint32_t* out, std::size_t n, const CurveTriple& triple)
{
    const std::uint8_t* red = triple.red_table;
    const std::uint8_t* green = triple.green_table;
    const std::uint8_t* blue = triple.blue_table;
#pragma GCC unroll 8
    for (std::size_t k = 0; k < n; ++k) {
        const std::uint32_t s = in[k];
        out[k] = 0xFF000000u | (static_cast<std::uint32_t>(red[(s >> 16) & 0xFF]) << 16) |
                 (static_cast<std::uint32_t>(green[(s >> 8) & 0xFF]) << 8) | blue[s & 0xFF];
    }
}

// Below this many pixels building the 64 K pair table costs more than it saves.
constexpr std::size_t kPairTableMinimumPixels = std::size_t{1} << 17;

void apply_words_pair_tables(const std::uint32_t* in, std::uint32_t* out, std::size_t n,
                             const std::uint32_t* red, const std::uint16_t* green_blue)
{
#pragma GCC unroll 8
    for (std::size_t k = 0; k < n; ++k) {
        const std::uint32_t s = in[k];
        out[k] = red[(s >> 16) & 0xFF] | green_blue[s & 0xFFFF];
    }
}

#ifdef TINTELO_CURVES_VBMI
// Three byte lookups per pixel cost about four times a plain copy of the words.
// With AVX-512 VBMI a whole 256-entry table fits in four registers and one byte
// permute looks up 64 bytes at once, so the pass runs as fast as memory allows.
// Same lookups, same results as apply_words; only the 16-word blocks go here.
__attribute__((target("avx512f,avx512bw,avx512vbmi"))) std::size_t apply_words_vbmi(const std::uint32_t* in,
                                                                                    std::uint32_t* out,
                                                                                    std::size_t n,
                                                                                    const CurveTriple& triple)
{
    const std::uint8_t* r = triple.red_table;
    const std::uint8_t* g = triple.green_table;
    const std::uint8_t* b = triple.blue_table;
    // Each table as its lower half (entries 0-127) and upper half (128-255), two registers each.
    const __m512i red_low0 = _mm512_loadu_si512(r), red_low1 = _mm512_loadu_si512(r + 64);
    const __m512i red_high0 = _mm512_loadu_si512(r + 128), red_high1 = _mm512_loadu_si512(r + 192);
    const __m512i green_low0 = _mm512_loadu_si512(g), green_low1 = _mm512_loadu_si512(g + 64);
    const __m512i green_high0 = _mm512_loadu_si512(g + 128), green_high1 = _mm512_loadu_si512(g + 192);
    const __m512i blue_low0 = _mm512_loadu_si512(b), blue_low1 = _mm512_loadu_si512(b + 64);
    const __m512i blue_high0 = _mm512_loadu_si512(b + 128), blue_high1 = _mm512_loadu_si512(b + 192);
    // Byte k of a block belongs to blue, green, red, alpha as k % 4 is 0, 1, 2, 3.
    const __mmask64 green_bytes = 0x2222222222222222ull;
    const __mmask64 red_bytes = 0x4444444444444444ull;
    const __m512i opaque = _mm512_set1_epi32(static_cast<int>(0xFF000000u));

    std::size_t k = 0;
    for (; k + 16 <= n; k += 16) {
        const __m512i s = _mm512_loadu_si512(in + k);
        const __mmask64 upper = _mm512_movepi8_mask(s);  // levels 128-255 come from the upper halves
        const __m512i blue = _mm512_mask_blend_epi8(upper, _mm512_permutex2var_epi8(blue_low0, s, blue_low1),
                                                    _mm512_permutex2var_epi8(blue_high0, s, blue_high1));
        const __m512i green =
            _mm512_mask_blend_epi8(upper, _mm512_permutex2var_epi8(green_low0, s, green_low1),
                                   _mm512_permutex2var_epi8(green_high0, s, green_high1));
        const __m512i red = _mm512_mask_blend_epi8(upper, _mm512_permutex2var_epi8(red_low0, s, red_low1),
                                                   _mm512_permutex2var_epi8(red_high0, s, red_high1));
        __m512i word = _mm512_mask_blend_epi8(green_bytes, blue, green);
        word = _mm512_mask_blend_epi8(red_bytes, word, red);
        _mm512_storeu_si512(out + k, _mm512_or_si512(word, opaque));
    }
    return k;
}
#endif

void apply_words_by_path(const std::uint32_t* in, std::uint32_t* out, std::size_t n,
                         const CurveTriple& triple, [[maybe_unused]] CurvePath path)
{
    std::size_t done = 0;
#ifdef TINTELO_CURVES_VBMI
    if (path == CurvePath::vbmi) done = apply_words_vbmi(in, out, n, triple);
#endif
    apply_words(in + done, out + done, n - done, triple);
}

}  // namespace

CurveTriple compose_curves(const CurveTriple& first, const CurveTriple& second)
{
    CurveTriple composed;
    for (int i = 0; i < 256; ++i) {
        composed.red_table[i] = second.red_table[first.red_table[i]];
        composed.green_table[i] = second.green_table[first.green_table[i]];
        composed.blue_table[i] = second.blue_table[first.blue_table[i]];
    }
    return composed;
}

void apply_curves(Bitmap32* destination, const Bitmap32* source, const CurveTriple& triple)
{
    if (source == nullptr) throw EBitmapError("The source is nil");
    if (destination == nullptr) throw EBitmapError("Destination is nil");

    destination->set_size(source->width(), source->height());

    const std::uint32_t* in = source->pixels();
    std::uint32_t* out = destination->pixels();
    const std::size_t width = static_cast<std::size_t>(source->width());
    const CurveLookup lookup(triple, source->pixel_count());
    // Rows are independent, so bands on other cores give the same words as one pass.
    auto band = [&](int first, int end, int) {
        const std::size_t offset = static_cast<std::size_t>(first) * width;
        lookup.apply(in + offset, out + offset, static_cast<std::size_t>(end - first) * width);
    };
    const int minimum_rows = static_cast<int>(kPairTableMinimumPixels / std::max<std::size_t>(width, 1)) + 1;
    RowPool::shared().run(source->height(), minimum_rows, band);
    destination->changed();
}

CurveLookup::CurveLookup(const CurveTriple& triple, std::size_t pixels) : triple_(triple), path_(curve_path())
{
    if (path_ != CurvePath::pair_tables || pixels < kPairTableMinimumPixels) return;
    // Looking green and blue up together halves the table loads per pixel; the table
    // (128 KB) stays in the level-2 cache, and photos' neighbouring pixels hit the same lines.
    for (int i = 0; i < 256; ++i)
        red_[i] = 0xFF000000u | static_cast<std::uint32_t>(triple.red_table[i]) << 16;
    green_blue_.resize(65536);
    for (int g = 0; g < 256; ++g) {
        const unsigned high = static_cast<unsigned>(triple.green_table[g]) << 8;
        for (int b = 0; b < 256; ++b)
            green_blue_[static_cast<std::size_t>(g * 256 + b)] =
                static_cast<std::uint16_t>(high | triple.blue_table[b]);
    }
}

void CurveLookup::apply(const std::uint32_t* in, std::uint32_t* out, std::size_t n) const
{
    if (!green_blue_.empty())
        apply_words_pair_tables(in, out, n, red_, green_blue_.data());
    else
        apply_words_by_path(in, out, n, triple_, path_);
}
