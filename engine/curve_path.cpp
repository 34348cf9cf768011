#include "engine/curve_path.h"

#include <atomic>
#include <cstdlib>
#include <cstring>

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

CurvePath lower_of(CurvePath a, CurvePath b)
{
    return static_cast<int>(a) < static_cast<int>(b) ? a : b;
}

CurvePath from_environment()
{
    const CurvePath fastest = fastest_curve_path();
    const char* requested = std::getenv("TINTELO_CURVE_PATH");
    if (requested == nullptr) return fastest;
    for (CurvePath path : {CurvePath::plain, CurvePath::pair_tables, CurvePath::vbmi})
        if (std::strcmp(requested, curve_path_name(path)) == 0) return lower_of(path, fastest);
    return fastest;
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
    chosen().store(lower_of(path, fastest_curve_path()), std::memory_order_relaxed);
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
