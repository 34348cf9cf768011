#include "batch/batch_report.h"

#include <algorithm>
#include <cmath>

namespace {

std::string format(const char* pattern, double value)
{
    char text[64];
    std::snprintf(text, sizeof text, pattern, value);
    return text;
}

std::string duration(double seconds)
{
    const auto total = static_cast<long long>(std::llround(seconds));
    char text[32];
    if (total >= 3600)
        std::snprintf(text, sizeof text, "%lld:%02lld:%02lld", total / 3600, total / 60 % 60, total % 60);
    else
        std::snprintf(text, sizeof text, "%lld:%02lld", total / 60, total % 60);
    return text;
}

void put_line(std::FILE* stream, const std::string& line)
{
    std::fputs(line.c_str(), stream);
    std::fputc('\n', stream);
    // Readers of a pipe (a test, a script) see each photo as it finishes.
    std::fflush(stream);
}

}  // namespace

std::string photo_line(const PhotoJob& job, const PhotoOutcome& outcome)
{
    switch (outcome.result) {
        case PhotoOutcome::Result::corrected:
            return "ok " + job.input + " -> " + job.output;
        case PhotoOutcome::Result::skipped:
            return "skipped " + job.input + ": " + outcome.reason;
        case PhotoOutcome::Result::interrupted:
            return "interrupted " + job.input;
        case PhotoOutcome::Result::failed:
            break;
    }
    return "failed " + job.input + ": " + outcome.reason;
}

std::string progress_line(const BatchCounts& counts, double seconds, int width)
{
    const std::size_t done = counts.done();
    const bool measured = done > 0 && seconds > 0;
    const double rate = measured ? static_cast<double>(done) / seconds : 0;
    const std::string figures =
        std::to_string(done) + "/" + std::to_string(counts.total) + "  " +
        (measured ? format(rate < 10 ? "%.1f" : "%.0f", rate) : std::string("--")) + " photos/s  " +
        (measured ? duration(static_cast<double>(counts.total - done) / rate) : std::string("--:--")) +
        " left";
    const int room = width - static_cast<int>(figures.size()) - 3;
    if (room < 10) return figures.substr(0, static_cast<std::size_t>(std::max(width, 0)));
    const int filled = counts.total == 0 ? room : static_cast<int>(room * done / counts.total);
    // Appended piece by piece: g++ 12 at -O3 warns falsely (-Wrestrict) about "[" + string.
    std::string line = "[";
    line.append(static_cast<std::size_t>(filled), '#').append(static_cast<std::size_t>(room - filled), '.');
    return line.append("] ").append(figures);
}

std::string summary_line(const BatchCounts& counts, double seconds, bool interrupted)
{
    if (counts.total == 0) return "mallet: no photos found";
    std::string line = "mallet: ";
    if (interrupted) line += "interrupted after " + std::to_string(counts.done()) + " of ";
    line += std::to_string(counts.total) + (counts.total == 1 ? " photo" : " photos") + " in " +
            format("%.1f", seconds) + " s";
    if (!interrupted && seconds > 0)
        line += format(" (%.2f photos/s)", static_cast<double>(counts.total) / seconds);
    line += ": " + std::to_string(counts.corrected) + " corrected, " + std::to_string(counts.skipped) +
            " skipped, " + std::to_string(counts.failed) + " failed";
    if (interrupted) line += ", " + std::to_string(counts.total - counts.done()) + " not done";
    return line;
}

BatchReport::BatchReport(const ReportStreams& streams, std::size_t total) : streams_(streams)
{
    counts_.total = total;
    const std::lock_guard lock(mutex_);
    draw_bar(true);
}

double BatchReport::seconds() const
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count();
}

void BatchReport::photo_finished(const PhotoJob& job, const PhotoOutcome& outcome)
{
    const std::lock_guard lock(mutex_);
    switch (outcome.result) {
        case PhotoOutcome::Result::corrected:
            ++counts_.corrected;
            break;
        case PhotoOutcome::Result::skipped:
            ++counts_.skipped;
            break;
        case PhotoOutcome::Result::failed:
            ++counts_.failed;
            break;
        case PhotoOutcome::Result::interrupted:
            return;  // counted as not done; no line, the summary says it
    }
    const std::string line = photo_line(job, outcome);
    if (streams_.photo_lines) put_line(streams_.photo_lines, line);
    if (streams_.failure_lines && outcome.result == PhotoOutcome::Result::failed) {
        if (streams_.bar) std::fputs("\r\033[K", streams_.bar);
        put_line(streams_.failure_lines, line);
        draw_bar(true);
    }
    draw_bar(counts_.done() == counts_.total);
}

void BatchReport::waiting()
{
    const std::lock_guard lock(mutex_);
    draw_bar(false);
}

void BatchReport::draw_bar(bool force)
{
    if (!streams_.bar) return;
    const auto now = std::chrono::steady_clock::now();
    if (!force && now - last_draw_ < std::chrono::milliseconds(100)) return;
    last_draw_ = now;
    // The last column stays free: writing it makes some terminals wrap at once.
    std::fputs(("\r\033[K" + progress_line(counts_, seconds(), streams_.bar_width - 1)).c_str(),
               streams_.bar);
    std::fflush(streams_.bar);
}

void BatchReport::end(bool interrupted)
{
    const std::lock_guard lock(mutex_);
    if (streams_.bar) std::fputs("\r\033[K", streams_.bar);
    if (streams_.summary) put_line(streams_.summary, summary_line(counts_, seconds(), interrupted));
    if (streams_.bar) std::fflush(streams_.bar);
}

BatchCounts BatchReport::counts() const
{
    const std::lock_guard lock(mutex_);
    return counts_;
}
