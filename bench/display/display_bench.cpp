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

#include "display/fit_views.h"
#include "display/gauge_bar.h"
#include "display/img_view32.h"
#include "engine/bitmap32.h"
#include "engine/curve_triple.h"
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

// Prints each benchmark's wall and CPU time as a ratio to the curve pass
// measured in the same run (the median when repetitions are asked for).
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override
    {
        for (const Run& run : runs) {
            const Times times{run.GetAdjustedRealTime(), run.GetAdjustedCPUTime()};
            const std::string& name = run.run_name.function_name;
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
