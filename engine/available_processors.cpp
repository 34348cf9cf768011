#include "engine/available_processors.h"

#include <algorithm>
#include <thread>

#if defined(__linux__)
#include <sched.h>
#endif

int available_processors()
{
#if defined(__linux__)
    cpu_set_t set;
    if (sched_getaffinity(0, sizeof set, &set) == 0 && CPU_COUNT(&set) > 0) return CPU_COUNT(&set);
#endif
    return static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
}
