#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

/// Replaces the file at `path` with `size` bytes from `data`, so that the file is
/// either the old one, byte for byte, or the complete new one, never a mixture:
/// the bytes go to a temporary file in the same folder, are flushed to the disk,
/// and the temporary file is then renamed over `path`. A link at `path` is
/// followed and the file it points to is replaced. A replaced file keeps its
/// permission bits; a new one gets the usual ones for new files.
/// Throws EPhotoWriteError ("Cannot create file <path>" when the temporary file
/// cannot be made, "Cannot write file <path>: <reason>" otherwise); the temporary
/// file is removed on every failure.
void write_file_atomically(const std::string& path, const std::uint8_t* data, std::size_t size);

/// write_file_atomically for a file made piece by piece: the pieces go to the
/// temporary file as they come and are sent on to the disk while later ones are
/// still being made, so the flush before the rename has little left to wait for.
/// Same guarantees and errors; the temporary file is created at construction (which
/// throws "Cannot create file <path>") and removed unless commit() put it in place.
class AtomicFileWriter {
public:
    explicit AtomicFileWriter(const std::string& path);
    ~AtomicFileWriter();
    AtomicFileWriter(const AtomicFileWriter&) = delete;
    AtomicFileWriter& operator=(const AtomicFileWriter&) = delete;

    void write(const std::uint8_t* data, std::size_t size);
    /// Flushes the file to the disk and renames it over the target.
    void commit();

private:
    void discard();

    std::string path_;    // as the caller named it, for messages
    std::string target_;  // the file replaced (a link's target)
    std::vector<char> temporary_path_;
    int fd_ = -1;
    std::uint64_t written_ = 0;
    std::uint64_t sent_to_disk_ = 0;
    bool committed_ = false;
};
