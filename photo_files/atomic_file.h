#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "photo_files/photo_write_error.h"

/// What a save does about a file that stands at its path, or appears there while it is written.
enum class ExistingFile {
    // The window's save, which asked first: a link at the path is followed and the file it
    // points to is replaced.
    replace_through_links,
    // Replaced, but a link at the path is never written through: the save fails instead.
    replace_but_not_links,
    // Kept: when anything stands at the path by the time the new file is put in place,
    // the save fails with EFileExists and the new file goes.
    keep,
};

/// A save that kept the file (or link) that stands at its path.
class EFileExists : public EPhotoWriteError {
public:
    using EPhotoWriteError::EPhotoWriteError;
};

/// Replaces the file at a path with one made piece by piece, so that the file is
/// either the old one, byte for byte, or the complete new one, never a mixture: the
/// pieces go to a temporary file in the same folder as they come and are sent on to
/// the disk while later ones are still being made; commit() flushes the rest and
/// renames the temporary file over the path. What happens to a file already there,
/// or to a link there, `existing` says. A replaced file keeps its permission bits; a
/// new one gets the usual ones for new files.
/// Throws EPhotoWriteError: "Cannot create file <path>" from the constructor when the
/// temporary file cannot be made, "Cannot write file <path>: <reason>" otherwise. The
/// "<path> is a symbolic link" when a link stands at the path and may not be written
/// through, EFileExists "<path> exists" when a kept file stands there. The temporary
/// file is removed unless commit() put it in place.
class AtomicFileWriter {
public:
    explicit AtomicFileWriter(const std::string& path,
                              ExistingFile existing = ExistingFile::replace_through_links);
    ~AtomicFileWriter();
    AtomicFileWriter(const AtomicFileWriter&) = delete;
    AtomicFileWriter& operator=(const AtomicFileWriter&) = delete;

    void write(const std::uint8_t* data, std::size_t size);
    /// Flushes the file to the disk and puts it in place at the target.
    void commit();
    /// commit() in steps, for a caller that commits many files and syncs each folder once:
    /// start_flush() sends the file on to the disk without waiting, flush() waits until the disk
    /// has it, place() puts it in place, and sync_folder(folder()) makes that last.
    void start_flush();
    void flush();
    void place();
    std::string folder() const;
    const std::string& path() const { return path_; }

private:
    void discard();

    std::string path_;    // as the caller named it, for messages
    std::string target_;  // the file replaced (a link's target)
    ExistingFile existing_;
    std::vector<char> temporary_path_;
    int fd_ = -1;
    std::uint64_t written_ = 0;
    std::uint64_t sent_to_disk_ = 0;
    bool committed_ = false;
};

/// Makes what was renamed in `folder` last on the disk; a folder that cannot be synced is left.
void sync_folder(const std::string& folder);
