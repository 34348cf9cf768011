#include "photo_files/load_failure.h"

std::string load_failure_text(const LoadFailure& failure)
{
    switch (failure.reason) {
        case LoadFailureReason::None:
            return "";
        case LoadFailureReason::NotAJpegName:
            return "not a JPEG name";
        case LoadFailureReason::CannotReadFile:
            return "cannot read the file";
        case LoadFailureReason::NotAJpeg:
            return "not a JPEG";
        case LoadFailureReason::TooManyPixels:
            return "too many pixels";
        case LoadFailureReason::TooManyScans:
            return "too many scans";
        case LoadFailureReason::DecoderError:
            return "decoder error: " + failure.decoder_message;
        case LoadFailureReason::OutOfMemory:
            return "out of memory";
    }
    return "";
}
