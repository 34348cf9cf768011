#include "photo_files/load_failure.h"

namespace {

std::string size_text(const LoadFailure& failure)
{
    return std::to_string(failure.width) + " x " + std::to_string(failure.height);
}

}  // namespace

std::string load_failure_text(const LoadFailure& failure)
{
    switch (failure.reason) {
        case LoadFailureReason::None:
            return "";
        case LoadFailureReason::NotAJpegName:
            return "the name does not end in .jpg or .jpeg";
        case LoadFailureReason::CannotReadFile:
            return "cannot read the file";
        case LoadFailureReason::NotAJpeg:
            return "not a JPEG";
        case LoadFailureReason::TooManyPixels:
            return "too large to open: " + size_text(failure) + " pixels";
        case LoadFailureReason::TooManyScans:
            return "more progressive scans than any real photo has";
        case LoadFailureReason::DecoderError:
            return "decoder error: " + failure.decoder_message;
        case LoadFailureReason::OutOfMemory:
            if (failure.width == 0 && failure.height == 0) return "not enough memory to read the file";
            return "not enough memory for a photo of " + size_text(failure);
    }
    return "";
}
