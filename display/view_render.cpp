#include "display/view_render.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "display/compositing.h"
#include "engine/row_pool.h"

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
inline void add_columns(const std::uint32_t* blue_red, const std::uint32_t* green_alpha, int count,
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

// Photo columns summed together down the rows: one cache line of each row.
constexpr int kBlockColumns = 16;

// Four pixel words, added lane by lane (a GCC and Clang vector extension).
using Lanes = std::uint32_t __attribute__((vector_size(16)));

inline Lanes load_lanes(const std::uint32_t* p)
{
    Lanes v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

inline void store_lanes(std::uint32_t* p, Lanes v)
{
    std::memcpy(p, &v, sizeof v);
}

// Column sums of `rows` rows from `first` on, for kBlockColumns columns, two
// channels to a word (blue and red, green and alpha); stored, not added. The
// sums stay in registers while the rows are read one cache line each.
// `prefetch` says that the row goes on for at least four more blocks.
inline void sum_column_block(const std::uint32_t* first, std::ptrdiff_t row_stride, int rows, bool prefetch,
                             std::uint32_t* __restrict blue_red, std::uint32_t* __restrict green_alpha)
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

inline void sum_columns(const std::uint32_t* first, std::ptrdiff_t row_stride, int rows, int columns,
                        std::uint32_t* __restrict blue_red, std::uint32_t* __restrict green_alpha)
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

// Screen rows [first_row, end_row) of a reduced view; scratch of its own, so bands
// of rows can run on several cores.
void render_reduced_rows(const Bitmap32& photo, const AxisSpans& xs, const AxisSpans& ys,
                         std::uint32_t background, std::uint32_t* target, std::ptrdiff_t stride,
                         int first_row, int end_row)
{
    const DisplayAttributes& attributes = photo.attributes;
    // Packed sums hold up to 256 rows: 256 x 255 still fits in 16 bits.
    constexpr int kRowsPerPass = 256;
    const std::ptrdiff_t row_stride = photo.width();
    // The photo columns under the visible part of the view.
    const int first_column = xs.first.front();
    const int columns = xs.first.back() + xs.length.back() - first_column;
    std::vector<std::uint32_t> blue_red(static_cast<std::size_t>(columns));
    std::vector<std::uint32_t> green_alpha(static_cast<std::size_t>(columns));
    // Per visible screen column: blue, green, red and alpha sums over its footprint.
    std::vector<std::uint32_t> sums(static_cast<std::size_t>(xs.count) * 4);

    for (int j = first_row; j < end_row; ++j) {
        std::fill(sums.begin(), sums.end(), 0u);
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
            for (int i = 0; i < xs.count; ++i) {
                const int from = xs.first[i] - first_column;
                add_columns(&blue_red[from], &green_alpha[from], xs.length[i], &sums[4 * i]);
            }
        }
        std::uint32_t* out = target + (ys.first_view + j) * stride + xs.first_view;
        for (int i = 0; i < xs.count; ++i) {
            const std::uint32_t n = static_cast<std::uint32_t>(xs.length[i]) * ys.length[j];
            const std::uint32_t* s = &sums[4 * i];
            const std::uint32_t average = ((s[3] + n / 2) / n) << 24 | ((s[2] + n / 2) / n) << 16 |
                                          ((s[1] + n / 2) / n) << 8 | ((s[0] + n / 2) / n);
            out[i] = shown_pixel(average, background, attributes);
        }
    }
}

void render_reduced(const Bitmap32& photo, const AxisSpans& xs, const AxisSpans& ys, std::uint32_t background,
                    std::uint32_t* target, std::ptrdiff_t stride, RowPool& pool)
{
    // Each screen row reads only its own photo rows, so bands give the same pixels as one pass.
    auto band = [&](int first_row, int end_row, int) {
        render_reduced_rows(photo, xs, ys, background, target, stride, first_row, end_row);
    };
    constexpr int kMinimumScreenRowsPerBand = 16;
    pool.run(ys.count, kMinimumScreenRowsPerBand, band);
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
