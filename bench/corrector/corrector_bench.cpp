// The corrector's operations on a 24-megapixel photo, side by side with the
// bare work they cannot avoid:
//   each interactive operation  vs one apply_curves pass   (target: about one pass plus one copy)
//   the whole open_photo        vs bare libjpeg decoding    (target: within 1.1x; BM_OpenOverBareDecode
//                                                             times the two alternately for a same-run ratio)

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "bench/common/bench_support.h"
#include "corrector/photo_corrector.h"
#include "engine/database.h"
#include "engine/profile_selection.h"
#include "tests/support/synthetic_photos.h"
#include "tests/support/temp_dir.h"

namespace {

double wall_seconds()
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

constexpr int kWidth = 6000;
constexpr int kHeight = 4000;

struct Fixture {
    TempDir folder{"corrector_bench"};
    std::string path = folder.file("photo.jpg");
    PhotoCorrector corrector;

    Fixture()
    {
        fill_curve_database();
        Bitmap32 photo;
        fill_grainy_photo(photo, kWidth, kHeight);
        write_photo(photo, path);
        corrector.open_photo(path);
    }
};

Fixture& fixture()
{
    static Fixture instance;
    return instance;
}

void BM_ApplyCurvesPass(benchmark::State& state)
{
    PhotoCorrector& c = fixture().corrector;
    for (auto _ : state) apply_curves(&c.corrected_photo, &c.org_photo, lighter_curve);
}

void BM_Toggle(benchmark::State& state)
{
    PhotoCorrector& c = fixture().corrector;
    for (auto _ : state) c.toggle_correction();
}

void BM_CameraSwitch(benchmark::State& state)
{
    PhotoCorrector& c = fixture().corrector;
    bool digital = false;
    for (auto _ : state) {
        digital = !digital;
        c.set_camera_type(digital ? CameraType::DigitalCamera : CameraType::MobilePhone);
    }
}

void BM_Preset(benchmark::State& state)
{
    PhotoCorrector& c = fixture().corrector;
    const auto preset = static_cast<ScenePreset>(state.range(0));
    for (auto _ : state) c.apply_preset(preset);
}

void BM_LighterDarker(benchmark::State& state)
{
    PhotoCorrector& c = fixture().corrector;
    c.apply_profile(1);
    for (auto _ : state) {
        // Alternate so the level never reaches a limit; each call is one step.
        if (c.light_level > 0)
            c.darken();
        else
            c.lighten();
    }
}

void BM_Undo(benchmark::State& state)
{
    PhotoCorrector& c = fixture().corrector;
    for (auto _ : state) c.undo();
}

void BM_OpenPhoto(benchmark::State& state)
{
    Fixture& f = fixture();
    for (auto _ : state) f.corrector.open_photo(f.path);
}

// The parts of an open, to see where its time goes.
void BM_OpenPart_Load(benchmark::State& state)
{
    Bitmap32 photo;
    for (auto _ : state) load_photo(fixture().path, photo);
}

// The 24-bit copy's measure alone, and the copy with its measure: the work an open saves by
// measuring the rows as they are decoded.
void BM_OpenPart_SelectProfiles(benchmark::State& state)
{
    static Bitmap24 working = copy_to_bitmap24(fixture().corrector.org_photo);
    for (auto _ : state) {
        std::int32_t phone = 5, camera = 1;
        select_profiles(working, phone, camera);
        benchmark::DoNotOptimize(phone + camera);
    }
}

void BM_OpenPart_CopyAndSelectProfiles(benchmark::State& state)
{
    PhotoCorrector& c = fixture().corrector;
    static Bitmap24 working;
    for (auto _ : state) {
        std::int32_t phone = 5, camera = 1;
        copy_and_select_profiles(c.org_photo, working, phone, camera);
        benchmark::DoNotOptimize(phone + camera);
    }
}

// What any loader must do, with the loader's settings, into a whole-photo buffer kept from before.
void BM_BareDecode(benchmark::State& state)
{
    std::vector<std::uint32_t> pixels(static_cast<std::size_t>(kWidth) * kHeight);
    for (auto _ : state)
        if (!bare_decode_file(fixture().path, pixels.data(), kWidth)) state.SkipWithError("read");
}

// The open and the bare decode timed alternately in each iteration, so load on a
// shared machine hits both alike; "ratio" is open time over decode time. Wall time,
// since the open's analysis and curve pass run partly on the pool's other threads.
void BM_OpenOverBareDecode(benchmark::State& state)
{
    Fixture& f = fixture();
    std::vector<std::uint32_t> pixels(static_cast<std::size_t>(kWidth) * kHeight);
    double decode_seconds = 0;
    double open_seconds = 0;
    for (auto _ : state) {
        const double start = wall_seconds();
        if (!bare_decode_file(f.path, pixels.data(), kWidth)) state.SkipWithError("read");
        const double middle = wall_seconds();
        f.corrector.open_photo(f.path);
        const double end = wall_seconds();
        decode_seconds += middle - start;
        open_seconds += end - middle;
        state.SetIterationTime(end - start);
    }
    const auto iterations = static_cast<double>(state.iterations());
    state.counters["decode_ms"] = 1000 * decode_seconds / iterations;
    state.counters["open_ms"] = 1000 * open_seconds / iterations;
    state.counters["ratio"] = open_seconds / decode_seconds;
}

}  // namespace

BENCHMARK(BM_ApplyCurvesPass)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Toggle)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CameraSwitch)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Preset)->Arg(0)->Arg(4)->Arg(8)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LighterDarker)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Undo)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BareDecode)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OpenPhoto)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OpenOverBareDecode)->UseManualTime()->MinTime(2.0)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OpenPart_Load)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OpenPart_SelectProfiles)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OpenPart_CopyAndSelectProfiles)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
