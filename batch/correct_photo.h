#pragma once

#include <atomic>
#include <memory>
#include <span>
#include <string>

#include "batch/photo_jobs.h"
#include "corrector/button_presses.h"
#include "corrector/photo_corrector.h"
#include "photo_files/atomic_file.h"

/// How one photo of a batch ended.
struct PhotoOutcome {
    enum class Result { corrected, skipped, failed, interrupted };
    Result result = Result::failed;
    std::string reason;  // for skipped and failed; for corrected, what the user should know (or empty)
    bool data_ended_early = false;  // corrected, but part of the photo is grey
};

/// What every photo of a batch gets done to it.
struct CorrectionSteps {
    std::span<const ButtonPress> presses;
    bool overwrite = false;
};

/// A photo corrected and written, waiting to be put in place, or how it ended.
struct CorrectedPhoto {
    PhotoOutcome outcome;
    // The written file when it still has to be committed; the outcome is then that of a commit
    // that succeeds.
    std::unique_ptr<AtomicFileWriter> file;
};

/// Corrects one photo as the window program would: `corrector` opens the input,
/// the presses are replayed, and the photo the corrector would save is written for the
/// output (creating its folder), so the file is the one the window saves after the same
/// clicks. The file is returned uncommitted, sent on to the disk, for the caller to put
/// in place when the disk has it (SaveQueue); a commit that finds a file appeared at the
/// output meanwhile makes the photo skipped. Only an existing output is skipped (and only without
/// `steps.overwrite`); a link at the output, or an output path that cannot be examined, fails with its cause,
/// as does a file that appears there before the commit. Once `stop` is set the photo is
/// given up before its next step. Never throws.
CorrectedPhoto correct_photo(PhotoCorrector& corrector, const PhotoJob& job, const CorrectionSteps& steps,
                             const std::atomic<bool>& stop);
