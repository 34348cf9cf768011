#include "batch/photo_jobs.h"

#include <filesystem>
#include <map>

#include "batch/file_identity.h"
#include "photo_files/file_names.h"

namespace fs = std::filesystem;

std::string output_path_for(const InputPhoto& photo, const OutputRule& rule)
{
    if (rule.folder) {
        // Every output is a JPEG, so a HEIF photo's keeps its name with a JPEG extension.
        fs::path kept(photo.kept_path);
        if (has_heif_extension(photo.kept_path)) kept.replace_extension(".jpg");
        return (fs::path(*rule.folder) / kept).string();
    }
    const fs::path input(photo.path);
    return (input.parent_path() / (input.stem().string() + rule.ending)).string();
}

std::vector<PhotoJob> plan_photo_jobs(const std::vector<InputPhoto>& photos, const OutputRule& rule)
{
    std::map<std::string, std::string> input_by_identity;
    for (const InputPhoto& photo : photos) input_by_identity.emplace(file_identity(photo.path), photo.path);

    std::vector<PhotoJob> jobs;
    std::vector<std::string> output_identities;
    std::map<std::string, std::vector<std::size_t>> writers_by_identity;
    jobs.reserve(photos.size());
    for (const InputPhoto& photo : photos) {
        jobs.push_back({photo.path, output_path_for(photo, rule), photo.problem});
        output_identities.push_back(file_identity(jobs.back().output));
        if (photo.problem.empty()) writers_by_identity[output_identities.back()].push_back(jobs.size() - 1);
    }
    for (std::size_t i = 0; i < jobs.size(); ++i) {
        PhotoJob& job = jobs[i];
        if (!job.problem.empty()) continue;
        if (const auto input = input_by_identity.find(output_identities[i]);
            input != input_by_identity.end()) {
            job.problem = "its output " + job.output + " is an input photo (" + input->second + ")";
            continue;
        }
        // Every photo of such a group fails, whichever came first, so a second run does the same.
        const std::vector<std::size_t>& writers = writers_by_identity[output_identities[i]];
        if (writers.size() < 2) continue;
        std::string names;
        for (std::size_t w = 0; w < writers.size(); ++w)
            names += (w == 0 ? "" : w + 1 == writers.size() ? " and " : ", ") + jobs[writers[w]].input;
        job.problem =
            names + (writers.size() == 2 ? " would both" : " would all") + " be saved as " + job.output;
    }
    return jobs;
}
