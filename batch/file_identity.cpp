#include "batch/file_identity.h"

#include <sys/stat.h>

#include <filesystem>

namespace fs = std::filesystem;

std::string file_identity(const std::string& path)
{
    std::error_code error;
    fs::path existing = fs::absolute(path, error).lexically_normal();
    fs::path rest;
    while (true) {
        struct stat info {};
        if (::stat(existing.c_str(), &info) == 0) {
            const std::string inode = std::to_string(info.st_dev) + ":" + std::to_string(info.st_ino);
            return rest.empty() ? inode : inode + "/" + rest.string();
        }
        if (!existing.has_relative_path()) return (existing / rest).string();
        rest = rest.empty() ? existing.filename() : existing.filename() / rest;
        existing = existing.parent_path();
    }
}
