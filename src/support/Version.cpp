#include "Version.h"

#include "SystemLibrary.h"

#include <windows.h>

#include <vector>

namespace {

// version.dll is no KnownDLL: imported, it would be looked for beside the program at every
// start. It is taken from the system folder when a version is first read.
struct TVersionFunctions {
    decltype(&::GetFileVersionInfoSizeA) InfoSize = nullptr;
    decltype(&::GetFileVersionInfoA) Info = nullptr;
    decltype(&::VerQueryValueA) Query = nullptr;
};

const TVersionFunctions& VersionFunctions() {
    static const UniqueLibrary library(LoadSystemLibrary("version.dll"));
    static const TVersionFunctions functions{
        LibraryFunction<decltype(&::GetFileVersionInfoSizeA)>(library, "GetFileVersionInfoSizeA"),
        LibraryFunction<decltype(&::GetFileVersionInfoA)>(library, "GetFileVersionInfoA"),
        LibraryFunction<decltype(&::VerQueryValueA)>(library, "VerQueryValueA")};
    return functions;
}

} // namespace

bool ReadFileVersion(const std::string& path, TFileVersion& version) {
    const TVersionFunctions& call = VersionFunctions();
    if (!call.InfoSize || !call.Info || !call.Query)
        return false;
    DWORD ignored = 0;
    const DWORD size = call.InfoSize(path.c_str(), &ignored);
    if (size == 0)
        return false;
    std::vector<char> info(size);
    if (!call.Info(path.c_str(), 0, size, info.data()))
        return false;
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT fixedSize = 0;
    if (!call.Query(info.data(), "\\", reinterpret_cast<void**>(&fixed), &fixedSize) ||
        fixed == nullptr || fixedSize < sizeof(VS_FIXEDFILEINFO))
        return false;
    version.Major = HIWORD(fixed->dwFileVersionMS);
    version.Minor = LOWORD(fixed->dwFileVersionMS);
    version.Release = HIWORD(fixed->dwFileVersionLS);
    version.Build = LOWORD(fixed->dwFileVersionLS);
    return true;
}

std::string FileVersionText(const std::string& path) {
    TFileVersion v;
    if (!ReadFileVersion(path, v))
        v = TFileVersion{};
    return std::to_string(v.Major) + "." + std::to_string(v.Minor) + "." +
           std::to_string(v.Release) + "." + std::to_string(v.Build);
}
