#include "AccessWin.h"

#include "FileSystem.h"
#include "SystemLibrary.h"
#include "WinHandles.h"

#include <windows.h>

#include <aclapi.h>
#include <sddl.h>

#include <cstdint>
#include <string>
#include <vector>

namespace {

// Allowed entries, conditional ones included, keep the SID right after the mask; deny
// entries too. Other kinds (audit, label, object entries of directory objects) are left out.
std::optional<TAccessEntry> EntryOf(const ACE_HEADER* header) {
    const bool allows = header->AceType == ACCESS_ALLOWED_ACE_TYPE ||
                        header->AceType == ACCESS_ALLOWED_CALLBACK_ACE_TYPE;
    const bool denies = header->AceType == ACCESS_DENIED_ACE_TYPE ||
                        header->AceType == ACCESS_DENIED_CALLBACK_ACE_TYPE;
    if (!allows && !denies)
        return std::nullopt;
    const auto* ace = reinterpret_cast<const ACCESS_ALLOWED_ACE*>(header);
    TAccessEntry entry;
    entry.Sid = SidText(const_cast<DWORD*>(&ace->SidStart));
    entry.Mask = ace->Mask;
    entry.Allows = allows;
    entry.InheritOnly = (header->AceFlags & INHERIT_ONLY_ACE) != 0;
    return entry;
}

// The user of a process token, or the error that stopped the read.
TTokenReading ReadTokenUser(HANDLE token) {
    TTokenReading reading;
    const std::vector<char> user = TokenInformation(token, TokenUser, reading.Error);
    if (!user.empty())
        reading.Value = SidText(reinterpret_cast<const TOKEN_USER*>(user.data())->User.Sid);
    reading.Read = !reading.Value.empty();
    return reading;
}

// The integrity level of a process token (the RID of its label), or the error that
// stopped the read.
TTokenReading ReadTokenIntegrity(HANDLE token) {
    TTokenReading reading;
    const std::vector<char> level = TokenInformation(token, TokenIntegrityLevel, reading.Error);
    if (level.empty())
        return reading;
    PSID label = reinterpret_cast<const TOKEN_MANDATORY_LABEL*>(level.data())->Label.Sid;
    const UCHAR count = label && ::IsValidSid(label) ? *::GetSidSubAuthorityCount(label) : 0;
    if (count == 0) {
        reading.Error = ERROR_INVALID_SID;
        return reading;
    }
    reading.Value = std::to_string(*::GetSidSubAuthority(label, count - 1));
    reading.Read = true;
    return reading;
}

// The user of a process token; empty when it cannot be read.
std::string TokenUserSid(HANDLE token) {
    return ReadTokenUser(token).Value;
}

UniqueHandle ProcessToken(HANDLE process) {
    HANDLE token = nullptr;
    if (!::OpenProcessToken(process, TOKEN_QUERY, &token))
        return {};
    return UniqueHandle(token);
}

// The account of the process behind the shell's window; empty when it cannot be read.
std::string ShellUserSid(HWND shell) {
    DWORD processId = 0;
    ::GetWindowThreadProcessId(shell, &processId);
    const UniqueHandle process(
        processId ? ::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId) : nullptr);
    return process ? ProcessUserSid(process.get()) : std::string();
}

// "C:\Tools\" is named "C:\Tools"; a drive's root keeps its backslash.
std::string FolderName(const std::string& appPath) {
    if (appPath.size() > 3 && appPath.back() == '\\')
        return appPath.substr(0, appPath.size() - 1);
    return appPath;
}

} // namespace

std::string SidText(PSID sid) {
    char* text = nullptr;
    if (!sid || !::ConvertSidToStringSidA(sid, &text))
        return {};
    const UniqueLocalMemory owner(text);
    return text;
}

std::vector<char> TokenInformation(HANDLE token, TOKEN_INFORMATION_CLASS what,
                                   std::uint32_t& error) {
    DWORD size = 0;
    ::GetTokenInformation(token, what, nullptr, 0, &size);
    std::vector<char> buffer(size);
    if (size == 0 || !::GetTokenInformation(token, what, buffer.data(), size, &size)) {
        error = ::GetLastError();
        buffer.clear();
    }
    return buffer;
}

std::optional<TSecurityInfo> ReadFileSecurity(const std::string& path) {
    PSID owner = nullptr;
    PACL dacl = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    const DWORD error = ::GetNamedSecurityInfoA(
        path.c_str(), SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION,
        &owner, nullptr, &dacl, nullptr, &descriptor);
    if (error != ERROR_SUCCESS)
        return std::nullopt;
    const UniqueLocalMemory descriptorOwner(descriptor);
    TSecurityInfo security;
    security.Owner = SidText(owner);
    security.NullDacl = dacl == nullptr;
    for (DWORD i = 0; dacl && i < dacl->AceCount; ++i) {
        void* ace = nullptr;
        if (!::GetAce(dacl, i, &ace))
            continue;
        if (const auto entry = EntryOf(static_cast<const ACE_HEADER*>(ace)))
            security.Entries.push_back(*entry);
    }
    return security;
}

std::string ProcessUserSid() {
    return ProcessUserSid(::GetCurrentProcess());
}

std::string ProcessUserSid(HANDLE process) {
    const UniqueHandle token = ProcessToken(process);
    return token ? TokenUserSid(token.get()) : std::string();
}

TDesktopAccounts ReadDesktopAccounts() {
    TDesktopAccounts accounts;
    accounts.ProcessUser = ProcessUserSid();
    if (HWND shell = ::GetShellWindow())
        accounts.ShellUser = ShellUserSid(shell);
    return accounts;
}

bool IsElevated() {
    const UniqueHandle token = ProcessToken(::GetCurrentProcess());
    TOKEN_ELEVATION elevation{};
    DWORD size = 0;
    return token &&
           ::GetTokenInformation(token.get(), TokenElevation, &elevation, sizeof elevation,
                                 &size) &&
           elevation.TokenIsElevated != 0;
}

std::optional<std::string> StartupAccessWarning(const std::string& exePath) {
    if (!IsElevated())
        return std::nullopt;
    TInstallationAccess access;
    access.UserSid = ProcessUserSid();
    access.Folder = FolderName(ExtractFilePath(exePath));
    access.FolderSecurity = ReadFileSecurity(access.Folder);
    access.Exe = exePath;
    access.ExeSecurity = ReadFileSecurity(exePath);
    return InstallationWarning(access);
}

namespace {

std::optional<std::string> PlaceRefusal(const std::string& exePath, bool forService) {
    THelperPlace place;
    place.UserSid = ProcessUserSid();
    place.ForService = forService;
    if (forService)
        place.SystemFolderSecurity = ReadFileSecurity(SystemFolder());
    place.Exe = exePath;
    place.ExeSecurity = ReadFileSecurity(exePath);
    for (const std::string& folder : FoldersHolding(exePath))
        place.Folders.push_back({folder, ReadFileSecurity(folder)});
    return HelperPlaceRefusal(place);
}

} // namespace

std::optional<std::string> HelperFolderRefusal(const std::string& exePath) {
    return PlaceRefusal(exePath, false);
}

std::optional<std::string> ServiceFolderRefusal(const std::string& exePath) {
    return PlaceRefusal(exePath, true);
}

TProcessIdentity ReadProcessIdentity(HANDLE process) {
    TProcessIdentity identity;
    const UniqueHandle token = ProcessToken(process ? process : ::GetCurrentProcess());
    if (!token) {
        identity.User.Error = identity.Integrity.Error = ::GetLastError();
        return identity;
    }
    identity.User = ReadTokenUser(token.get());
    identity.Integrity = ReadTokenIntegrity(token.get());
    return identity;
}

TNamedObjectSecurity::TNamedObjectSecurity(TFor who) {
    std::string sddl = "D:P";
    if (who == TFor::Administrators) {
        sddl += "(A;;GA;;;BA)";
    } else {
        const std::string user = ProcessUserSid();
        if (user.empty())
            return; // the default security: the token's own, for this user and the system
        sddl += "(A;;GA;;;" + user + ")";
    }
    sddl += "(A;;GA;;;SY)";
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (::ConvertStringSecurityDescriptorToSecurityDescriptorA(sddl.c_str(), SDDL_REVISION_1,
                                                               &descriptor, nullptr))
        descriptor_.reset(descriptor);
    attributes_.nLength = sizeof attributes_;
    attributes_.lpSecurityDescriptor = descriptor_.get();
}
