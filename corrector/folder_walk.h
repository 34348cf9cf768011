#pragma once

#include <optional>
#include <string>
#include <vector>

#include "corrector/photo_corrector.h"
#include "corrector/photo_read_ahead.h"
#include "photo_files/folder_photos.h"

/// Going through the photos of the shown photo's folder one after another, with the
/// photo next in the direction of travel read ahead. The folder is listed again at
/// every step, so photos added, renamed or deleted meanwhile are seen.
class FolderWalk {
public:
    explicit FolderWalk(PhotoCorrector& corrector) : corrector_(corrector) {}

    /// How a step ended.
    enum class Outcome {
        opened,     // the photo reached is shown
        at_end,     // no photo that way: nothing changed
        failed,     // the photo reached did not open (corrector.load_outcome says why); the
                    // photo shown stays, and the next step goes on past the one that failed
        no_folder,  // no photo was opened yet
    };

    /// Follows the corrector's shown photo when it was opened some other way (the open
    /// dialog, a drop, the command line): its folder is walked from there on, and the
    /// photo after it read ahead. Does nothing while it is the photo a step reached.
    void follow_shown_photo();
    /// The path a step reaches, or nothing at that end of the folder.
    std::optional<std::string> target(FolderStep step) const;
    /// Opens the photo a step reaches, from the read-ahead when it has it; a photo that is
    /// gone by then is passed over in the same direction.
    Outcome step(FolderStep step);
    /// Makes the step from the photo at `path` (one just written beside it, say) as if
    /// the walk stood there.
    void stand_at(const std::string& path);
    /// "12 / 48": where the walk stands among the folder's photos as they were at the last
    /// step; empty without a folder or when the photo there was gone.
    const std::string& position_text() const { return position_text_; }
    /// The name of the photo the walk stands at (a photo that failed to open included).
    const std::string& position() const { return position_; }

    PhotoReadAhead& read_ahead() { return read_ahead_; }

private:
    std::string path_of(const std::string& name) const;
    // The three below work from one listing of the folder, `names`.
    std::optional<std::string> target_in(const std::vector<std::string>& names, FolderStep step) const;
    void read_ahead_from(const std::vector<std::string>& names);
    void count_position(const std::vector<std::string>& names);

    PhotoCorrector& corrector_;
    std::string folder_;
    std::string position_;
    std::string position_text_;
    std::string followed_path_;  // the corrector's shown photo the walk knows of
    bool forward_ = true;
    PhotoReadAhead read_ahead_;
};
