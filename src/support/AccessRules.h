#pragma once
// Who may change what the program runs from, and whose proxy an apply may write. The
// access entries and account names come in as text (SIDs in their S-1-... form), so the
// rules need no Windows; AccessWin reads them from the system.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

// The accounts that may change a program folder without that being a risk.
extern const char* const SystemSid;           // S-1-5-18
extern const char* const AdministratorsSid;   // S-1-5-32-544
extern const char* const TrustedInstallerSid; // the servicing account of Windows
extern const char* const CreatorOwnerSid;     // S-1-3-0: only a pattern for new files

// The rights by which someone changes a file or folder, or what is in it: write, append
// (add a file, add a folder), delete, delete a child, change the permissions or the owner,
// and the generic write and all.
extern const std::uint32_t WriteRights;

// One entry of a discretionary access list.
struct TAccessEntry {
    std::string Sid;
    std::uint32_t Mask = 0;
    bool Allows = true;       // false: a deny entry
    bool InheritOnly = false; // applies to what is made inside, not to the object itself
};

// A file's or folder's owner and its access list.
struct TSecurityInfo {
    std::string Owner;
    bool NullDacl = false; // no access list at all: everyone may do everything
    std::vector<TAccessEntry> Entries;
};

// The accounts beyond SYSTEM, Administrators, TrustedInstaller, the owner and user that the
// entries allow to change the object, in their order, each once. Deny entries do not
// narrow this down: a denied write of one group says nothing of a group beside it. A NULL
// access list gives "S-1-1-0" (Everyone).
std::vector<std::string> OtherWriters(const TSecurityInfo& security, const std::string& userSid);

// What the program runs from: its folder and its file, and what they allow (nothing when
// it could not be read).
struct TInstallationAccess {
    std::string UserSid;
    std::string Folder; // without a trailing backslash
    std::optional<TSecurityInfo> FolderSecurity;
    std::string Exe;
    std::optional<TSecurityInfo> ExeSecurity;
};

// The warning for a folder or exe other accounts can change, the folder first; nothing
// when both are safe or could not be read.
std::optional<std::string> InstallationWarning(const TInstallationAccess& access);

// What an elevated helper would be started from: the exe, and every folder that holds it,
// its own folder first and the drive's (or share's) root last, each with what it allows
// (nothing when it could not be read).
struct THelperPlace {
    std::string UserSid;
    std::string Exe;
    std::optional<TSecurityInfo> ExeSecurity;
    struct TFolder {
        std::string Path;
        std::optional<TSecurityInfo> Security;
    };
    std::vector<TFolder> Folders;
    // The service runs the exe as the system for every user: there the user is trusted no
    // more than anyone else, and only those who may change the system's own folder
    // (SystemFolderSecurity) are trusted beside the system's accounts.
    bool ForService = false;
    std::optional<TSecurityInfo> SystemFolderSecurity{};
};

// The folders that hold path, its own first, up to the root of its drive (C:\) or share
// (\\server\share\); every one but the root without its trailing backslash.
std::vector<std::string> FoldersHolding(const std::string& path);

// Why starting the helper elevated from there would hand administrator rights to other
// accounts; nothing when it is safe. Safe: only the user, SYSTEM, Administrators and
// TrustedInstaller may change the exe or its folder (and one of them owns each), and no
// one else may remove, rename or replace what lies in a folder above (or own one). What
// cannot be read is not safe. The message ends by saying where to move Netvane. For the
// service, the user is not among those who may change the exe or its folders; whoever may
// change the system's own folder is, since they decide what runs as the system already.
std::optional<std::string> HelperPlaceRefusal(const THelperPlace& place);

// The account the process runs as, and that of the desktop's shell (nothing when there is
// no shell window; an empty text when there is one whose account could not be read).
struct TDesktopAccounts {
    std::string ProcessUser;
    std::optional<std::string> ShellUser;
};

// The user's proxy lives in the process account's registry: it is the desktop user's
// only when both are one account. Without a shell (a task run with no one signed in)
// there is nobody else it could be meant for, nor when the process's own account is
// unknown. A shell whose account cannot be read is
// another account's: one's own shell always opens to one's own process.
bool ProxyIsTheDesktopUsers(const TDesktopAccounts& accounts);

// Whether an apply may write the user's proxy. Not elevated, the process runs with the
// rights of the user who started it, and the proxy it sees is that user's own: nothing is
// asked. Elevated, it may run as another account (an administrator's credentials typed in),
// and ProxyIsTheDesktopUsers decides on the accounts read then.
bool ProxyMayBeWritten(bool elevated, const std::function<TDesktopAccounts()>& readAccounts);

// Why the proxy was left alone: said once, after the apply.
extern const char* const ProxyNotSetMessage;

// One value read from a process's token: the value, or the system's error that stopped
// the read.
struct TTokenReading {
    bool Read = false;
    std::string Value; // a SID in its S-1-... form, or a number as text
    std::uint32_t Error = 0;
};

// Who a process runs as: its user and its integrity level (the level's RID).
struct TProcessIdentity {
    TTokenReading User;
    TTokenReading Integrity;
};

// Whether a window of the other process may be handed what this one was started for: the
// same user, and the same integrity level, so that no start of the user's hands over to an
// elevated window (or one running lower) nor to another account's. A user that cannot be
// read on either side is never the same. An integrity level that neither side can read
// counts as the same when both reads failed with the same error: a system without levels
// (Wine) answers both alike, and a level read on one side only is a difference.
bool SameIdentity(const TProcessIdentity& own, const TProcessIdentity& other);
