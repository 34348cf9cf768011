#pragma once

#include <benchmark/benchmark.h>

#include <cstdint>
#include <map>
#include <string>
#include <vector>

/// What any loader must do: read the whole file and run libjpeg with the
/// loader's decoder settings, writing every pixel as a 0xAARRGGBB word into
/// `pixels` (width x height words, row by row). False when the file cannot be read
/// or libjpeg refuses it.
bool bare_decode_file(const std::string& path, std::uint32_t* pixels, int width);

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
