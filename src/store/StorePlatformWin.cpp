#include "StorePlatform.h"

#include "support/FileSystem.h"

#include <windows.h>

namespace {

std::wstring ToWide(UINT codePage, const std::string& text) {
    if (text.empty())
        return {};
    const int n =
        ::MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
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
    if (IsAscii(ansi))
        return ansi;
    return FromWide(CP_UTF8, ToWide(CP_ACP, ansi));
}

std::string Utf8ToAnsi(std::string utf8) {
    if (IsAscii(utf8))
        return utf8;
    return FromWide(CP_ACP, ToWide(CP_UTF8, utf8));
}

namespace StoreFiles {

bool MoveNoReplace(const std::string& from, const std::string& to, std::string& reason) {
    // Without MOVEFILE_REPLACE_EXISTING the move fails when the target exists.
    if (::MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_WRITE_THROUGH))
        return true;
    reason = LastSystemErrorText();
    return false;
}

void RemoveQuietly(const std::string& path) {
    ::DeleteFileA(path.c_str());
}

bool FolderIsWritable(const std::string& folder, std::string& reason) {
    char name[MAX_PATH + 1] = {};
    const std::string dir = folder.empty() ? "." : folder;
    const UINT made = ::GetTempFileNameA(dir.c_str(), "nv", 0, name);
    const DWORD error = ::GetLastError();
    // Wine gives a number even when it could make no file: only a file that is there counts.
    if (made == 0 || !FileExists(name)) {
        reason = SystemErrorText(static_cast<int>(error));
        return false;
    }
    ::DeleteFileA(name);
    return true;
}

} // namespace StoreFiles
