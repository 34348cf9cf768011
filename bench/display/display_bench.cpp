// Photo view repaint costs against one curve pass over the same 24-megapixel photo.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QImage>
#include <algorithm>
#include <cstdio>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "display/colour_conversion_path.h"
#include "display/fit_views.h"
#include "display/gauge_bar.h"
#include "display/img_view32.h"
#include "display/view_colour_transform.h"
#include "display/view_render.h"
#include "engine/bitmap32.h"
#include "engine/curve_triple.h"
#include "engine/row_pool.h"
#include "photo_files/colour_profile.h"
#include "tests/support/synthetic_photos.h"

namespace {

constexpr int kPhotoWidth = 6000;
constexpr int kPhotoHeight = 4000;

const Bitmap32& photo()
{
    static Bitmap32* bitmap = [] {
        auto* b = new Bitmap32;
        std::mt19937 random(7);
        fill_photo(*b, kPhotoWidth, kPhotoHeight,
                   [&random](int, int) { return 0xFF000000u | (random() & 0xFFFFFFu); });
        return b;
    }();
    return *bitmap;
}

void BM_ApplyCurves24Megapixels(benchmark::State& state)
{
    CurveTriple triple;
    for (int i = 0; i < 256; ++i) {
        triple.red_table[i] = static_cast<std::uint8_t>(255 - i);
        triple.green_table[i] = static_cast<std::uint8_t>(i / 2);
        triple.blue_table[i] = static_cast<std::uint8_t>(i);
    }
    Bitmap32 destination;
    destination.set_size(kPhotoWidth, kPhotoHeight);  // sized once, as for a corrected photo
    for (auto _ : state) {
        apply_curves(&destination, &photo(), triple);
        benchmark::DoNotOptimize(destination.pixels());
    }
}
BENCHMARK(BM_ApplyCurves24Megapixels)->Unit(benchmark::kMillisecond);

// The view as the main window has it, its picture drawn into an off-screen image.
struct ShownPhoto {
    Bitmap32 shown;
    TImgView32 view;
    QImage screen{420, 320, QImage::Format_RGB32};
    ShownPhoto()
    {
        view.resize(420, 320);
        shown.assign(&photo());
        view.set_bitmap(&shown);
    }
    void paint() { view.render(&screen); }
};

void BM_ViewFullRepaintAtFitScale(benchmark::State& state)
{
    ShownPhoto window;
    Bitmap32 other;
    TImgView32 other_view;
    TGaugeBar original_zoom, corrected_zoom;
    original_zoom.OnChange = [&] {
        window.view.set_scale(static_cast<float>(original_zoom.position() / 100.0));
    };
    other_view.set_bitmap(&other);
    fit_views(window.view, other_view, original_zoom, corrected_zoom);
    state.counters["scale"] = window.view.scale();
    for (auto _ : state) {
        window.shown.changed();  // new content: the whole picture is resampled
        window.paint();
    }
}
BENCHMARK(BM_ViewFullRepaintAtFitScale)->Unit(benchmark::kMillisecond);

void BM_ViewPanStepAtScaleOne(benchmark::State& state)
{
    ShownPhoto window;
    float step = 1.0f;
    for (auto _ : state) {
        window.view.scroll_by(step, step);
        step = -step;
        window.paint();
    }
}
BENCHMARK(BM_ViewPanStepAtScaleOne)->Unit(benchmark::kMillisecond);

void BM_ViewUncoveredRepaint(benchmark::State& state)
{
    ShownPhoto window;
    window.paint();
    for (auto _ : state) window.paint();  // nothing changed: copied from the back buffer
}
BENCHMARK(BM_ViewUncoveredRepaint)->Unit(benchmark::kMillisecond);

// A view fitted around the photo on one core, as in a window of 1920 x 1080 with two views, at
// 100 % (range 1) and 200 % (range 2) device pixels. Range 0: the instruction set (RenderPath).
void BM_FittedViewOnOneCore(benchmark::State& state)
{
    set_render_path(static_cast<RenderPath>(state.range(0)));
    const int device_ratio = static_cast<int>(state.range(1));
    ViewGeometry geometry(940 * device_ratio, 900 * device_ratio);
    geometry.set_photo_size(kPhotoWidth, kPhotoHeight);
    geometry.set_scale(static_cast<float>(940 * device_ratio) / kPhotoWidth);
    std::vector<std::uint32_t> words(static_cast<std::size_t>(geometry.view_width()) *
                                     geometry.view_height());
    RowPool one_core(1);
    state.SetLabel(render_path_name(render_path()));
    for (auto _ : state) {
        render_view(photo(), geometry, 0xC9C9C9u, words.data(), geometry.view_width(), one_core);
        benchmark::DoNotOptimize(words.data());
    }
    set_render_path(fastest_render_path());
}
BENCHMARK(BM_FittedViewOnOneCore)
    ->ArgsProduct({benchmark::CreateDenseRange(0, static_cast<int>(fastest_render_path()), 1), {1, 2}})
    ->Unit(benchmark::kMillisecond);
// One 420 x 320 view of a smooth photo converted from Adobe RGB to sRGB; the args are the
// path (0 plain, 1 AVX2, 2 AVX-512 VBMI) and the threads (1, or the pool's).
void BM_ViewColourConversion(benchmark::State& state)
{
    const auto path = static_cast<ColourConversionPath>(state.range(0));
    if (static_cast<int>(path) > static_cast<int>(fastest_colour_conversion_path())) {
        state.SkipWithError("this CPU lacks the path");
        return;
    }
    const auto transform = ViewColourTransform::between(adobe_rgb_profile(), {});
    RowPool pool(state.range(1) == 1 ? 1 : RowPool::threads_for_this_process());
    Bitmap32 shown;
    fill_grainy_photo(shown, 420, 320);
    std::vector<std::uint32_t> view(420 * 320);
    const std::uint32_t* pixels = shown.pixels();
    set_colour_conversion_path(path);
    for (auto _ : state) {
        state.PauseTiming();
        std::copy(pixels, pixels + view.size(), view.begin());
        state.ResumeTiming();
        transform->convert(view.data(), 420, 420, 320, pool);
        benchmark::DoNotOptimize(view.data());
    }
    set_colour_conversion_path(fastest_colour_conversion_path());
}
BENCHMARK(BM_ViewColourConversion)
    ->ArgsProduct({{0, 1, 2}, {1, 0}})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

// Prints each benchmark's wall and CPU time as a ratio to the curve pass
// measured in the same run (the median when repetitions are asked for).
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override
    {
        for (const Run& run : runs) {
            const Times times{run.GetAdjustedRealTime(), run.GetAdjustedCPUTime()};
            std::string name = run.run_name.function_name;
            if (!run.run_name.args.empty()) {
                name += '/';
                name += run.run_name.args;
            }
            if (run.run_type == Run::RT_Aggregate) {
                if (run.aggregate_name == "median") medians_[name] = times;
            } else {
                samples_[name].push_back(times);
            }
        }
        ConsoleReporter::ReportRuns(runs);
    }

    void Finalize() override
    {
        ConsoleReporter::Finalize();
        std::map<std::string, Times> times = medians_;
        for (auto& [name, list] : samples_) {
            if (times.count(name) != 0 || list.empty()) continue;
            std::sort(list.begin(), list.end(), [](const Times& a, const Times& b) { return a.cpu < b.cpu; });
            times[name] = list[list.size() / 2];
        }
        const auto base = times.find("BM_ApplyCurves24Megapixels");
        if (base == times.end() || base->second.real <= 0 || base->second.cpu <= 0) return;
        std::printf("\nRatio to one apply_curves pass over %dx%d (wall, CPU):\n", kPhotoWidth, kPhotoHeight);
        for (const auto& [name, t] : times)
            std::printf("  %-32s %8.4fx %8.4fx\n", name.c_str(), t.real / base->second.real,
                        t.cpu / base->second.cpu);
    }

private:
    struct Times {
        double real = 0;
        double cpu = 0;
    };
    std::map<std::string, Times> medians_;
    std::map<std::string, std::vector<Times>> samples_;
};

}  // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    photo();
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
