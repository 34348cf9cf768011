#pragma once

#include <QStringList>
#include <optional>
#include <string>

/// What the program's command line asks for: `tn_photo_mallet [PHOTO]`, or
/// `--help` / `--version`. Read before any window or display is touched.
struct CommandLine {
    /// Set when the program ends at once: print `output` and exit with `exit_code`.
    std::optional<int> exit_code;
    std::string output;
    bool output_is_error = false;  // standard error rather than standard output
    /// The photo to open right after start-up, as the file system spells its name.
    std::optional<std::string> photo;
};

/// `arguments` as QCoreApplication::arguments() gives them, the program first.
/// An unknown option or more than one photo is a usage error: the usage on
/// standard error and exit code 2.
CommandLine read_command_line(const QStringList& arguments);

/// The arguments of main() as a list for read_command_line.
QStringList command_line_arguments(int argc, char** argv);
