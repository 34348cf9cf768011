#include "batch/correct_photo.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstring>
#include <exception>
#include <filesystem>

#include "photo_files/jpeg_photo.h"
#include "photo_files/load_outcome.h"

namespace {

CorrectedPhoto failed(std::string reason)
{
    return {{PhotoOutcome::Result::failed, std::move(reason)}, nullptr};
}

// Only an output that is there is skipped; a path that cannot be examined is no reason to think so.
std::optional<CorrectedPhoto> check_output(const std::string& output, bool overwrite)
{
    struct stat info {};
    if (::lstat(output.c_str(), &info) != 0) {
        if (errno == ENOENT) return std::nullopt;
        return failed("cannot check " + output + ": " + std::strerror(errno));
    }
    if (S_ISDIR(info.st_mode)) return failed(output + " is a folder");
    if (!overwrite) return CorrectedPhoto{{PhotoOutcome::Result::skipped, output + " exists"}, nullptr};
    if (S_ISLNK(info.st_mode)) return failed(output + " is a symbolic link; nothing is written through it");
    return std::nullopt;
}

std::unique_ptr<AtomicFileWriter> write_corrected_photo(const PhotoCorrector& corrector,
                                                        const std::string& path, bool overwrite)
{
    return write_photo_uncommitted(corrector.photo_to_save(), path, corrector.org_metadata,
                                   corrector.curves_on_save(),
                                   overwrite ? ExistingFile::replace_but_not_links : ExistingFile::keep);
}

}  // namespace

CorrectedPhoto correct_photo(PhotoCorrector& corrector, const PhotoJob& job, const CorrectionSteps& steps,
                             const std::atomic<bool>& stop)
{
    if (!job.problem.empty()) return failed(job.problem);
    if (auto ended = check_output(job.output, steps.overwrite)) return std::move(*ended);
    CorrectedPhoto interrupted{{PhotoOutcome::Result::interrupted, {}}, nullptr};
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
        CorrectedPhoto written;
        written.file = write_corrected_photo(corrector, job.output, steps.overwrite);
        written.outcome.result = PhotoOutcome::Result::corrected;
        written.outcome.reason = early_end_text(corrector.load_outcome);
        written.outcome.data_ended_early = corrector.load_outcome.data_ends_early;
        return written;
    } catch (const EFileExists& e) {
        return {{PhotoOutcome::Result::skipped, e.what()}, nullptr};
    } catch (const std::bad_alloc&) {
        return failed("not enough memory");
    } catch (const std::exception& e) {
        // The engine's storage failures say which photo size could not be had.
        return failed(e.what());
    }
}
