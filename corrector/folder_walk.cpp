#include "corrector/folder_walk.h"

#include <sys/stat.h>

#include <cerrno>
#include <vector>

namespace {

std::string folder_of(const std::string& path)
{
    const std::size_t slash = path.find_last_of('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

bool is_gone(const std::string& path)
{
    struct stat info {};
    return ::stat(path.c_str(), &info) != 0 && errno == ENOENT;
}

bool travels_forward(FolderStep step)
{
    return step == FolderStep::next || step == FolderStep::first;
}

}  // namespace

std::string FolderWalk::path_of(const std::string& name) const
{
    return folder_ == "/" ? "/" + name : folder_ + "/" + name;
}

void FolderWalk::follow_shown_photo()
{
    const std::string& shown = corrector_.shown_path();
    if (shown == followed_path_) return;
    followed_path_ = shown;
    if (shown.empty()) return;
    folder_ = folder_of(shown);
    position_ = file_name_part(shown);
    forward_ = true;
    const std::vector<std::string> names = list_folder_photos(folder_);
    count_position(names);
    read_ahead_from(names);
}

void FolderWalk::stand_at(const std::string& path)
{
    if (folder_of(path) != folder_) return;
    position_ = file_name_part(path);
    count_position(list_folder_photos(folder_));
}

std::optional<std::string> FolderWalk::target(FolderStep step) const
{
    if (folder_.empty()) return std::nullopt;
    return target_in(list_folder_photos(folder_), step);
}

std::optional<std::string> FolderWalk::target_in(const std::vector<std::string>& names, FolderStep step) const
{
    const std::optional<std::size_t> index = folder_step_target(names, position_, step);
    if (!index) return std::nullopt;
    return path_of(names[*index]);
}

FolderWalk::Outcome FolderWalk::step(FolderStep step)
{
    if (folder_.empty()) return Outcome::no_folder;
    forward_ = travels_forward(step);
    // A photo gone between the listing and the open is passed over; the folder cannot
    // lose photos forever, but a bound keeps a folder that keeps changing from holding the step.
    for (int attempt = 0; attempt < 1000; ++attempt) {
        // One listing serves the step, the position and the photo read ahead after it.
        const std::vector<std::string> names = list_folder_photos(folder_);
        const std::optional<std::string> path = target_in(names, step);
        if (!path) return attempt == 0 ? Outcome::at_end : Outcome::failed;
        position_ = file_name_part(*path);
        count_position(names);
        std::unique_ptr<PreparedPhoto> photo = read_ahead_.take(*path);
        if (!photo) {
            // Not read ahead (or changed since): read now, and still keep the photo left.
            photo = std::make_unique<PreparedPhoto>();
            prepare_photo(*path, *photo, MeasureOn::row_pool);
        }
        read_ahead_.hold_left(corrector_.open_prepared_photo(std::move(photo)));
        if (corrector_.shown_path() == *path && corrector_.load_outcome.reason == LoadFailureReason::None) {
            followed_path_ = *path;
            read_ahead_from(names);
            return Outcome::opened;
        }
        if (!is_gone(*path)) {
            read_ahead_from(names);
            return Outcome::failed;
        }
        // From the gone photo's place on, in the direction of travel.
        if (step == FolderStep::first) step = FolderStep::next;
        if (step == FolderStep::last) step = FolderStep::previous;
    }
    return Outcome::failed;
}

void FolderWalk::read_ahead_from(const std::vector<std::string>& names)
{
    const std::optional<std::string> next =
        target_in(names, forward_ ? FolderStep::next : FolderStep::previous);
    read_ahead_.read(next.value_or(std::string()));
}

void FolderWalk::count_position(const std::vector<std::string>& names)
{
    position_text_.clear();
    if (folder_.empty()) return;
    const std::optional<std::size_t> index = folder_position(names, position_);
    if (index) position_text_ = std::to_string(*index + 1) + " / " + std::to_string(names.size());
}
