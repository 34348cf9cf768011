#pragma once

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <initializer_list>

/// The instruction path an environment variable asks for: the one of `paths` whose name
/// (`name(path)`) is the variable's value, never above `fastest` (paths are listed slowest
/// first, as their enums order them); `fastest` when the variable is unset or names none.
template <typename Path, typename Name>
Path requested_path(const char* variable, std::initializer_list<Path> paths, Path fastest, Name name)
{
    const char* requested = std::getenv(variable);
    if (requested == nullptr) return fastest;
    for (Path path : paths)
        if (std::strcmp(requested, name(path)) == 0) return std::min(path, fastest);
    return fastest;
}
