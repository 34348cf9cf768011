#pragma once

#include <atomic>
#include <iosfwd>
#include <optional>
#include <span>
#include <string>
#include <vector>

/// One photo a batch is asked to correct.
struct InputPhoto {
    std::string path;       // to open: as named, or FOLDER/... for one found in a folder
    std::string kept_path;  // the part of `path` that an output folder keeps (relative)
    std::string problem;    // why it cannot even be tried (a folder that cannot be listed); empty if none
};

/// What listing a folder leaves out, so that running a batch again over the same
/// folder does not take the last run's outputs for photos.
struct FolderListingRules {
    std::string output_ending;                 // files whose name ends so are outputs
    std::optional<std::string> output_folder;  // never listed, wherever it lies
};

/// Every photo that `inputs` name, in a stable order, each once: an argument that
/// is a folder gives its .jpg and .jpeg files (any case) and those of its subfolders
/// sorted by path, "-" gives the paths read from `standard_input` (ended by
/// `delimiter`; empty ones ignored; folders among them listed too), and any other
/// argument is taken as a photo, whether or not it exists, so that opening it
/// reports what is wrong with it. A photo found in a folder keeps its path below
/// that folder; one named directly keeps its relative path unless that climbs out
/// of the current folder, and else only its name. Once `stop` is set the listing ends
/// where it is and gives what it found so far, so Ctrl+C is heard in a huge folder too.
std::vector<InputPhoto> find_input_photos(std::span<const std::string> inputs, std::istream& standard_input,
                                          char delimiter, const FolderListingRules& rules,
                                          const std::atomic<bool>* stop = nullptr);
