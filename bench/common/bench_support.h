#pragma once

#include <benchmark/benchmark.h>

#include <cstdint>
#include <map>
#include <string>
#include <vector>

class Bitmap32;

/// What any loader must do: read the whole file and run libjpeg with the
/// loader's decoder settings, writing every pixel as a 0xAARRGGBB word into
/// `pixels` (width x height words, row by row). False when the file cannot be read
/// or libjpeg refuses it.
bool bare_decode_file(const std::string& path, std::uint32_t* pixels, int width);

/// What any HEIF loader must do: read the file and have libheif decode its primary
/// image to interleaved 8-bit RGB with its default options. False when libheif refuses it.
bool bare_heif_decode_file(const std::string& path);

/// Writes `photo` as a JPEG at `jpeg_path`, then as a HEIC made from it by heif-enc at
/// quality 85, the way a phone's photo is stored. Aborts when heif-enc fails.
void write_bench_heic(const Bitmap32& photo, const std::string& jpeg_path, const std::string& heic_path);

/// This thread's CPU time in seconds. Timing two things alternately on it, in
/// one loop, lets other work on a shared machine hit both alike.
double thread_cpu_seconds();

/// Keeps the median real and CPU time of every benchmark run with repetitions,
/// so ratios measured side by side in one run can be printed at the end.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    struct Times {
        double real_ms = 0;
        double cpu_ms = 0;
    };
    std::map<std::string, Times> medians;
    void ReportRuns(const std::vector<Run>& runs) override;
};

/// Prints subject / baseline for real and CPU time (and the target when above 0).
/// `pixels` above 0 adds the per-pixel times. Silent when either was not run.
void print_ratio(const RatioReporter& reporter, const char* name, const char* subject, const char* baseline,
                 double target, double pixels = 0);

/// Prints the CPU model, the curve lookup path and the threads the passes use, so that
/// figures copied from a run say what they were measured on and which paths they took.
void print_machine();
