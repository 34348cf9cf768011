#pragma once

#include <any>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>

#include "corrector/control_faces.h"
#include "corrector/correction_history.h"
#include "corrector/prepared_photo.h"
#include "corrector/scene_presets.h"
#include "engine/bitmap24.h"
#include "engine/bitmap32.h"
#include "engine/camera_type.h"
#include "engine/curve_strength.h"
#include "engine/curve_triple.h"
#include "photo_files/file_names.h"
#include "photo_files/jpeg_photo.h"
#include "photo_files/photo_metadata.h"

/// What the window must hear while an operation is still running, because it
/// has to act before the operation goes on. Everything else the window reads
/// from the corrector's presentation state after the operation returns.
struct ProfileStatistics;

class CorrectorEvents {
public:
    virtual ~CorrectorEvents() = default;
    /// `busy` was set or cleared: show the hourglass (or the default cursor) now.
    virtual void busy_changed(bool /*busy*/) {}
    /// `status_text` reads "LOADING PHOTO": paint it (process pending window
    /// messages once) before the open dialog appears.
    virtual void loading_started() {}
    /// The chosen photo could not be decoded: show the load-failure message.
    virtual void load_failed() {}
    /// A photo was loaded and corrected, and `photo_loaded` is still false: fit
    /// the views and prepare the save, undo and tools buttons.
    virtual void photo_opened() {}
    /// The photo shown could not be kept whole through a failed open: the
    /// corrector is back in its start state; the window returns to its own.
    virtual void start_state_restored() {}
};

/// Where the corrector keeps the corrected photo.
enum class CorrectedPixels {
    /// In `corrected_photo`, for the window's views.
    shown,
    /// Only as the curves that make it from `org_photo`, applied as it is saved: for a
    /// program that saves without showing, which then needs neither a second
    /// photo-sized buffer nor the passes over it. `corrected_photo` stays empty; the
    /// saved file is the same.
    on_save,
};

/// The photo being worked on and every user-level operation on it.
///
/// The window calls one operation per user action, renders the presentation
/// state afterwards, and shows `org_photo` and `corrected_photo` in its views
/// (the buffers notify their own changes). Dialogs stay in the window: the open
/// operation asks for a path through a callback, so that the status text is
/// painted before the dialog shows; the save operation is given the path the
/// save dialog loop chose.
class PhotoCorrector {
public:
    explicit PhotoCorrector(CorrectorEvents* events = nullptr,
                            CorrectedPixels corrected_pixels = CorrectedPixels::shown);

    // Photo buffers. `org_photo` is never changed after loading.
    Bitmap32 org_photo;
    Bitmap32 corrected_photo;
    // The 24-bit analysis copy, which stays empty: an open measures the decoded rows as
    // they come, with the same figures a copy would give.
    Bitmap24 working_bitmap;
    // The loaded file's metadata (colour profile, EXIF, XMP, IPTC, comments,
    // density) travels with `org_photo` into every saved file, made true of the
    // saved photo; only a successful open replaces it.
    PhotoMetadata org_metadata;

    // State.
    bool photo_loaded = false;
    bool photo_saved = false;
    CameraType camera_type = CameraType::MobilePhone;
    std::int32_t phone_profile = 0;
    std::int32_t camera_profile = 0;
    bool correction_shown = false;
    int light_level = 0;
    // Per cent of the correction shown and saved. Kept from photo to photo: a series is
    // usually softened alike.
    int strength = kFullStrength;
    std::string file_part;
    // What the load of the last photo chosen found: why it failed, or for a photo that
    // opened, whether its data ended early. The window's messages and diagnostics say it.
    LoadOutcome load_outcome;

    // Presentation state.
    std::string status_text = "READY";
    std::string profile_caption = "DIGITAL CAMERA PROFILE";
    std::string correction_caption = "AUTOMATIC CORRECTION";
    bool captions_visible = false;
    int toggle_face = IconFace::CorrectionOff;
    std::pair<int, int> camera_faces{IconFace::CameraFaded, IconFace::PhoneFaded};
    bool busy() const { return busy_; }
    /// What the status line adds after the status text while the strength is not 100 %.
    std::string strength_text() const;
    /// The status line: `status_text`, and the strength whenever the correction is softened.
    std::string status_line() const;

    /// The start values the main window's creation sets: no profile chosen,
    /// no working bitmap, nothing loaded or saved, the correction not shown.
    void set_start_values();
    /// Opens a photo. `choose_open_path` runs after "LOADING PHOTO" is shown and
    /// returns the dialog's answer: a path, or nothing when cancelled. A photo
    /// that does not load leaves everything as a cancelled dialog does; an error
    /// once the new photo has replaced the old one returns to the start state
    /// and propagates.
    void open_photo(const std::function<std::optional<std::string>()>& choose_open_path);
    void open_photo(const std::optional<std::string>& path);
    /// Opens a photo read ahead (prepare_photo) as open_photo opens the file it was read
    /// from, without decoding it again, and gives back the photo it replaces, read as it
    /// was opened, for going back to it (its path is empty when there was none).
    std::unique_ptr<PreparedPhoto> open_prepared_photo(std::unique_ptr<PreparedPhoto> photo);
    /// While a prepared photo opens (from its photo_opened event on): what was drawn of it
    /// ahead, handed over once; empty otherwise.
    std::any take_view_ahead() { return std::exchange(view_ahead_, std::any()); }
    /// The path of the photo shown ("" when none).
    const std::string& shown_path() const { return shown_path_; }
    void toggle_correction();
    /// With no photo loaded the correction button opens one, its face flipping
    /// around the open: `begin_...` before it (to "on", unless the correction
    /// counts as shown already), `end_...` after it. A photo that opened shows its
    /// correction; with none the face is back to "off".
    void begin_open_from_correction_button();
    void end_open_from_correction_button();
    void set_camera_type(CameraType type);
    void apply_preset(ScenePreset preset);
    void lighten();
    void darken();
    /// The UNDO button: back to the photo as loaded.
    void undo();
    /// Sets the strength (clamped to 0..100) and corrects the whole photo at it.
    void set_strength(int percent);
    /// The curves that make the corrected photo from the loaded one at `percent` strength
    /// (the identity while the photo is shown as loaded), for a preview of part of it.
    CurveTriple corrected_curves_at(int percent) const;

    // Every operation above that changes the photo loaded is a step, taken back by
    // undo_step and taken again by redo_step, which restore the whole state before or
    // after it. Opening a photo starts an empty history.
    bool can_undo_step() const { return history_.can_undo(); }
    bool can_redo_step() const { return history_.can_redo(); }
    void undo_step();
    void redo_step();
    /// Writes the corrected photo; a write failure propagates (EPhotoWriteError)
    /// with `photo_saved` and `status_text` unchanged.
    void save_photo(const std::optional<std::string>& path);
    bool needs_save_prompt() const { return photo_loaded && !photo_saved; }
    /// Before leaving the photo for another of its folder, only what the user changed
    /// after the open is worth the question: the automatic correction comes back by itself.
    bool needs_save_prompt_before_step() const { return needs_save_prompt() && changed_since_open_; }
    /// What save_photo writes: the photo, and the curves it goes through on its way to the
    /// file (null when it is saved as it is). For a program that writes the file itself.
    const Bitmap32& photo_to_save() const;
    const CurveTriple* curves_on_save() const;
    /// Done with the photo: back to the start state, with the photo's storage kept for
    /// the next one to be decoded into. For a program that goes through many photos; the
    /// window has no such step (it keeps a photo until another one opens).
    void close_photo();
    void apply_profile(int index);

    static constexpr int max_light_level = 6;
    static constexpr std::int64_t phone_pixel_limit = 1300000;

private:
    // How a photo is had for an open: into `spare_photo_`, `load_outcome` and the
    // metadata; its statistics once it loaded.
    struct PhotoSource {
        std::function<bool(PhotoMetadata& metadata)> load;
        std::function<ProfileStatistics()> statistics;
    };
    // Opens the photo `source` gives, as open_photo does once a path is chosen; true when it opened.
    // `metadata` receives the metadata of the photo replaced.
    bool open_from(const std::string& path, const PhotoSource& source, PhotoMetadata& metadata);
    class StepScope;
    CorrectionState state() const;
    void restore(const CorrectionState& state);
    void render_corrected();
    // render_corrected under the hourglass: a whole photo's pass.
    void render_corrected_busy();
    // The status line after an open, whether or not it opened.
    void show_open_status(bool opened);
    void set_busy(bool busy);
    void correct_opened_photo(const std::string& path, const ProfileStatistics& statistics);
    void return_to_start_state();
    void reset_to_start_state();
    void flip_correction_face();
    void apply_from_org(const CurveTriple* triple);
    int current_profile() const;
    // Every change of the corrected photo is one of these three.
    void correct_from_org(const CurveTriple& triple);
    void correct_again(const CurveTriple& triple);
    void show_org_as_corrected();

    CorrectorEvents* events_;
    CorrectorEvents no_events_;
    // The storage of the photo shown before the last open, kept for the next photo to be
    // decoded into: a photo of the same size then writes no fresh pages.
    Bitmap32 spare_photo_;
    std::any view_ahead_;
    const CorrectedPixels corrected_pixels_;
    // The corrected photo is `org_photo` as it is, or through `corrected_curves_` at
    // `strength`: `applied_curves_`, which CorrectedPixels::on_save applies as it saves.
    bool shows_loaded_photo_ = true;
    CurveTriple corrected_curves_;
    CurveTriple applied_curves_;
    CorrectionHistory history_;
    bool busy_ = false;
    bool changed_since_open_ = false;
    // The photo shown as it was read, for giving it back when another replaces it.
    std::string shown_path_;
    std::optional<FileStamp> shown_stamp_;
    ProfileStatistics shown_statistics_{};
    LoadOutcome shown_outcome_;
};
