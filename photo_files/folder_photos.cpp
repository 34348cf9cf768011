#include "photo_files/folder_photos.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "photo_files/file_names.h"

namespace {

bool is_digit(char c)
{
    return c >= '0' && c <= '9';
}

char folded(char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// -1, 0 or 1 as the digit runs starting at a[i] and b[j] compare by value; moves both past their runs.
int compare_digit_runs(std::string_view a, std::size_t& i, std::string_view b, std::size_t& j)
{
    while (i < a.size() && a[i] == '0') ++i;
    while (j < b.size() && b[j] == '0') ++j;
    const std::size_t a_start = i, b_start = j;
    while (i < a.size() && is_digit(a[i])) ++i;
    while (j < b.size() && is_digit(b[j])) ++j;
    // Without leading zeros, a longer run is a larger number; runs of one length compare as text.
    if (i - a_start != j - b_start) return i - a_start < j - b_start ? -1 : 1;
    const int order = a.substr(a_start, i - a_start).compare(b.substr(b_start, j - b_start));
    return order < 0 ? -1 : (order > 0 ? 1 : 0);
}

int compare_folded(std::string_view a, std::string_view b)
{
    std::size_t i = 0, j = 0;
    while (i < a.size() && j < b.size()) {
        if (is_digit(a[i]) && is_digit(b[j])) {
            if (const int order = compare_digit_runs(a, i, b, j); order != 0) return order;
            continue;
        }
        const char x = folded(a[i]), y = folded(b[j]);
        if (x != y) return static_cast<unsigned char>(x) < static_cast<unsigned char>(y) ? -1 : 1;
        ++i;
        ++j;
    }
    if (i < a.size()) return 1;
    if (j < b.size()) return -1;
    return 0;
}

}  // namespace

bool file_manager_less(std::string_view a, std::string_view b)
{
    const int order = compare_folded(a, b);
    return order != 0 ? order < 0 : a < b;
}

std::vector<std::string> list_folder_photos(const std::string& folder)
{
    std::vector<std::string> names;
    std::error_code error;
    std::filesystem::directory_iterator entries(folder.empty() ? "." : folder, error);
    if (error) return names;
    for (const std::filesystem::directory_entry& entry : entries) {
        const std::string name = entry.path().filename().string();
        if (!has_photo_extension(name)) continue;
        // A link counts as what it leads to; one that leads nowhere is no photo.
        std::error_code status_error;
        if (!entry.is_regular_file(status_error)) continue;
        names.push_back(name);
    }
    std::sort(names.begin(), names.end(), file_manager_less);
    return names;
}

std::optional<std::size_t> folder_step_target(const std::vector<std::string>& names,
                                              const std::string& current, FolderStep step)
{
    if (names.empty()) return std::nullopt;
    switch (step) {
        case FolderStep::first:
            return 0;
        case FolderStep::last:
            return names.size() - 1;
        case FolderStep::next: {
            const auto after = std::upper_bound(names.begin(), names.end(), current, file_manager_less);
            if (after == names.end()) return std::nullopt;
            return static_cast<std::size_t>(after - names.begin());
        }
        case FolderStep::previous: {
            const auto at = std::lower_bound(names.begin(), names.end(), current, file_manager_less);
            if (at == names.begin()) return std::nullopt;
            return static_cast<std::size_t>(at - names.begin()) - 1;
        }
    }
    return std::nullopt;
}

std::optional<std::size_t> folder_position(const std::vector<std::string>& names, const std::string& name)
{
    const auto at = std::lower_bound(names.begin(), names.end(), name, file_manager_less);
    if (at == names.end() || *at != name) return std::nullopt;
    return static_cast<std::size_t>(at - names.begin());
}
