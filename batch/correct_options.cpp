#include "batch/correct_options.h"

#include <charconv>
#include <string_view>

#include "photo_files/file_names.h"

const char* const kMalletUsage =
    "usage: mallet correct [--camera phone|digital] [--preset NAME]... [--lighter N] [--darker N]\n"
    "                      [--strength N] [-o DIR | --suffix TEXT] [--overwrite] [--jobs N] [--quiet] [-0]\n"
    "                      PHOTO|FOLDER|- ...\n"
    "       mallet --help\n";

const char* const kMalletHelp =
    "mallet corrects the colours of JPEG and HEIF photos from the command line, exactly as the\n"
    "window program does, on every processor at once.\n"
    "\n"
    "usage: mallet correct [OPTION]... PHOTO|FOLDER|- ...\n"
    "\n"
    "Each photo is opened, corrected automatically for the camera type its pixel count\n"
    "suggests (more than 1,300,000 pixels: digital camera, otherwise mobile phone), then\n"
    "the buttons below are pressed in the order given, and the result is saved as the\n"
    "window program saves it: the same file, byte for byte (JPEG quality 95, with the\n"
    "photo's EXIF, XMP, IPTC, comments and colour profile, the orientation set upright).\n"
    "\n"
    "Inputs:\n"
    "  PHOTO              a .jpg or .jpeg file, or a .heic, .heif, .hif or .avif file\n"
    "  FOLDER             every such file in it and its subfolders, in name order;\n"
    "                     files already named like this run's outputs are left out, and so\n"
    "                     is the -o folder\n"
    "  -                  paths read from standard input, one a line (photos or folders)\n"
    "  -0, --null         the paths on standard input end in NUL instead (find -print0)\n"
    "  --                 every argument after it is an input, even one starting with -\n"
    "\n"
    "Buttons, pressed in the order given after the automatic correction:\n"
    "  --camera phone|digital  switch the camera type (corrects anew for that type),\n"
    "                     in any case\n"
    "  --preset NAME      a scene preset, by the name on its button in any case; may be\n"
    "                     repeated: outdoors-vivid, backlight, indoors-flash,\n"
    "                     indoors-no-flash, outdoors-too-shiny, outdoors-cloudy, outdoors,\n"
    "                     indoors-mixed-light, indoors-bulb-lamp ('Indoors flash' works too)\n"
    "  --lighter N        N lighter steps (at most 6 count)\n"
    "  --darker N         N darker steps (at most 6 count)\n"
    "  --strength N       the correction at N per cent, 0 to 100 (default 100), as the\n"
    "                     window's strength slider sets it: each level moves that share\n"
    "                     of the way the correction takes it; 0 saves the photo as loaded\n"
    "\n"
    "Outputs:\n"
    "  (default)          beside each input: NAME_corrected.jpg for NAME.jpg, NAME.heic, ...\n"
    "  --suffix TEXT      beside each input: NAME followed by TEXT (\".jpg\" is added\n"
    "                     unless TEXT ends in .jpg in any case)\n"
    "  -o DIR             into DIR, under the input's own name; a photo found in a FOLDER\n"
    "                     keeps its path below that folder, a photo named by a relative\n"
    "                     path keeps that path, any other goes straight into DIR\n"
    "  --overwrite        replace outputs that exist (they are skipped otherwise); a\n"
    "                     symbolic link at an output name is never written through\n"
    "  Inputs are never replaced, whatever path reaches them. Every save is atomic: the\n"
    "  new file appears complete or not at all, and never over a file that appeared\n"
    "  meanwhile. Two photos that would write one file both fail.\n"
    "\n"
    "Running:\n"
    "  -j, --jobs N       photos corrected at once, on at most N processors in all\n"
    "                     (default: one per processor); with fewer photos than N each\n"
    "                     gets a share, and --jobs 1 keeps to one processor\n"
    "  Short options take their value attached too (-j3, -oDIR), long ones after \"=\".\n"
    "  -q, --quiet        print only failures\n"
    "  -h, --help         print this text\n"
    "\n"
    "On a terminal a progress bar shows on standard error; otherwise each photo gets a\n"
    "line on standard output as it finishes: \"ok IN -> OUT\", \"skipped IN: OUT exists\"\n"
    "or \"failed IN: reason\". A summary line ends the run on standard error.\n"
    "Ctrl+C stops taking new photos, lets the saves under way finish, prints the summary\n"
    "so far and leaves no partly written file.\n"
    "\n"
    "Exit status: 0 every photo was corrected (or skipped), 1 some failed (the others are\n"
    "done), 2 usage error, 130 interrupted by Ctrl+C (143 by SIGTERM, 129 by a closed\n"
    "terminal); 1 also when the report cannot be written (141 when its reader went away).\n"
    "\n"
    "Examples:\n"
    "  mallet correct ~/trip\n"
    "  mallet correct --preset backlight --lighter 1 -o ~/trip-corrected ~/trip\n"
    "  mallet correct --strength 60 ~/trip\n"
    "  find ~/trip -name '*.jpg' -newer ~/last-run -print0 | mallet correct -0 -\n";

namespace {

std::optional<int> job_count(std::string_view text)
{
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || value < 1 || value > 1024)
        return std::nullopt;
    return value;
}

MalletCommand usage_error(std::string message)
{
    MalletCommand command;
    command.error = std::move(message);
    return command;
}

bool takes_value(std::string_view option)
{
    return is_button_option(option) || option == "-o" || option == "--output" || option == "--suffix" ||
           option == "--jobs" || option == "-j";
}

}  // namespace

// g++ 12 in Release builds warns falsely that moving the command out may read its optional
// output folder uninitialised (the optional's flag guards it).
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#endif
MalletCommand parse_mallet_arguments(std::span<const std::string> arguments)
{
    MalletCommand command;
    if (arguments.empty()) return usage_error("no command given");
    if (arguments[0] == "--help" || arguments[0] == "-h") {
        command.kind = MalletCommand::Kind::help;
        return command;
    }
    if (arguments[0] != "correct") return usage_error("unknown command '" + arguments[0] + "'");

    CorrectOptions& options = command.options;
    bool suffix_given = false;
    bool only_inputs = false;
    for (std::size_t i = 1; i < arguments.size(); ++i) {
        std::string option = arguments[i];
        if (only_inputs || option == "-" || option.empty() || option[0] != '-') {
            options.inputs.push_back(option);
            continue;
        }
        if (option == "--") {
            only_inputs = true;
            continue;
        }
        std::optional<std::string> value;
        if (const auto equals = option.find('='); option.starts_with("--") && equals != std::string::npos) {
            value = option.substr(equals + 1);
            option.resize(equals);
        } else if (!option.starts_with("--") && option.size() > 2 && takes_value(option.substr(0, 2))) {
            // -j3, -oDIR: a short option with its value attached.
            value = option.substr(2);
            option.resize(2);
        }
        if (takes_value(option) && !value) {
            if (i + 1 == arguments.size()) return usage_error(option + " needs a value");
            value = arguments[++i];
        } else if (!takes_value(option) && value) {
            return usage_error(option + " takes no value");
        }

        if (option == "--help" || option == "-h") {
            command.kind = MalletCommand::Kind::help;
            return command;
        } else if (is_button_option(option)) {
            const std::optional<ButtonPress> press = button_press_from_option(option, *value);
            if (!press) {
                const char* wanted = option == "--preset"     ? "a preset's name (see --help)"
                                     : option == "--camera"   ? "phone or digital"
                                     : option == "--strength" ? "a number from 0 to 100"
                                                              : "a number from 0 to 1000";
                return usage_error(option + " '" + *value + "': needs " + wanted);
            }
            options.presses.push_back(*press);
        } else if (option == "-o" || option == "--output") {
            if (value->empty()) return usage_error(option + " needs a folder");
            if (options.output_folder) return usage_error(option + " given twice");
            options.output_folder = *value;
        } else if (option == "--suffix") {
            if (value->empty() || value->find('/') != std::string::npos)
                return usage_error("--suffix needs a text without \"/\"");
            if (suffix_given) return usage_error("--suffix given twice");
            options.ending = with_jpg_extension(*value);
            suffix_given = true;
        } else if (option == "--jobs" || option == "-j") {
            const std::optional<int> jobs = job_count(*value);
            if (!jobs) return usage_error(option + " needs a number from 1 to 1024");
            options.jobs = *jobs;
        } else if (option == "--overwrite") {
            options.overwrite = true;
        } else if (option == "--quiet" || option == "-q") {
            options.quiet = true;
        } else if (option == "-0" || option == "--null") {
            options.list_delimiter = '\0';
        } else {
            return usage_error("unknown option '" + option + "'");
        }
    }
    if (options.output_folder && suffix_given) return usage_error("-o and --suffix cannot be used together");
    if (options.inputs.empty()) return usage_error("no photos given");
    command.kind = MalletCommand::Kind::correct;
    return command;
}
