// Plays thousands of random user sessions against the PhotoCorrector and, after
// every step, compares it with a small model of what each operation promises: the
// state fields and texts, the faces, the save prompt, the loaded photo, and the
// corrected photo as the model's list of curves applied to the loaded photo at the
// model's strength. Undo and redo steps must bring back the model's earlier states.
//
// Seeded and reproducible: a failure prints the session's seed and its steps.
// TINTELO_SESSION_SEED=<seed> TINTELO_SESSIONS=1 replays that session alone;
// TINTELO_SESSIONS and TINTELO_SESSION_SECONDS change how many sessions run and
// the time after which no new session starts.

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <map>
#include <memory>
#include <numeric>
#include <optional>
#include <random>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "corrector/photo_corrector.h"
#include "corrector/scene_presets.h"
#include "engine/bitmap24.h"
#include "engine/curve_strength.h"
#include "engine/database.h"
#include "engine/profile_selection.h"
#include "photo_files/file_names.h"
#include "photo_files/jpeg_encoder.h"
#include "photo_files/jpeg_photo.h"
#include "tests/support/file_bytes.h"
#include "tests/support/pixels.h"
#include "tests/support/synthetic_photos.h"
#include "tests/support/temp_dir.h"

namespace fs = std::filesystem;

namespace {

using Words = std::vector<std::uint32_t>;

struct Picture {
    int width = 0;
    int height = 0;
    Words words;
};
using PictureRef = std::shared_ptr<const Picture>;

PictureRef picture_of(const Bitmap32& bitmap)
{
    auto picture = std::make_shared<Picture>();
    picture->width = bitmap.width();
    picture->height = bitmap.height();
    if (!bitmap.is_empty()) picture->words.assign(bitmap.pixels(), bitmap.pixels() + bitmap.pixel_count());
    return picture;
}

// What a file in the session folder does when opened.
struct PhotoFile {
    std::string path;
    bool loads = true;
    PictureRef picture;              // what org_photo holds after opening it
    std::int32_t phone_profile = 5;  // chosen by the profile rules
    std::int32_t camera_profile = 1;
    IccProfile icc_profile;
};

// The session's folder: small photos of different character, so the profile
// rules pick different profiles, and files that fail in each way the loader knows.
class SessionFolder {
public:
    SessionFolder()
    {
        fs::create_directory(folder_.file("saved"));

        add_photo("warm.jpg", 24, 16,
                  [](int x, int y) { return opaque_rgb(200 + x % 50, 90 + y * 3, 40 + x); });
        add_photo("cool.jpg", 20, 20,
                  [](int x, int y) { return opaque_rgb(30 + x, 80 + y * 2, 180 + (x * y) % 70); });
        add_photo("dark.jpg", 16, 12, [](int x, int y) { return opaque_rgb(x * 2, y * 3, (x + y) * 2); });
        add_photo("bright.jpg", 17, 9,
                  [](int x, int y) { return opaque_rgb(230 + x, 225 + y * 2, 210 + x + y); });
        add_photo("grey.jpg", 8, 8, [](int, int) { return opaque_rgb(128, 128, 128); });
        add_photo("noise.jpg", 32, 32, [](int x, int y) {
            const std::uint32_t h =
                (static_cast<std::uint32_t>(x) * 73856093u ^ static_cast<std::uint32_t>(y) * 19349663u) *
                2654435761u;
            return opaque_rgb(h >> 24, (h >> 16) & 0xFF, (h >> 8) & 0xFF);
        });
        add_photo("one_pixel.JPEG", 1, 1, [](int, int) { return opaque_rgb(10, 200, 90); });
        IccProfile profile(700);
        for (std::size_t i = 0; i < profile.size(); ++i) profile[i] = static_cast<std::uint8_t>(i * 13 + 5);
        add_photo(
            "with_profile.jpg", 12, 10, [](int x, int y) { return opaque_rgb(60 + x * 9, 120 + y * 5, 90); },
            profile);
        // Just above the pixel count that makes a photo a digital camera's; opened rarely (it is slow).
        big_ = add_photo("camera.jpg", 1301, 1000,
                         [](int x, int y) { return opaque_rgb(x & 0xFF, y & 0xFF, 128); });

        write_file("empty.jpg", {});
        add_failing("empty.jpg");
        write_file("not_a_photo.jpg", {'h', 'e', 'l', 'l', 'o'});
        add_failing("not_a_photo.jpg");
        fs::copy_file(folder_.file("warm.jpg"), folder_.file("warm.png"));
        add_failing("warm.png");  // no decoder for the extension
        add_failing("missing.jpg");
        fs::create_directory(folder_.file("folder.jpg"));
        add_failing("folder.jpg");
        add_failing_after_resize();
    }
    SessionFolder(const SessionFolder&) = delete;
    SessionFolder& operator=(const SessionFolder&) = delete;

    const std::vector<PhotoFile>& loading() const { return loading_; }
    const std::vector<PhotoFile>& failing() const { return failing_; }
    std::size_t big_photo() const { return big_; }
    std::string saved_path(const std::string& name) const { return folder_.file("saved/" + name); }
    std::string unwritable_path() const { return folder_.file("no_such_folder/x.jpg"); }

private:
    template <typename Pattern>
    std::size_t add_photo(const std::string& name, int width, int height, Pattern pattern,
                          const IccProfile& profile = {})
    {
        Bitmap32 photo;
        fill_photo(photo, width, height, pattern);
        PhotoMetadata profile_only;
        profile_only.icc_profile = profile;
        write_photo(photo, folder_.file(name), profile_only);
        return add_loaded(name);
    }
    // What the photo files make of it is what the loaded photo must hold.
    std::size_t add_loaded(const std::string& name)
    {
        PhotoFile file;
        file.path = folder_.file(name);
        Bitmap32 decoded;
        PhotoMetadata metadata;
        if (!load_photo(file.path, decoded, &metadata)) throw std::runtime_error("cannot load " + name);
        file.icc_profile = metadata.icc_profile;
        file.picture = picture_of(decoded);
        Bitmap24 analysis = copy_to_bitmap24(decoded);
        select_profiles(analysis, file.phone_profile, file.camera_profile);
        loading_.push_back(file);
        return loading_.size() - 1;
    }
    void add_failing(const std::string& name)
    {
        PhotoFile file;
        file.path = folder_.file(name);
        file.loads = false;
        failing_.push_back(file);
    }
    // A photo whose scan asks for a Huffman table the file never defines: the
    // header reads, the photo takes its size, and the decoder then gives up.
    void add_failing_after_resize()
    {
        Bitmap32 photo;
        fill_flat(photo, 9, 7, 0xFF808080u);
        std::vector<std::uint8_t> bytes = encode_jpeg_photo(photo);
        for (std::size_t i = 0; i + 6 < bytes.size(); ++i)
            if (bytes[i] == 0xFF && bytes[i + 1] == 0xDA) {
                bytes[i + 6] = 0x33;  // first component of the scan: DC and AC table 3
                break;
            }
        write_file("undefined_table.jpg", bytes);
        PhotoFile file;
        file.path = folder_.file("undefined_table.jpg");
        file.loads = false;
        // Checked once here, so the sessions really cover a failure that comes after the resize.
        Bitmap32 check;
        if (load_photo(file.path, check) || check.width() != 9 || check.height() != 7 ||
            !every_pixel_is(check, 0))
            throw std::runtime_error("undefined_table.jpg does not fail after taking its size");
        failing_.push_back(file);
    }
    void write_file(const std::string& name, const std::vector<std::uint8_t>& bytes)
    {
        write_bytes(folder_.file(name), bytes);
    }

    TempDir folder_{"random_sessions"};
    std::vector<PhotoFile> loading_;
    std::vector<PhotoFile> failing_;
    std::size_t big_ = 0;
};

// Per channel, the composition of the model's curves, first applied first.
struct ChannelMaps {
    std::array<std::uint8_t, 256> red, green, blue;
};

ChannelMaps compose(const std::vector<const CurveTriple*>& curves)
{
    ChannelMaps maps;
    for (int level = 0; level < 256; ++level) {
        std::uint8_t r = static_cast<std::uint8_t>(level), g = r, b = r;
        for (const CurveTriple* curve : curves) {
            r = curve->red_table[r];
            g = curve->green_table[g];
            b = curve->blue_table[b];
        }
        maps.red[level] = r;
        maps.green[level] = g;
        maps.blue[level] = b;
    }
    return maps;
}

// The corrector's promises, operation by operation, kept as plain state.
struct Model {
    PictureRef org = std::make_shared<Picture>();
    // The corrected photo is `corrected_base` with `corrected_curves` applied in order.
    PictureRef corrected_base = std::make_shared<Picture>();
    std::vector<const CurveTriple*> corrected_curves;
    IccProfile icc_profile;

    bool photo_loaded = false;
    bool photo_saved = false;
    CameraType camera_type = CameraType::MobilePhone;
    std::int32_t phone_profile = 0;
    std::int32_t camera_profile = 0;
    bool correction_shown = false;
    int light_level = 0;
    int strength = 100;
    std::string file_part;
    std::string status_text = "READY";
    std::string profile_caption = "DIGITAL CAMERA PROFILE";
    std::string correction_caption = "AUTOMATIC CORRECTION";
    bool captions_visible = false;
    int toggle_face = 1;
    std::pair<int, int> camera_faces{3, 5};
    int load_failures = 0;
    // The states before each step on this photo, and the states the undos left.
    std::vector<Model> undone_from, redo_to;

    int current_profile() const
    {
        return camera_type == CameraType::DigitalCamera ? camera_profile : phone_profile;
    }

    void show_loaded_photo()
    {
        corrected_base = org;
        corrected_curves.clear();
    }
    void apply_profile(int index)
    {
        if (const CurveTriple* triple = curve_for_profile(camera_type, index)) {
            corrected_base = org;
            corrected_curves = {triple};
        }
        light_level = 0;
    }
    void show_camera(CameraType type)
    {
        camera_type = type;
        camera_faces = type == CameraType::DigitalCamera ? std::pair{2, 5} : std::pair{3, 4};
    }

    void open(const PhotoFile* file)
    {
        status_text = "LOADING PHOTO";
        if (file != nullptr && !file->loads) {
            // Everything stays as it was, as after a cancelled dialog.
            ++load_failures;
        } else if (file != nullptr) {
            captions_visible = true;
            org = file->picture;
            icc_profile = file->icc_profile;
            phone_profile = file->phone_profile;
            camera_profile = file->camera_profile;
            show_camera(static_cast<std::int64_t>(org->width) * org->height > 1300000
                            ? CameraType::DigitalCamera
                            : CameraType::MobilePhone);
            profile_caption =
                camera_type == CameraType::DigitalCamera ? "DIGITAL CAMERA PROFILE" : "MOBILE PHONE PROFILE";
            correction_caption = "AUTOMATIC CORRECTION";
            apply_profile(current_profile());
            toggle_face = 0;
            correction_shown = true;
            photo_loaded = true;
            photo_saved = false;
            file_part = file_name_part(file->path);
            status_text = file_part;
            undone_from.clear();
            redo_to.clear();
        }
        if (!photo_loaded) status_text = "READY";
        if (file_part.size() > 1) status_text = file_part;
    }
    void toggle()
    {
        if (!photo_loaded) return;
        if (correction_shown) {
            toggle_face = 1;
            show_loaded_photo();
            correction_caption = "NO CORRECTION";
            correction_shown = false;
        } else {
            apply_profile(current_profile());
            correction_shown = true;
            toggle_face = 0;
            correction_caption = "AUTOMATIC CORRECTION";
        }
    }
    void switch_camera(CameraType type)
    {
        if (type == camera_type) return;
        show_camera(type);
        profile_caption =
            type == CameraType::DigitalCamera ? "DIGITAL CAMERA PROFILE" : "MOBILE PHONE PROFILE";
        apply_profile(current_profile());
        if (photo_loaded) {
            correction_caption = "AUTOMATIC CORRECTION";
            toggle_face = 0;
            correction_shown = true;
        }
    }
    void preset(const ScenePresetInfo& info)
    {
        show_loaded_photo();
        apply_profile(info.first_index);
        if (info.second_index != 0)
            if (const CurveTriple* second = curve_for_profile(camera_type, info.second_index))
                corrected_curves.push_back(second);
        correction_caption = info.caption;
        toggle_face = 1;
        correction_shown = false;
    }
    void lighten()
    {
        if (light_level == 6) return;
        corrected_curves.push_back(&lighter_curve);
        ++light_level;
    }
    void darken()
    {
        if (light_level == -6) return;
        corrected_curves.push_back(&darker_curve);
        --light_level;
    }
    void undo()
    {
        if (!photo_loaded) return;
        show_loaded_photo();
        correction_caption = "NO CORRECTION";
        toggle_face = 1;
        correction_shown = false;
        light_level = 0;
    }
    void set_strength(int percent) { strength = std::clamp(percent, 0, 100); }

    // What a step may change, without the histories.
    Model step_state() const
    {
        Model state = *this;
        state.undone_from.clear();
        state.redo_to.clear();
        return state;
    }
    bool same_step_state(const Model& other) const
    {
        const ChannelMaps mine = compose(corrected_curves), theirs = compose(other.corrected_curves);
        return std::tie(camera_type, phone_profile, camera_profile, correction_shown, light_level, strength,
                        corrected_base, status_text, profile_caption, correction_caption, captions_visible,
                        toggle_face, camera_faces) ==
                   std::tie(other.camera_type, other.phone_profile, other.camera_profile,
                            other.correction_shown, other.light_level, other.strength, other.corrected_base,
                            other.status_text, other.profile_caption, other.correction_caption,
                            other.captions_visible, other.toggle_face, other.camera_faces) &&
               corrected_curves.empty() == other.corrected_curves.empty() && mine.red == theirs.red &&
               mine.green == theirs.green && mine.blue == theirs.blue;
    }
    // Runs an operation as a step: one that changed a loaded photo's state can be undone.
    template <typename Operation>
    void step(Operation operation)
    {
        const Model before = step_state();
        operation();
        if (!before.photo_loaded || same_step_state(before)) return;
        undone_from.push_back(before);
        redo_to.clear();
    }
    // Back to the state in `from`, which keeps what no step changes.
    void return_to(std::vector<Model>& from, std::vector<Model>& keep_current_in)
    {
        if (from.empty()) return;
        keep_current_in.push_back(step_state());
        Model earlier = from.back();
        from.pop_back();
        earlier.photo_saved = photo_saved;
        earlier.load_failures = load_failures;
        earlier.undone_from = std::move(undone_from);
        earlier.redo_to = std::move(redo_to);
        *this = std::move(earlier);
    }
    void undo_step() { return_to(undone_from, redo_to); }
    void redo_step() { return_to(redo_to, undone_from); }

    // True when a save happens at all.
    bool save(const std::optional<std::string>& path)
    {
        if (!photo_loaded || !path) return false;
        photo_saved = true;
        status_text = "Saved " + file_name_part(*path);
        return true;
    }

    // The corrected photo the model expects.
    Picture expected_corrected() const
    {
        Picture picture = *corrected_base;
        if (corrected_curves.empty()) return picture;
        const ChannelMaps maps = compose(corrected_curves);
        CurveTriple composed;
        std::copy(maps.red.begin(), maps.red.end(), composed.red_table);
        std::copy(maps.green.begin(), maps.green.end(), composed.green_table);
        std::copy(maps.blue.begin(), maps.blue.end(), composed.blue_table);
        const CurveTriple softened = curves_at_strength(composed, strength);
        for (std::uint32_t& word : picture.words)
            word = 0xFF000000u | std::uint32_t{softened.red_table[word >> 16 & 0xFF]} << 16 |
                   std::uint32_t{softened.green_table[word >> 8 & 0xFF]} << 8 |
                   softened.blue_table[word & 0xFF];
        return picture;
    }
};

struct CountingEvents : CorrectorEvents {
    bool busy = false;
    int load_failures = 0;
    void busy_changed(bool now_busy) override { busy = now_busy; }
    void load_failed() override { ++load_failures; }
};

bool same_picture(const Bitmap32& bitmap, const Picture& picture)
{
    if (bitmap.width() != picture.width || bitmap.height() != picture.height) return false;
    if (picture.words.empty()) return true;
    return std::memcmp(bitmap.pixels(), picture.words.data(), picture.words.size() * sizeof(std::uint32_t)) ==
           0;
}

const char* camera_name(CameraType type)
{
    return type == CameraType::DigitalCamera ? "digital camera" : "mobile phone";
}

// Every difference between the corrector and the model, one per line; empty when none.
std::string differences(const PhotoCorrector& c, const CountingEvents& events, const Model& m)
{
    std::ostringstream out;
    auto field = [&out](const char* name, const auto& actual, const auto& expected) {
        if (!(actual == expected))
            out << "  " << name << " is " << actual << ", the model says " << expected << "\n";
    };
    field("photo_loaded", c.photo_loaded, m.photo_loaded);
    field("photo_saved", c.photo_saved, m.photo_saved);
    field("camera_type", camera_name(c.camera_type), camera_name(m.camera_type));
    field("phone_profile", c.phone_profile, m.phone_profile);
    field("camera_profile", c.camera_profile, m.camera_profile);
    field("correction_shown", c.correction_shown, m.correction_shown);
    field("light_level", c.light_level, m.light_level);
    if (c.light_level < -6 || c.light_level > 6)
        out << "  light_level " << c.light_level << " is outside -6..+6\n";
    field("file_part", c.file_part, m.file_part);
    field("strength", c.strength, m.strength);
    field("status_text", c.status_text, m.status_text);
    if (m.strength != 100 && c.status_line().find(std::to_string(m.strength) + " %") == std::string::npos)
        out << "  the status line '" << c.status_line() << "' does not show the strength\n";
    if (m.strength == 100 && c.status_line() != m.status_text)
        out << "  the status line '" << c.status_line() << "' is not the status text at full strength\n";
    field("can_undo_step()", c.can_undo_step(), !m.undone_from.empty());
    field("can_redo_step()", c.can_redo_step(), !m.redo_to.empty());
    field("profile_caption", c.profile_caption, m.profile_caption);
    field("correction_caption", c.correction_caption, m.correction_caption);
    field("captions_visible", c.captions_visible, m.captions_visible);
    field("toggle_face", c.toggle_face, m.toggle_face);
    field("camera_faces.first", c.camera_faces.first, m.camera_faces.first);
    field("camera_faces.second", c.camera_faces.second, m.camera_faces.second);
    field("needs_save_prompt()", c.needs_save_prompt(), m.photo_loaded && !m.photo_saved);
    field("busy()", c.busy(), false);
    field("busy as the window last heard it", events.busy, false);
    field("load-failure messages", events.load_failures, m.load_failures);
    if (!same_picture(c.org_photo, *m.org))
        out << "  org_photo (" << c.org_photo.width() << " x " << c.org_photo.height()
            << ") is not the photo the model says was loaded (" << m.org->width << " x " << m.org->height
            << ")\n";
    const Picture expected = m.expected_corrected();
    if (!same_picture(c.corrected_photo, expected))
        out << "  corrected_photo (" << c.corrected_photo.width() << " x " << c.corrected_photo.height()
            << ") is not the loaded photo (" << expected.width << " x " << expected.height << ") with the "
            << m.corrected_curves.size() << " curve(s) the model applied\n";
    return out.str();
}

struct Settings {
    std::uint64_t seed = 20040621;
    int sessions = 3000;
    double seconds = 4.0;
};

Settings settings_from_environment()
{
    Settings s;
    if (const char* seed = std::getenv("TINTELO_SESSION_SEED")) s.seed = std::strtoull(seed, nullptr, 10);
    if (const char* sessions = std::getenv("TINTELO_SESSIONS")) s.sessions = std::atoi(sessions);
    if (const char* seconds = std::getenv("TINTELO_SESSION_SECONDS")) s.seconds = std::atof(seconds);
    return s;
}

class Session {
public:
    Session(const SessionFolder& folder, std::uint64_t seed) : folder_(folder), random_(seed) {}

    // Plays up to `steps` random steps; returns the first failure, or empty.
    std::string play(int steps)
    {
        fill_curve_database();
        CountingEvents events;
        PhotoCorrector corrector(&events);
        Model model;
        std::string fault = differences(corrector, events, model);
        if (!fault.empty()) return "at the start:\n" + fault;
        for (int i = 0; i < steps; ++i) {
            std::string step;
            try {
                step = act(corrector, model);
            } catch (const std::exception& e) {
                log_ << "  " << i + 1 << ". " << step << "\n";
                return std::string("the step threw: ") + e.what();
            }
            log_ << "  " << i + 1 << ". " << step << "\n";
            fault = differences(corrector, events, model);
            if (fault.empty()) fault = saved_file_fault_;
            if (!fault.empty()) return fault;
        }
        return {};
    }
    std::string steps() const { return log_.str(); }

private:
    int pick(int below) { return std::uniform_int_distribution<int>(0, below - 1)(random_); }

    // One random user action on both the corrector and the model; returns its description.
    std::string act(PhotoCorrector& corrector, Model& model)
    {
        // Weights: the kinds of action a user takes often come up often.
        static constexpr std::array<int, 15> kWeights{10, 3, 4, 10, 6, 10, 10, 10, 5, 2, 1, 1, 6, 10, 6};
        int roll = pick(std::accumulate(kWeights.begin(), kWeights.end(), 0));
        int kind = 0;
        while (roll >= kWeights[kind]) roll -= kWeights[kind++];
        switch (kind) {
            case 0: {
                const auto& files = folder_.loading();
                // The camera-sized photo is slow to load and correct: one open in a thousand.
                std::size_t index = folder_.big_photo();
                if (pick(1000) != 0) {
                    index = static_cast<std::size_t>(pick(static_cast<int>(files.size()) - 1));
                    if (index >= folder_.big_photo()) ++index;
                }
                const PhotoFile& file = files[index];
                corrector.open_photo(std::optional<std::string>(file.path));
                model.open(&file);
                return "open " + file_name_part(file.path);
            }
            case 1:
                corrector.open_photo(std::optional<std::string>());
                model.open(nullptr);
                return "open, cancelled";
            case 2: {
                const PhotoFile& file = folder_.failing()[pick(static_cast<int>(folder_.failing().size()))];
                corrector.open_photo(std::optional<std::string>(file.path));
                model.open(&file);
                return "open " + file_name_part(file.path) + " (fails)";
            }
            case 3:
                corrector.toggle_correction();
                model.step([&] { model.toggle(); });
                return "toggle correction";
            case 4: {
                const CameraType type = pick(2) == 0 ? CameraType::DigitalCamera : CameraType::MobilePhone;
                corrector.set_camera_type(type);
                model.step([&] { model.switch_camera(type); });
                return std::string("camera type ") + camera_name(type);
            }
            case 5: {
                const ScenePresetInfo& info = scene_presets[pick(static_cast<int>(scene_presets.size()))];
                corrector.apply_preset(info.preset);
                model.step([&] { model.preset(info); });
                return std::string("preset ") + info.name;
            }
            case 6:
            case 7: {
                // Often several presses in a row, so the ends of the light scale are reached.
                const int presses = pick(3) == 0 ? 2 + pick(7) : 1;
                for (int press = 0; press < presses; ++press) {
                    if (kind == 6) {
                        corrector.lighten();
                        model.step([&] { model.lighten(); });
                    } else {
                        corrector.darken();
                        model.step([&] { model.darken(); });
                    }
                }
                return std::string(kind == 6 ? "lighter" : "darker") + " x " + std::to_string(presses);
            }
            case 8:
                corrector.undo();
                model.step([&] { model.undo(); });
                return "undo";
            case 9: {
                const std::string path = folder_.saved_path("photo" + std::to_string(pick(3)) + ".jpg");
                corrector.save_photo(path);
                if (model.save(path)) check_saved_file(corrector, model, path);
                return "save " + path;
            }
            case 10:
                corrector.save_photo(std::nullopt);
                model.save(std::nullopt);
                return "save, cancelled";
            case 12: {
                // The slider's ends, the keys' tens, any value, and values past the ends.
                const int percent = pick(4) == 0 ? 100 : pick(4) == 0 ? pick(13) * 10 - 10 : pick(101);
                corrector.set_strength(percent);
                model.step([&] { model.set_strength(percent); });
                return "strength " + std::to_string(percent);
            }
            case 13: {
                const int times = pick(3) == 0 ? 2 + pick(4) : 1;
                for (int i = 0; i < times; ++i) {
                    corrector.undo_step();
                    model.undo_step();
                }
                return "undo step x " + std::to_string(times);
            }
            case 14:
                corrector.redo_step();
                model.redo_step();
                return "redo step";
            default: {
                // A folder that does not exist: the error reaches the window, nothing changes.
                const std::string path = folder_.unwritable_path();
                bool threw = false;
                try {
                    corrector.save_photo(path);
                } catch (const EPhotoWriteError&) {
                    threw = true;
                }
                if (threw != model.photo_loaded)
                    saved_file_fault_ = model.photo_loaded ? "  a save into a missing folder did not fail\n"
                                                           : "  a save with no photo loaded tried to write\n";
                return "save into a missing folder";
            }
        }
    }

    // The saved file holds the corrected photo: its size, and the loaded file's colour profile.
    void check_saved_file(const PhotoCorrector& corrector, const Model& model, const std::string& path)
    {
        Bitmap32 saved;
        PhotoMetadata metadata;
        if (!load_photo(path, saved, &metadata)) {
            saved_file_fault_ = "  the saved file does not load\n";
        } else if (saved.width() != corrector.corrected_photo.width() ||
                   saved.height() != corrector.corrected_photo.height()) {
            saved_file_fault_ = "  the saved file has another size than the corrected photo\n";
        } else if (!saved.is_empty() && metadata.icc_profile != model.icc_profile) {
            saved_file_fault_ = "  the saved file does not carry the loaded photo's colour profile\n";
        }
    }

    const SessionFolder& folder_;
    std::mt19937_64 random_;
    std::ostringstream log_;
    std::string saved_file_fault_;
};

TEST(RandomSessions, CorrectorKeepsEveryPromiseOfTheModel)
{
    const Settings settings = settings_from_environment();
    const SessionFolder folder;
    const auto start = std::chrono::steady_clock::now();
    int played = 0, steps_played = 0;
    for (; played < settings.sessions; ++played) {
        // At least a hundred sessions, however slow the build; past that, stop on time.
        const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
        if (played >= 100 && elapsed.count() > settings.seconds) break;
        const std::uint64_t seed = settings.seed + static_cast<std::uint64_t>(played);
        std::mt19937_64 length(seed ^ 0x9E3779B97F4A7C15ull);
        const int steps = 1 + static_cast<int>(length() % 40);
        Session session(folder, seed);
        const std::string fault = session.play(steps);
        steps_played += steps;
        if (!fault.empty()) {
            FAIL() << "session seed " << seed << " (replay: TINTELO_SESSION_SEED=" << seed
                   << " TINTELO_SESSIONS=1)\n"
                   << "steps:\n"
                   << session.steps() << "after the last step:\n"
                   << fault;
        }
    }
    std::cout << "[          ] " << played << " sessions, up to " << steps_played << " steps, from seed "
              << settings.seed << "\n";
    EXPECT_GE(played, std::min(100, settings.sessions));
}

}  // namespace
