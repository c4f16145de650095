#include "Version.h"

#include <windows.h>

#include <vector>

bool ReadFileVersion(const std::string& path, TFileVersion& version) {
    DWORD ignored = 0;
    const DWORD size = ::GetFileVersionInfoSizeA(path.c_str(), &ignored);
    if (size == 0)
        return false;
    std::vector<char> info(size);
    if (!::GetFileVersionInfoA(path.c_str(), 0, size, info.data()))
        return false;
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT fixedSize = 0;
    if (!::VerQueryValueA(info.data(), "\\", reinterpret_cast<void**>(&fixed), &fixedSize) ||
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
