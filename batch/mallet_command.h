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
    bool errors_is_terminal = false;  // the progress bar is drawn only then
    int terminal_width = 80;
};

/// Exit status of a run that `stop` ended before its photos were all done.
inline constexpr int kMalletInterrupted = 130;

/// Runs `mallet` with the arguments after the program's name and returns its exit
/// status: 0 when every photo was corrected or skipped, 1 when some failed, 2 for a
/// usage error (with the usage on the error stream; --help prints the help on the
/// output and gives 0), kMalletInterrupted once `stop` was set.
int run_mallet(std::span<const std::string> arguments, const MalletConsole& console,
               const std::atomic<bool>& stop);
