// mallet: the window program's correction for whole folders, from the command line.

#include <signal.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <atomic>
#include <iostream>
#include <string>
#include <vector>

#include "batch/mallet_command.h"

namespace {

std::atomic<bool> stop_requested{false};
std::atomic<int> stop_signal{0};
static_assert(std::atomic<bool>::is_always_lock_free && std::atomic<int>::is_always_lock_free,
              "the signal handler may only touch lock-free atomics");

void request_stop(int signal_number)
{
    stop_signal = signal_number;
    stop_requested = true;
}

int terminal_width(int fd)
{
    winsize size{};
    return ioctl(fd, TIOCGWINSZ, &size) == 0 && size.ws_col > 0 ? size.ws_col : 80;
}

}  // namespace

int main(int argc, char** argv)
{
    // The workers see the flag between the steps of a photo and finish a save already under way,
    // so an interrupted run leaves no partial file and can still print its summary.
    struct sigaction action {};
    action.sa_handler = request_stop;
    // No SA_RESTART: a Ctrl+C while the list of paths is still being read ends that read.
    action.sa_flags = 0;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
    // A closed reader of the photo lines must not kill the run in the middle of a save.
    signal(SIGPIPE, SIG_IGN);

    const std::vector<std::string> arguments(argv + 1, argv + argc);
    const MalletConsole console{std::cin,
                                stdout,
                                stderr,
                                isatty(STDOUT_FILENO) == 1,
                                isatty(STDERR_FILENO) == 1,
                                terminal_width(STDERR_FILENO)};
    const int status = run_mallet(arguments, console, stop_requested);
    return status == kMalletInterrupted ? 128 + stop_signal : status;
}
