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
#include "photo_files/jpeg_photo.h"

namespace {

// A temporary file that removes itself unless it has been renamed into place.
class TemporaryFile {
public:
    explicit TemporaryFile(const std::string& target)
    {
        const auto slash = target.rfind('/');
        const std::string folder =
            slash == std::string::npos ? std::string(".") : target.substr(0, slash + 1);
        // Named after the target so a leftover after a crash is recognisable, short enough for any file
        // system.
        const std::string name =
            (slash == std::string::npos ? target : target.substr(slash + 1)).substr(0, 200);
        std::string pattern = (slash == std::string::npos ? std::string() : folder) + "." + name + ".XXXXXX";
        path_.assign(pattern.begin(), pattern.end());
        path_.push_back('\0');
        fd_ = mkostemp(path_.data(), O_CLOEXEC);
        if (fd_ < 0) path_.clear();
    }
    ~TemporaryFile()
    {
        if (fd_ >= 0) ::close(fd_);
        if (!path_.empty()) ::unlink(path_.data());
    }
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;

    bool created() const { return fd_ >= 0; }
    int fd() const { return fd_; }
    const char* path() const { return path_.data(); }

    // Returns 0 or the errno of the failed close.
    int close()
    {
        const int result = ::close(fd_);
        fd_ = -1;
        return result == 0 ? 0 : errno;
    }
    void forget() { path_.clear(); }

private:
    std::vector<char> path_;
    int fd_ = -1;
};

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
    // Kernels before 4.7 do not report it: read it once the old way, for the whole process.
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

void sync_folder_of(const std::string& path)
{
    const auto slash = path.rfind('/');
    const std::string folder = slash == std::string::npos ? "." : (slash == 0 ? "/" : path.substr(0, slash));
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    // The rename is already done; a folder that cannot be flushed does not undo the save.
    (void)::fsync(fd);
    ::close(fd);
}

}  // namespace

void write_file_atomically(const std::string& path, const std::uint8_t* data, std::size_t size)
{
    const std::string target = resolve_target(path);
    struct stat existing {};
    const bool replacing = stat(target.c_str(), &existing) == 0;
    if (replacing && S_ISDIR(existing.st_mode)) throw EPhotoWriteError(std::string(kCannotCreateFile) + path);

    TemporaryFile temporary(target);
    if (!temporary.created()) throw EPhotoWriteError(std::string(kCannotCreateFile) + path);

    const mode_t mode = replacing ? (existing.st_mode & 07777) : mode_for_new_file();
    if (fchmod(temporary.fd(), mode) != 0) fail_to_write(path, errno);

    std::size_t written = 0;
    while (written < size) {
        const ssize_t n = ::write(temporary.fd(), data + written, size - written);
        if (n < 0) {
            if (errno == EINTR) continue;
            fail_to_write(path, errno);
        }
        if (n == 0) fail_to_write(path, ENOSPC);
        written += static_cast<std::size_t>(n);
    }
    if (::fsync(temporary.fd()) != 0) fail_to_write(path, errno);
    if (const int error = temporary.close(); error != 0) fail_to_write(path, error);
    if (::rename(temporary.path(), target.c_str()) != 0) fail_to_write(path, errno);
    temporary.forget();
    sync_folder_of(target);
}
