#pragma once

#include <optional>
#include <string>
#include <vector>

#include "batch/input_photos.h"

/// Where a batch writes its outputs.
struct OutputRule {
    std::optional<std::string> folder;      // into this folder, or beside each input when none
    std::string ending = "_corrected.jpg";  // beside the input: replaces its extension
};

/// One photo to correct and the file to save it to.
struct PhotoJob {
    std::string input;
    std::string output;
    std::string problem;  // why the job must fail without being tried; empty when it can run
};

/// The output for `photo`: beside it, its name without the extension followed by
/// the rule's ending; in the rule's folder, its kept path unchanged, but for a HEIF
/// photo's extension, which becomes ".jpg".
std::string output_path_for(const InputPhoto& photo, const OutputRule& rule);

/// One job per photo, in order. A job whose output is one of the inputs (however its path
/// reaches it: file_identity), and every job of a group that would write one file, gets a
/// problem instead, so no input is ever overwritten and no two jobs race for one file.
std::vector<PhotoJob> plan_photo_jobs(const std::vector<InputPhoto>& photos, const OutputRule& rule);
