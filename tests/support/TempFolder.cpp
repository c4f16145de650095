#include "TempFolder.h"

#ifdef _WIN32
#include <windows.h>

#include <aclapi.h>
#endif

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <stdexcept>

namespace fs = std::filesystem;

TTempFolder::TTempFolder() {
    std::random_device seed;
    std::mt19937_64 random(seed());
    const fs::path base = fs::temp_directory_path();
    for (int attempt = 0; attempt < 100; ++attempt) {
        const fs::path candidate = base / ("netvane-test-" + std::to_string(random()));
        if (fs::create_directory(candidate)) {
            path_ = candidate.string() + static_cast<char>(fs::path::preferred_separator);
            return;
        }
    }
    throw std::runtime_error("cannot create a temporary folder");
}

TTempFolder::~TTempFolder() {
    std::error_code ignored;
    // Undo any read-only state a test left so that removal succeeds.
    for (const auto& entry : fs::recursive_directory_iterator(path_, ignored))
        fs::permissions(entry.path(), fs::perms::owner_all, fs::perm_options::add, ignored);
    fs::permissions(path_, fs::perms::owner_all, fs::perm_options::add, ignored);
    fs::remove_all(path_, ignored);
}

void PutFile(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out)
        throw std::runtime_error("cannot write " + path);
}

std::string GetFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in)
        throw std::runtime_error("cannot read " + path);
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}

void SetReadOnly(const std::string& path, bool readOnly) {
    const auto write = fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write;
    fs::permissions(path, write, readOnly ? fs::perm_options::remove : fs::perm_options::add);
}

#ifdef _WIN32
unsigned long OpenToEveryone(const std::string& path) {
    EXPLICIT_ACCESSA everyone{};
    char name[] = "EVERYONE";
    everyone.grfAccessPermissions = GENERIC_ALL;
    everyone.grfAccessMode = SET_ACCESS;
    everyone.Trustee.TrusteeForm = TRUSTEE_IS_NAME;
    everyone.Trustee.ptstrName = name;
    PACL dacl = nullptr;
    if (const DWORD error = ::SetEntriesInAclA(1, &everyone, nullptr, &dacl))
        return error;
    std::string target = path;
    const DWORD error = ::SetNamedSecurityInfoA(
        target.data(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr, nullptr, dacl, nullptr);
    ::LocalFree(dacl);
    return error;
}
#else
unsigned long OpenToEveryone(const std::string& path) {
    std::error_code error;
    fs::permissions(path, fs::perms::all, fs::perm_options::replace, error);
    return static_cast<unsigned long>(error.value());
}
#endif

std::vector<std::string> FolderEntries(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}
