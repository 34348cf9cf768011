#include "batch/batch_report.h"

#include <algorithm>
#include <cerrno>
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

// 0, or the errno of the write that failed.
int put_line(std::FILE* stream, const std::string& line)
{
    errno = 0;
    const bool written = std::fputs(line.c_str(), stream) >= 0 && std::fputc('\n', stream) != EOF &&
                         // Readers of a pipe (a test, a script) see each photo as it finishes.
                         std::fflush(stream) == 0;
    if (written) return 0;
    std::clearerr(stream);
    return errno != 0 ? errno : EIO;
}

bool is_control(char c)
{
    return static_cast<unsigned char>(c) < 0x20 || c == 0x7F;
}

// A reason carries names too; its control characters are escaped so that it stays on its line.
std::string one_line(const std::string& text)
{
    if (std::none_of(text.begin(), text.end(), is_control)) return text;
    const std::string quoted = printable_name(text);
    return quoted.substr(2, quoted.size() - 3);
}

}  // namespace

std::string printable_name(const std::string& name)
{
    if (std::none_of(name.begin(), name.end(), is_control)) return name;
    std::string quoted = "$'";
    for (const char c : name) {
        switch (c) {
            case '\n':
                quoted += "\\n";
                break;
            case '\t':
                quoted += "\\t";
                break;
            case '\r':
                quoted += "\\r";
                break;
            case '\'':
                quoted += "\\'";
                break;
            case '\\':
                quoted += "\\\\";
                break;
            default:
                if (is_control(c)) {
                    char escape[8];
                    std::snprintf(escape, sizeof escape, "\\x%02X", static_cast<unsigned char>(c));
                    quoted += escape;
                } else {
                    quoted += c;
                }
        }
    }
    return quoted + "'";
}

std::string photo_line(const PhotoJob& job, const PhotoOutcome& outcome)
{
    const std::string input = printable_name(job.input);
    switch (outcome.result) {
        case PhotoOutcome::Result::corrected:
            return "ok " + input + " -> " + printable_name(job.output) +
                   (outcome.reason.empty() ? "" : " (" + one_line(outcome.reason) + ")");
        case PhotoOutcome::Result::skipped:
            return "skipped " + input + ": " + one_line(outcome.reason);
        case PhotoOutcome::Result::interrupted:
            return "interrupted " + input;
        case PhotoOutcome::Result::failed:
            break;
    }
    return "failed " + input + ": " + one_line(outcome.reason);
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
    if (counts.total == 0 && !interrupted) return "mallet: no photos found";
    std::string line = "mallet: ";
    if (interrupted) line += "interrupted after " + std::to_string(counts.done()) + " of ";
    line += std::to_string(counts.total) + (counts.total == 1 ? " photo" : " photos") + " in " +
            format("%.1f", seconds) + " s";
    if (!interrupted && seconds > 0)
        line += format(" (%.2f photos/s)", static_cast<double>(counts.total) / seconds);
    line += ": " + std::to_string(counts.corrected) + " corrected";
    if (counts.ended_early > 0)
        line += " (" + std::to_string(counts.ended_early) + " with data ending early)";
    line += ", " + std::to_string(counts.skipped) + " skipped, " + std::to_string(counts.failed) + " failed";
    if (interrupted) line += ", " + std::to_string(counts.total - counts.done()) + " not done";
    return line;
}

BatchReport::BatchReport(const ReportStreams& streams, std::size_t total, std::atomic<bool>* stop)
    : streams_(streams), stop_(stop)
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
            if (outcome.data_ended_early) ++counts_.ended_early;
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
    if (streams_.photo_lines) put(streams_.photo_lines, line);
    if (streams_.failure_lines && outcome.result == PhotoOutcome::Result::failed) {
        if (streams_.bar) std::fputs("\r\033[K", streams_.bar);
        put(streams_.failure_lines, line);
        draw_bar(true);
    }
    draw_bar(counts_.done() == counts_.total);
}

void BatchReport::put(std::FILE* stream, const std::string& line)
{
    const int error = put_line(stream, line);
    if (error == 0 || write_error_ != 0) return;
    write_error_ = error;
    if (stop_) *stop_ = true;
}

int BatchReport::write_error() const
{
    const std::lock_guard lock(mutex_);
    return write_error_;
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
    const int width = streams_.live_bar_width ? streams_.live_bar_width->load() : streams_.bar_width;
    // The last column stays free: writing it makes some terminals wrap at once.
    std::fputs(("\r\033[K" + progress_line(counts_, seconds(), width - 1)).c_str(), streams_.bar);
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
