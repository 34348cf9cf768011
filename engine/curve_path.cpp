#include "engine/curve_path.h"

#include <algorithm>
#include <atomic>

#include "engine/requested_path.h"

namespace {

CurvePath detect_fastest()
{
#if defined(__x86_64__) && defined(__GNUC__)
    if (__builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512bw") &&
        __builtin_cpu_supports("avx512vbmi"))
        return CurvePath::vbmi;
#endif
    return CurvePath::pair_tables;
}

CurvePath from_environment()
{
    return requested_path("TINTELO_CURVE_PATH", {CurvePath::plain, CurvePath::pair_tables, CurvePath::vbmi},
                          fastest_curve_path(), curve_path_name);
}

std::atomic<CurvePath>& chosen()
{
    static std::atomic<CurvePath> path{from_environment()};
    return path;
}

}  // namespace

CurvePath fastest_curve_path()
{
    static const CurvePath fastest = detect_fastest();
    return fastest;
}

CurvePath curve_path()
{
    return chosen().load(std::memory_order_relaxed);
}

void set_curve_path(CurvePath path)
{
    chosen().store(std::min(path, fastest_curve_path()), std::memory_order_relaxed);
}

const char* curve_path_name(CurvePath path)
{
    switch (path) {
        case CurvePath::plain:
            return "plain";
        case CurvePath::pair_tables:
            return "pair_tables";
        case CurvePath::vbmi:
            return "vbmi";
    }
    return "plain";
}
