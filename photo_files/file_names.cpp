#include "photo_files/file_names.h"

#include <sys/stat.h>

#include <cerrno>

namespace {

constexpr const char* kSeparators = "/\\:";

std::string to_upper_ascii(std::string text)
{
    for (char& c : text)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return text;
}

}  // namespace

std::string file_name_part(const std::string& path)
{
    const auto last = path.find_last_of(kSeparators);
    return last == std::string::npos ? path : path.substr(last + 1);
}

std::string extension_of(const std::string& name)
{
    const auto dot = name.rfind('.');
    if (dot == std::string::npos) return {};
    if (name.find_first_of(kSeparators, dot) != std::string::npos) return {};
    return name.substr(dot);
}

std::string with_jpg_extension(const std::string& name)
{
    if (to_upper_ascii(extension_of(name)) == ".JPG") return name;
    return name + ".jpg";
}

bool has_jpeg_extension(const std::string& path)
{
    const std::string extension = to_upper_ascii(extension_of(path));
    return extension == ".JPG" || extension == ".JPEG";
}

bool has_heif_extension(const std::string& path)
{
    const std::string extension = to_upper_ascii(extension_of(path));
    return extension == ".HEIC" || extension == ".HEIF" || extension == ".HIF" || extension == ".AVIF";
}

std::string jpeg_name_beside(const std::string& path)
{
    std::string name = path.substr(0, path.size() - extension_of(path).size());
    name.append(".jpg");
    return name;
}

bool has_photo_extension(const std::string& path)
{
    return has_jpeg_extension(path) || has_heif_extension(path);
}

bool file_exists(const std::string& path)
{
    if (path.empty()) return false;
    struct stat info {};
    if (stat(path.c_str(), &info) == 0) return !S_ISDIR(info.st_mode);
    if (errno == ENOENT || errno == ENOTDIR) {
        // A link pointing nowhere is still an entry that a save would replace.
        return lstat(path.c_str(), &info) == 0;
    }
    return true;
}
