#include "photo_files/atomic_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "photo_files/dialog_texts.h"
#include "photo_files/photo_write_error.h"

namespace {

// The temporary file beside `target`, named after it so that a leftover after a crash
// is recognisable, short enough for any file system; empty when it cannot be made.
std::vector<char> create_temporary_file(const std::string& target, int& fd)
{
    const auto slash = target.rfind('/');
    const std::string name = (slash == std::string::npos ? target : target.substr(slash + 1)).substr(0, 200);
    const std::string pattern =
        (slash == std::string::npos ? std::string() : target.substr(0, slash + 1)) + "." + name + ".XXXXXX";
    std::vector<char> path(pattern.begin(), pattern.end());
    path.push_back('\0');
    fd = mkostemp(path.data(), O_CLOEXEC);
    if (fd < 0) path.clear();
    return path;
}

[[noreturn]] void fail_to_write(const std::string& path, int error)
{
    throw EPhotoWriteError("Cannot write file " + path + ": " + std::strerror(error));
}

// The file a save replaces: the target itself, or the file a link there points to.
std::string resolve_target(const std::string& path)
{
    struct stat info {};
    if (lstat(path.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) return path;
    char* resolved = realpath(path.c_str(), nullptr);
    if (resolved == nullptr) return path;  // a dangling link is replaced by the file itself
    std::string result(resolved);
    std::free(resolved);
    return result;
}

mode_t process_umask()
{
    // Read from the kernel without changing it: the batch saves from several threads at once, and
    // two saves setting the mask to read it back at once could leave it at 0 for good.
    if (std::FILE* status = std::fopen("/proc/self/status", "re")) {
        char line[256];
        unsigned mask = 0;
        bool found = false;
        while (!found && std::fgets(line, sizeof line, status))
            found = std::sscanf(line, "Umask: %o", &mask) == 1;
        std::fclose(status);
        if (found) return static_cast<mode_t>(mask);
    }
    // Kernels before 4.7 do not report it: umask() can only read it by setting it, so
    // that is done once, for the whole process.
    static const mode_t mask = [] {
        const mode_t current = umask(0);
        umask(current);
        return current;
    }();
    return mask;
}

mode_t mode_for_new_file()
{
    return 0666 & ~process_umask();
}

// Refuses, before anything is written, a path that the save may not take over.
void check_what_stands_at(const std::string& path, ExistingFile existing)
{
    if (existing == ExistingFile::replace_through_links) return;
    struct stat info {};
    if (lstat(path.c_str(), &info) != 0) {
        if (errno == ENOENT) return;
        fail_to_write(path, errno);
    }
    if (existing == ExistingFile::keep) throw EFileExists(path + " exists");
    if (S_ISLNK(info.st_mode)) throw EPhotoWriteError(path + " is a symbolic link");
}

// Puts `from` in place at `to` unless something stands there: 0, or the errno (EEXIST when something does).
int rename_without_replacing(const char* from, const char* to)
{
    if (::renameat2(AT_FDCWD, from, AT_FDCWD, to, RENAME_NOREPLACE) == 0) return 0;
    if (errno != EINVAL && errno != ENOSYS) return errno;
    // A file system without the flag: a hard link cannot replace anything either.
    if (::link(from, to) != 0) return errno;
    ::unlink(from);
    return 0;
}

}  // namespace

AtomicFileWriter::AtomicFileWriter(const std::string& path, ExistingFile existing)
    : path_(path),
      target_(existing == ExistingFile::replace_through_links ? resolve_target(path) : path),
      existing_(existing)
{
    check_what_stands_at(path, existing);
    struct stat present {};
    const bool replacing = stat(target_.c_str(), &present) == 0;
    if (replacing && S_ISDIR(present.st_mode)) throw EPhotoWriteError(std::string(kCannotCreateFile) + path);
    temporary_path_ = create_temporary_file(target_, fd_);
    if (fd_ < 0) {
        // The window's message is its own fixed text; other callers are told why.
        const std::string reason = existing == ExistingFile::replace_through_links
                                       ? std::string()
                                       : std::string(": ") + std::strerror(errno);
        throw EPhotoWriteError(std::string(kCannotCreateFile) + path + reason);
    }
    const mode_t mode = replacing ? (present.st_mode & 07777) : mode_for_new_file();
    if (fchmod(fd_, mode) != 0) {
        // A constructor that throws gets no destructor: remove the file here.
        const int error = errno;
        discard();
        fail_to_write(path, error);
    }
}

AtomicFileWriter::~AtomicFileWriter()
{
    discard();
}

void AtomicFileWriter::discard()
{
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
    if (!committed_ && !temporary_path_.empty()) ::unlink(temporary_path_.data());
    temporary_path_.clear();
}

void AtomicFileWriter::write(const std::uint8_t* data, std::size_t size)
{
    std::size_t done = 0;
    while (done < size) {
        const ssize_t n = ::write(fd_, data + done, size - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            fail_to_write(path_, errno);
        }
        if (n == 0) fail_to_write(path_, ENOSPC);
        done += static_cast<std::size_t>(n);
    }
    written_ += size;
#if defined(__linux__)
    // Start the disk on each megabyte as it is complete; the flush at the commit then
    // waits only for the last of it. Only a hint: where it fails, the flush does it all.
    constexpr std::uint64_t kSendStep = std::uint64_t{1} << 20;
    if (written_ - sent_to_disk_ >= kSendStep) {
        (void)sync_file_range(fd_, static_cast<off_t>(sent_to_disk_),
                              static_cast<off_t>(written_ - sent_to_disk_), SYNC_FILE_RANGE_WRITE);
        sent_to_disk_ = written_;
    }
#endif
}

void AtomicFileWriter::commit()
{
    flush();
    place();
    sync_folder(folder());
}

void AtomicFileWriter::start_flush()
{
#if defined(__linux__)
    (void)sync_file_range(fd_, static_cast<off_t>(sent_to_disk_), 0, SYNC_FILE_RANGE_WRITE);
    sent_to_disk_ = written_;
#endif
}

void AtomicFileWriter::flush()
{
    if (::fsync(fd_) != 0) fail_to_write(path_, errno);
    const int closed = ::close(fd_);
    fd_ = -1;
    if (closed != 0) fail_to_write(path_, errno);
}

void AtomicFileWriter::place()
{
    if (existing_ == ExistingFile::keep) {
        const int error = rename_without_replacing(temporary_path_.data(), target_.c_str());
        if (error == EEXIST) throw EFileExists(path_ + " exists");
        if (error != 0) fail_to_write(path_, error);
    } else if (::rename(temporary_path_.data(), target_.c_str()) != 0) {
        fail_to_write(path_, errno);
    }
    committed_ = true;
}

std::string AtomicFileWriter::folder() const
{
    const auto slash = target_.rfind('/');
    return slash == std::string::npos ? "." : (slash == 0 ? "/" : target_.substr(0, slash));
}

void sync_folder(const std::string& folder)
{
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    // The rename is already done; a folder that cannot be flushed does not undo the save.
    (void)::fsync(fd);
    ::close(fd);
}
