// photo_inspect: loads each JPEG path given as the program would and prints one
// JSON object per line:
//   {"path":"a.jpg","ok":true,"width":4000,"height":3000}
// With --write OUT.jpg (one input only) the loaded photo is saved again through the
// program's own writer, and "written" (and "write_error" when it fails) are added.
// "width" and "height" are those of the photo buffer after the load: 0 x 0 for a file
// that failed before its header was read, the header's size for one that failed later.
// Exit status: 0 when every photo loaded (and was written), 1 otherwise, 2 for bad usage.
//
// New fields go into json_fields(); the order of existing fields stays as it is.

#include <cstdio>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "bitmap32.h"
#include "jpeg_photo.h"

namespace {

struct Options {
    std::vector<std::string> paths;
    std::optional<std::string> write_path;
};

struct Inspection {
    std::string path;
    bool ok = false;
    int width = 0;
    int height = 0;
    std::optional<bool> written;  // set only when --write was asked for
    std::string write_error;
};

std::string json_string(const std::string& text)
{
    std::string out = "\"";
    for (const unsigned char c : text) {
        switch (c) {
            case '"':
                out += "\\\"";
                break;
            case '\\':
                out += "\\\\";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\r':
                out += "\\r";
                break;
            case '\t':
                out += "\\t";
                break;
            default:
                if (c < 0x20) {
                    char escaped[8];
                    std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
                    out += escaped;
                } else {
                    out += static_cast<char>(c);
                }
        }
    }
    return out + "\"";
}

// Every reported field, in output order, as a name and an already-encoded JSON value.
std::vector<std::pair<std::string, std::string>> json_fields(const Inspection& inspection)
{
    std::vector<std::pair<std::string, std::string>> fields = {
        {"path", json_string(inspection.path)},
        {"ok", inspection.ok ? "true" : "false"},
        {"width", std::to_string(inspection.width)},
        {"height", std::to_string(inspection.height)},
    };
    if (inspection.written) {
        fields.emplace_back("written", *inspection.written ? "true" : "false");
        if (!*inspection.written) fields.emplace_back("write_error", json_string(inspection.write_error));
    }
    return fields;
}

std::string json_line(const Inspection& inspection)
{
    std::string line = "{";
    for (const auto& [name, value] : json_fields(inspection)) {
        if (line.size() > 1) line += ",";
        line += json_string(name) + ":" + value;
    }
    return line + "}";
}

Inspection inspect(const std::string& path, const std::optional<std::string>& write_path)
{
    Inspection inspection;
    inspection.path = path;
    Bitmap32 photo;
    IccProfile icc_profile;
    inspection.ok = load_photo(path, photo, &icc_profile);
    inspection.width = photo.width();
    inspection.height = photo.height();
    if (write_path) {
        inspection.written = false;
        if (!inspection.ok) {
            inspection.write_error = "the photo did not load";
        } else {
            try {
                write_photo(photo, *write_path, icc_profile);
                inspection.written = true;
            } catch (const EPhotoWriteError& e) {
                inspection.write_error = e.what();
            }
        }
    }
    return inspection;
}

std::optional<Options> parse(int argc, char** argv)
{
    Options options;
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        if (argument == "--write") {
            if (i + 1 >= argc) return std::nullopt;
            options.write_path = argv[++i];
        } else if (argument == "--") {
            for (++i; i < argc; ++i) options.paths.emplace_back(argv[i]);
        } else if (argument.rfind("--", 0) == 0) {
            return std::nullopt;
        } else {
            options.paths.push_back(argument);
        }
    }
    if (options.paths.empty() || (options.write_path && options.paths.size() != 1)) return std::nullopt;
    return options;
}

}  // namespace

int main(int argc, char** argv)
{
    const std::optional<Options> options = parse(argc, argv);
    if (!options) {
        std::fprintf(stderr,
                     "usage: photo_inspect [--write OUT.jpg] PHOTO.jpg...\n"
                     "       (--write takes exactly one input photo)\n");
        return 2;
    }
    bool all_well = true;
    for (const std::string& path : options->paths) {
        const Inspection inspection = inspect(path, options->write_path);
        std::printf("%s\n", json_line(inspection).c_str());
        all_well = all_well && inspection.ok && inspection.written.value_or(true);
    }
    return all_well ? 0 : 1;
}
