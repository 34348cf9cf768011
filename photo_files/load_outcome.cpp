#include "photo_files/load_outcome.h"

namespace {

std::string size_text(const LoadOutcome& outcome)
{
    return std::to_string(outcome.width) + " x " + std::to_string(outcome.height);
}

}  // namespace

std::string load_failure_text(const LoadOutcome& outcome)
{
    switch (outcome.reason) {
        case LoadFailureReason::None:
            return "";
        case LoadFailureReason::NotAJpegName:
            return "the name does not end in .jpg, .jpeg, .heic, .heif, .hif or .avif";
        case LoadFailureReason::CannotReadFile:
            return outcome.system_message.empty() ? "cannot read the file"
                                                  : "cannot read the file: " + outcome.system_message;
        case LoadFailureReason::EmptyFile:
            return "empty file";
        case LoadFailureReason::NotAJpeg:
            return "not a JPEG";
        case LoadFailureReason::NotAHeif:
            return "not a HEIF photo";
        case LoadFailureReason::TooManyPixels:
            return "too large to open: " + size_text(outcome) + " pixels";
        case LoadFailureReason::TooManyScans:
            return "more progressive scans than any real photo has";
        case LoadFailureReason::DecoderError:
            return "decoder error: " + outcome.decoder_message;
        case LoadFailureReason::OutOfMemory:
            if (outcome.width == 0 && outcome.height == 0) return "not enough memory to read the file";
            return "not enough memory for a photo of " + size_text(outcome);
    }
    return "";
}

std::string early_end_text(const LoadOutcome& outcome)
{
    if (outcome.reason != LoadFailureReason::None || !outcome.data_ends_early) return "";
    const std::string text = "the photo's data ends early";
    if (outcome.grey_rows <= 0) return text;
    if (outcome.grey_rows == 1) return text + ": 1 row is grey";
    return text + ": " + std::to_string(outcome.grey_rows) + " rows are grey";
}
