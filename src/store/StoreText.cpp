#include "StoreText.h"

#include "support/FileSystem.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <unistd.h>
#endif

namespace {

#ifdef _WIN32
std::wstring ToWide(UINT codePage, const std::string& text) {
    if (text.empty())
        return {};
    const int n = ::MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()),
                                        nullptr, 0);
    std::wstring wide(static_cast<size_t>(n), L'\0');
    ::MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), wide.data(), n);
    return wide;
}

std::string FromWide(UINT codePage, const std::wstring& wide) {
    if (wide.empty())
        return {};
    const int n = ::WideCharToMultiByte(codePage, 0, wide.data(), static_cast<int>(wide.size()),
                                        nullptr, 0, nullptr, nullptr);
    std::string text(static_cast<size_t>(n), '\0');
    ::WideCharToMultiByte(codePage, 0, wide.data(), static_cast<int>(wide.size()), text.data(), n,
                          nullptr, nullptr);
    return text;
}
#endif

// Plain ASCII needs no conversion in any code page Windows offers as ANSI: the common
// case (addresses, GUIDs) skips the two system calls.
bool IsAscii(const std::string& text) {
    for (const char c : text)
        if (static_cast<unsigned char>(c) >= 0x80)
            return false;
    return true;
}

} // namespace

std::string AnsiToUtf8(const std::string& ansi) {
#ifdef _WIN32
    if (IsAscii(ansi))
        return ansi;
    return FromWide(CP_UTF8, ToWide(CP_ACP, ansi));
#else
    (void)IsAscii;
    return ansi;
#endif
}

std::string Utf8ToAnsi(const std::string& utf8) {
#ifdef _WIN32
    if (IsAscii(utf8))
        return utf8;
    return FromWide(CP_ACP, ToWide(CP_UTF8, utf8));
#else
    return utf8;
#endif
}

namespace StoreFiles {

#ifdef _WIN32

bool MoveNoReplace(const std::string& from, const std::string& to, std::string& reason) {
    // Without MOVEFILE_REPLACE_EXISTING the move fails when the target exists.
    if (::MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_WRITE_THROUGH))
        return true;
    reason = LastSystemErrorText();
    return false;
}

void RemoveQuietly(const std::string& path) { ::DeleteFileA(path.c_str()); }

bool FolderIsWritable(const std::string& folder, std::string& reason) {
    char name[MAX_PATH + 1] = {};
    const std::string dir = folder.empty() ? "." : folder;
    if (::GetTempFileNameA(dir.c_str(), "nv", 0, name) == 0) {
        reason = LastSystemErrorText();
        return false;
    }
    ::DeleteFileA(name);
    return true;
}

#else

bool MoveNoReplace(const std::string& from, const std::string& to, std::string& reason) {
    // A hard link fails when the target exists: the move never replaces a file.
    if (::link(from.c_str(), to.c_str()) != 0) {
        reason = std::strerror(errno);
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

void RemoveQuietly(const std::string& path) { ::unlink(path.c_str()); }

bool FolderIsWritable(const std::string& folder, std::string& reason) {
    std::string name = (folder.empty() ? std::string("./") : folder) + ".netvane-probe-XXXXXX";
    const int fd = ::mkstemp(name.data());
    if (fd < 0) {
        reason = std::strerror(errno);
        return false;
    }
    ::close(fd);
    ::unlink(name.c_str());
    return true;
}

#endif

} // namespace StoreFiles
