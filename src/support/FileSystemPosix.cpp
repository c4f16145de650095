// POSIX side of FileSystem.h, used by the native build.
#include "Error.h"
#include "FileSystem.h"
#include "FileSystemPlatform.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace {

class UniqueFd {
  public:
    explicit UniqueFd(int fd) : fd_(fd) {}
    ~UniqueFd() {
        if (fd_ >= 0)
            ::close(fd_);
    }
    UniqueFd(const UniqueFd&) = delete;
    UniqueFd& operator=(const UniqueFd&) = delete;
    int get() const { return fd_; }
    int release() { return std::exchange(fd_, -1); }

  private:
    int fd_;
};

} // namespace

std::string StripTrailingSeparators(std::string folder) {
    while (folder.size() > 1 && (folder.back() == '/' || folder.back() == '\\'))
        folder.pop_back();
    return folder;
}

bool MakeOneDirectory(const std::string& folder) {
    if (::mkdir(folder.c_str(), 0777) == 0)
        return true;
    // A file of that name is no folder: its "already exists" is the reason given.
    const int error = errno;
    if (error == EEXIST && DirectoryExists(folder))
        return true;
    errno = error;
    return false;
}

std::string SystemErrorText(int code) {
    return std::strerror(code);
}

std::string LastSystemErrorText() {
    return SystemErrorText(errno);
}

bool FileExists(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && !S_ISDIR(st.st_mode);
}

bool DirectoryExists(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

std::optional<std::uint64_t> FindEntrySize(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0)
        return std::nullopt;
    // A folder's entry has no size of its own, as on Windows.
    return S_ISDIR(st.st_mode) ? 0 : static_cast<std::uint64_t>(st.st_size);
}

TFileBytes ReadFileBytes(const std::string& path, std::uint64_t maxBytes) {
    UniqueFd fd(::open(path.c_str(), O_RDONLY));
    if (fd.get() < 0)
        FailOnPath("Cannot open file", path);
    std::string bytes;
    char buffer[65536];
    while (const size_t wanted = NextReadSize(bytes.size(), maxBytes, sizeof buffer)) {
        const ssize_t n = ::read(fd.get(), buffer, wanted);
        if (n < 0)
            FailOnPath("Cannot read file", path);
        if (n == 0)
            break;
        bytes.append(buffer, static_cast<size_t>(n));
    }
    return CappedBytes(std::move(bytes), maxBytes);
}

std::uint64_t AppendToFile(const std::string& path, const std::string& bytes) {
    // Not through a symbolic link; a pipe or device is not waited for, and then refused.
    UniqueFd fd(
        ::open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_NOFOLLOW | O_NONBLOCK, 0666));
    if (fd.get() < 0)
        FailOnPath("Cannot open file", path);
    struct stat opened {};
    if (::fstat(fd.get(), &opened) != 0)
        FailOnPath("Cannot read file", path);
    if (!S_ISREG(opened.st_mode) || opened.st_nlink > 1)
        throw TError(NotAPlainFileMessage(path));
    const ssize_t n = ::write(fd.get(), bytes.data(), bytes.size());
    if (n < 0 || static_cast<size_t>(n) != bytes.size())
        FailOnPath("Cannot write file", path);
    struct stat status {};
    if (::fstat(fd.get(), &status) != 0)
        FailOnPath("Cannot read file", path);
    return static_cast<std::uint64_t>(status.st_size);
}

namespace {

// Creates a temporary file beside path that no other write uses: a name that exists
// already, a leftover or another writer's, is never opened, the next one is tried instead.
int CreateTemporaryFile(const std::string& path, std::string& temp) {
    constexpr int Attempts = 100;
    for (int attempt = 0; attempt < Attempts; ++attempt) {
        temp = TemporaryFileName(path, static_cast<unsigned long>(::getpid()));
        const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0666);
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
    return -1;
}

// Removes the temporary file and raises the error of the step that failed.
[[noreturn]] void FailAndRemove(const std::string& what, const std::string& path,
                                const std::string& temp) {
    const int saved = errno;
    ::unlink(temp.c_str());
    errno = saved;
    FailOnPath(what, path);
}

} // namespace

void ReplaceFileContent(const std::string& path, const std::string& bytes) {
    std::string temp;
    {
        UniqueFd fd(CreateTemporaryFile(path, temp));
        if (fd.get() < 0)
            FailOnPath("Cannot create file", path);
        size_t done = 0;
        while (done < bytes.size()) {
            const ssize_t n = ::write(fd.get(), bytes.data() + done, bytes.size() - done);
            if (n < 0)
                FailAndRemove("Cannot write file", path, temp);
            done += static_cast<size_t>(n);
        }
        if (::fsync(fd.get()) != 0 || ::close(fd.release()) != 0)
            FailAndRemove("Cannot write file", path, temp);
    }
    if (::rename(temp.c_str(), path.c_str()) != 0)
        FailAndRemove("Cannot replace file", path, temp);
}
