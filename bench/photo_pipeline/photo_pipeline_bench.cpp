// The photo pipeline's speed against the bare work it cannot avoid, on a
// 24-megapixel photo:
//   apply_curves  vs a loop that only copies the words     (target: within 1.5x)
//                 on every lookup path this CPU has, on one thread and on all of them
//   load_photo    vs bare libjpeg decoding the same file    (target: within 1.10x)
//   write_photo   vs bare libjpeg encoding the same pixels  (target: within 1.10x)
//   load_photo of a 12-megapixel HEIC vs bare libheif decoding to RGB (target: within 1.20x)
//   write_photo with a camera's metadata vs without it       (target: within 1.01x;
//                 BM_SaveWithMetadataOverWithout times the two alternately)
// Each pair runs side by side in one run; the ratios of the medians are printed at
// the end. On a busy machine add --benchmark_enable_random_interleaving=true so that
// both sides of a pair see the same disturbances.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "bench/common/bench_support.h"
#include "engine/bitmap32.h"
#include "engine/curve_path.h"
#include "engine/curve_triple.h"
#include "engine/row_pool.h"
#include "photo_files/jpeg_encoder.h"
#include "photo_files/jpeg_error_manager.h"
#include "photo_files/jpeg_photo.h"
#include "photo_files/photo_metadata.h"
#include "tests/support/file_bytes.h"
#include "tests/support/synthetic_photos.h"
#include "tests/support/temp_dir.h"
#include "tools/sample_jpeg/sample_metadata.h"

namespace {

constexpr int kWidth = 6000;
constexpr int kHeight = 4000;  // 24 megapixels
constexpr double kPixels = static_cast<double>(kWidth) * kHeight;

struct Fixture {
    Bitmap32 photo;
    TempDir folder{"photo_pipeline_bench"};
    std::string jpeg_path = folder.file("photo.jpg");
    std::vector<std::uint8_t> rgb;  // the photo as 24-bit RGB rows, for the bare encoder
    PhotoMetadata camera_metadata;  // what a camera and a photo library put in a photo

    Fixture()
    {
        fill_grainy_photo(photo, kWidth, kHeight);
        write_photo(photo, jpeg_path);
        rgb.resize(static_cast<std::size_t>(kWidth) * kHeight * 3);
        std::uint8_t* out = rgb.data();
        for (std::size_t k = 0; k < photo.pixel_count(); ++k) {
            const std::uint32_t p = photo.pixels()[k];
            *out++ = static_cast<std::uint8_t>(p >> 16);
            *out++ = static_cast<std::uint8_t>(p >> 8);
            *out++ = static_cast<std::uint8_t>(p);
        }
        camera_metadata = load_camera_metadata();
    }

    // A camera's EXIF (about 30 KB with its maker note, GPS and a 160-pixel thumbnail),
    // XMP, IPTC, a comment and a 3 KB colour profile, read as the program reads them.
    PhotoMetadata load_camera_metadata()
    {
        Bitmap32 small;
        fill_grainy_photo(small, 160, 120);
        CameraExifSettings exif;
        exif.orientation = 6;
        exif.pixel_width = kWidth;
        exif.pixel_height = kHeight;
        exif.thumbnail = encode_jpeg_photo(small);
        exif.maker_note_padding = 20000;
        JpegWriteSettings settings;
        settings.markers = {{JPEG_APP0 + 1, camera_exif_payload(exif)},
                            {JPEG_APP0 + 1, xmp_payload(false, 6, kWidth, kHeight)},
                            {JPEG_APP0 + 13, iptc_payload()},
                            {JPEG_COM, {'h', 'a', 'r', 'b', 'o', 'u', 'r'}}};
        settings.icc_profile.assign(3144, 0x5A);
        const std::vector<std::uint8_t> pixels(16 * 16 * 3, 128);
        const std::string path = folder.file("camera.jpg");
        write_bytes(path, write_sample_jpeg(16, 16, 3, pixels.data(), settings));
        PhotoMetadata metadata;
        if (!load_photo(path, small, &metadata) || metadata.exif.empty() || metadata.xmp.empty())
            std::abort();
        return metadata;
    }
};

Fixture& fixture()
{
    static Fixture instance;
    return instance;
}

CurveTriple brightening_triple()
{
    CurveTriple triple;
    for (int i = 0; i < 256; ++i) {
        triple.red_table[i] = static_cast<std::uint8_t>(std::min(255, i + 20));
        triple.green_table[i] = static_cast<std::uint8_t>(std::min(255, i * 11 / 10));
        triple.blue_table[i] = static_cast<std::uint8_t>(255 - i);
    }
    return triple;
}

void per_pixel(benchmark::State& state)
{
    state.counters["ns_per_pixel"] = benchmark::Counter(
        kPixels * 1e-9, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

void BM_CopyLoop(benchmark::State& state)
{
    const Bitmap32& source = fixture().photo;
    Bitmap32 destination;
    destination.set_size(kWidth, kHeight);
    for (auto _ : state) {
        const std::uint32_t* in = source.pixels();
        std::uint32_t* out = destination.pixels();
        const std::size_t n = source.pixel_count();
        for (std::size_t k = 0; k < n; ++k) out[k] = in[k];
        benchmark::DoNotOptimize(out);
        benchmark::ClobberMemory();
    }
    per_pixel(state);
}

// Args: the lookup path (CurvePath as a number; only the paths this CPU runs are
// registered) and the threads the pass may use.
void BM_ApplyCurves(benchmark::State& state)
{
    set_curve_path(static_cast<CurvePath>(state.range(0)));
    RowPool::shared().set_thread_limit(static_cast<int>(state.range(1)));
    state.SetLabel(std::string(curve_path_name(curve_path())) + ", " + std::to_string(state.range(1)) +
                   " thread(s)");
    const Bitmap32& source = fixture().photo;
    const CurveTriple triple = brightening_triple();
    Bitmap32 destination;
    destination.set_size(kWidth, kHeight);
    for (auto _ : state) {
        apply_curves(&destination, &source, triple);
        benchmark::ClobberMemory();
    }
    set_curve_path(fastest_curve_path());
    RowPool::shared().set_thread_limit(RowPool::kMaximumThreads);
    per_pixel(state);
}

// What any loader must do: read the file and run the decoder with the same settings,
// putting every pixel into a whole-photo buffer that is then thrown away. Arg 1: the
// buffer is new each time (a photo of another size); arg 0: it is kept (same size).
void BM_BareDecode(benchmark::State& state)
{
    const bool fresh = state.range(0) != 0;
    const std::string path = fixture().jpeg_path;
    const std::size_t words = static_cast<std::size_t>(kWidth) * kHeight;
    std::unique_ptr<std::uint32_t[]> kept(fresh ? nullptr : new std::uint32_t[words]());
    for (auto _ : state) {
        std::unique_ptr<std::uint32_t[], decltype(&std::free)> fresh_pixels(
            fresh ? static_cast<std::uint32_t*>(std::calloc(words, 4)) : nullptr, &std::free);
        std::uint32_t* pixels = fresh ? fresh_pixels.get() : kept.get();
        if (!bare_decode_file(path, pixels, kWidth)) state.SkipWithError("read");
        benchmark::DoNotOptimize(pixels);
    }
    per_pixel(state);
}

void BM_LoadPhoto(benchmark::State& state)
{
    const bool fresh = state.range(0) != 0;
    const std::string path = fixture().jpeg_path;
    Bitmap32 kept;
    if (!fresh) {
        // Like the bare decoder's kept buffer: there and touched before the timing starts.
        fill_flat(kept, kWidth, kHeight, 0);
    }
    for (auto _ : state) {
        Bitmap32 fresh_photo;
        Bitmap32& photo = fresh ? fresh_photo : kept;
        if (!load_photo(path, photo)) state.SkipWithError("load failed");
        benchmark::DoNotOptimize(photo.pixels());
    }
    per_pixel(state);
}

// A 12-megapixel HEIC made with heif-enc from a photo-like JPEG, on first use only.
const std::string& heic_path()
{
    static const std::string path = [] {
        Bitmap32 photo;
        fill_grainy_photo(photo, 4000, 3000);
        const std::string heic = fixture().folder.file("phone.heic");
        write_bench_heic(photo, fixture().folder.file("phone.jpg"), heic);
        return heic;
    }();
    return path;
}

void BM_BareHeifDecode(benchmark::State& state)
{
    const std::string& path = heic_path();
    for (auto _ : state)
        if (!bare_heif_decode_file(path)) state.SkipWithError("libheif refused the photo");
}

void BM_LoadHeif(benchmark::State& state)
{
    const std::string& path = heic_path();
    for (auto _ : state) {
        Bitmap32 photo;
        if (!load_photo(path, photo)) state.SkipWithError("load failed");
        benchmark::DoNotOptimize(photo.pixels());
    }
}

// What any saver must do: run the encoder with the same settings on the 24-bit
// pixels and put the bytes into a file.
void BM_BareEncode(benchmark::State& state)
{
    const std::vector<std::uint8_t>& rgb = fixture().rgb;
    const std::string path = fixture().folder.file("bare.jpg");
    for (auto _ : state) {
        jpeg_compress_struct cinfo{};
        JpegErrorManager errors;
        errors.install(cinfo);
        unsigned char* out = nullptr;
        unsigned long size = 0;
        const bool encoded = errors.run([&] {
            jpeg_create_compress(&cinfo);
            jpeg_mem_dest(&cinfo, &out, &size);
            cinfo.image_width = kWidth;
            cinfo.image_height = kHeight;
            cinfo.input_components = 3;
            cinfo.in_color_space = JCS_RGB;
            jpeg_set_defaults(&cinfo);
            cinfo.dct_method = JDCT_FLOAT;
            jpeg_set_quality(&cinfo, 95, TRUE);
            jpeg_start_compress(&cinfo, TRUE);
            while (cinfo.next_scanline < cinfo.image_height) {
                JSAMPROW row = const_cast<JSAMPROW>(
                    rgb.data() + static_cast<std::size_t>(cinfo.next_scanline) * kWidth * 3);
                jpeg_write_scanlines(&cinfo, &row, 1);
            }
            jpeg_finish_compress(&cinfo);
        });
        if (encoded) {
            std::FILE* file = std::fopen(path.c_str(), "wb");
            if (std::fwrite(out, 1, size, file) != size) state.SkipWithError("write");
            std::fclose(file);
        } else {
            state.SkipWithError("the bare encoder failed");
        }
        jpeg_destroy_compress(&cinfo);
        std::free(out);
    }
    per_pixel(state);
}

void BM_WritePhoto(benchmark::State& state)
{
    const Bitmap32& photo = fixture().photo;
    const std::string path = fixture().folder.file("saved.jpg");
    for (auto _ : state) write_photo(photo, path);
    per_pixel(state);
}

// The save with the camera's metadata and the save without, timed alternately on
// this thread's CPU clock (the disk's flush waits are not CPU time), in turns of
// both orders so neither always runs second. The counters are medians over the
// iterations, so a disturbance that hits one save of one pair does not count;
// "ratio" is the median of each pair's with / without.
void BM_SaveWithMetadataOverWithout(benchmark::State& state)
{
    const Fixture& f = fixture();
    const std::string path = f.folder.file("saved.jpg");
    std::vector<double> with_ms, without_ms, ratios;
    bool metadata_first = false;
    for (auto _ : state) {
        metadata_first = !metadata_first;
        const double start = thread_cpu_seconds();
        if (metadata_first)
            write_photo(f.photo, path, f.camera_metadata);
        else
            write_photo(f.photo, path);
        const double middle = thread_cpu_seconds();
        if (metadata_first)
            write_photo(f.photo, path);
        else
            write_photo(f.photo, path, f.camera_metadata);
        const double end = thread_cpu_seconds();
        with_ms.push_back(1000 * (metadata_first ? middle - start : end - middle));
        without_ms.push_back(1000 * (metadata_first ? end - middle : middle - start));
        ratios.push_back(with_ms.back() / without_ms.back());
        state.SetIterationTime(end - start);
    }
    auto median = [](std::vector<double> values) {
        std::nth_element(values.begin(), values.begin() + values.size() / 2, values.end());
        return values[values.size() / 2];
    };
    state.counters["with_ms"] = median(with_ms);
    state.counters["without_ms"] = median(without_ms);
    state.counters["ratio"] = median(ratios);
}

constexpr int kRepetitions = 7;
BENCHMARK(BM_CopyLoop)->Unit(benchmark::kMillisecond)->UseRealTime()->Repetitions(kRepetitions);
BENCHMARK(BM_ApplyCurves)
    ->ArgsProduct({benchmark::CreateDenseRange(0, static_cast<int>(fastest_curve_path()), 1),
                   {1, RowPool::shared().threads()}})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Repetitions(kRepetitions);
BENCHMARK(BM_BareDecode)
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Repetitions(kRepetitions);
BENCHMARK(BM_LoadPhoto)
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Repetitions(kRepetitions);
BENCHMARK(BM_BareHeifDecode)->Unit(benchmark::kMillisecond)->UseRealTime()->Repetitions(kRepetitions);
BENCHMARK(BM_LoadHeif)->Unit(benchmark::kMillisecond)->UseRealTime()->Repetitions(kRepetitions);
BENCHMARK(BM_BareEncode)->Unit(benchmark::kMillisecond)->UseRealTime()->Repetitions(kRepetitions);
BENCHMARK(BM_WritePhoto)->Unit(benchmark::kMillisecond)->UseRealTime()->Repetitions(kRepetitions);
BENCHMARK(BM_SaveWithMetadataOverWithout)->UseManualTime()->Iterations(31)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    print_machine();
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    fixture();  // make the photo and its file before anything is timed
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    std::printf("\nMedian ratios (same run):\n");
    for (CurvePath path : {CurvePath::plain, CurvePath::pair_tables, CurvePath::vbmi})
        for (int threads : {1, RowPool::shared().threads()}) {
            const std::string subject =
                "BM_ApplyCurves/" + std::to_string(static_cast<int>(path)) + "/" + std::to_string(threads);
            const std::string name = std::string("apply_curves (") + curve_path_name(path) + ", " +
                                     std::to_string(threads) + " thread(s)) / copy loop";
            print_ratio(reporter, name.c_str(), subject.c_str(), "BM_CopyLoop", 1.5, kPixels);
        }
    print_ratio(reporter, "load_photo / bare decode (buffer kept)", "BM_LoadPhoto/0", "BM_BareDecode/0", 1.10,
                kPixels);
    print_ratio(reporter, "load_photo / bare decode (new buffer each time)", "BM_LoadPhoto/1",
                "BM_BareDecode/1", 1.10, kPixels);
    print_ratio(reporter, "load_photo (12-MP HEIC) / bare libheif decode", "BM_LoadHeif", "BM_BareHeifDecode",
                1.20, 12e6);
    print_ratio(reporter, "write_photo / bare encode", "BM_WritePhoto", "BM_BareEncode", 1.10, kPixels);
    benchmark::Shutdown();
    return 0;
}
