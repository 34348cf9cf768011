#pragma once

#include <sys/types.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

/// How a MalletProcess starts. Its standard output and error go to files beside its folder
/// unless given a descriptor here, or kClosedStream.
struct MalletStart {
    static constexpr int kOwnFile = -1;
    static constexpr int kClosedStream = -2;
    std::string standard_input{};
    bool as_nobody = false;  // run as user 65534 when the tests run as root, who may read any folder
    int output = kOwnFile;
    int errors = kOwnFile;
    std::function<bool()> in_child{};  // run just before mallet starts; false ends the child with 126
};

/// The real `mallet` program run in `folder` (its working folder), with its
/// standard input read from `start.standard_input` and its output kept in files beside
/// the folder.
class MalletProcess {
public:
    MalletProcess(const std::filesystem::path& folder, const std::vector<std::string>& arguments,
                  const MalletStart& start = {});
    ~MalletProcess();

    /// Waits (up to a minute) until the standard output holds `text`; false if it never does.
    bool wait_for_output(const std::string& text) const;
    void send_signal(int signal_number) const;
    /// Waits for the end; the exit status, or -1 when a signal killed it (or it hung for two
    /// minutes and was killed).
    int wait();

    std::string output() const;
    std::string errors() const;

private:
    std::filesystem::path output_file_;
    std::filesystem::path error_file_;
    pid_t pid_ = -1;
};

/// Runs mallet to its end; the exit status.
int run_mallet(const std::filesystem::path& folder, const std::vector<std::string>& arguments,
               std::string* output = nullptr, std::string* errors = nullptr,
               const std::string& standard_input = "");
