#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

/// Replaces the file at a path with one made piece by piece, so that the file is
/// either the old one, byte for byte, or the complete new one, never a mixture: the
/// pieces go to a temporary file in the same folder as they come and are sent on to
/// the disk while later ones are still being made; commit() flushes the rest and
/// renames the temporary file over the path. A link at the path is followed and the
/// file it points to is replaced. A replaced file keeps its permission bits; a new
/// one gets the usual ones for new files.
/// Throws EPhotoWriteError: "Cannot create file <path>" from the constructor when the
/// temporary file cannot be made, "Cannot write file <path>: <reason>" otherwise. The
/// temporary file is removed unless commit() put it in place.
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
