#include "photo_files/jpeg_photo.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <memory>
#include <new>

#include "engine/bitmap32.h"
#include "engine/row_sink.h"
#include "photo_files/atomic_file.h"
#include "photo_files/file_names.h"
#include "photo_files/heif_decoder.h"
#include "photo_files/jpeg_decoder.h"
#include "photo_files/jpeg_encoder.h"
#include "photo_files/saved_photo_metadata.h"

namespace {

// Reads the whole file; None when it is in `bytes`. CannotReadFile, with the system's
// reason in `outcome`, when it is missing, a folder, a device or unreadable;
// OutOfMemory when it is too big to hold.
LoadFailureReason read_whole_file(const std::string& path, std::unique_ptr<std::uint8_t[]>& bytes,
                                  std::size_t& size, LoadOutcome& outcome)
{
    const auto cannot_read = [&](int error) {
        outcome.system_message = std::strerror(error);
        return LoadFailureReason::CannotReadFile;
    };
    // Without O_NONBLOCK, opening a named pipe would wait for a writer for ever;
    // regular files ignore the flag.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) return cannot_read(errno);
    struct Closer {
        int fd;
        ~Closer() { ::close(fd); }
    } closer{fd};
    struct stat info {};
    if (fstat(fd, &info) != 0) return cannot_read(errno);
    if (S_ISDIR(info.st_mode)) return cannot_read(EISDIR);
    if (!S_ISREG(info.st_mode)) {
        outcome.system_message = "not a regular file";
        return LoadFailureReason::CannotReadFile;
    }
    size = static_cast<std::size_t>(info.st_size);
    bytes.reset(new (std::nothrow) std::uint8_t[size == 0 ? 1 : size]);
    if (!bytes) return LoadFailureReason::OutOfMemory;
    std::size_t done = 0;
    while (done < size) {
        const ssize_t n = ::read(fd, bytes.get() + done, size - done);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return cannot_read(errno);
        if (n == 0) break;  // the file shrank while we read it: decode what we have
        done += static_cast<std::size_t>(n);
    }
    size = done;
    return LoadFailureReason::None;
}

[[noreturn]] void fail_for_lack_of_memory(const std::string& path, const Bitmap32& photo)
{
    throw EPhotoWriteError("Cannot write file " + path + ": not enough memory to save a photo of " +
                           std::to_string(photo.width()) + " x " + std::to_string(photo.height()) +
                           " pixels");
}

}  // namespace

bool load_photo(const std::string& path, Bitmap32& org_photo, PhotoMetadata* metadata, LoadOutcome* outcome,
                RowSink* rows)
{
    if (metadata != nullptr) *metadata = {};
    LoadOutcome read;
    std::unique_ptr<std::uint8_t[]> bytes;
    std::size_t size = 0;
    read.reason = has_photo_extension(path) ? read_whole_file(path, bytes, size, read)
                                            : LoadFailureReason::NotAJpegName;
    if (read.reason == LoadFailureReason::None && has_heif_extension(path))
        return decode_heif_photo(bytes.get(), size, org_photo, metadata, outcome, rows);
    if (read.reason == LoadFailureReason::None)
        return decode_jpeg_photo(bytes.get(), size, org_photo, metadata, outcome, rows);
    // The rows end on every way out, also when the decoder never starts.
    if (rows != nullptr) rows->rows_ended();
    if (outcome != nullptr) *outcome = std::move(read);
    return false;
}

std::unique_ptr<AtomicFileWriter> write_photo_uncommitted(const Bitmap32& corrected_photo,
                                                          const std::string& path,
                                                          const PhotoMetadata& loaded_metadata,
                                                          const CurveTriple* curves, ExistingFile existing)
{
    // The file is written as the encoder makes it; whatever fails on the way, the
    // temporary file goes and the one at `path` stays as it was.
    try {
        const PhotoMetadata metadata = metadata_for_saved_photo(loaded_metadata, corrected_photo, curves);
        auto file = std::make_unique<AtomicFileWriter>(path, existing);
        encode_jpeg_photo(corrected_photo, metadata, curves,
                          [&file](const std::uint8_t* bytes, std::size_t size) { file->write(bytes, size); });
        return file;
    } catch (const std::bad_alloc&) {
        fail_for_lack_of_memory(path, corrected_photo);
    } catch (const EBitmapError&) {
        // Only the EXIF thumbnail's pixels are allocated on the way.
        fail_for_lack_of_memory(path, corrected_photo);
    }
}

void write_photo(const Bitmap32& corrected_photo, const std::string& path,
                 const PhotoMetadata& loaded_metadata, const CurveTriple* curves)
{
    write_photo_uncommitted(corrected_photo, path, loaded_metadata, curves,
                            ExistingFile::replace_through_links)
        ->commit();
}
