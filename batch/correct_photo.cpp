#include "batch/correct_photo.h"

#include <exception>
#include <filesystem>

#include "photo_files/file_names.h"
#include "photo_files/load_outcome.h"

namespace {

PhotoOutcome failed(std::string reason)
{
    return {PhotoOutcome::Result::failed, std::move(reason)};
}

}  // namespace

PhotoOutcome correct_photo(PhotoCorrector& corrector, const PhotoJob& job, const CorrectionSteps& steps,
                           const std::atomic<bool>& stop)
{
    if (!job.problem.empty()) return failed(job.problem);
    if (!steps.overwrite && file_exists(job.output))
        return {PhotoOutcome::Result::skipped, job.output + " exists"};
    const PhotoOutcome interrupted{PhotoOutcome::Result::interrupted, {}};
    try {
        if (stop) return interrupted;
        corrector.open_photo(job.input);
        // A failed open leaves the photo opened before it in place, as the window shows it.
        if (corrector.load_outcome.reason != LoadFailureReason::None || !corrector.photo_loaded)
            return failed(load_failure_text(corrector.load_outcome));
        if (stop) return interrupted;
        press_buttons(corrector, steps.presses);

        const std::filesystem::path folder = std::filesystem::path(job.output).parent_path();
        std::error_code error;
        if (!folder.empty() && !std::filesystem::is_directory(folder, error)) {
            std::filesystem::create_directories(folder, error);
            if (error) return failed("cannot create the folder " + folder.string() + ": " + error.message());
        }
        if (stop) return interrupted;
        corrector.save_photo(job.output);
    } catch (const std::bad_alloc&) {
        return failed("not enough memory");
    } catch (const std::exception& e) {
        return failed(e.what());
    }
    return {PhotoOutcome::Result::corrected, {}};
}
