#include "corrector/photo_corrector.h"

#include <algorithm>
#include <exception>
#include <string>
#include <tuple>

#include "engine/curve_triple.h"
#include "engine/database.h"
#include "engine/profile_selection.h"
#include "engine/streaming_profile_measure.h"
#include "photo_files/file_stamp.h"
#include "photo_files/load_outcome.h"

namespace {

// Clears `busy` when an operation leaves by an exception (an allocation
// failure, a failed write), so the hourglass never outlives the operation.
template <typename Clear>
class BusyGuard {
public:
    explicit BusyGuard(Clear clear) : clear_(clear) {}
    ~BusyGuard()
    {
        if (active_) clear_();
    }
    void release() { active_ = false; }

private:
    Clear clear_;
    bool active_ = true;
};

// Short enough for the status line beside the title, in the status line's capitals.
std::string early_end_status(const LoadOutcome& outcome)
{
    const std::string text = "PHOTO DATA ENDS EARLY";
    if (outcome.grey_rows <= 0) return text;
    if (outcome.grey_rows == 1) return text + ": 1 ROW GREY";
    return text + ": " + std::to_string(outcome.grey_rows) + " ROWS GREY";
}

CurveTriple identity_curves()
{
    CurveTriple identity;
    for (int i = 0; i < 256; ++i)
        identity.red_table[i] = identity.green_table[i] = identity.blue_table[i] =
            static_cast<std::uint8_t>(i);
    return identity;
}

}  // namespace

// Records the operation it spans as a step when the operation changed the state of a loaded
// photo and did not fail.
class PhotoCorrector::StepScope {
public:
    explicit StepScope(PhotoCorrector& corrector)
        : corrector_(corrector), recording_(corrector.photo_loaded), exceptions_(std::uncaught_exceptions())
    {
        if (recording_) before_ = corrector.state();
    }
    StepScope(const StepScope&) = delete;
    StepScope& operator=(const StepScope&) = delete;
    ~StepScope()
    {
        if (!recording_ || std::uncaught_exceptions() != exceptions_) return;
        try {
            if (!(corrector_.state() == before_)) corrector_.history_.record(before_);
        } catch (...) {
            // A step the memory cannot hold stays done but cannot be undone.
        }
    }

private:
    PhotoCorrector& corrector_;
    const bool recording_;
    const int exceptions_;
    CorrectionState before_;
};

PhotoCorrector::PhotoCorrector(CorrectorEvents* events, CorrectedPixels corrected_pixels)
    : events_(events ? events : &no_events_),
      corrected_pixels_(corrected_pixels),
      corrected_curves_(identity_curves()),
      applied_curves_(identity_curves())
{
}

void PhotoCorrector::correct_from_org(const CurveTriple& triple)
{
    corrected_curves_ = triple;
    shows_loaded_photo_ = false;
    render_corrected();
}

void PhotoCorrector::correct_again(const CurveTriple& triple)
{
    // Per channel, a curve applied to a curve's result is one composed curve, so the corrected
    // photo stays one pass from the loaded one whatever the strength.
    const bool shown_at_full_strength = strength == kFullStrength && applied_curves_ == corrected_curves_;
    corrected_curves_ = compose_curves(corrected_curves_, triple);
    shows_loaded_photo_ = false;
    if (!shown_at_full_strength || corrected_pixels_ != CorrectedPixels::shown) {
        render_corrected();
        return;
    }
    // The same bytes with a third less memory traffic: the step applied where the photo stands,
    // as a LIGHTER or DARKER click is felt.
    changed_since_open_ = true;
    applied_curves_ = corrected_curves_;
    apply_curves(&corrected_photo, &corrected_photo, triple);
}

void PhotoCorrector::show_org_as_corrected()
{
    corrected_curves_ = identity_curves();
    shows_loaded_photo_ = true;
    render_corrected();
}

void PhotoCorrector::render_corrected()
{
    changed_since_open_ = true;
    applied_curves_ =
        shows_loaded_photo_ ? identity_curves() : curves_at_strength(corrected_curves_, strength);
    if (corrected_pixels_ == CorrectedPixels::on_save) return;
    if (shows_loaded_photo_)
        corrected_photo.assign(&org_photo);
    else
        apply_curves(&corrected_photo, &org_photo, applied_curves_);
}

void PhotoCorrector::render_corrected_busy()
{
    set_busy(true);
    BusyGuard guard([this] { set_busy(false); });
    render_corrected();
    guard.release();
    set_busy(false);
}

CurveTriple PhotoCorrector::corrected_curves_at(int percent) const
{
    return shows_loaded_photo_ ? identity_curves() : curves_at_strength(corrected_curves_, percent);
}

std::string PhotoCorrector::strength_text() const
{
    if (strength == kFullStrength) return {};
    std::string text = "  STRENGTH ";
    text.append(std::to_string(strength)).append(" %");
    return text;
}

std::string PhotoCorrector::status_line() const
{
    return status_text + strength_text();
}

CorrectionState PhotoCorrector::state() const
{
    return {camera_type,        phone_profile,       camera_profile,    correction_shown, light_level,
            strength,           shows_loaded_photo_, corrected_curves_, status_text,      profile_caption,
            correction_caption, captions_visible,    toggle_face,       camera_faces};
}

void PhotoCorrector::restore(const CorrectionState& state)
{
    camera_type = state.camera_type;
    phone_profile = state.phone_profile;
    camera_profile = state.camera_profile;
    correction_shown = state.correction_shown;
    light_level = state.light_level;
    strength = state.strength;
    shows_loaded_photo_ = state.shows_loaded_photo;
    corrected_curves_ = state.curves;
    status_text = state.status_text;
    profile_caption = state.profile_caption;
    correction_caption = state.correction_caption;
    captions_visible = state.captions_visible;
    toggle_face = state.toggle_face;
    camera_faces = state.camera_faces;
    render_corrected_busy();
}

void PhotoCorrector::undo_step()
{
    if (history_.can_undo()) restore(history_.undo(state()));
}

void PhotoCorrector::redo_step()
{
    if (history_.can_redo()) restore(history_.redo(state()));
}

void PhotoCorrector::set_strength(int percent)
{
    const StepScope step(*this);
    percent = std::clamp(percent, 0, kFullStrength);
    if (percent == strength) return;
    strength = percent;
    render_corrected_busy();
}

void PhotoCorrector::set_busy(bool busy)
{
    if (busy == busy_) return;
    busy_ = busy;
    events_->busy_changed(busy);
}

void PhotoCorrector::set_start_values()
{
    phone_profile = 0;
    camera_profile = 0;
    photo_saved = false;
    working_bitmap = Bitmap24();
    correction_shown = false;
    photo_loaded = false;
}

int PhotoCorrector::current_profile() const
{
    return camera_type == CameraType::DigitalCamera ? camera_profile : phone_profile;
}

void PhotoCorrector::apply_profile(int index)
{
    apply_from_org(curve_for_profile(camera_type, index));
}

void PhotoCorrector::apply_from_org(const CurveTriple* triple)
{
    set_busy(true);
    BusyGuard guard([this] { set_busy(false); });
    if (triple) correct_from_org(*triple);
    guard.release();
    set_busy(false);
    light_level = 0;
}

void PhotoCorrector::open_photo(const std::optional<std::string>& path)
{
    open_photo([&path] { return path; });
}

void PhotoCorrector::open_photo(const std::function<std::optional<std::string>()>& choose_open_path)
{
    status_text = "LOADING PHOTO";
    events_->loading_started();
    const std::optional<std::string> path = choose_open_path();

    bool opened = false;
    if (path) {
        // Measured while it decodes.
        StreamingProfileMeasure measure;
        std::optional<FileStamp> stamp;
        const PhotoSource source{
            [&](PhotoMetadata& metadata) {
                stamp = file_stamp(*path);
                bool loaded = false;
                measure.run(
                    [&] { loaded = load_photo(*path, spare_photo_, &metadata, &load_outcome, &measure); });
                if (file_stamp(*path) != stamp) stamp.reset();
                return loaded;
            },
            [&] { return measure.statistics(); }};
        PhotoMetadata replaced;
        opened = open_from(*path, source, replaced);
        if (opened) shown_stamp_ = stamp;
    }
    show_open_status(opened);
}

std::unique_ptr<PreparedPhoto> PhotoCorrector::open_prepared_photo(std::unique_ptr<PreparedPhoto> photo)
{
    status_text = "LOADING PHOTO";
    events_->loading_started();
    const std::string path = photo->path;
    const PhotoSource source{[&](PhotoMetadata& metadata) {
                                 spare_photo_.swap_pixels(photo->pixels);
                                 metadata = std::move(photo->metadata);
                                 load_outcome = photo->outcome;
                                 return photo->loaded;
                             },
                             [&] {
                                 if (photo->error) std::rethrow_exception(photo->error);
                                 return photo->statistics;
                             }};
    const std::string left_path = shown_path_;
    const std::optional<FileStamp> left_stamp = shown_stamp_;
    const ProfileStatistics left_statistics = shown_statistics_;
    const LoadOutcome left_outcome = shown_outcome_;
    PhotoMetadata replaced;
    view_ahead_ = std::exchange(photo->view_ahead, std::any());
    const bool opened = open_from(path, source, replaced);
    view_ahead_.reset();
    // The photo replaced goes back with it; the photo held for going back takes the place of
    // the storage kept for the next decode, so stepping holds no more photos than that.
    photo->pixels.swap_pixels(spare_photo_);
    spare_photo_.set_size(0, 0);
    photo->path.clear();
    if (opened) {
        shown_stamp_ = photo->stamp;
        if (!left_path.empty()) {
            photo->path = left_path;
            photo->stamp = left_stamp;
            photo->metadata = std::move(replaced);
            photo->outcome = left_outcome;
            photo->loaded = true;
            photo->statistics = left_statistics;
            photo->error = nullptr;
        }
    }
    show_open_status(opened);
    return photo;
}

void PhotoCorrector::show_open_status(bool opened)
{
    if (!photo_loaded) status_text = "READY";
    // After a cancelled dialog the status line shows the photo opened last.
    if (file_part.size() > 1) status_text = file_part;
    // Grey rows look like a fault of the correction unless the status line says where they come from.
    if (opened && load_outcome.data_ends_early) status_text = early_end_status(load_outcome);
}

bool PhotoCorrector::open_from(const std::string& path, const PhotoSource& source, PhotoMetadata& replaced)
{
    // What a photo that does not load gives back: the program as it was before the open.
    const bool was_loaded = photo_loaded;
    const bool captions_were_visible = captions_visible;
    const std::pair profiles_before{phone_profile, camera_profile};

    photo_loaded = false;
    set_busy(true);
    BusyGuard guard([this] { set_busy(false); });
    captions_visible = true;
    camera_profile = 1;
    phone_profile = 5;

    // Loaded beside the photo shown, so that a failure leaves that photo whole.
    PhotoMetadata metadata;
    if (!source.load(metadata)) {
        // A photo that did not load holds no storage worth keeping.
        spare_photo_.set_size(0, 0);
        events_->load_failed();
        guard.release();
        set_busy(false);
        photo_loaded = was_loaded;
        captions_visible = captions_were_visible;
        std::tie(phone_profile, camera_profile) = profiles_before;
        return false;
    }
    try {
        org_photo.swap_pixels(spare_photo_);
        replaced = std::move(org_metadata);
        org_metadata = std::move(metadata);
        shown_statistics_ = source.statistics();
        correct_opened_photo(path, shown_statistics_);
    } catch (...) {
        // The old photo is gone and the new one half done: neither can be shown whole.
        return_to_start_state();
        throw;
    }
    shown_path_ = path;
    shown_outcome_ = load_outcome;
    guard.release();
    set_busy(false);
    status_text = file_part;
    return true;
}

void PhotoCorrector::correct_opened_photo(const std::string& path, const ProfileStatistics& statistics)
{
    history_.clear();
    decide_profiles(statistics, phone_profile, camera_profile);

    const auto pixels = static_cast<std::int64_t>(org_photo.width()) * org_photo.height();
    if (pixels > phone_pixel_limit) {
        camera_type = CameraType::DigitalCamera;
        camera_faces = {IconFace::Camera, IconFace::PhoneFaded};
    } else {
        camera_type = CameraType::MobilePhone;
        camera_faces = {IconFace::CameraFaded, IconFace::Phone};
    }
    status_text = "PHOTO LOADED";
    status_text = "CORRECTING";
    profile_caption =
        camera_type == CameraType::DigitalCamera ? "DIGITAL CAMERA PROFILE" : "MOBILE PHONE PROFILE";
    correction_caption = "AUTOMATIC CORRECTION";
    apply_profile(current_profile());
    status_text = "READY";
    toggle_face = IconFace::CorrectionOn;
    // The corrected view shows the correction, so the button's first press takes it away.
    correction_shown = true;

    changed_since_open_ = false;
    // The window fits its views before the photo counts as loaded.
    events_->photo_opened();
    photo_loaded = true;
    photo_saved = false;
    file_part = file_name_part(path);
}

void PhotoCorrector::close_photo()
{
    // The storage the photo leaves is what the next photo, likely of the same size, decodes into.
    if (spare_photo_.is_empty()) spare_photo_.swap_pixels(org_photo);
    reset_to_start_state();
}

void PhotoCorrector::return_to_start_state()
{
    spare_photo_.set_size(0, 0);
    reset_to_start_state();
    events_->start_state_restored();
}

void PhotoCorrector::reset_to_start_state()
{
    shown_path_.clear();
    shown_stamp_.reset();
    changed_since_open_ = false;
    org_photo.set_size(0, 0);
    corrected_photo.set_size(0, 0);
    corrected_curves_ = identity_curves();
    applied_curves_ = identity_curves();
    shows_loaded_photo_ = true;
    history_.clear();
    working_bitmap = Bitmap24();
    org_metadata = PhotoMetadata();
    photo_loaded = false;
    photo_saved = false;
    camera_type = CameraType::MobilePhone;
    phone_profile = 0;
    camera_profile = 0;
    correction_shown = false;
    light_level = 0;
    file_part.clear();
    status_text = "READY";
    profile_caption = "DIGITAL CAMERA PROFILE";
    correction_caption = "AUTOMATIC CORRECTION";
    captions_visible = false;
    toggle_face = IconFace::CorrectionOff;
    camera_faces = {IconFace::CameraFaded, IconFace::PhoneFaded};
}

void PhotoCorrector::toggle_correction()
{
    const StepScope step(*this);
    // With no photo the window runs its open sequence instead.
    if (!photo_loaded) return;
    if (correction_shown) {
        toggle_face = IconFace::CorrectionOff;
        show_org_as_corrected();
        correction_caption = "NO CORRECTION";
        correction_shown = false;
    } else {
        apply_profile(current_profile());
        correction_shown = true;
        toggle_face = IconFace::CorrectionOn;
        correction_caption = "AUTOMATIC CORRECTION";
    }
}

void PhotoCorrector::flip_correction_face()
{
    if (!correction_shown) {
        toggle_face = IconFace::CorrectionOn;
        correction_shown = true;
    } else {
        toggle_face = IconFace::CorrectionOff;
        correction_shown = false;
    }
}

void PhotoCorrector::begin_open_from_correction_button()
{
    flip_correction_face();
}

void PhotoCorrector::end_open_from_correction_button()
{
    // A photo that opened set the face and the correction itself.
    if (photo_loaded) return;
    toggle_face = IconFace::CorrectionOff;
    correction_shown = false;
}

void PhotoCorrector::set_camera_type(CameraType type)
{
    const StepScope step(*this);
    if (type == camera_type) return;
    camera_type = type;
    if (type == CameraType::MobilePhone) {
        camera_faces = {IconFace::CameraFaded, IconFace::Phone};
        profile_caption = "MOBILE PHONE PROFILE";
    } else {
        camera_faces = {IconFace::Camera, IconFace::PhoneFaded};
        profile_caption = "DIGITAL CAMERA PROFILE";
    }
    apply_profile(current_profile());
    // The corrected view now shows the automatic correction: the captions and the
    // correction button say so, as after switching the correction on.
    if (photo_loaded) {
        correction_caption = "AUTOMATIC CORRECTION";
        toggle_face = IconFace::CorrectionOn;
        correction_shown = true;
    }
}

void PhotoCorrector::apply_preset(ScenePreset preset)
{
    const StepScope step(*this);
    const ScenePresetInfo& info = preset_info(preset);
    const CurveTriple* first = curve_for_profile(camera_type, info.first_index);
    const CurveTriple* second =
        info.second_index != 0 ? curve_for_profile(camera_type, info.second_index) : nullptr;
    if (first == nullptr) {
        // Nothing to apply from the loaded photo: the preset starts from it as it is, in
        // one pass when a second curve follows.
        if (second)
            apply_from_org(second);
        else
            show_org_as_corrected();
        light_level = 0;
    } else if (second) {
        // The second curve applied to the first's result, per channel, is one
        // composed curve: the same levels in one pass over the photo instead of three.
        const CurveTriple composed = compose_curves(*first, *second);
        apply_from_org(&composed);
    } else {
        // apply_curves replaces every pixel, so no copy of the loaded photo is needed first.
        apply_from_org(first);
    }
    correction_caption = info.caption;
    toggle_face = IconFace::CorrectionOff;
    correction_shown = false;
}

void PhotoCorrector::lighten()
{
    const StepScope step(*this);
    if (light_level >= max_light_level) return;
    correct_again(lighter_curve);
    ++light_level;
}

void PhotoCorrector::darken()
{
    const StepScope step(*this);
    if (light_level <= -max_light_level) return;
    correct_again(darker_curve);
    --light_level;
}

void PhotoCorrector::undo()
{
    const StepScope step(*this);
    if (!photo_loaded) return;
    // The captions, the button and the light meter say what the views now show, so the
    // next press of the correction button applies the correction and a save is not
    // taken for a corrected one.
    show_org_as_corrected();
    correction_caption = "NO CORRECTION";
    toggle_face = IconFace::CorrectionOff;
    correction_shown = false;
    light_level = 0;
}

const Bitmap32& PhotoCorrector::photo_to_save() const
{
    return corrected_pixels_ == CorrectedPixels::shown ? corrected_photo : org_photo;
}

const CurveTriple* PhotoCorrector::curves_on_save() const
{
    return corrected_pixels_ == CorrectedPixels::shown ? nullptr : &applied_curves_;
}

void PhotoCorrector::save_photo(const std::optional<std::string>& path)
{
    if (!photo_loaded || !path) return;
    // Encoding a big photo takes a moment: show the hourglass meanwhile.
    set_busy(true);
    BusyGuard guard([this] { set_busy(false); });
    write_photo(photo_to_save(), *path, org_metadata, curves_on_save());
    guard.release();
    set_busy(false);
    photo_saved = true;
    status_text = "Saved " + file_name_part(*path);
}
