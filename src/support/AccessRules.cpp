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

// The system's own accounts, and those named beside them (the user, for the helper).
bool IsTrusted(const std::string& sid, const std::vector<std::string>& beside) {
    // CREATOR OWNER on the object itself matches no one's token.
    for (const char* trusted : {SystemSid, AdministratorsSid, TrustedInstallerSid, CreatorOwnerSid})
        if (SameText(sid, trusted))
            return true;
    return std::any_of(beside.begin(), beside.end(), [&sid](const std::string& account) {
        return !account.empty() && SameText(sid, account);
    });
}

std::string Quoted(const std::string& path) {
    return "\"" + path + "\"";
}

} // namespace

const std::uint32_t WriteRights = FileWriteData | FileAppendData | FileDeleteChild | Delete |
                                  WriteDac | WriteOwner | GenericAll | GenericWrite;

namespace {

// The accounts the entries allow any of rights, beyond those trusted, each once in order.
std::vector<std::string> Writers(const TSecurityInfo& security, std::uint32_t rights,
                                 const std::function<bool(const std::string&)>& trusted) {
    if (security.NullDacl)
        return {EveryoneSid};
    std::vector<std::string> writers;
    for (const TAccessEntry& entry : security.Entries) {
        if (!entry.Allows || entry.InheritOnly || (entry.Mask & rights) == 0)
            continue;
        if (trusted(entry.Sid))
            continue;
        const bool listed = std::any_of(writers.begin(), writers.end(),
                                        [&entry](const auto& w) { return SameText(w, entry.Sid); });
        if (!listed)
            writers.push_back(entry.Sid);
    }
    return writers;
}

// Rights on a folder above that let someone take the way to the program away: remove or
// rename what is in it, rename the folder itself, or give themselves either.
constexpr std::uint32_t ReplaceRights =
    FileDeleteChild | Delete | WriteDac | WriteOwner | GenericAll;

// Where the helper is concerned an owner is trusted no more than anyone: an owner beyond
// the trusted accounts may always rewrite the access list.
bool OthersMay(const TSecurityInfo& security, std::uint32_t rights,
               const std::vector<std::string>& beside) {
    if (!IsTrusted(security.Owner, beside))
        return true;
    const auto trusted = [&beside](const std::string& sid) { return IsTrusted(sid, beside); };
    return !Writers(security, rights, trusted).empty();
}

// Whoever may change the system's own folder already decides what runs as the system: the
// owner and every account allowed to change it. On Windows that is the system's accounts
// again; where one account owns everything (Wine), it is that account.
std::vector<std::string> SystemFolderHolders(const std::optional<TSecurityInfo>& security) {
    if (!security || security->NullDacl)
        return {};
    std::vector<std::string> holders =
        Writers(*security, WriteRights, [](const std::string&) { return false; });
    holders.push_back(security->Owner);
    return holders;
}

std::size_t RootLength(const std::string& path) {
    // The parts that make the root: "\\?\UNC\" server share, "\\?\" drive, "\\" server share.
    const auto afterParts = [&path](std::size_t from, int parts) {
        std::size_t at = from;
        for (int i = 0; i < parts && at != std::string::npos; ++i) {
            at = path.find('\\', at);
            if (at != std::string::npos)
                ++at;
        }
        return at == std::string::npos ? path.size() : at;
    };
    if (path.rfind("\\\\?\\UNC\\", 0) == 0)
        return afterParts(8, 2);
    if (path.rfind("\\\\?\\", 0) == 0)
        return afterParts(4, 1);
    if (path.rfind("\\\\", 0) == 0)
        return afterParts(2, 2);
    return path.size() >= 2 && path[1] == ':' ? (path.size() > 2 && path[2] == '\\' ? 3 : 2) : 0;
}

} // namespace

std::vector<std::string> OtherWriters(const TSecurityInfo& security, const std::string& userSid) {
    return Writers(security, WriteRights, [&](const std::string& sid) {
        return IsTrusted(sid, {userSid}) || SameText(sid, security.Owner);
    });
}

std::vector<std::string> FoldersHolding(const std::string& path) {
    std::vector<std::string> folders;
    const std::size_t root = RootLength(path);
    std::size_t end = path.find_last_of('\\');
    while (end != std::string::npos && end >= root) {
        folders.push_back(path.substr(0, end));
        end = end == 0 ? std::string::npos : path.find_last_of('\\', end - 1);
    }
    if (root > 0 && root < path.size())
        folders.push_back(path.substr(0, root));
    return folders;
}

std::optional<std::string> HelperPlaceRefusal(const THelperPlace& place) {
    struct TCheck {
        std::string What;
        const std::optional<TSecurityInfo>* Security;
        std::uint32_t Rights;
    };
    std::vector<TCheck> checks;
    // Any change to its own folder or to the program could put other code in its place or
    // beside it; a folder above matters by what takes the way to it away.
    if (!place.Folders.empty())
        checks.push_back({"the folder " + Quoted(place.Folders[0].Path), &place.Folders[0].Security,
                          WriteRights});
    checks.push_back({"the program " + Quoted(place.Exe), &place.ExeSecurity, WriteRights});
    for (std::size_t i = 1; i < place.Folders.size(); ++i)
        checks.push_back({"the folder " + Quoted(place.Folders[i].Path), &place.Folders[i].Security,
                          ReplaceRights});
    const char* const move = ". Move Netvane into a folder only administrators can change, such "
                             "as Program Files.";
    const std::string program = place.ForService
                                    ? "the program the Netvane service runs as the system"
                                    : "the program Netvane would start with administrator rights";
    // For the service the user's own rights count as others'.
    const std::vector<std::string> trusted = place.ForService
                                                 ? SystemFolderHolders(place.SystemFolderSecurity)
                                                 : std::vector<std::string>{place.UserSid};
    for (const TCheck& check : checks) {
        if (!*check.Security)
            return "Netvane cannot read who may change " + check.What +
                   ", so it cannot tell whether other users of this computer could change " +
                   program + move;
        if (OthersMay(**check.Security, check.Rights, trusted))
            return (place.ForService
                        ? "Accounts other than the system's and administrators' can change "
                        : "Other users of this computer can change ") +
                   check.What + ", and with it " + program + " to change network adapters" + move;
    }
    return std::nullopt;
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

bool ProxyMayBeWritten(bool elevated, const std::function<TDesktopAccounts()>& readAccounts) {
    return !elevated || ProxyIsTheDesktopUsers(readAccounts());
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
