#pragma once

#include <string>
#include <vector>

/// A fresh folder, <base>/<prefix>.XXXXXX, removed with everything in it when the
/// TempDir goes (also when a test took its permissions away). `base` empty: the
/// system's temporary folder. Throws std::runtime_error when it cannot be made.
class TempDir {
public:
    explicit TempDir(const std::string& prefix = "tintelo_test", const std::string& base = {});
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& path() const { return path_; }
    /// The path of `name` (which may name subfolders) inside the folder.
    std::string file(const std::string& name) const { return path_ + "/" + name; }
    /// The names of what the folder holds, in no particular order.
    std::vector<std::string> entries() const;

private:
    std::string path_;
};
