#include "display/view_render.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <utility>
#include <vector>

#include "display/compositing.h"
#include "engine/requested_path.h"
#include "engine/row_pool.h"

#if defined(__x86_64__) && defined(__GNUC__)
#define TINTELO_RENDER_AVX2 1
#endif

namespace {

// Which photo pixels feed each visible screen pixel along one axis.
struct AxisSpans {
    int first_view = 0;       // first visible screen pixel
    int count = 0;            // visible screen pixels
    std::vector<int> first;   // first photo pixel for each
    std::vector<int> length;  // number of photo pixels for each
    bool reduces = false;
};

AxisSpans axis_spans(int photo_size, int drawn_size, int photo_start, int view_size)
{
    AxisSpans spans;
    const long long begin = std::max<long long>(0, photo_start);
    const long long end = std::min<long long>(view_size, static_cast<long long>(photo_start) + drawn_size);
    if (photo_size <= 0 || drawn_size <= 0 || begin >= end) return spans;
    spans.first_view = static_cast<int>(begin);
    spans.count = static_cast<int>(end - begin);
    spans.first.resize(spans.count);
    spans.length.resize(spans.count);
    spans.reduces = drawn_size < photo_size;
    const long long w = photo_size;
    const long long s = drawn_size;
    for (int i = 0; i < spans.count; ++i) {
        const long long k = begin + i - photo_start;  // screen pixel within the drawn photo
        if (spans.reduces) {
            // Consecutive footprints tile the photo, so every photo pixel is read once.
            const long long from = k * w / s;
            const long long to = (k + 1) * w / s;
            spans.first[i] = static_cast<int>(from);
            spans.length[i] = static_cast<int>(to - from);
        } else {
            // The photo pixel under the screen pixel's centre.
            spans.first[i] = static_cast<int>(std::min(w - 1, (2 * k + 1) * w / (2 * s)));
            spans.length[i] = 1;
        }
    }
    return spans;
}

// Adds the four 16-bit lanes of `count` consecutive packed column sums to
// sums[0..3] (blue, green, red, alpha).
[[gnu::always_inline]] inline void add_columns(const std::uint32_t* blue_red,
                                               const std::uint32_t* green_alpha, int count,
                                               std::uint32_t* sums)
{
    std::uint32_t blue = 0, green = 0, red = 0, alpha = 0;
    for (int k = 0; k < count; ++k) {
        blue += blue_red[k] & 0xFFFFu;
        red += blue_red[k] >> 16;
        green += green_alpha[k] & 0xFFFFu;
        alpha += green_alpha[k] >> 16;
    }
    sums[0] += blue;
    sums[1] += green;
    sums[2] += red;
    sums[3] += alpha;
}

// The same when no 16-bit lane can reach 65536 (rows x count x 255 below it): the packed words
// are added as they are and split once. Small footprints, as a screen finer than the layout
// gives a reduced photo, are mostly this.
[[gnu::always_inline]] inline void add_packed_columns(const std::uint32_t* blue_red,
                                                      const std::uint32_t* green_alpha, int count,
                                                      std::uint32_t* sums)
{
    std::uint32_t packed_blue_red = 0, packed_green_alpha = 0;
    for (int k = 0; k < count; ++k) {
        packed_blue_red += blue_red[k];
        packed_green_alpha += green_alpha[k];
    }
    sums[0] += packed_blue_red & 0xFFFFu;
    sums[1] += packed_green_alpha & 0xFFFFu;
    sums[2] += packed_blue_red >> 16;
    sums[3] += packed_green_alpha >> 16;
}

// (sum + n / 2) / n, a footprint's rounded average, as a multiply and a shift: exact while the
// sum is at most 255 n and the area n is below 2^16 (then the multiplier's excess over 2^40 / n
// adds less than 1 / n). Larger areas divide.
class FootprintDivider {
public:
    explicit FootprintDivider(std::uint32_t area = 1)
        : area_(area), multiplier_(((std::uint64_t{1} << 40) + area - 1) / area)
    {
    }
    [[gnu::always_inline]] std::uint32_t operator()(std::uint32_t sum) const
    {
        const std::uint64_t rounded = sum + area_ / 2;
        if (area_ >= 65536) return static_cast<std::uint32_t>(rounded / area_);
        return static_cast<std::uint32_t>((rounded * multiplier_) >> 40);
    }

private:
    std::uint32_t area_;
    std::uint64_t multiplier_;
};

// Photo columns summed together down the rows: one cache line of each row.
constexpr int kBlockColumns = 16;

// kWords pixel words, added lane by lane (a GCC and Clang vector extension): 4 in SSE2's
// registers, 8 in AVX2's, 16 in AVX-512's.
template <int kWords>
struct LaneWords;
template <>
struct LaneWords<4> {
    using type = std::uint32_t __attribute__((vector_size(16)));
};
template <>
struct LaneWords<8> {
    using type = std::uint32_t __attribute__((vector_size(32)));
};
template <>
struct LaneWords<16> {
    using type = std::uint32_t __attribute__((vector_size(64)));
};
template <int kWords>
using Lanes = typename LaneWords<kWords>::type;

// By reference: a wide vector passed by value would change the calling convention with the
// instruction set.
template <int kWords>
[[gnu::always_inline]] inline void load_lanes(Lanes<kWords>& v, const std::uint32_t* p)
{
    std::memcpy(&v, p, sizeof v);
}

template <int kWords>
[[gnu::always_inline]] inline void store_lanes(std::uint32_t* p, const Lanes<kWords>& v)
{
    std::memcpy(p, &v, sizeof v);
}

// Column sums of `rows` rows from `first` on, for kBlockColumns columns, two
// channels to a word (blue and red, green and alpha), into `blue_red` and
// `green_alpha`, kWords columns to a vector. The sums stay in registers while
// the rows are read one cache line each. `prefetch` says that the row goes on
// for at least four more blocks.
template <int kWords>
[[gnu::always_inline]] inline void add_block_rows(const std::uint32_t* first, std::ptrdiff_t row_stride,
                                                  int rows, bool prefetch,
                                                  Lanes<kWords> (&blue_red)[kBlockColumns / kWords],
                                                  Lanes<kWords> (&green_alpha)[kBlockColumns / kWords])
{
    const Lanes<kWords> mask = Lanes<kWords>{} + 0x00FF00FFu;
    for (int y = 0; y < rows; ++y, first += row_stride) {
        // Up to twenty rows are read side by side, more than the hardware's
        // prefetcher follows; ask for the line four blocks on in each.
        if (prefetch) __builtin_prefetch(first + 4 * kBlockColumns);
        for (int v = 0; v < kBlockColumns / kWords; ++v) {
            Lanes<kWords> words;
            load_lanes<kWords>(words, first + v * kWords);
            blue_red[v] += words & mask;
            green_alpha[v] += (words >> 8) & mask;
        }
    }
}

// The column sums of one block, stored, not added.
template <int kWords>
[[gnu::always_inline]] inline void sum_column_block(const std::uint32_t* first, std::ptrdiff_t row_stride,
                                                    int rows, bool prefetch,
                                                    std::uint32_t* __restrict blue_red,
                                                    std::uint32_t* __restrict green_alpha)
{
    constexpr int kVectors = kBlockColumns / kWords;
    Lanes<kWords> br[kVectors] = {}, ga[kVectors] = {};
    add_block_rows<kWords>(first, row_stride, rows, prefetch, br, ga);
    for (int v = 0; v < kVectors; ++v) {
        store_lanes<kWords>(blue_red + v * kWords, br[v]);
        store_lanes<kWords>(green_alpha + v * kWords, ga[v]);
    }
}

// Adds to each lane the lane kShift below it (zero below the first).
template <int kWords, int kShift, std::size_t... kLane>
[[gnu::always_inline]] inline void add_lanes_below(Lanes<kWords>& v, std::index_sequence<kLane...>)
{
    const Lanes<kWords> zero = {};
    v += __builtin_shufflevector(zero, v, (kLane < kShift ? 0 : kWords + kLane - kShift)...);
}

// Turns column sums into running sums: `carry` before the first lane, and after the last on
// return. The running sums wrap around 32 bits; a difference of two still gives a footprint's
// packed sums exactly, as long as neither of its 16-bit lanes reaches 65536.
template <int kWords>
[[gnu::always_inline]] inline void running_sums(Lanes<kWords>& v, std::uint32_t& carry)
{
    constexpr auto lanes = std::make_index_sequence<kWords>{};
    add_lanes_below<kWords, 1>(v, lanes);
    add_lanes_below<kWords, 2>(v, lanes);
    if constexpr (kWords > 4) add_lanes_below<kWords, 4>(v, lanes);
    if constexpr (kWords > 8) add_lanes_below<kWords, 8>(v, lanes);
    v += carry;
    carry = v[kWords - 1];
}

// The column sums of one block of a screen row whose footprints fit packed, stored as running
// sums along the row.
template <int kWords>
[[gnu::always_inline]] inline void run_column_block(const std::uint32_t* first, std::ptrdiff_t row_stride,
                                                    int rows, bool prefetch, std::uint32_t& blue_red_carry,
                                                    std::uint32_t& green_alpha_carry,
                                                    std::uint32_t* __restrict blue_red,
                                                    std::uint32_t* __restrict green_alpha)
{
    constexpr int kVectors = kBlockColumns / kWords;
    Lanes<kWords> br[kVectors] = {}, ga[kVectors] = {};
    add_block_rows<kWords>(first, row_stride, rows, prefetch, br, ga);
    for (int v = 0; v < kVectors; ++v) {
        running_sums<kWords>(br[v], blue_red_carry);
        running_sums<kWords>(ga[v], green_alpha_carry);
        store_lanes<kWords>(blue_red + v * kWords, br[v]);
        store_lanes<kWords>(green_alpha + v * kWords, ga[v]);
    }
}

[[gnu::always_inline]] inline void sum_columns(const std::uint32_t* first, std::ptrdiff_t row_stride,
                                               int rows, int columns, std::uint32_t* __restrict blue_red,
                                               std::uint32_t* __restrict green_alpha)
{
    for (int k = 0; k < columns; ++k) {
        std::uint32_t br = 0, ga = 0;
        for (int y = 0; y < rows; ++y) {
            const std::uint32_t v = first[y * row_stride + k];
            br += v & 0x00FF00FFu;
            ga += (v >> 8) & 0x00FF00FFu;
        }
        blue_red[k] = br;
        green_alpha[k] = ga;
    }
}

// What one band of a reduced view sums into. Each band has its own, so bands can run on
// several cores; all are made on the drawing thread before any band starts, so running out
// of memory throws there and not on a worker.
struct ReductionScratch {
    explicit ReductionScratch(const AxisSpans& xs)
        : first_column(xs.first.front()),
          columns(xs.first.back() + xs.length.back() - first_column),
          shortest_width(*std::min_element(xs.length.begin(), xs.length.end())),
          longest_width(*std::max_element(xs.length.begin(), xs.length.end())),
          // One word more: a row whose footprints fit packed keeps running sums, from 0 before
          // the first column to the whole row after the last.
          blue_red(static_cast<std::size_t>(columns) + 1),
          green_alpha(static_cast<std::size_t>(columns) + 1),
          sums(static_cast<std::size_t>(xs.count) * 4),
          dividers(static_cast<std::size_t>(longest_width - shortest_width + 1))
    {
    }
    // The photo columns under the visible part of the view.
    int first_column;
    int columns;
    // Footprint widths differ by at most one along an axis; one divider for each width.
    int shortest_width;
    int longest_width;
    std::vector<std::uint32_t> blue_red;
    std::vector<std::uint32_t> green_alpha;
    // Per visible screen column: blue, green, red and alpha sums over its footprint.
    std::vector<std::uint32_t> sums;
    std::vector<FootprintDivider> dividers;
};

// (sum + area / 2) / area, rounded down, for an area below 257 and a sum of at most 255 x area,
// in single precision: exact because adding a quarter more keeps the true quotient at least
// 0.25 / area (about 1 / 1000) away from every integer, far more than the float's error
// (about 2^-15 for quotients up to 255), so truncating cannot land on the wrong side.
struct SmallFootprintDivider {
    float bias = 0;
    float reciprocal = 1;
    explicit SmallFootprintDivider(std::uint32_t area)
        : bias(static_cast<float>(area / 2) + 0.25f), reciprocal(1.0f / static_cast<float>(area))
    {
    }
};

[[gnu::always_inline]] inline std::uint32_t small_average(std::uint32_t sum, float bias, float reciprocal)
{
    return static_cast<std::uint32_t>(
        static_cast<std::int32_t>((static_cast<float>(static_cast<std::int32_t>(sum)) + bias) * reciprocal));
}

// One screen row of footprints whose packed sums cannot carry from one 16-bit lane into the
// next: each footprint's sums are the difference of two running sums along the row, then all
// are divided in a loop the compiler vectorises.
template <int kWords>
[[gnu::always_inline]] inline void average_small_footprints(const AxisSpans& xs, int rows, int first_column,
                                                            ReductionScratch& scratch, bool opaque,
                                                            std::uint32_t* __restrict out)
{
    std::uint32_t* __restrict const packed_blue_red = scratch.sums.data();
    std::uint32_t* __restrict const packed_green_alpha = packed_blue_red + xs.count;
    const int width = scratch.shortest_width;
    // blue_red[c] and green_alpha[c] run up to column c, excluded; footprints tile the row.
    const std::uint32_t* const blue_red = scratch.blue_red.data();
    const std::uint32_t* const green_alpha = scratch.green_alpha.data();
    const int* const first = xs.first.data();
    const int* const length = xs.length.data();
    std::uint32_t blue_red_before = blue_red[first[0] - first_column];
    std::uint32_t green_alpha_before = green_alpha[first[0] - first_column];
    for (int i = 0; i < xs.count; ++i) {
        const int end = first[i] + length[i] - first_column;
        packed_blue_red[i] = blue_red[end] - blue_red_before;
        packed_green_alpha[i] = green_alpha[end] - green_alpha_before;
        blue_red_before = blue_red[end];
        green_alpha_before = green_alpha[end];
    }
    const SmallFootprintDivider narrow(static_cast<std::uint32_t>(width * rows));
    const SmallFootprintDivider wide(static_cast<std::uint32_t>((width + 1) * rows));
    const std::uint32_t alpha_mask = opaque ? 0xFF000000u : 0u;
    for (int i = 0; i < xs.count; ++i) {
        const bool wider = length[i] != width;
        const float bias = wider ? wide.bias : narrow.bias;
        const float reciprocal = wider ? wide.reciprocal : narrow.reciprocal;
        const std::uint32_t br = packed_blue_red[i], ga = packed_green_alpha[i];
        out[i] = small_average(ga >> 16, bias, reciprocal) << 24 |
                 small_average(br >> 16, bias, reciprocal) << 16 |
                 small_average(ga & 0xFFFFu, bias, reciprocal) << 8 |
                 small_average(br & 0xFFFFu, bias, reciprocal) | alpha_mask;
    }
}

// Screen rows [first_row, end_row) of a reduced view, the column sums kWords at a time.
// Always inlined, with everything it calls per pixel, into one function per instruction set
// below.
template <int kWords>
[[gnu::always_inline]] inline void render_reduced_rows(const Bitmap32& photo, const AxisSpans& xs,
                                                       const AxisSpans& ys, std::uint32_t background,
                                                       std::uint32_t* target, std::ptrdiff_t stride,
                                                       int first_row, int end_row, ReductionScratch& scratch)
{
    const DisplayAttributes& attributes = photo.attributes;
    // Packed sums hold up to 256 rows: 256 x 255 still fits in 16 bits.
    constexpr int kRowsPerPass = 256;
    const std::ptrdiff_t row_stride = photo.width();
    const int first_column = scratch.first_column;
    const int columns = scratch.columns;
    std::uint32_t* const blue_red = scratch.blue_red.data();
    std::uint32_t* const green_alpha = scratch.green_alpha.data();
    std::uint32_t* const sums = scratch.sums.data();
    const int shortest_width = scratch.shortest_width;
    const int longest_width = scratch.longest_width;
    FootprintDivider* const dividers = scratch.dividers.data();
    const bool opaque = attributes.draw_mode == DrawMode::dmOpaque;

    for (int j = first_row; j < end_row; ++j) {
        std::uint32_t* out = target + (ys.first_view + j) * stride + xs.first_view;
        if (static_cast<long long>(ys.length[j]) * longest_width * 255 < 65536) {
            const std::uint32_t* first = photo.scan_line(ys.first[j]) + first_column;
            std::uint32_t blue_red_run = 0, green_alpha_run = 0;
            blue_red[0] = green_alpha[0] = 0;
            int x = 0;
            for (; x + kBlockColumns <= columns; x += kBlockColumns)
                run_column_block<kWords>(first + x, row_stride, ys.length[j],
                                         x + 5 * kBlockColumns <= columns, blue_red_run, green_alpha_run,
                                         &blue_red[x + 1], &green_alpha[x + 1]);
            sum_columns(first + x, row_stride, ys.length[j], columns - x, &blue_red[x + 1],
                        &green_alpha[x + 1]);
            for (; x < columns; ++x) {
                blue_red[x + 1] = blue_red_run += blue_red[x + 1];
                green_alpha[x + 1] = green_alpha_run += green_alpha[x + 1];
            }
            average_small_footprints<kWords>(xs, ys.length[j], first_column, scratch, opaque, out);
            if (!opaque)
                for (int i = 0; i < xs.count; ++i) out[i] = shown_pixel(out[i], background, attributes);
            continue;
        }
        std::fill(sums, sums + 4 * static_cast<std::ptrdiff_t>(xs.count), 0u);
        const int last_row = ys.first[j] + ys.length[j];
        for (int pass_row = ys.first[j]; pass_row < last_row; pass_row += kRowsPerPass) {
            const int rows = std::min(kRowsPerPass, last_row - pass_row);
            const std::uint32_t* first = photo.scan_line(pass_row) + first_column;
            // Down the rows first, then across: the photo is read once, line by line.
            int x = 0;
            for (; x + kBlockColumns <= columns; x += kBlockColumns)
                sum_column_block<kWords>(first + x, row_stride, rows, x + 5 * kBlockColumns <= columns,
                                         &blue_red[x], &green_alpha[x]);
            sum_columns(first + x, row_stride, rows, columns - x, &blue_red[x], &green_alpha[x]);
            const bool packed_fits = static_cast<long long>(rows) * longest_width * 255 < 65536;
            for (int i = 0; i < xs.count; ++i) {
                const int from = xs.first[i] - first_column;
                if (packed_fits)
                    add_packed_columns(&blue_red[from], &green_alpha[from], xs.length[i], &sums[4 * i]);
                else
                    add_columns(&blue_red[from], &green_alpha[from], xs.length[i], &sums[4 * i]);
            }
        }
        for (int width = shortest_width; width <= longest_width; ++width)
            dividers[width - shortest_width] =
                FootprintDivider(static_cast<std::uint32_t>(width) * ys.length[j]);
        for (int i = 0; i < xs.count; ++i) {
            const FootprintDivider& average_of = dividers[xs.length[i] - shortest_width];
            const std::uint32_t* s = &sums[4 * i];
            const std::uint32_t average =
                average_of(s[3]) << 24 | average_of(s[2]) << 16 | average_of(s[1]) << 8 | average_of(s[0]);
            out[i] = opaque ? average | 0xFF000000u : shown_pixel(average, background, attributes);
        }
    }
}

using RenderRows = void (*)(const Bitmap32&, const AxisSpans&, const AxisSpans&, std::uint32_t,
                            std::uint32_t*, std::ptrdiff_t, int, int, ReductionScratch&);

void render_reduced_rows_portable(const Bitmap32& photo, const AxisSpans& xs, const AxisSpans& ys,
                                  std::uint32_t background, std::uint32_t* target, std::ptrdiff_t stride,
                                  int first_row, int end_row, ReductionScratch& scratch)
{
    render_reduced_rows<4>(photo, xs, ys, background, target, stride, first_row, end_row, scratch);
}

#ifdef TINTELO_RENDER_AVX2
// The same code in AVX2's encoding: eight words to a register, and three-operand instructions
// free the registers the column sums need.
__attribute__((target("avx2"))) void render_reduced_rows_avx2(const Bitmap32& photo, const AxisSpans& xs,
                                                              const AxisSpans& ys, std::uint32_t background,
                                                              std::uint32_t* target, std::ptrdiff_t stride,
                                                              int first_row, int end_row,
                                                              ReductionScratch& scratch)
{
    render_reduced_rows<8>(photo, xs, ys, background, target, stride, first_row, end_row, scratch);
}

// And AVX-512's: a whole block of columns in one register, sixteen averages divided at once.
__attribute__((target("avx512f,avx512bw,avx512vl,avx2"))) void render_reduced_rows_avx512(
    const Bitmap32& photo, const AxisSpans& xs, const AxisSpans& ys, std::uint32_t background,
    std::uint32_t* target, std::ptrdiff_t stride, int first_row, int end_row, ReductionScratch& scratch)
{
    render_reduced_rows<16>(photo, xs, ys, background, target, stride, first_row, end_row, scratch);
}
#endif

RenderRows reduced_rows_for(RenderPath path)
{
#ifdef TINTELO_RENDER_AVX2
    if (path == RenderPath::avx512) return render_reduced_rows_avx512;
    if (path == RenderPath::avx2) return render_reduced_rows_avx2;
#endif
    (void)path;
    return render_reduced_rows_portable;
}

RenderPath& chosen_render_path()
{
    static RenderPath path =
        requested_path("TINTELO_RENDER_PATH", {RenderPath::plain, RenderPath::avx2, RenderPath::avx512},
                       fastest_render_path(), render_path_name);
    return path;
}

void render_reduced(const Bitmap32& photo, const AxisSpans& xs, const AxisSpans& ys, std::uint32_t background,
                    std::uint32_t* target, std::ptrdiff_t stride, RowPool& pool)
{
    const RenderRows render_rows = reduced_rows_for(render_path());
    constexpr int kMinimumScreenRowsPerBand = 16;
    const int parts = pool.run_parts(ys.count, kMinimumScreenRowsPerBand);
    std::vector<ReductionScratch> scratch;
    scratch.reserve(static_cast<std::size_t>(parts));
    for (int part = 0; part < parts; ++part) scratch.emplace_back(xs);
    // Each screen row reads only its own photo rows, so bands give the same pixels as one pass.
    auto band = [&](int first_row, int end_row, int part) {
        render_rows(photo, xs, ys, background, target, stride, first_row, end_row,
                    scratch[static_cast<std::size_t>(part)]);
    };
    pool.run_in_parts(ys.count, parts, band);
}

void render_sampled(const Bitmap32& photo, const AxisSpans& xs, const AxisSpans& ys, std::uint32_t background,
                    std::uint32_t* target, std::ptrdiff_t stride)
{
    const DisplayAttributes& attributes = photo.attributes;
    const bool opaque = attributes.draw_mode == DrawMode::dmOpaque;
    for (int j = 0; j < ys.count; ++j) {
        const std::uint32_t* row = photo.scan_line(ys.first[j]);
        std::uint32_t* out = target + (ys.first_view + j) * stride + xs.first_view;
        if (opaque) {
            for (int i = 0; i < xs.count; ++i) out[i] = row[xs.first[i]] | 0xFF000000u;
        } else {
            for (int i = 0; i < xs.count; ++i) out[i] = shown_pixel(row[xs.first[i]], background, attributes);
        }
    }
}

}  // namespace

void render_view(const Bitmap32& photo, const ViewGeometry& geometry, std::uint32_t background,
                 std::uint32_t* target, std::ptrdiff_t stride)
{
    render_view(photo, geometry, background, target, stride, RowPool::shared());
}

void render_view(const Bitmap32& photo, const ViewGeometry& geometry, std::uint32_t background,
                 std::uint32_t* target, std::ptrdiff_t stride, RowPool& pool)
{
    const int view_width = geometry.view_width();
    const int view_height = geometry.view_height();
    const std::uint32_t fill = background | 0xFF000000u;
    const bool placed = !photo.is_empty() && photo.width() == geometry.photo_width() &&
                        photo.height() == geometry.photo_height();
    AxisSpans xs, ys;
    if (placed) {
        xs = axis_spans(photo.width(), geometry.drawn_width(), geometry.left(), view_width);
        ys = axis_spans(photo.height(), geometry.drawn_height(), geometry.top(), view_height);
    }
    // The background goes only where the photo will not: a large view is mostly photo.
    const bool drawn = xs.count > 0 && ys.count > 0;
    for (int y = 0; y < view_height; ++y) {
        std::uint32_t* row = target + y * stride;
        if (drawn && y >= ys.first_view && y < ys.first_view + ys.count) {
            std::fill(row, row + xs.first_view, fill);
            std::fill(row + xs.first_view + xs.count, row + view_width, fill);
        } else {
            std::fill(row, row + view_width, fill);
        }
    }
    if (!drawn) return;
    if (xs.reduces || ys.reduces)
        render_reduced(photo, xs, ys, fill, target, stride, pool);
    else
        render_sampled(photo, xs, ys, fill, target, stride);
}

RenderPath fastest_render_path()
{
#ifdef TINTELO_RENDER_AVX2
    if (__builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512bw") &&
        __builtin_cpu_supports("avx512vl"))
        return RenderPath::avx512;
    if (__builtin_cpu_supports("avx2")) return RenderPath::avx2;
#endif
    return RenderPath::plain;
}

RenderPath render_path()
{
    return chosen_render_path();
}

void set_render_path(RenderPath path)
{
    chosen_render_path() = std::min(path, fastest_render_path());
}

const char* render_path_name(RenderPath path)
{
    switch (path) {
        case RenderPath::avx512:
            return "avx512";
        case RenderPath::avx2:
            return "avx2";
        case RenderPath::plain:
            break;
    }
    return "plain";
}
