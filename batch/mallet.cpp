// mallet: the window program's correction for whole folders, from the command line.

#include <fcntl.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <iostream>
#include <string>
#include <vector>

#include "batch/mallet_command.h"

namespace {

std::atomic<bool> stop_requested{false};
std::atomic<int> stop_signal{0};
std::atomic<int> errors_width{80};
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

void follow_terminal_size(int)
{
    const int saved_errno = errno;
    errors_width = terminal_width(STDERR_FILENO);
    errno = saved_errno;
}

// A standard stream closed at the start would hand its number to the first file opened, and the
// report would be written into a photo: it gets /dev/null instead. True when it was closed.
bool fill_if_closed(int fd, int flags)
{
    if (fcntl(fd, F_GETFD) != -1 || errno != EBADF) return false;
    const int null = ::open("/dev/null", flags | O_CLOEXEC);
    if (null >= 0 && null != fd) {
        ::dup2(null, fd);
        ::close(null);
    }
    return true;
}

bool is_pipe(int fd)
{
    struct stat info {};
    return fstat(fd, &info) == 0 && (S_ISFIFO(info.st_mode) || S_ISSOCK(info.st_mode));
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
    // A closed terminal stops the run as SIGTERM does.
    for (const int signal_number : {SIGINT, SIGTERM, SIGHUP}) sigaction(signal_number, &action, nullptr);
    // A closed reader of the photo lines must not kill the run in the middle of a save: the
    // failed write stops the run instead (kMalletReaderGone).
    signal(SIGPIPE, SIG_IGN);
    struct sigaction resize {};
    resize.sa_handler = follow_terminal_size;
    resize.sa_flags = SA_RESTART;
    sigemptyset(&resize.sa_mask);
    sigaction(SIGWINCH, &resize, nullptr);

    fill_if_closed(STDIN_FILENO, O_RDONLY);
    const bool output_closed = fill_if_closed(STDOUT_FILENO, O_WRONLY);
    fill_if_closed(STDERR_FILENO, O_WRONLY);

    const std::vector<std::string> arguments(argv + 1, argv + argc);
    errors_width = terminal_width(STDERR_FILENO);
    const MalletConsole console{std::cin,
                                stdout,
                                stderr,
                                isatty(STDOUT_FILENO) == 1,
                                is_pipe(STDOUT_FILENO),
                                isatty(STDERR_FILENO) == 1,
                                output_closed,
                                errors_width,
                                &errors_width};
    const int status = run_mallet(arguments, console, stop_requested);
    return status == kMalletInterrupted ? 128 + stop_signal : status;
}
