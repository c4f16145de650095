// POSIX side of FileSystem.h, used by the native build.
#include "Error.h"
#include "FileSystem.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <glob.h>
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

[[noreturn]] void Fail(const std::string& what, const std::string& path) {
    throw TError(what + " \"" + path + "\": " + LastSystemErrorText());
}

std::string StripTrailingSeparators(std::string folder) {
    while (folder.size() > 1 && (folder.back() == '/' || folder.back() == '\\'))
        folder.pop_back();
    return folder;
}

} // namespace

std::string LastSystemErrorText() {
    return std::strerror(errno);
}

bool FileExists(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && !S_ISDIR(st.st_mode);
}

bool DirectoryExists(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

void ForceDirectories(const std::string& folder) {
    const std::string dir = StripTrailingSeparators(folder);
    if (dir.empty())
        throw TError("Cannot create a folder without a name");
    if (DirectoryExists(dir))
        return;
    const std::string parent = ExtractFilePath(dir);
    if (!parent.empty() && parent != dir)
        ForceDirectories(parent);
    if (::mkdir(dir.c_str(), 0777) != 0 && errno != EEXIST)
        Fail("Cannot create folder", dir);
}

std::optional<std::uint64_t> FindEntrySize(const std::string& path) {
    glob_t found{};
    const int rc = ::glob(path.c_str(), GLOB_NOSORT, nullptr, &found);
    std::optional<std::uint64_t> size;
    struct stat st {};
    if (rc == 0 && found.gl_pathc > 0 && ::stat(found.gl_pathv[0], &st) == 0)
        size = static_cast<std::uint64_t>(st.st_size);
    ::globfree(&found);
    return size;
}

std::string ReadAllBytes(const std::string& path) {
    UniqueFd fd(::open(path.c_str(), O_RDONLY));
    if (fd.get() < 0)
        Fail("Cannot open file", path);
    std::string bytes;
    char buffer[65536];
    for (;;) {
        const ssize_t n = ::read(fd.get(), buffer, sizeof buffer);
        if (n < 0)
            Fail("Cannot read file", path);
        if (n == 0)
            break;
        bytes.append(buffer, static_cast<size_t>(n));
    }
    return bytes;
}

void ReplaceFileContent(const std::string& path, const std::string& bytes) {
    const std::string temp = path + ".~tmp";
    {
        UniqueFd fd(::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0666));
        if (fd.get() < 0)
            Fail("Cannot create file", path);
        size_t done = 0;
        while (done < bytes.size()) {
            const ssize_t n = ::write(fd.get(), bytes.data() + done, bytes.size() - done);
            if (n < 0) {
                const int saved = errno;
                ::unlink(temp.c_str());
                errno = saved;
                Fail("Cannot write file", path);
            }
            done += static_cast<size_t>(n);
        }
        if (::fsync(fd.get()) != 0 || ::close(fd.release()) != 0) {
            const int saved = errno;
            ::unlink(temp.c_str());
            errno = saved;
            Fail("Cannot write file", path);
        }
    }
    if (::rename(temp.c_str(), path.c_str()) != 0) {
        const int saved = errno;
        ::unlink(temp.c_str());
        errno = saved;
        Fail("Cannot replace file", path);
    }
}
