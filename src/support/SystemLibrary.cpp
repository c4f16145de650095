#include "SystemLibrary.h"

namespace {

// kernel32 has had these since Windows 8 (Windows 7 with KB2533623); found at run time so
// that the program still starts where they are missing.
using TSetDefaultDllDirectories = BOOL(WINAPI*)(DWORD);

HMODULE Kernel32() {
    return ::GetModuleHandleA("kernel32.dll");
}

} // namespace

void RestrictLibrarySearchToSystemFolder() {
    const auto setDefault = reinterpret_cast<TSetDefaultDllDirectories>(
        reinterpret_cast<void*>(::GetProcAddress(Kernel32(), "SetDefaultDllDirectories")));
    if (setDefault && setDefault(LOAD_LIBRARY_SEARCH_SYSTEM32))
        return;
    ::SetDllDirectoryA(""); // at least not the current folder
}

void LoadLibrariesLoadedLaterBySystem() {
    for (const char* name : {"iphlpapi.dll"})
        LoadSystemLibrary(name).release(); // kept loaded until the process ends, on purpose
}

std::string SystemFolder() {
    char folder[MAX_PATH] = {};
    const UINT length = ::GetSystemDirectoryA(folder, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return "C:\\Windows\\system32"; // never happens; a fixed path still beats a search
    return std::string(folder, length);
}

std::string SystemFilePath(const char* name) {
    return SystemFolder() + "\\" + name;
}

UniqueLibrary LoadSystemLibrary(const char* name) {
    HMODULE module = ::LoadLibraryExA(name, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    // Older systems refuse the flag itself; the full path is just as safe there.
    if (!module && ::GetLastError() == ERROR_INVALID_PARAMETER)
        module = ::LoadLibraryExA(SystemFilePath(name).c_str(), nullptr,
                                  LOAD_WITH_ALTERED_SEARCH_PATH);
    return UniqueLibrary(module);
}

UniqueLibrary LoadLibraryAt(const std::string& fullPath) {
    return UniqueLibrary(
        ::LoadLibraryExA(fullPath.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH));
}
