#pragma once

#include <atomic>
#include <span>
#include <string>

#include "batch/photo_jobs.h"
#include "corrector/button_presses.h"
#include "corrector/photo_corrector.h"

/// How one photo of a batch ended.
struct PhotoOutcome {
    enum class Result { corrected, skipped, failed, interrupted };
    Result result = Result::failed;
    std::string reason;  // for skipped and failed
};

/// What every photo of a batch gets done to it.
struct CorrectionSteps {
    std::span<const ButtonPress> presses;
    bool overwrite = false;
};

/// Corrects one photo as the window program would: `corrector` opens the input,
/// the presses are replayed, and the corrector saves to the output (creating its
/// folder), so the file is the one the window saves after the same clicks. An
/// existing output is skipped unless `steps.overwrite`. Once `stop` is set the
/// photo is given up before its next step; a save under way is finished, so a
/// stop never leaves a partial file. Never throws.
PhotoOutcome correct_photo(PhotoCorrector& corrector, const PhotoJob& job, const CorrectionSteps& steps,
                           const std::atomic<bool>& stop);
