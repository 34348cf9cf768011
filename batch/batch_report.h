#pragma once

#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdio>
#include <mutex>
#include <string>

#include "batch/correct_photo.h"
#include "batch/photo_jobs.h"

/// How many photos of a batch ended which way so far.
struct BatchCounts {
    std::size_t total = 0;
    std::size_t corrected = 0;
    std::size_t skipped = 0;
    std::size_t failed = 0;
    std::size_t ended_early = 0;  // of the corrected: photos whose data ends early
    std::size_t done() const { return corrected + skipped + failed; }
};

/// `name` as it is when it holds no control character, otherwise quoted as $'...' with
/// every control character, quote and backslash escaped, so one name stays on one line.
std::string printable_name(const std::string& name);

/// "ok IN -> OUT", "ok IN -> OUT (what the user should know)", "skipped IN: reason" or
/// "failed IN: reason" (no newline, whatever the names and the reason hold).
std::string photo_line(const PhotoJob& job, const PhotoOutcome& outcome);

/// One terminal line of at most `width` characters: a bar when there is room, then
/// done/total, photos per second and the time left (both "--" before the first photo).
std::string progress_line(const BatchCounts& counts, double seconds, int width);

/// The line that ends a run: how many photos in how long, and how each ended.
std::string summary_line(const BatchCounts& counts, double seconds, bool interrupted);

/// Where a batch's report goes; a null stream is not written.
struct ReportStreams {
    std::FILE* photo_lines = nullptr;    // a line for every photo
    std::FILE* failure_lines = nullptr;  // the failures' lines (again), above the bar if there is one
    std::FILE* bar = nullptr;            // a progress bar redrawn in place on a terminal
    int bar_width = 80;
    const std::atomic<int>* live_bar_width = nullptr;  // when set, followed as the terminal changes size
    std::FILE* summary = nullptr;
};

/// Reports a running batch; safe to call from several threads. When a line cannot be
/// written, `stop` is set, so no photo is started that nobody would hear of.
class BatchReport {
public:
    BatchReport(const ReportStreams& streams, std::size_t total, std::atomic<bool>* stop = nullptr);
    void photo_finished(const PhotoJob& job, const PhotoOutcome& outcome);
    /// Redraws the bar when it is due (at most ten times a second).
    void waiting();
    /// Clears the bar and prints the summary.
    void end(bool interrupted);
    BatchCounts counts() const;
    /// The errno of the first line that could not be written to the photo or failure lines; 0 if none.
    int write_error() const;

private:
    void put(std::FILE* stream, const std::string& line);
    double seconds() const;
    void draw_bar(bool force);

    ReportStreams streams_;
    std::atomic<bool>* stop_;
    int write_error_ = 0;
    mutable std::mutex mutex_;
    BatchCounts counts_;
    std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
    std::chrono::steady_clock::time_point last_draw_{};
};
