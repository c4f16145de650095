#include "DataFolderWin.h"

#include "store/StorePlatform.h"
#include "support/Error.h"
#include "support/FileSystem.h"
#include "support/Strings.h"
#include "support/SystemLibrary.h"

#include <windows.h>

#include <shlobj.h>

namespace {

std::string EnvironmentValue(const char* name) {
    char value[MAX_PATH] = {};
    const DWORD length = ::GetEnvironmentVariableA(name, value, MAX_PATH);
    return length > 0 && length < MAX_PATH ? std::string(value, length) : std::string();
}

std::string WithoutTrailingSeparator(std::string folder) {
    while (folder.size() > 3 && (folder.back() == '\\' || folder.back() == '/'))
        folder.pop_back();
    return folder;
}

bool MarkedUnwritable(const std::string& folder) {
    const std::string marked = EnvironmentValue(UnwritableFolderVariable);
    return !marked.empty() &&
           SameText(WithoutTrailingSeparator(marked), WithoutTrailingSeparator(folder));
}

using TSHGetFolderPathA = HRESULT(WINAPI*)(HWND, int, HANDLE, DWORD, LPSTR);

// shell32 is loaded only here, and only for a program whose folder is not the user's:
// a start beside its files never pays for it.
std::string ShellAppDataFolder() {
    const UniqueLibrary shell = LoadSystemLibrary("shell32.dll");
    const auto getFolderPath = shell ? reinterpret_cast<TSHGetFolderPathA>(reinterpret_cast<void*>(
                                           ::GetProcAddress(shell.get(), "SHGetFolderPathA")))
                                     : nullptr;
    char folder[MAX_PATH] = {};
    if (!getFolderPath || getFolderPath(nullptr, CSIDL_APPDATA | CSIDL_FLAG_CREATE, nullptr,
                                        SHGFP_TYPE_CURRENT, folder) != S_OK)
        return {};
    return folder;
}

} // namespace

bool TSystemDataFolder::CanWrite(const std::string& folder) {
    if (MarkedUnwritable(folder))
        return false;
    std::string reason;
    return StoreFiles::FolderIsWritable(folder, reason);
}

std::string TSystemDataFolder::AppDataFolder() {
    const std::string folder = ShellAppDataFolder();
    return folder.empty() ? EnvironmentValue("APPDATA") : folder;
}

bool TSystemDataFolder::MakeFolder(const std::string& folder) {
    try {
        ForceDirectories(folder);
    } catch (const TError&) {
        return false;
    }
    return DirectoryExists(folder);
}

bool TSystemDataFolder::CopyIfMissing(const std::string& from, const std::string& to) {
    return ::CopyFileA(from.c_str(), to.c_str(), TRUE) != FALSE;
}

std::string SystemDataFolder(const std::string& exeFolder) {
    TSystemDataFolder system;
    return ChooseDataFolder(exeFolder, system);
}
