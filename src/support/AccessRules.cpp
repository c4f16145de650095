#include "AccessRules.h"

#include "Strings.h"

#include <algorithm>

const char* const SystemSid = "S-1-5-18";
const char* const AdministratorsSid = "S-1-5-32-544";
const char* const TrustedInstallerSid =
    "S-1-5-80-956008885-3418522649-1831038044-1853292631-2271478464";
const char* const CreatorOwnerSid = "S-1-3-0";

namespace {

constexpr std::uint32_t FileWriteData = 0x0002;  // FILE_ADD_FILE on a folder
constexpr std::uint32_t FileAppendData = 0x0004; // FILE_ADD_SUBDIRECTORY on a folder
constexpr std::uint32_t FileDeleteChild = 0x0040;
constexpr std::uint32_t Delete = 0x00010000;
constexpr std::uint32_t WriteDac = 0x00040000;
constexpr std::uint32_t WriteOwner = 0x00080000;
constexpr std::uint32_t GenericAll = 0x10000000;
constexpr std::uint32_t GenericWrite = 0x40000000;

const char* const EveryoneSid = "S-1-1-0";

bool IsTrusted(const std::string& sid, const TSecurityInfo& security, const std::string& user) {
    // CREATOR OWNER on the object itself matches no one's token.
    for (const char* trusted : {SystemSid, AdministratorsSid, TrustedInstallerSid, CreatorOwnerSid})
        if (SameText(sid, trusted))
            return true;
    return SameText(sid, security.Owner) || SameText(sid, user);
}

std::string Quoted(const std::string& path) {
    return "\"" + path + "\"";
}

} // namespace

const std::uint32_t WriteRights = FileWriteData | FileAppendData | FileDeleteChild | Delete |
                                  WriteDac | WriteOwner | GenericAll | GenericWrite;

std::vector<std::string> OtherWriters(const TSecurityInfo& security, const std::string& userSid) {
    if (security.NullDacl)
        return {EveryoneSid};
    std::vector<std::string> writers;
    for (const TAccessEntry& entry : security.Entries) {
        if (!entry.Allows || entry.InheritOnly || (entry.Mask & WriteRights) == 0)
            continue;
        if (IsTrusted(entry.Sid, security, userSid))
            continue;
        const bool listed = std::any_of(writers.begin(), writers.end(),
                                        [&entry](const auto& w) { return SameText(w, entry.Sid); });
        if (!listed)
            writers.push_back(entry.Sid);
    }
    return writers;
}

std::optional<std::string> InstallationWarning(const TInstallationAccess& access) {
    const auto open = [&access](const std::optional<TSecurityInfo>& security) {
        return security && !OtherWriters(*security, access.UserSid).empty();
    };
    std::string what;
    if (open(access.FolderSecurity))
        what = "the folder " + Quoted(access.Folder);
    else if (open(access.ExeSecurity))
        what = "the program " + Quoted(access.Exe);
    else
        return std::nullopt;
    return "Other users of this computer can change " + what +
           ", and with it the settings Netvane applies with administrator rights. Move Netvane "
           "into a folder only administrators can change, such as Program Files.";
}

bool ProxyIsTheDesktopUsers(const TDesktopAccounts& accounts) {
    if (!accounts.ShellUser || accounts.ProcessUser.empty())
        return true; // nobody to tell apart
    return !accounts.ShellUser->empty() && SameText(*accounts.ShellUser, accounts.ProcessUser);
}

const char* const ProxyNotSetMessage =
    "The network adapter's values were set, but not the proxy: Netvane runs under another "
    "account than the one signed in to this desktop, and the proxy would have gone into that "
    "other account's settings, not yours. Set the proxy in your own account's Internet "
    "options, or sign in with an administrator's account and apply the setting there.";

bool SameIdentity(const TProcessIdentity& own, const TProcessIdentity& other) {
    const bool sameUser = own.User.Read && other.User.Read && !own.User.Value.empty() &&
                          SameText(own.User.Value, other.User.Value);
    const bool sameLevel = own.Integrity.Read == other.Integrity.Read &&
                           (own.Integrity.Read ? own.Integrity.Value == other.Integrity.Value
                                               : own.Integrity.Error == other.Integrity.Error);
    return sameUser && sameLevel;
}
