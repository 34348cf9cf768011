#include "display/colour_conversion_path.h"

#include <algorithm>
#include <atomic>

#include "engine/requested_path.h"

namespace {

ColourConversionPath detect_fastest()
{
#if defined(__x86_64__) && defined(__GNUC__)
    if (__builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512bw") &&
        __builtin_cpu_supports("avx512vbmi"))
        return ColourConversionPath::vbmi;
    if (__builtin_cpu_supports("avx2")) return ColourConversionPath::avx2;
#endif
    return ColourConversionPath::plain;
}

ColourConversionPath from_environment()
{
    return requested_path(
        "TINTELO_COLOUR_PATH",
        {ColourConversionPath::plain, ColourConversionPath::avx2, ColourConversionPath::vbmi},
        fastest_colour_conversion_path(), colour_conversion_path_name);
}

std::atomic<ColourConversionPath>& chosen()
{
    static std::atomic<ColourConversionPath> path{from_environment()};
    return path;
}

}  // namespace

ColourConversionPath fastest_colour_conversion_path()
{
    static const ColourConversionPath fastest = detect_fastest();
    return fastest;
}

ColourConversionPath colour_conversion_path()
{
    return chosen().load(std::memory_order_relaxed);
}

void set_colour_conversion_path(ColourConversionPath path)
{
    chosen().store(std::min(path, fastest_colour_conversion_path()), std::memory_order_relaxed);
}

const char* colour_conversion_path_name(ColourConversionPath path)
{
    switch (path) {
        case ColourConversionPath::plain:
            return "plain";
        case ColourConversionPath::avx2:
            return "avx2";
        case ColourConversionPath::vbmi:
            return "vbmi";
    }
    return "plain";
}
