// photo_inspect: opens each JPEG path given as the program would and prints one
// JSON object per line:
//   {"path":"a.jpg","ok":true,"width":4000,"height":3000,"camera_type":"DigitalCamera",
//    "phone_profile":5,"camera_profile":4,"K":-0.61,"KB":-0.93,
//    "red":{"count":...,"minimum":...,"maximum":...,"mode":...,"median":...,"mean":...,
//           "std_dev":...,"skewness":...,"kurtosis":...},"green":{...},"blue":{...},"intensity":{...}}
// Doubles carry 17 significant digits; an undefined statistic (NaN) is null. The
// analysis fields appear only for photos that opened; a photo that did not open
// gets "reason" last, why the loader refused it ("not a JPEG", "decoder error: ...").
//
// With --write OUT.jpg (one input only) the photo is written as the program would
// save it right after opening: automatically corrected for the camera type its
// pixel count suggests. The steps --preset NAME, --lighter N, --darker N,
// --camera phone|digital and --strength N are applied in the order given, after opening, so any
// state the buttons reach can be written; "written" (and "write_error" when it
// fails) are added. Preset names: outdoors-vivid, backlight, indoors-flash,
// indoors-no-flash, outdoors-too-shiny, outdoors-cloudy, outdoors,
// indoors-mixed-light, indoors-bulb-lamp, or the buttons' hints in any case.
// Exit status: 0 when every photo opened (and was written), 1 otherwise, 2 for bad usage.
//
// New fields go at the end of json_fields(); the order of existing fields stays as it is.

#include <cmath>
#include <cstdio>
#include <exception>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "corrector/button_presses.h"
#include "corrector/photo_corrector.h"
#include "engine/database.h"
#include "engine/profile_selection.h"
#include "photo_files/load_outcome.h"

namespace {

struct Options {
    std::vector<std::string> paths;
    std::optional<std::string> write_path;
    std::vector<ButtonPress> steps;
};

struct Inspection {
    std::string path;
    bool ok = false;
    int width = 0;
    int height = 0;
    CameraType camera_type = CameraType::MobilePhone;
    std::int32_t phone_profile = 0;
    std::int32_t camera_profile = 0;
    PhotoStatistics statistics;
    std::optional<bool> written;  // set only when --write was asked for
    std::string write_error;
    std::string reason;  // why the photo did not open
};

using Fields = std::vector<std::pair<std::string, std::string>>;

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

std::string json_double(double value)
{
    if (std::isnan(value)) return "null";
    char text[32];
    std::snprintf(text, sizeof text, "%.17g", value);
    return text;
}

std::string json_object(const Fields& fields)
{
    std::string object = "{";
    for (const auto& [name, value] : fields) {
        if (object.size() > 1) object += ",";
        object += json_string(name) + ":" + value;
    }
    return object + "}";
}

std::string json_histogram(const HistogramStatistics& s)
{
    return json_object({
        {"count", std::to_string(s.count)},
        {"minimum", std::to_string(s.minimum)},
        {"maximum", std::to_string(s.maximum)},
        {"mode", std::to_string(s.mode)},
        {"median", std::to_string(s.median)},
        {"mean", json_double(s.mean)},
        {"std_dev", json_double(s.std_dev)},
        {"skewness", json_double(s.skewness)},
        {"kurtosis", json_double(s.kurtosis)},
    });
}

// Every reported field, in output order, as a name and an already-encoded JSON value.
Fields json_fields(const Inspection& inspection)
{
    Fields fields = {
        {"path", json_string(inspection.path)},
        {"ok", inspection.ok ? "true" : "false"},
        {"width", std::to_string(inspection.width)},
        {"height", std::to_string(inspection.height)},
    };
    if (inspection.ok) {
        const PhotoStatistics& s = inspection.statistics;
        fields.emplace_back("camera_type",
                            json_string(inspection.camera_type == CameraType::DigitalCamera ? "DigitalCamera"
                                                                                            : "MobilePhone"));
        fields.emplace_back("phone_profile", std::to_string(inspection.phone_profile));
        fields.emplace_back("camera_profile", std::to_string(inspection.camera_profile));
        fields.emplace_back("K", json_double(s.excess_kurtosis_intensity));
        fields.emplace_back("KB", json_double(s.excess_kurtosis_blue));
        fields.emplace_back("red", json_histogram(s.red));
        fields.emplace_back("green", json_histogram(s.green));
        fields.emplace_back("blue", json_histogram(s.blue));
        fields.emplace_back("intensity", json_histogram(s.intensity));
    }
    if (inspection.written) {
        fields.emplace_back("written", *inspection.written ? "true" : "false");
        if (!*inspection.written) fields.emplace_back("write_error", json_string(inspection.write_error));
    }
    if (!inspection.ok) fields.emplace_back("reason", json_string(inspection.reason));
    return fields;
}

Inspection inspect(const std::string& path, const Options& options)
{
    Inspection inspection;
    inspection.path = path;
    // The corrector opens exactly as the window does: load, analyse, choose the camera type, correct.
    PhotoCorrector corrector;
    corrector.open_photo(path);
    inspection.ok = corrector.photo_loaded;
    inspection.width = corrector.org_photo.width();
    inspection.height = corrector.org_photo.height();
    if (inspection.ok) {
        inspection.camera_type = corrector.camera_type;
        inspection.phone_profile = corrector.phone_profile;
        inspection.camera_profile = corrector.camera_profile;
        inspection.statistics = measure_photo(copy_to_bitmap24(corrector.org_photo));
    } else {
        inspection.reason = load_failure_text(corrector.load_outcome);
    }
    if (options.write_path) {
        inspection.written = false;
        if (!inspection.ok) {
            inspection.write_error = "the photo did not load";
        } else {
            try {
                press_buttons(corrector, options.steps);
                corrector.save_photo(*options.write_path);
                inspection.written = corrector.photo_saved;
            } catch (const std::exception& e) {
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
        const bool has_value = i + 1 < argc;
        if (argument == "--write" && has_value) {
            options.write_path = argv[++i];
        } else if (is_button_option(argument) && has_value) {
            const std::optional<ButtonPress> step = button_press_from_option(argument, argv[++i]);
            if (!step) return std::nullopt;
            options.steps.push_back(*step);
        } else if (argument == "--") {
            for (++i; i < argc; ++i) options.paths.emplace_back(argv[i]);
        } else if (argument.rfind("--", 0) == 0) {
            return std::nullopt;
        } else {
            options.paths.push_back(argument);
        }
    }
    if (options.paths.empty() || (options.write_path && options.paths.size() != 1)) return std::nullopt;
    if (!options.steps.empty() && !options.write_path) return std::nullopt;
    return options;
}

}  // namespace

int main(int argc, char** argv)
{
    const std::optional<Options> options = parse(argc, argv);
    if (!options) {
        std::fprintf(stderr,
                     "usage: photo_inspect [--write OUT.jpg [--preset NAME] [--lighter N] [--darker N]\n"
                     "                     [--camera phone|digital] [--strength N] ...] PHOTO.jpg...\n"
                     "       (--write takes exactly one input photo; the steps apply in the order given)\n");
        return 2;
    }
    fill_curve_database();
    bool all_well = true;
    for (const std::string& path : options->paths) {
        const Inspection inspection = inspect(path, *options);
        std::printf("%s\n", json_object(json_fields(inspection)).c_str());
        all_well = all_well && inspection.ok && inspection.written.value_or(true);
    }
    return all_well ? 0 : 1;
}
