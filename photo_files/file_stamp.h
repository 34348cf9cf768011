#pragma once

#include <cstdint>
#include <optional>
#include <string>

/// What changes when a file is rewritten or replaced: its size, its modification time
/// (to the nanosecond) and the file it is (device and inode, so a file renamed over it
/// counts as changed even with the same size and time).
struct FileStamp {
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    std::int64_t size = 0;
    std::int64_t modified_ns = 0;

    bool operator==(const FileStamp&) const = default;
};

/// The stamp of the file `path` leads to, or nothing when it cannot be examined.
std::optional<FileStamp> file_stamp(const std::string& path);
