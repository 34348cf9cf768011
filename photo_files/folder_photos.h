#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

/// True when a file manager lists `a` before `b`: letters compared without regard to
/// case, and runs of digits by their value, so IMG_2 comes before IMG_10. Names that
/// compare equal so (IMG_02 and img_2) are ordered by their bytes, so the order is total.
bool file_manager_less(std::string_view a, std::string_view b);

/// The photos the program opens in `folder`: the names of its files (and of links to
/// files) that has_photo_extension accepts (JPEG, HEIF and AVIF names), in file manager order. Empty when the
/// folder cannot be listed. Subfolders are not entered.
std::vector<std::string> list_folder_photos(const std::string& folder);

/// Where a step through a folder goes.
enum class FolderStep { next, previous, first, last };

/// The index in `names` (sorted by file_manager_less) that a step from `current` reaches,
/// or nothing at either end (no wrap-around) and in an empty list. `current` need not be
/// in the list (a photo renamed or deleted meanwhile): the step goes from where its name
/// would stand.
std::optional<std::size_t> folder_step_target(const std::vector<std::string>& names,
                                              const std::string& current, FolderStep step);

/// The index of `name` in `names`, or nothing.
std::optional<std::size_t> folder_position(const std::vector<std::string>& names, const std::string& name);
