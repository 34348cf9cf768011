#pragma once

#include <any>
#include <exception>
#include <optional>
#include <string>

#include "engine/bitmap32.h"
#include "engine/profile_rules.h"
#include "photo_files/file_stamp.h"
#include "photo_files/load_outcome.h"
#include "photo_files/photo_metadata.h"

/// A photo read, decoded and measured before it is shown: what an open would find in
/// the file, so that showing it needs no decode.
struct PreparedPhoto {
    std::string path;
    // The file as it was before it was read; a file without one is read again when shown.
    std::optional<FileStamp> stamp;
    Bitmap32 pixels;
    PhotoMetadata metadata;
    LoadOutcome outcome;
    bool loaded = false;
    ProfileStatistics statistics{};
    // Measuring failed (more pixels than a histogram counts): an open says why.
    std::exception_ptr error;
    // What the window drew of it ahead (its original view), in the window's own type; empty
    // when nothing was drawn.
    std::any view_ahead;
};

/// Where a photo is measured while it decodes.
enum class MeasureOn {
    this_thread,  // leaving the row pool to the photo shown: for a photo read ahead
    row_pool,     // beside the decode, as an open does: for a photo wanted now
};

/// Reads `path` into `photo` as PhotoCorrector::open_photo does, decoding into the
/// storage `photo.pixels` already has. Never throws.
void prepare_photo(const std::string& path, PreparedPhoto& photo, MeasureOn measure_on);

/// True while the file at `photo.path` is the one `photo` was read from.
bool still_on_disk(const PreparedPhoto& photo);
