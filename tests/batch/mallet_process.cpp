#include "tests/batch/mallet_process.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <iterator>
#include <thread>

namespace fs = std::filesystem;

namespace {

std::string text_of(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

}  // namespace

MalletProcess::MalletProcess(const fs::path& folder, const std::vector<std::string>& arguments,
                             const MalletStart& start)
    : output_file_(folder.string() + ".output"), error_file_(folder.string() + ".errors")
{
    // Beside the folder, so the files it holds are only mallet's.
    const fs::path input_file = folder.string() + ".input";
    // A test may have made it a pipe that it keeps open.
    if (!fs::is_fifo(input_file)) std::ofstream(input_file, std::ios::binary) << start.standard_input;
    std::vector<std::string> argv_strings{MALLET};
    argv_strings.insert(argv_strings.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& argument : argv_strings) argv.push_back(argument.data());
    argv.push_back(nullptr);

    pid_ = ::fork();
    if (pid_ == 0) {
        auto stream = [](int given, const fs::path& own) {
            return given == MalletStart::kOwnFile ? ::open(own.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644)
                                                  : given;
        };
        const int in = ::open(input_file.c_str(), O_RDONLY);
        const int out = stream(start.output, output_file_);
        const int err = stream(start.errors, error_file_);
        if (in < 0 || out == -1 || err == -1 || ::chdir(folder.c_str()) != 0) ::_exit(127);
        if (start.as_nobody && ::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0))
            ::_exit(127);
        if (start.in_child && !start.in_child()) ::_exit(126);
        ::dup2(in, 0);
        for (const auto& [fd, target] : {std::pair{out, 1}, std::pair{err, 2}}) {
            if (fd == MalletStart::kClosedStream)
                ::close(target);
            else
                ::dup2(fd, target);
        }
        ::execv(MALLET, argv.data());
        ::_exit(127);
    }
}

MalletProcess::~MalletProcess()
{
    if (pid_ > 0) {
        ::kill(pid_, SIGKILL);
        ::waitpid(pid_, nullptr, 0);
    }
}

bool MalletProcess::wait_for_output(const std::string& text) const
{
    const auto give_up = std::chrono::steady_clock::now() + std::chrono::minutes(1);
    while (output().find(text) == std::string::npos) {
        if (std::chrono::steady_clock::now() > give_up) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return true;
}

void MalletProcess::send_signal(int signal_number) const
{
    ::kill(pid_, signal_number);
}

int MalletProcess::wait()
{
    // A run that hangs fails its test instead of holding up the whole suite.
    const auto give_up = std::chrono::steady_clock::now() + std::chrono::minutes(2);
    int status = 0;
    while (::waitpid(pid_, &status, WNOHANG) == 0) {
        if (std::chrono::steady_clock::now() > give_up) ::kill(pid_, SIGKILL);
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    pid_ = -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string MalletProcess::output() const
{
    return text_of(output_file_);
}
std::string MalletProcess::errors() const
{
    return text_of(error_file_);
}

int run_mallet(const fs::path& folder, const std::vector<std::string>& arguments, std::string* output,
               std::string* errors, const std::string& standard_input)
{
    MalletProcess process(folder, arguments, {.standard_input = standard_input});
    const int status = process.wait();
    if (output) *output = process.output();
    if (errors) *errors = process.errors();
    return status;
}
