#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

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
