#include "batch/mallet_command.h"

#include <cerrno>
#include <cstring>
#include <filesystem>

#include "batch/batch_report.h"
#include "batch/correct_options.h"
#include "batch/input_photos.h"
#include "batch/photo_jobs.h"
#include "batch/worker_pool.h"
#include "engine/available_processors.h"
#include "engine/database.h"

namespace {

int usage_error(const MalletConsole& console, const std::string& message)
{
    std::fprintf(console.errors, "mallet: %s\n%s", message.c_str(), kMalletUsage);
    return 2;
}

ReportStreams report_streams(const MalletConsole& console, bool quiet)
{
    ReportStreams streams;
    if (quiet) {
        streams.failure_lines = console.errors;
    } else if (console.errors_is_terminal && !console.output_is_pipe) {
        streams.bar = console.errors;
        streams.bar_width = console.terminal_width;
        streams.live_bar_width = console.live_terminal_width;
        streams.failure_lines = console.errors;
        if (!console.output_is_terminal) streams.photo_lines = console.output;
        streams.summary = console.errors;
    } else {
        streams.photo_lines = console.output;
        streams.summary = console.errors;
    }
    return streams;
}

// The status of a run whose report could not be written, after saying so where it still can be.
int report_lost(const MalletConsole& console, int error)
{
    std::fprintf(console.errors, "mallet: cannot write the report: %s\n", std::strerror(error));
    std::fflush(console.errors);
    return error == EPIPE ? kMalletReaderGone : 1;
}

int correct(const CorrectOptions& options, const MalletConsole& console, std::atomic<bool>& stop)
{
    const std::optional<std::string>& output_folder = options.output_folder;
    if (output_folder) {
        std::error_code error;
        if (std::filesystem::exists(*output_folder, error) &&
            !std::filesystem::is_directory(*output_folder, error))
            return usage_error(console, "-o " + *output_folder + ": not a folder");
    }

    const std::vector<InputPhoto> photos = find_input_photos(
        options.inputs, console.input, options.list_delimiter, {options.ending, output_folder}, &stop);
    const bool listing_stopped = stop;
    const std::vector<PhotoJob> jobs = plan_photo_jobs(photos, {output_folder, options.ending});

    const ReportStreams streams = report_streams(console, options.quiet);
    if (console.output_closed && streams.photo_lines == console.output) return report_lost(console, EBADF);

    fill_curve_database();
    BatchReport report(streams, jobs.size(), &stop);
    run_photo_jobs(
        jobs, {options.presses, options.overwrite}, options.jobs > 0 ? options.jobs : available_processors(),
        stop,
        [&](std::size_t job, const PhotoOutcome& outcome) { report.photo_finished(jobs[job], outcome); },
        [&] { report.waiting(); });

    // A stop that came after the last photo ended interrupted nothing.
    const bool interrupted = stop && (listing_stopped || report.counts().done() < jobs.size());
    report.end(interrupted);
    if (const int error = report.write_error()) return report_lost(console, error);
    if (interrupted) return kMalletInterrupted;
    return report.counts().failed > 0 ? 1 : 0;
}

}  // namespace

int run_mallet(std::span<const std::string> arguments, const MalletConsole& console, std::atomic<bool>& stop)
{
    const MalletCommand command = parse_mallet_arguments(arguments);
    switch (command.kind) {
        case MalletCommand::Kind::help:
            if (console.output_closed) return report_lost(console, EBADF);
            if (std::fputs(kMalletHelp, console.output) < 0 || std::fflush(console.output) != 0)
                return report_lost(console, errno);
            return 0;
        case MalletCommand::Kind::usage_error:
            return usage_error(console, command.error);
        case MalletCommand::Kind::correct:
            break;
    }
    return correct(command.options, console, stop);
}
