#include "batch/photo_jobs.h"

#include <filesystem>
#include <map>

namespace fs = std::filesystem;

namespace {

// One name per file, however the path spells it, as far as the file system can tell without it existing.
std::string identity_of(const std::string& path)
{
    std::error_code error;
    const fs::path canonical = fs::weakly_canonical(path, error);
    return error ? fs::absolute(path, error).lexically_normal().string() : canonical.string();
}

}  // namespace

std::string output_path_for(const InputPhoto& photo, const OutputRule& rule)
{
    if (rule.folder) return (fs::path(*rule.folder) / photo.kept_path).string();
    const fs::path input(photo.path);
    return (input.parent_path() / (input.stem().string() + rule.ending)).string();
}

std::vector<PhotoJob> plan_photo_jobs(const std::vector<InputPhoto>& photos, const OutputRule& rule)
{
    std::map<std::string, std::string> input_by_identity;
    for (const InputPhoto& photo : photos) input_by_identity.emplace(identity_of(photo.path), photo.path);

    std::map<std::string, std::string> writer_by_identity;
    std::vector<PhotoJob> jobs;
    jobs.reserve(photos.size());
    for (const InputPhoto& photo : photos) {
        PhotoJob job{photo.path, output_path_for(photo, rule), photo.problem};
        if (job.problem.empty()) {
            const std::string output = identity_of(job.output);
            if (const auto input = input_by_identity.find(output); input != input_by_identity.end())
                job.problem = "its output " + job.output + " is an input photo (" + input->second + ")";
            else if (const auto [writer, added] = writer_by_identity.emplace(output, photo.path); !added)
                job.problem = "its output " + job.output + " is written for " + writer->second + " already";
        }
        jobs.push_back(std::move(job));
    }
    return jobs;
}
