#pragma once

#include <stdexcept>

/// A photo that could not be saved or encoded. The text says what failed for a
/// person to read: the file and, where there is one, the system's reason ("Cannot
/// write file <path>: No space left on device").
class EPhotoWriteError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};
