// What the user waits for in the main window, on a 24-megapixel photo, in-process
// on the offscreen platform with the pressed feedback's pause set to 0:
//   opening the photo until both views show it corrected
//       vs bare libjpeg decoding the same file                   (target: within 1.2x)
//   the corrector's open_photo alone vs the same                 (target: 1.1x kept buffers, 1.25x new)
//   a preset, LIGHTER or DARKER click until the corrected view is repainted
//       vs one apply_curves pass over the photo on one thread    (target: within 1.0x)
// and the same window on a second screen at 200 % (device pixel ratio 2):
//   opening the photo until both views show it, at 200 %
//       vs the same at 100 %                                     (target: within 1.1x)
//   both views drawing the photo anew at 200 %
//       vs one apply_curves pass over the photo                  (target: within 1x)
// Each pair runs side by side in one run and the ratios of the medians are printed
// at the end. On a busy machine add --benchmark_enable_random_interleaving=true.

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QScreen>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "bench/common/bench_support.h"
#include "corrector/photo_corrector.h"
#include "corrector/scene_presets.h"
#include "display/view_render.h"
#include "engine/bitmap32.h"
#include "engine/curve_triple.h"
#include "engine/database.h"
#include "engine/profile_selection.h"
#include "engine/row_pool.h"
#include "engine/streaming_profile_measure.h"
#include "photo_files/jpeg_photo.h"
#include "photo_files/photo_dialogs.h"
#include "tests/support/synthetic_photos.h"
#include "tests/support/temp_dir.h"
#include "windows/main_window.h"
#include "windows/startup.h"

namespace {

constexpr int kWidth = 6000;
constexpr int kHeight = 4000;  // 24 megapixels

// The open dialog answers the photo's path at once.
class AnsweringOpenDialog : public OpenDialogs {
public:
    explicit AnsweringOpenDialog(std::string path) : path_(std::move(path)) {}
    std::optional<std::string> show_open_dialog(const std::string&) override { return path_; }

private:
    std::string path_;
};

// Two offscreen screens side by side: one at 100 %, one at 200 %.
const char* const kScreens = R"({"screens": [
    {"name": "a 100 %", "x": 0, "y": 0, "width": 1920, "height": 1200, "dpr": 1},
    {"name": "b 200 %", "x": 1920, "y": 0, "width": 1920, "height": 1200, "dpr": 2}]})";

QScreen* screen_at(double device_pixel_ratio)
{
    for (QScreen* screen : QGuiApplication::screens())
        if (screen->devicePixelRatio() == device_pixel_ratio) return screen;
    return nullptr;
}

std::unique_ptr<MainWindow> bench_form(const std::string& jpeg_path, double device_pixel_ratio)
{
    auto form = std::make_unique<MainWindow>(96, screen_at(device_pixel_ratio));
    form->press_duration = std::chrono::milliseconds(0);
    form->sleep_for = [](std::chrono::milliseconds) {};
    form->open_dialogs = std::make_unique<AnsweringOpenDialog>(jpeg_path);
    form->show();
    QApplication::processEvents();
    return form;
}

struct Fixture {
    TempDir folder{"windows_bench"};
    std::string jpeg_path = folder.file("photo.jpg");
    std::string small_jpeg_path = folder.file("small.jpg");
    std::unique_ptr<MainWindow> form;       // on the 100 % screen
    std::unique_ptr<MainWindow> fine_form;  // on the 200 % screen

    Fixture()
    {
        {
            Bitmap32 photo;
            fill_grainy_photo(photo, kWidth, kHeight);
            write_photo(photo, jpeg_path);
            fill_grainy_photo(photo, 600, 400);
            write_photo(photo, small_jpeg_path);
        }
        form = bench_form(jpeg_path, 1.0);
        fine_form = bench_form(jpeg_path, 2.0);
        if (form->devicePixelRatioF() != 1.0 || fine_form->devicePixelRatioF() != 2.0)
            std::fprintf(stderr, "windows_bench: the screens are not at 100 %% and 200 %%\n");
    }
};

Fixture& fixture()
{
    static Fixture instance;
    return instance;
}

// Runs one handler, then paints the whole window now, as the event loop does
// once the handler has returned (it would wait for the next frame). True when
// the views drew their new content, during the handler (a pressed control's
// repaint paints all that is due) or after it.
template <typename Handler>
bool run_and_paint(MainWindow& form, Handler handler, bool both_views)
{
    const long long original_before = form.original_view->render_count();
    const long long corrected_before = form.corrected_view->render_count();
    handler();
    form.repaint();
    return form.corrected_view->render_count() > corrected_before &&
           (!both_views || form.original_view->render_count() > original_before);
}

// What any loader must do: read the file and run the decoder with the loader's
// settings, putting every pixel into a whole-photo buffer. Arg 1: a new buffer
// each time (the first photo of its size); arg 0: a buffer kept from before.
void BM_BareDecode(benchmark::State& state)
{
    const bool fresh = state.range(0) != 0;
    const std::string& path = fixture().jpeg_path;
    const std::size_t words = static_cast<std::size_t>(kWidth) * kHeight;
    std::unique_ptr<std::uint32_t[]> kept(fresh ? nullptr : new std::uint32_t[words]());
    for (auto _ : state) {
        std::unique_ptr<std::uint32_t[], decltype(&std::free)> fresh_pixels(
            fresh ? static_cast<std::uint32_t*>(std::malloc(words * 4)) : nullptr, &std::free);
        std::uint32_t* pixels = fresh ? fresh_pixels.get() : kept.get();
        if (!bare_decode_file(path, pixels, kWidth)) state.SkipWithError("read");
        benchmark::DoNotOptimize(pixels);
    }
}

// OPEN PHOTO clicked, the photo picked, until both views show it corrected.
// Arg 1: the window held no photo before (its buffers are new); arg 0: it held
// one of the same size.
void time_open(benchmark::State& state, MainWindow& form)
{
    const bool fresh = state.range(0) != 0;
    for (auto _ : state) {
        if (fresh) {
            // Two small photos in between: the second one's storage replaces what the big
            // photo left for the next decode, so every buffer of the timed open is new.
            state.PauseTiming();
            for (int i = 0; i < 2; ++i) form.corrector.open_photo(std::optional(fixture().small_jpeg_path));
            QApplication::processEvents();
            state.ResumeTiming();
        }
        if (!run_and_paint(
                form, [&] { form.open_buttonClick(); }, true))
            state.SkipWithError("the views did not repaint");
        if (!form.corrector.photo_loaded || form.corrector.org_photo.width() != kWidth)
            state.SkipWithError("the photo did not open");
    }
}

void BM_OpenPhoto(benchmark::State& state)
{
    time_open(state, *fixture().form);
}
void BM_OpenPhotoAt200(benchmark::State& state)
{
    time_open(state, *fixture().fine_form);
}

// The parts of an open, to see where its time goes: the corrector's open_photo
// alone (no window), and a repaint of the whole window with nothing new in it.
void BM_CorrectorOpenOnly(benchmark::State& state)
{
    const bool fresh = state.range(0) != 0;
    // Lives across runs, so that "kept" buffers really are kept from the first iteration on.
    static auto kept = std::make_unique<PhotoCorrector>();
    for (auto _ : state) {
        if (fresh) {
            // A corrector that never held a photo: every buffer of the open is new.
            state.PauseTiming();
            kept = std::make_unique<PhotoCorrector>();
            state.ResumeTiming();
        }
        kept->open_photo(std::optional<std::string>(fixture().jpeg_path));
        if (!kept->photo_loaded) state.SkipWithError("the photo did not open");
    }
}

void BM_LoadPhotoOnly(benchmark::State& state)
{
    static Bitmap32 photo;
    for (auto _ : state)
        if (!load_photo(fixture().jpeg_path, photo)) state.SkipWithError("load failed");
}

// The open's analysis of every row on one thread; beside the decode it is hidden on a second core.
void BM_AnalysisOnly(benchmark::State& state)
{
    MainWindow& form = *fixture().form;
    if (form.corrector.org_photo.width() != kWidth) form.open_buttonClick();
    const Bitmap32& photo = form.corrector.org_photo;
    RowPool::shared().set_thread_limit(1);
    for (auto _ : state) {
        StreamingProfileMeasure measure;
        measure.run([&] { measure.rows_final(photo, 0, photo.height()); });
        std::int32_t phone = 5, camera = 1;
        decide_profiles(measure.statistics(), phone, camera);
        benchmark::DoNotOptimize(phone + camera);
    }
    RowPool::shared().set_thread_limit(RowPool::kMaximumThreads);
}

// Both views drawing their photos anew at the fitted scale.
void time_both_views(benchmark::State& state, MainWindow& form)
{
    if (form.corrector.org_photo.width() != kWidth) form.open_buttonClick();
    for (auto _ : state) {
        const long long before = form.original_view->render_count() + form.corrected_view->render_count();
        form.corrector.org_photo.changed();
        form.corrector.corrected_photo.changed();
        form.repaint();
        if (form.original_view->render_count() + form.corrected_view->render_count() != before + 2)
            state.SkipWithError("the views did not repaint");
    }
}

void BM_BothViewsRepaint(benchmark::State& state)
{
    time_both_views(state, *fixture().form);
}
void BM_BothViewsRepaintAt200(benchmark::State& state)
{
    time_both_views(state, *fixture().fine_form);
}

// The baseline of the clicks: one curve pass from the loaded photo into the corrected one.
void BM_ApplyCurves(benchmark::State& state)
{
    MainWindow& form = *fixture().form;
    if (form.corrector.org_photo.width() != kWidth) form.open_buttonClick();
    const CurveTriple& triple = *curve_for_profile(CameraType::DigitalCamera, 6);
    Bitmap32 destination;
    destination.set_size(kWidth, kHeight);
    for (auto _ : state) {
        apply_curves(&destination, &form.corrector.org_photo, triple);
        benchmark::ClobberMemory();
    }
}

// The same pass on the event thread alone: the clicks' baseline, whatever the cores.
void BM_ApplyCurvesOneThread(benchmark::State& state)
{
    RowPool& pool = RowPool::shared();
    pool.set_thread_limit(1);
    BM_ApplyCurves(state);
    pool.set_thread_limit(RowPool::kMaximumThreads);
}

// One click's handler (its 100 ms pause at 0), then the window's repaint.
void time_click(benchmark::State& state, const std::function<void(MainWindow&)>& handler)
{
    MainWindow& form = *fixture().form;
    if (form.corrector.org_photo.width() != kWidth) form.open_buttonClick();
    QApplication::processEvents();
    for (auto _ : state) {
        const int level = form.corrector.light_level;
        if (std::abs(level) == PhotoCorrector::max_light_level) {
            // At a limit the keys do nothing; start the next step from the middle.
            state.PauseTiming();
            form.corrector.light_level = 0;
            state.ResumeTiming();
        }
        if (!run_and_paint(
                form, [&] { handler(form); }, false))
            state.SkipWithError("the corrected view did not repaint");
    }
}

void BM_OutdoorsPresetClick(benchmark::State& state)
{
    time_click(state, [](MainWindow& form) { form.preset_buttonClick(ScenePreset::Outdoors); });
}
void BM_BulbLampPresetClick(benchmark::State& state)
{
    time_click(state, [](MainWindow& form) { form.preset_buttonClick(ScenePreset::IndoorsBulbLamp); });
}
void BM_LighterClick(benchmark::State& state)
{
    time_click(state, &MainWindow::light_buttonClick);
}
void BM_DarkerClick(benchmark::State& state)
{
    time_click(state, &MainWindow::dark_buttonClick);
}

constexpr int kRepetitions = 7;
BENCHMARK(BM_BareDecode)
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Repetitions(kRepetitions);
BENCHMARK(BM_OpenPhoto)
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Repetitions(kRepetitions);
BENCHMARK(BM_OpenPhotoAt200)
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Repetitions(kRepetitions);
BENCHMARK(BM_CorrectorOpenOnly)
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Repetitions(kRepetitions);
BENCHMARK(BM_LoadPhotoOnly)->Unit(benchmark::kMillisecond)->UseRealTime()->Repetitions(kRepetitions);
BENCHMARK(BM_AnalysisOnly)->Unit(benchmark::kMillisecond)->UseRealTime()->Repetitions(kRepetitions);
BENCHMARK(BM_BothViewsRepaint)->Unit(benchmark::kMillisecond)->UseRealTime()->Repetitions(kRepetitions);
BENCHMARK(BM_BothViewsRepaintAt200)->Unit(benchmark::kMillisecond)->UseRealTime()->Repetitions(kRepetitions);
BENCHMARK(BM_ApplyCurves)->Unit(benchmark::kMillisecond)->UseRealTime()->Repetitions(kRepetitions);
BENCHMARK(BM_ApplyCurvesOneThread)->Unit(benchmark::kMillisecond)->UseRealTime()->Repetitions(kRepetitions);
BENCHMARK(BM_OutdoorsPresetClick)->Unit(benchmark::kMillisecond)->UseRealTime()->Repetitions(kRepetitions);
BENCHMARK(BM_BulbLampPresetClick)->Unit(benchmark::kMillisecond)->UseRealTime()->Repetitions(kRepetitions);
BENCHMARK(BM_LighterClick)->Unit(benchmark::kMillisecond)->UseRealTime()->Repetitions(kRepetitions);
BENCHMARK(BM_DarkerClick)->Unit(benchmark::kMillisecond)->UseRealTime()->Repetitions(kRepetitions);

}  // namespace

int main(int argc, char** argv)
{
    TempDir screens_folder{"windows_bench_screens"};
    {
        std::ofstream(screens_folder.file("screens.json")) << kScreens;
    }
    qputenv("QT_QPA_PLATFORM", ("offscreen:configfile=" + screens_folder.file("screens.json")).c_str());
    prepare_platform();
    benchmark::Initialize(&argc, argv);
    print_machine();
    std::printf("reduced views drawn with: %s (TINTELO_RENDER_PATH=plain for the portable code)\n",
                render_with_avx2() ? "AVX2" : "the portable code");
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    QApplication application(argc, argv);
    Q_INIT_RESOURCE(assets);
    prepare_resources();
    fixture();  // make the photo, its file and the window before anything is timed
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    std::printf("\nMedian ratios (same run):\n");
    print_ratio(reporter, "open until both views show it / bare decode (new buffers)", "BM_OpenPhoto/1",
                "BM_BareDecode/1", 1.2);
    print_ratio(reporter, "open until both views show it / bare decode (kept buffers)", "BM_OpenPhoto/0",
                "BM_BareDecode/0", 1.2);
    print_ratio(reporter, "the corrector's open_photo / bare decode (kept buffers)", "BM_CorrectorOpenOnly/0",
                "BM_BareDecode/0", 1.1);
    print_ratio(reporter, "the corrector's open_photo / bare decode (new buffers)", "BM_CorrectorOpenOnly/1",
                "BM_BareDecode/1", 1.25);
    std::printf("  where an open's time goes (kept buffers), against the bare decode:\n");
    print_ratio(reporter, "    load_photo", "BM_LoadPhotoOnly", "BM_BareDecode/0", 0);
    print_ratio(reporter, "    analysis on one thread (beside the decode when a core is free)",
                "BM_AnalysisOnly", "BM_BareDecode/0", 0);
    print_ratio(reporter, "    one curve pass", "BM_ApplyCurves", "BM_BareDecode/0", 0);
    print_ratio(reporter, "    both views drawing anew", "BM_BothViewsRepaint", "BM_BareDecode/0", 0);
    print_ratio(reporter, "open until both views show it, 200 % / 100 % (new buffers)", "BM_OpenPhotoAt200/1",
                "BM_OpenPhoto/1", 1.1);
    print_ratio(reporter, "open until both views show it, 200 % / 100 % (kept buffers)",
                "BM_OpenPhotoAt200/0", "BM_OpenPhoto/0", 1.1);
    print_ratio(reporter, "both views drawing anew at 200 % / apply_curves", "BM_BothViewsRepaintAt200",
                "BM_ApplyCurves", 1.0);
    print_ratio(reporter, "both views drawing anew at 100 % / apply_curves", "BM_BothViewsRepaint",
                "BM_ApplyCurves", 0);
    for (const auto& [what, name] :
         {std::pair{"Outdoors preset", "BM_OutdoorsPresetClick"},
          std::pair{"Indoors bulb lamp preset", "BM_BulbLampPresetClick"},
          std::pair{"LIGHTER", "BM_LighterClick"}, std::pair{"DARKER", "BM_DarkerClick"}}) {
        const std::string label = std::string(what) + " click and repaint / apply_curves on one thread";
        print_ratio(reporter, label.c_str(), name, "BM_ApplyCurvesOneThread", 1.0);
    }
    print_ratio(reporter, "apply_curves on the pool / on one thread", "BM_ApplyCurves",
                "BM_ApplyCurvesOneThread", 0);
    fixture().form.reset();
    fixture().fine_form.reset();
    benchmark::Shutdown();
    return 0;
}
