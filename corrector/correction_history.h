#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "engine/camera_type.h"
#include "engine/curve_triple.h"

/// Everything an undoable step can change: the corrector's settings, the curves that make
/// the corrected photo from the loaded one, and what the window says about them. No pixels:
/// the corrected photo follows from the loaded one and these.
struct CorrectionState {
    CameraType camera_type = CameraType::MobilePhone;
    std::int32_t phone_profile = 0;
    std::int32_t camera_profile = 0;
    bool correction_shown = false;
    int light_level = 0;
    int strength = 0;
    // The corrected photo is the loaded one as it is, or through `curves` at `strength`.
    bool shows_loaded_photo = true;
    CurveTriple curves{};
    std::string status_text;
    std::string profile_caption;
    std::string correction_caption;
    bool captions_visible = false;
    int toggle_face = 0;
    std::pair<int, int> camera_faces;
    bool operator==(const CorrectionState&) const = default;
};

/// The steps taken on one photo, each kept as the state before it, and the steps undone
/// since the last new one.
class CorrectionHistory {
public:
    /// A new step was taken from `before`: what was undone can no longer be redone.
    void record(const CorrectionState& before);
    bool can_undo() const { return !undo_states_.empty(); }
    bool can_redo() const { return !redo_states_.empty(); }
    /// The state before the last step; `current` becomes redoable. Only when can_undo().
    CorrectionState undo(const CorrectionState& current);
    /// The state the last undo left; `current` becomes undoable again. Only when can_redo().
    CorrectionState redo(const CorrectionState& current);
    void clear();

private:
    std::vector<CorrectionState> undo_states_;
    std::vector<CorrectionState> redo_states_;
};
