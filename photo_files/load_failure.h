#pragma once

#include <string>

/// Why a photo did not load. The window shows its one load-failure message
/// whatever the reason; diagnostics and batch tools print load_failure_text.
enum class LoadFailureReason {
    None,            // the photo loaded
    NotAJpegName,    // the extension chooses no decoder
    CannotReadFile,  // missing, unreadable, a folder, a device or a named pipe
    NotAJpeg,        // the bytes do not start like a JPEG stream
    TooManyPixels,   // the header claims more than kMaxPhotoPixels
    TooManyScans,    // more than kMaxJpegScans scans
    // Anything else libjpeg refuses, in its own words. A file whose components have
    // no conversion to RGB (two, or five and more) is one: "Unsupported color
    // conversion request", as libjpeg says when asked for that conversion.
    DecoderError,
    OutOfMemory,  // storage for the file, the pixels or the decoder's work could not be had
};

struct LoadFailure {
    LoadFailureReason reason = LoadFailureReason::None;
    std::string decoder_message;  // libjpeg's message, for DecoderError only
    // The size the file's header gives (before any EXIF turn); 0 x 0 when the load
    // failed before the header was read.
    int width = 0;
    int height = 0;
};

/// A short English text for `failure` that says what happened: "the name does not
/// end in .jpg or .jpeg", "cannot read the file", "not a JPEG", "too large to open:
/// <width> x <height> pixels", "more progressive scans than any real photo has",
/// "decoder error: <libjpeg's message>", "not enough memory for a photo of <width> x
/// <height>" or, before the header was read, "not enough memory to read the file";
/// empty when nothing failed.
std::string load_failure_text(const LoadFailure& failure);
