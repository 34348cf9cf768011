#include "batch/input_photos.h"

#include <algorithm>
#include <filesystem>
#include <istream>
#include <set>

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

    std::vector<InputPhoto> take() { return std::move(photos_); }

private:
    void add_folder(const fs::path& folder)
    {
        std::vector<fs::path> found;
        std::error_code error;
        fs::recursive_directory_iterator entries(folder, fs::directory_options::skip_permission_denied,
                                                 error);
        for (; !error && entries != fs::recursive_directory_iterator(); entries.increment(error)) {
            if (stopped()) return;
            const fs::path& path = entries->path();
            std::error_code ignored;
            if (entries->is_directory(ignored)) {
                if (rules_.output_folder && fs::equivalent(path, *rules_.output_folder, ignored))
                    entries.disable_recursion_pending();
                continue;
            }
            const std::string name = path.filename().string();
            if (has_jpeg_extension(name) && !name.ends_with(rules_.output_ending)) found.push_back(path);
        }
        if (error) {
            add({folder.string(), folder.filename().string(), "cannot list the folder: " + error.message()});
            return;
        }
        std::sort(found.begin(), found.end());
        for (const fs::path& path : found) {
            if (stopped()) return;
            add({path.string(), path.lexically_relative(folder).string(), {}});
        }
    }

    void add(InputPhoto photo)
    {
        std::error_code error;
        fs::path identity = fs::weakly_canonical(photo.path, error);
        if (error) identity = fs::absolute(photo.path, error).lexically_normal();
        if (seen_.insert(identity.string()).second) photos_.push_back(std::move(photo));
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
        while (!list.stopped() && std::getline(standard_input, line, delimiter))
            if (!line.empty()) list.add_named(line);
    }
    return list.take();
}
