#include "bench/common/bench_support.h"

#include <libheif/heif.h>

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <memory>

#include "engine/curve_path.h"
#include "engine/row_pool.h"
#include "photo_files/jpeg_error_manager.h"
#include "photo_files/jpeg_photo.h"

bool bare_decode_file(const std::string& path, std::uint32_t* pixels, int width)
{
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) return false;
    std::fseek(file, 0, SEEK_END);
    const long size = std::ftell(file);
    std::fseek(file, 0, SEEK_SET);
    std::unique_ptr<unsigned char[]> bytes(new unsigned char[size]);
    const bool read = std::fread(bytes.get(), 1, size, file) == static_cast<std::size_t>(size);
    std::fclose(file);
    if (!read) return false;

    jpeg_decompress_struct cinfo{};
    JpegErrorManager errors;
    errors.install(cinfo);
    const bool decoded = errors.run([&] {
        jpeg_create_decompress(&cinfo);
        jpeg_mem_src(&cinfo, bytes.get(), static_cast<unsigned long>(size));
        jpeg_read_header(&cinfo, TRUE);
        cinfo.dct_method = JDCT_FLOAT;
        cinfo.do_block_smoothing = TRUE;
        cinfo.out_color_space = JCS_EXT_BGRA;
        jpeg_start_decompress(&cinfo);
        while (cinfo.output_scanline < cinfo.output_height) {
            JSAMPROW row =
                reinterpret_cast<JSAMPROW>(pixels + static_cast<std::size_t>(cinfo.output_scanline) * width);
            jpeg_read_scanlines(&cinfo, &row, 1);
        }
        jpeg_finish_decompress(&cinfo);
    });
    jpeg_destroy_decompress(&cinfo);
    return decoded;
}

bool bare_heif_decode_file(const std::string& path)
{
    heif_context* context = heif_context_alloc();
    heif_image_handle* handle = nullptr;
    heif_image* image = nullptr;
    const bool decoded =
        heif_context_read_from_file(context, path.c_str(), nullptr).code == heif_error_Ok &&
        heif_context_get_primary_image_handle(context, &handle).code == heif_error_Ok &&
        heif_decode_image(handle, &image, heif_colorspace_RGB, heif_chroma_interleaved_RGB, nullptr).code ==
            heif_error_Ok;
    benchmark::DoNotOptimize(image);
    heif_image_release(image);
    heif_image_handle_release(handle);
    heif_context_free(context);
    return decoded;
}

void write_bench_heic(const Bitmap32& photo, const std::string& jpeg_path, const std::string& heic_path)
{
    write_photo(photo, jpeg_path);
    if (std::system(("heif-enc -q 85 -o " + heic_path + " " + jpeg_path + " >/dev/null").c_str()) != 0)
        std::abort();
}

double thread_cpu_seconds()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + 1e-9 * static_cast<double>(now.tv_nsec);
}

void RatioReporter::ReportRuns(const std::vector<Run>& runs)
{
    for (const Run& run : runs)
        if (run.aggregate_name == "median") {
            const std::string& args = run.run_name.args;
            medians[run.run_name.function_name + (args.empty() ? "" : "/" + args)] = {
                run.GetAdjustedRealTime(), run.GetAdjustedCPUTime()};
        }
    ConsoleReporter::ReportRuns(runs);
}

void print_ratio(const RatioReporter& reporter, const char* name, const char* subject, const char* baseline,
                 double target, double pixels)
{
    const auto a = reporter.medians.find(subject), b = reporter.medians.find(baseline);
    if (a == reporter.medians.end() || b == reporter.medians.end()) return;
    std::printf("%-58s real %7.2f / %7.2f ms = %.3fx   cpu %7.2f / %7.2f ms = %.3fx", name, a->second.real_ms,
                b->second.real_ms, a->second.real_ms / b->second.real_ms, a->second.cpu_ms, b->second.cpu_ms,
                a->second.cpu_ms / b->second.cpu_ms);
    if (pixels > 0)
        std::printf("   (%.3f / %.3f ns/pixel)", a->second.real_ms * 1e6 / pixels,
                    b->second.real_ms * 1e6 / pixels);
    if (target > 0) std::printf("   target %.2fx", target);
    std::printf("\n");
}

void print_machine()
{
    std::string model = "unknown CPU";
    std::ifstream cpuinfo("/proc/cpuinfo");
    for (std::string line; std::getline(cpuinfo, line);)
        if (line.rfind("model name", 0) == 0) {
            model = line.substr(line.find(':') + 2);
            break;
        }
    std::printf("CPU: %s; curve path: %s (fastest here: %s); threads in the pool: %d\n", model.c_str(),
                curve_path_name(curve_path()), curve_path_name(fastest_curve_path()),
                RowPool::shared().threads());
}
