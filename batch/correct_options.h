#pragma once

#include <optional>
#include <span>
#include <string>
#include <vector>

#include "corrector/button_presses.h"

/// What `mallet correct` was asked to do, as its command line says it.
struct CorrectOptions {
    std::vector<ButtonPress> presses;          // replayed after opening, in the order given
    std::optional<std::string> output_folder;  // -o DIR: outputs go there, else beside each input
    std::string ending = "_corrected.jpg";     // what replaces an input's extension beside it
    bool overwrite = false;
    int jobs = 0;  // 0: one per processor the process may run on
    bool quiet = false;
    char list_delimiter = '\n';       // of the paths read from standard input ("-"); -0 makes it NUL
    std::vector<std::string> inputs;  // photos, folders and "-", in the order given
};

/// A parsed command line: the options to run with, a request for the help text,
/// or a usage error with its message.
struct MalletCommand {
    enum class Kind { correct, help, usage_error };
    Kind kind = Kind::usage_error;
    CorrectOptions options;
    std::string error;
};

/// Parses the arguments after the program's name.
MalletCommand parse_mallet_arguments(std::span<const std::string> arguments);

/// The synopsis, printed with every usage error.
extern const char* const kMalletUsage;

/// The whole --help text.
extern const char* const kMalletHelp;
