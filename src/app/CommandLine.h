#pragma once
// The program's command line, for shortcuts and scheduled tasks: apply a stored setting,
// switch to DHCP or list what is stored, all without the main window. Parsing and running
// need no window, so both are part of the portable core.

#include "app/WayBack.h"
#include "netcfg/Registry.h"
#include "netcfg/SetIP.h"
#include "support/Error.h"

#include <optional>
#include <string>
#include <vector>

enum class TCommandAction {
    None,
    Apply,
    Dhcp,
    List,
    Status,
    Keep,
    Usage,
    Import,
    Export,
    StartWithWindows,
    Auto,
    InstallService,
    UninstallService,
};

struct TCommandLine {
    TCommandAction Action = TCommandAction::None; // None: start the window as usual
    std::string Title;                            // of /apply
    std::optional<int> Id;                        // of /apply /id: the setting's ID instead
    std::string Path;                             // the CSV file of /import and /export
    std::optional<std::string> Adapter;           // of /adapter: its box text or {id}
    bool Quiet = false;                           // no error box without a console
    std::optional<int> KeepWithin; // of /apply: seconds to wait for /keep before going back
    bool Tray = false;    // /tray: the window starts hidden, with the notification-area icon
    bool StartOn = false; // of /start-with-windows: on (true) or off
    std::optional<std::string> Group; // of /install-service: one more group that may switch
};

// A command line the program does not understand.
class TUsageError : public TError {
  public:
    using TError::TError;
};

// The exit codes, as scripts see them.
enum : int {
    ExitDone = 0,
    ExitFailed = 1,          // a store or registry error, or a switch Windows did not take
    ExitUsage = 2,           // a switch not understood
    ExitNoAdapter = 3,       // no adapter matches
    ExitNoSetting = 4,       // no stored setting matches
    ExitAmbiguous = 5,       // several adapters or settings match
    ExitWaitingForCable = 6, // saved; the adapter is not connected, Windows applies it then
    ExitWentBack = 7,        // /keep-within: no /keep came, the previous settings went back
    ExitNothingWaiting = 8,  // /keep: no apply waits for it
    ExitNotPresent = 9,      // Windows does not have the adapter now (/apply, /dhcp: saved anyway)
};

// What /keep-within and /keep need of the system; an absent part refuses them.
struct TWayBackSeams {
    IReachability* Reachability = nullptr;
    IKeepSignal* Keep = nullptr;
};

class ITaskScheduler;
// What /start-with-windows needs: the program the Run value starts, and the Task Scheduler
// that removes an older version's task; without a scheduler it is refused.
struct TStartupSeams {
    ITaskScheduler* Scheduler = nullptr;
    std::string ExePath;
};

extern const char* const CommandLineUsage;

// The arguments after the program's name; switches in any case. No arguments give the
// action None. TUsageError for anything else it does not understand.
TCommandLine ParseCommandLine(const std::vector<std::string>& arguments);

// Where a command's lines go.
class ICommandOutput {
  public:
    virtual ~ICommandOutput() = default;
    virtual void Print(const std::string& line) = 0;
    virtual void Error(const std::string& message) = 0;
};

// Runs an action other than None against the adapters in the registry and the database in
// appPath (beside it config.ini, whose Index names the adapter when /adapter does not).
// Returns the exit code; every failure is reported through output.Error first.
int RunCommandLine(const TCommandLine& command, const std::string& appPath,
                   IRegistryBackend& registry, INetServices& services, ICommandOutput& output,
                   const TWayBackSeams& wayBack = {}, const TStartupSeams& startup = {});
