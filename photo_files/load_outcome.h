#pragma once

#include <string>

/// Why a photo did not load. The window shows its one load-failure message
/// whatever the reason; diagnostics and batch tools print load_failure_text.
enum class LoadFailureReason {
    None,            // the photo loaded
    NotAJpegName,    // the extension chooses no decoder
    CannotReadFile,  // missing, unreadable, a folder, a device or a named pipe
    EmptyFile,       // a file of no bytes: no photo, whatever its name says
    NotAJpeg,        // the bytes do not start like a JPEG stream
    NotAHeif,        // a HEIF or AVIF name on bytes libheif does not take for such a file
    TooManyPixels,   // the header claims more than kMaxPhotoPixels
    TooManyScans,    // more than kMaxJpegScans scans
    // Anything else libjpeg refuses, in its own words. A file whose components have
    // no conversion to RGB (two, or five and more) is one: "Unsupported color
    // conversion request", as libjpeg says when asked for that conversion.
    DecoderError,
    OutOfMemory,  // storage for the file, the pixels or the decoder's work could not be had
};

/// What a load found: why it failed, or, for a photo that loaded, whether its data
/// ended before its last row.
struct LoadOutcome {
    LoadFailureReason reason = LoadFailureReason::None;
    std::string decoder_message;  // libjpeg's or libheif's message, for DecoderError only
    std::string system_message;   // the system's reason, for CannotReadFile ("Permission denied")
    // The size the file's header gives (before any EXIF turn); 0 x 0 when the load
    // failed before the header was read.
    int width = 0;
    int height = 0;
    // A loaded photo whose data ends inside its image: the decoder fills what is
    // missing with grey. `grey_rows` counts the stored rows at the bottom that got no
    // data at all; the band of rows just above them may be grey in part. It is 0 when
    // only that band lacks data, and for a progressive photo cut off in a later scan,
    // which lacks only detail.
    bool data_ends_early = false;
    int grey_rows = 0;
};

/// A short English text for a failed load that says what happened: "the name does not
/// end in .jpg, .jpeg, .heic, .heif, .hif or .avif", "cannot read the file: <the
/// system's reason>", "empty file", "not a JPEG", "not a HEIF photo", "too large to
/// open: <width> x <height> pixels", "more progressive scans than any real photo has",
/// "decoder error: <the decoder's message>", "not enough memory for a photo of <width>
/// x <height>" or, before the header was read, "not enough memory to read the file";
/// empty when nothing failed.
std::string load_failure_text(const LoadOutcome& outcome);

/// For a photo that loaded although its data ends early: "the photo's data ends
/// early: <n> rows are grey" (one row: "1 row is grey"), or "the photo's data ends
/// early" when no row is wholly missing; empty for a whole photo.
std::string early_end_text(const LoadOutcome& outcome);
