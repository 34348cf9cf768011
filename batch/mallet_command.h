#pragma once

#include <atomic>
#include <cstdio>
#include <iosfwd>
#include <span>
#include <string>

/// The streams a run of mallet reads and writes, and whether they are terminals.
struct MalletConsole {
    std::istream& input;
    std::FILE* output = stdout;
    std::FILE* errors = stderr;
    bool output_is_terminal = false;
    // A pipe's reader may print to the terminal the progress bar is drawn on, so no bar then.
    bool output_is_pipe = false;
    bool errors_is_terminal = false;  // the progress bar is drawn only then
    bool output_closed = false;       // standard output was closed when the program started
    int terminal_width = 80;
    const std::atomic<int>* live_terminal_width = nullptr;  // followed as the terminal changes size
};

/// Exit status of a run that `stop` ended before its photos were all done.
inline constexpr int kMalletInterrupted = 130;
/// Exit status of a run whose report lost its reader (128 + SIGPIPE, as the shell shows a pipe's end).
inline constexpr int kMalletReaderGone = 141;

/// Runs `mallet` with the arguments after the program's name and returns its exit
/// status: 0 when every photo was corrected or skipped, 1 when some failed, 2 for a
/// usage error (with the usage on the error stream; --help prints the help on the
/// output and gives 0), kMalletInterrupted once `stop` was set. A report that cannot be
/// written sets `stop` and gives 1 (kMalletReaderGone when its reader went away).
int run_mallet(std::span<const std::string> arguments, const MalletConsole& console, std::atomic<bool>& stop);
