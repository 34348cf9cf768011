// Measuring a 24-megapixel photo (four histograms and their statistics)
// against the cheapest thing that touches every pixel: one plain read pass.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <random>

#include "bench/common/bench_support.h"
#include "engine/bitmap24.h"
#include "engine/bitmap32.h"
#include "engine/histogram_library.h"
#include "engine/profile_counting.h"
#include "engine/profile_selection.h"

namespace {

constexpr int photo_width = 6000;
constexpr int photo_height = 4000;

std::uint8_t level(double value)
{
    return static_cast<std::uint8_t>(std::clamp(std::lround(value), 0L, 255L));
}

// Smooth light and colour fields with sensor-like noise: neighbouring pixels
// are close but rarely equal, as in a real photo.
Bitmap24 make_photo()
{
    Bitmap24 bitmap(photo_width, photo_height);
    std::mt19937 random(1);
    std::normal_distribution<double> noise(0.0, 2.0);
    for (int y = 0; y < photo_height; ++y) {
        std::uint8_t* p = bitmap.scan_line(y);
        for (int x = 0; x < photo_width; ++x, p += 3) {
            const double light =
                128 + 60 * std::sin(x * 0.0013 + y * 0.0007) + 40 * std::cos(y * 0.0021 - x * 0.0004);
            const double red_shift = 20 * std::sin(x * 0.0005);
            const double blue_shift = 25 * std::cos(y * 0.0009 + x * 0.0002);
            p[0] = level(light + blue_shift + noise(random));
            p[1] = level(light - 0.5 * red_shift - 0.3 * blue_shift + noise(random));
            p[2] = level(light + red_shift + noise(random));
        }
    }
    return bitmap;
}

// Every byte independent: the worst case for cache and branch-free counting alike.
Bitmap24 make_noise()
{
    Bitmap24 bitmap(photo_width, photo_height);
    std::mt19937 random(2);
    for (int y = 0; y < photo_height; ++y) {
        std::uint8_t* p = bitmap.scan_line(y);
        for (int i = 0; i < 3 * photo_width; ++i) p[i] = static_cast<std::uint8_t>(random());
    }
    return bitmap;
}

const Bitmap24& photo(int which)
{
    static const Bitmap24 smooth = make_photo();
    static const Bitmap24 noise = make_noise();
    return which == 0 ? smooth : noise;
}

std::uint64_t plain_read_pass(const Bitmap24& bitmap)
{
    std::uint64_t sum = 0;
    const std::size_t row_bytes = 3 * static_cast<std::size_t>(bitmap.width());
    for (int y = 0; y < bitmap.height(); ++y) {
        const std::uint8_t* row = bitmap.scan_line(y);
        for (std::size_t i = 0; i < row_bytes; ++i) sum += row[i];
    }
    return sum;
}

void label(benchmark::State& state)
{
    state.SetLabel(state.range(0) == 0 ? "photo" : "noise");
}

void BM_PlainReadPass(benchmark::State& state)
{
    const Bitmap24& bitmap = photo(static_cast<int>(state.range(0)));
    for (auto _ : state) benchmark::DoNotOptimize(plain_read_pass(bitmap));
    label(state);
}

// What select_profiles measures: one fused pass and four GetStatistics calls.
void BM_MeasurePhoto(benchmark::State& state)
{
    const Bitmap24& bitmap = photo(static_cast<int>(state.range(0)));
    for (auto _ : state) benchmark::DoNotOptimize(measure_photo(bitmap));
    label(state);
}

// One histogram alone: what a single counter increment per pixel costs next to
// the read pass. The measure needs four increments per pixel, and the core
// retires about one a cycle, so it lands at three to four read passes.
void BM_OneGetHistogramScan(benchmark::State& state)
{
    const Bitmap24& bitmap = photo(static_cast<int>(state.range(0)));
    THistogram histogram;
    for (auto _ : state) {
        GetHistogram(histogram_red, bitmap, histogram);
        benchmark::DoNotOptimize(histogram.bins.data());
    }
    label(state);
}

// The same four histograms by four separate GetHistogram scans, for comparison.
void BM_FourGetHistogramScans(benchmark::State& state)
{
    const Bitmap24& bitmap = photo(static_cast<int>(state.range(0)));
    THistogram histogram;
    for (auto _ : state) {
        for (std::uint8_t kind : {histogram_red, histogram_green, histogram_blue, histogram_intensity}) {
            GetHistogram(kind, bitmap, histogram);
            benchmark::DoNotOptimize(statistics_of(histogram));
        }
    }
    label(state);
}

// Both passes timed alternately in each iteration, on this thread's CPU clock,
// so other work on a shared machine hits them alike; "ratio" is measuring time
// over read time.
void BM_MeasureOverRead(benchmark::State& state)
{
    const Bitmap24& bitmap = photo(static_cast<int>(state.range(0)));
    double read_seconds = 0;
    double measure_seconds = 0;
    for (auto _ : state) {
        const double start = thread_cpu_seconds();
        benchmark::DoNotOptimize(plain_read_pass(bitmap));
        const double middle = thread_cpu_seconds();
        benchmark::DoNotOptimize(measure_photo(bitmap));
        const double end = thread_cpu_seconds();
        read_seconds += middle - start;
        measure_seconds += end - middle;
        state.SetIterationTime(end - start);
    }
    state.counters["read_ms"] = 1000 * read_seconds / static_cast<double>(state.iterations());
    state.counters["measure_ms"] = 1000 * measure_seconds / static_cast<double>(state.iterations());
    state.counters["ratio"] = measure_seconds / read_seconds;
    label(state);
}

// What an open counts for the profile choice, in the decoder's batches of 16 rows, on one thread.
void BM_CountProfileRows(benchmark::State& state)
{
    const Bitmap24& source = photo(static_cast<int>(state.range(0)));
    Bitmap32 bitmap;
    bitmap.set_size(source.width(), source.height());
    for (int y = 0; y < source.height(); ++y)
        for (int x = 0; x < source.width(); ++x) {
            const std::uint8_t* p = source.scan_line(y) + 3 * x;
            bitmap.scan_line(y)[x] =
                0xFF000000u | std::uint32_t{p[2]} << 16 | std::uint32_t{p[1]} << 8 | p[0];
        }
    for (auto _ : state) {
        ProfileCounts counts;
        for (int y = 0; y < bitmap.height(); y += 16)
            count_profile_rows(bitmap, y, std::min(y + 16, bitmap.height()), counts, nullptr);
        benchmark::DoNotOptimize(counts);
    }
    label(state);
}

BENCHMARK(BM_CountProfileRows)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PlainReadPass)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MeasurePhoto)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OneGetHistogramScan)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FourGetHistogramScans)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MeasureOverRead)->Arg(0)->Arg(1)->UseManualTime()->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
