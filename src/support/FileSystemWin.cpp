// Win32 side of FileSystem.h (ANSI calls), used by the Windows build.
#include "Error.h"
#include "FileSystem.h"
#include "FileSystemPlatform.h"
#include "WinHandles.h"

#include <utility>

namespace {

DWORD Attributes(const std::string& path) {
    return ::GetFileAttributesA(path.c_str());
}

} // namespace

std::string StripTrailingSeparators(std::string folder) {
    while (folder.size() > 1 && (folder.back() == '\\' || folder.back() == '/') &&
           folder[folder.size() - 2] != ':')
        folder.pop_back();
    return folder;
}

bool MakeOneDirectory(const std::string& folder) {
    if (::CreateDirectoryA(folder.c_str(), nullptr))
        return true;
    // A file of that name is no folder: its "already exists" is the reason given.
    const DWORD error = ::GetLastError();
    if (error == ERROR_ALREADY_EXISTS && DirectoryExists(folder))
        return true;
    ::SetLastError(error);
    return false;
}

std::string SystemErrorText(int code) {
    char text[512] = {};
    DWORD n = ::FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                               static_cast<DWORD>(code), 0, text, sizeof text, nullptr);
    // The system's text ends in ".\r\n"; ours goes on after it.
    while (n > 0 &&
           (text[n - 1] == '\r' || text[n - 1] == '\n' || text[n - 1] == ' ' || text[n - 1] == '.'))
        text[--n] = '\0';
    return n > 0 ? std::string(text, n) : "system error " + std::to_string(code);
}

std::string LastSystemErrorText() {
    return SystemErrorText(static_cast<int>(::GetLastError()));
}

bool FileExists(const std::string& path) {
    const DWORD a = Attributes(path);
    return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

bool DirectoryExists(const std::string& path) {
    const DWORD a = Attributes(path);
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

std::optional<std::uint64_t> FindEntrySize(const std::string& path) {
    WIN32_FIND_DATAA data{};
    UniqueFindHandle find(::FindFirstFileA(path.c_str(), &data));
    if (!find)
        return std::nullopt;
    return (static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

TFileBytes ReadFileBytes(const std::string& path, std::uint64_t maxBytes) {
    UniqueHandle file(::CreateFileA(path.c_str(), GENERIC_READ,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file)
        FailOnPath("Cannot open file", path);
    std::string bytes;
    char buffer[65536];
    while (const size_t wanted = NextReadSize(bytes.size(), maxBytes, sizeof buffer)) {
        DWORD n = 0;
        if (!::ReadFile(file.get(), buffer, static_cast<DWORD>(wanted), &n, nullptr))
            FailOnPath("Cannot read file", path);
        if (n == 0)
            break;
        bytes.append(buffer, n);
    }
    return CappedBytes(std::move(bytes), maxBytes);
}

namespace {

// Creates a temporary file beside path that no other write uses: a name that exists
// already, a leftover or another writer's, is never opened, the next one is tried instead.
UniqueHandle CreateTemporaryFile(const std::string& path, std::string& temp) {
    constexpr int Attempts = 100;
    for (int attempt = 0; attempt < Attempts; ++attempt) {
        temp = TemporaryFileName(path, ::GetCurrentProcessId());
        UniqueHandle file(::CreateFileA(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                        FILE_ATTRIBUTE_NORMAL, nullptr));
        const DWORD error = ::GetLastError();
        if (file || (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS))
            return file;
    }
    return UniqueHandle(INVALID_HANDLE_VALUE);
}

// Puts temp in path's place. While another writer's replace of the same file is under
// way, Windows refuses this one for a moment (access denied, or a sharing violation): it
// is tried again for up to about a second before it counts as failed.
bool MoveIntoPlace(const std::string& temp, const std::string& path) {
    constexpr int Attempts = 100;
    constexpr DWORD PauseMs = 10;
    for (int attempt = 1;; ++attempt) {
        if (::MoveFileExA(temp.c_str(), path.c_str(),
                          MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
            return true;
        const DWORD error = ::GetLastError();
        const bool busy = error == ERROR_ACCESS_DENIED || error == ERROR_SHARING_VIOLATION;
        if (!busy || attempt == Attempts)
            return false;
        ::Sleep(PauseMs);
        ::SetLastError(error);
    }
}

} // namespace

std::uint64_t AppendToFile(const std::string& path, const std::string& bytes) {
    // FILE_APPEND_DATA without FILE_WRITE_DATA: every write goes to the end of the file.
    // The link itself is opened, never what it points to, and then refused.
    UniqueHandle file(::CreateFileA(path.c_str(), FILE_APPEND_DATA | SYNCHRONIZE,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    OPEN_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    if (!file)
        FailOnPath("Cannot open file", path);
    BY_HANDLE_FILE_INFORMATION opened{};
    if (!::GetFileInformationByHandle(file.get(), &opened))
        FailOnPath("Cannot read file", path);
    if ((opened.dwFileAttributes & (FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DIRECTORY)) ||
        opened.nNumberOfLinks > 1 || ::GetFileType(file.get()) != FILE_TYPE_DISK)
        throw TError(NotAPlainFileMessage(path));
    // Writers take turns on one byte far past any end the file reaches. Windows appends
    // atomically on its own, but Wine lost one line of two threads' 600 now and then;
    // where the lock is refused (some network shares) the append goes on without it.
    OVERLAPPED turn{};
    turn.OffsetHigh = 0x7FFFFFFF;
    const bool locked = ::LockFileEx(file.get(), LOCKFILE_EXCLUSIVE_LOCK, 0, 1, 0, &turn) != 0;
    DWORD written = 0;
    const bool wrote = ::WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()),
                                   &written, nullptr) &&
                       written == bytes.size();
    LARGE_INTEGER size{};
    const bool sized = wrote && ::GetFileSizeEx(file.get(), &size);
    const DWORD error = ::GetLastError();
    if (locked)
        ::UnlockFileEx(file.get(), 0, 1, 0, &turn);
    ::SetLastError(error);
    if (!wrote)
        FailOnPath("Cannot write file", path);
    if (!sized)
        FailOnPath("Cannot read file", path);
    return static_cast<std::uint64_t>(size.QuadPart);
}

void ReplaceFileContent(const std::string& path, const std::string& bytes) {
    std::string temp;
    auto failAndClean = [&](const std::string& what) {
        const DWORD saved = ::GetLastError();
        ::DeleteFileA(temp.c_str());
        ::SetLastError(saved);
        FailOnPath(what, path);
    };
    {
        UniqueHandle file = CreateTemporaryFile(path, temp);
        if (!file)
            FailOnPath("Cannot create file", path);
        size_t done = 0;
        while (done < bytes.size()) {
            DWORD n = 0;
            if (!::WriteFile(file.get(), bytes.data() + done,
                             static_cast<DWORD>(bytes.size() - done), &n, nullptr))
                failAndClean("Cannot write file");
            done += n;
        }
        if (!::FlushFileBuffers(file.get()))
            failAndClean("Cannot write file");
    }
    if (!MoveIntoPlace(temp, path))
        failAndClean("Cannot replace file");
}
