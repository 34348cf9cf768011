#include "display/view_render.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "display/compositing.h"
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

// Four pixel words, added lane by lane (a GCC and Clang vector extension).
using Lanes = std::uint32_t __attribute__((vector_size(16)));

[[gnu::always_inline]] inline Lanes load_lanes(const std::uint32_t* p)
{
    Lanes v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

[[gnu::always_inline]] inline void store_lanes(std::uint32_t* p, Lanes v)
{
    std::memcpy(p, &v, sizeof v);
}

// Column sums of `rows` rows from `first` on, for kBlockColumns columns, two
// channels to a word (blue and red, green and alpha); stored, not added. The
// sums stay in registers while the rows are read one cache line each.
// `prefetch` says that the row goes on for at least four more blocks.
[[gnu::always_inline]] inline void sum_column_block(const std::uint32_t* first, std::ptrdiff_t row_stride,
                                                    int rows, bool prefetch,
                                                    std::uint32_t* __restrict blue_red,
                                                    std::uint32_t* __restrict green_alpha)
{
    static_assert(kBlockColumns == 16);
    const Lanes mask = {0x00FF00FFu, 0x00FF00FFu, 0x00FF00FFu, 0x00FF00FFu};
    Lanes br0 = {}, br1 = {}, br2 = {}, br3 = {};
    Lanes ga0 = {}, ga1 = {}, ga2 = {}, ga3 = {};
    for (int y = 0; y < rows; ++y, first += row_stride) {
        // Up to twenty rows are read side by side, more than the hardware's
        // prefetcher follows; ask for the line four blocks on in each.
        if (prefetch) __builtin_prefetch(first + 4 * kBlockColumns);
        const Lanes v0 = load_lanes(first), v1 = load_lanes(first + 4);
        const Lanes v2 = load_lanes(first + 8), v3 = load_lanes(first + 12);
        br0 += v0 & mask;
        br1 += v1 & mask;
        br2 += v2 & mask;
        br3 += v3 & mask;
        ga0 += (v0 >> 8) & mask;
        ga1 += (v1 >> 8) & mask;
        ga2 += (v2 >> 8) & mask;
        ga3 += (v3 >> 8) & mask;
    }
    store_lanes(blue_red, br0);
    store_lanes(blue_red + 4, br1);
    store_lanes(blue_red + 8, br2);
    store_lanes(blue_red + 12, br3);
    store_lanes(green_alpha, ga0);
    store_lanes(green_alpha + 4, ga1);
    store_lanes(green_alpha + 8, ga2);
    store_lanes(green_alpha + 12, ga3);
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
          blue_red(static_cast<std::size_t>(columns)),
          green_alpha(static_cast<std::size_t>(columns)),
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

// Screen rows [first_row, end_row) of a reduced view. Always inlined, with everything it
// calls per pixel, into one function per instruction set below.
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
        std::fill(sums, sums + 4 * static_cast<std::ptrdiff_t>(xs.count), 0u);
        const int last_row = ys.first[j] + ys.length[j];
        for (int pass_row = ys.first[j]; pass_row < last_row; pass_row += kRowsPerPass) {
            const int rows = std::min(kRowsPerPass, last_row - pass_row);
            const std::uint32_t* first = photo.scan_line(pass_row) + first_column;
            // Down the rows first, then across: the photo is read once, line by line.
            int x = 0;
            for (; x + kBlockColumns <= columns; x += kBlockColumns)
                sum_column_block(first + x, row_stride, rows, x + 5 * kBlockColumns <= columns, &blue_red[x],
                                 &green_alpha[x]);
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
        std::uint32_t* out = target + (ys.first_view + j) * stride + xs.first_view;
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
    render_reduced_rows(photo, xs, ys, background, target, stride, first_row, end_row, scratch);
}

#ifdef TINTELO_RENDER_AVX2
// The same code in AVX2's encoding: three-operand instructions free the registers the
// column sums need, which takes about a tenth off a reduced view on one core.
__attribute__((target("avx2"))) void render_reduced_rows_avx2(const Bitmap32& photo, const AxisSpans& xs,
                                                              const AxisSpans& ys, std::uint32_t background,
                                                              std::uint32_t* target, std::ptrdiff_t stride,
                                                              int first_row, int end_row,
                                                              ReductionScratch& scratch)
{
    render_reduced_rows(photo, xs, ys, background, target, stride, first_row, end_row, scratch);
}
#endif

void render_reduced(const Bitmap32& photo, const AxisSpans& xs, const AxisSpans& ys, std::uint32_t background,
                    std::uint32_t* target, std::ptrdiff_t stride, RowPool& pool)
{
    RenderRows render_rows = render_reduced_rows_portable;
#ifdef TINTELO_RENDER_AVX2
    if (render_with_avx2()) render_rows = render_reduced_rows_avx2;
#endif
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
    for (int y = 0; y < view_height; ++y)
        std::fill(target + y * stride, target + y * stride + view_width, fill);

    if (photo.is_empty() || photo.width() != geometry.photo_width() ||
        photo.height() != geometry.photo_height())
        return;
    const AxisSpans xs = axis_spans(photo.width(), geometry.drawn_width(), geometry.left(), view_width);
    const AxisSpans ys = axis_spans(photo.height(), geometry.drawn_height(), geometry.top(), view_height);
    if (xs.count == 0 || ys.count == 0) return;
    if (xs.reduces || ys.reduces)
        render_reduced(photo, xs, ys, fill, target, stride, pool);
    else
        render_sampled(photo, xs, ys, fill, target, stride);
}

bool render_with_avx2()
{
#ifdef TINTELO_RENDER_AVX2
    static const bool avx2 = [] {
        const char* requested = std::getenv("TINTELO_RENDER_PATH");
        return __builtin_cpu_supports("avx2") &&
               !(requested != nullptr && std::strcmp(requested, "plain") == 0);
    }();
    return avx2;
#else
    return false;
#endif
}
