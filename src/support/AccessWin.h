#pragma once
// What AccessRules decides on, read from Windows: the access list of a file or folder, the
// account of this process and that of the desktop's shell, whether we are elevated, who a
// process runs as; and the security given to the program's named objects.

#include "AccessRules.h"
#include "WinHandles.h"

#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// A SID in its S-1-... form; empty when it cannot be made.
std::string SidText(PSID sid);
// A token's information of one class; empty, with the system's error, when it cannot be read.
std::vector<char> TokenInformation(HANDLE token, TOKEN_INFORMATION_CLASS what,
                                   std::uint32_t& error);

// The owner and access list of a file or folder; nothing when they cannot be read.
std::optional<TSecurityInfo> ReadFileSecurity(const std::string& path);

// The SID of the account this process runs as; empty when it cannot be read.
std::string ProcessUserSid();
// The same of another process, opened with PROCESS_QUERY_LIMITED_INFORMATION at least.
std::string ProcessUserSid(HANDLE process);

// This process's account and that of the process behind the desktop's shell window.
TDesktopAccounts ReadDesktopAccounts();

// True when the process runs with administrator rights switched on.
bool IsElevated();

// The warning for the start of an elevated program whose exe (its full path) or the folder
// it lies in other accounts can change; nothing otherwise, and nothing when not elevated,
// since then the program applies nothing they could have chosen.
std::optional<std::string> StartupAccessWarning(const std::string& exePath);

// Why an elevated helper started from this exe (its full path) would be unsafe: other
// accounts than the user, SYSTEM, Administrators and TrustedInstaller could change the exe,
// its folder, or what lies in a folder above (HelperPlaceRefusal); nothing when it is safe.
// Asked before the helper is started, elevated or not.
std::optional<std::string> HelperFolderRefusal(const std::string& exePath);
// The same for the service, which runs the exe as the system: only SYSTEM, Administrators
// and TrustedInstaller may change it or its folder, the user included among the others.
std::optional<std::string> ServiceFolderRefusal(const std::string& exePath);

// The user and integrity level of a process (a handle with query rights); of this
// process when process is null.
TProcessIdentity ReadProcessIdentity(HANDLE process = nullptr);

// Security for the program's named objects (mutex, shared record, events): only the given
// accounts and the system may open them, so that a program of other rights can neither
// take hold of them nor write into them.
class TNamedObjectSecurity {
  public:
    enum class TFor {
        Administrators, // what an elevated program makes
        CurrentUser,    // what a program of the user's own rights makes: the user's SID
    };
    explicit TNamedObjectSecurity(TFor who);
    TNamedObjectSecurity(const TNamedObjectSecurity&) = delete;
    TNamedObjectSecurity& operator=(const TNamedObjectSecurity&) = delete;
    // Null (the default security) where no descriptor could be made.
    SECURITY_ATTRIBUTES* get() { return descriptor_ ? &attributes_ : nullptr; }

  private:
    UniqueLocalMemory descriptor_;
    SECURITY_ATTRIBUTES attributes_{};
};
