#include "StorePlatform.h"

#include "support/FileSystem.h"

#include <cerrno>
#include <fcntl.h>
#include <string>
#include <unistd.h>

// Elsewhere than Windows the "ANSI" code page is UTF-8 already.
std::string AnsiToUtf8(const std::string& ansi) {
    return ansi;
}

std::string Utf8ToAnsi(std::string utf8) {
    return utf8;
}

namespace StoreFiles {

bool MoveNoReplace(const std::string& from, const std::string& to, std::string& reason) {
    // A hard link fails when the target exists: the move never replaces a file.
    if (::link(from.c_str(), to.c_str()) != 0) {
        reason = SystemErrorText(errno);
        return false;
    }
    ::unlink(from.c_str());
    // The new name must survive a crash too.
    const std::string folder = ExtractFilePath(to);
    const int dir = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
    return true;
}

void RemoveQuietly(const std::string& path) {
    ::unlink(path.c_str());
}

bool FolderIsWritable(const std::string& folder, std::string& reason) {
    std::string name = (folder.empty() ? std::string("./") : folder) + ".netvane-probe-XXXXXX";
    const int fd = ::mkstemp(name.data());
    if (fd < 0) {
        reason = SystemErrorText(errno);
        return false;
    }
    ::close(fd);
    ::unlink(name.c_str());
    return true;
}

} // namespace StoreFiles
