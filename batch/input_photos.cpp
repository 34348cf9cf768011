#include "batch/input_photos.h"

#include <algorithm>
#include <filesystem>
#include <istream>
#include <set>

#include "batch/file_identity.h"
#include "photo_files/file_names.h"

namespace fs = std::filesystem;

namespace {

class PhotoList {
public:
    PhotoList(const FolderListingRules& rules, const std::atomic<bool>* stop) : rules_(rules), stop_(stop) {}

    bool stopped() const { return stop_ != nullptr && stop_->load(); }

    void add_named(const std::string& path)
    {
        std::error_code error;
        if (fs::is_directory(path, error)) {
            add_folder(path);
            return;
        }
        const fs::path normal = fs::path(path).lexically_normal();
        const bool stays_below = normal.is_relative() && !normal.empty() && *normal.begin() != "..";
        add({path, (stays_below ? normal : normal.filename()).string(), {}});
    }

    void add_problem(std::string problem) { photos_.push_back({"-", {}, std::move(problem)}); }

    std::vector<InputPhoto> take() { return std::move(photos_); }

private:
    void add_folder(const fs::path& folder)
    {
        std::vector<fs::path> found;
        std::vector<InputPhoto> unlisted;
        list_folder(folder, found, unlisted);
        std::sort(found.begin(), found.end());
        for (const fs::path& path : found) {
            if (stopped()) return;
            add({path.string(), path.lexically_relative(folder).string(), {}});
        }
        for (InputPhoto& problem : unlisted) photos_.push_back(std::move(problem));
    }

    // Links to folders are not followed, so a link loop cannot make the listing endless.
    void list_folder(const fs::path& folder, std::vector<fs::path>& found, std::vector<InputPhoto>& unlisted)
    {
        std::error_code error;
        fs::directory_iterator entries(folder, error);
        std::vector<fs::path> subfolders;
        for (; !error && entries != fs::directory_iterator(); entries.increment(error)) {
            if (stopped()) return;
            const fs::path& path = entries->path();
            std::error_code ignored;
            if (entries->is_directory(ignored)) {
                const bool skipped =
                    entries->is_symlink(ignored) ||
                    (rules_.output_folder && fs::equivalent(path, *rules_.output_folder, ignored));
                if (!skipped) subfolders.push_back(path);
                continue;
            }
            const std::string name = path.filename().string();
            if (has_photo_extension(name) && !name.ends_with(rules_.output_ending)) found.push_back(path);
        }
        if (error) unlisted.push_back({folder.string(), {}, "cannot list: " + error.message()});
        std::sort(subfolders.begin(), subfolders.end());
        for (const fs::path& subfolder : subfolders) list_folder(subfolder, found, unlisted);
    }

    void add(InputPhoto photo)
    {
        if (seen_.insert(file_identity(photo.path)).second) photos_.push_back(std::move(photo));
    }

    const FolderListingRules& rules_;
    const std::atomic<bool>* stop_;
    std::vector<InputPhoto> photos_;
    std::set<std::string> seen_;
};

}  // namespace

std::vector<InputPhoto> find_input_photos(std::span<const std::string> inputs, std::istream& standard_input,
                                          char delimiter, const FolderListingRules& rules,
                                          const std::atomic<bool>* stop)
{
    PhotoList list(rules, stop);
    for (const std::string& input : inputs) {
        if (list.stopped()) break;
        if (input != "-") {
            list.add_named(input);
            continue;
        }
        std::string line;
        while (!list.stopped() && std::getline(standard_input, line, delimiter)) {
            if (delimiter == '\n' && line.find('\0') != std::string::npos) {
                list.add_problem(
                    "the list on standard input holds NUL bytes (a NUL-separated list needs -0)");
                break;
            }
            // A list written on Windows ends its lines in CR LF.
            if (delimiter == '\n' && line.ends_with('\r')) line.pop_back();
            if (!line.empty()) list.add_named(line);
        }
    }
    return list.take();
}
