#pragma once
// "Start with Windows": the value Netvane in the user's Run key starts the program at
// sign-in, hidden in the notification area, with the user's own rights and no prompt. An
// older version made a scheduled task with the highest rights instead, which ran a file the
// user can change; every change of the option removes that task. What the option shows is
// read from the Run key each time: the key is the truth, whoever changed it.

#include "netcfg/Registry.h"
#include "support/Config.h"

#include <string>
#include <vector>

// The user's Run key, under HKEY_CURRENT_USER, and our value in it.
inline constexpr char RunKeyPath[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
inline constexpr char RunValueName[] = "Netvane";
// The switch the Run value starts the program with.
inline constexpr char TraySwitch[] = "/tray";

// The task an older version made, and the settings-file value that held the program path
// it was made for.
inline constexpr char OldStartupTaskName[] = "Netvane";
inline constexpr char OldStartupTaskSetting[] = "StartWithWindows";

// "\"exePath\" /tray", the Run value's text. TError for a path it cannot quote.
std::string RunCommandOf(const std::string& exePath);
// The program a Run value starts: its quoted first part; unquoted (written by hand), what
// stands before the first switch.
std::string ProgramOfRunCommand(const std::string& command);

std::string DeleteOldTaskCommand();
std::string QueryOldTaskCommand();

// Runs a line of the commands above (schtasks.exe of the system folder, hidden).
class ITaskScheduler {
  public:
    virtual ~ITaskScheduler() = default;
    // The exit code (0: done) and what the program printed.
    virtual int Run(const std::string& commandLine, std::string& output) = 0;
};

enum class TStartupState { Off, On, Moved };
// On: the Run value starts exePath (any case). Moved: it starts the program at another path,
// which is not this one; that counts as off.
TStartupState StartupStateOf(IRegistryBackend& registry, const std::string& exePath);
// Why the option shows as off although it was set ("" when it is not so): the program has
// moved, or config (when given) says an older version's task may still start it.
std::string StartupNote(IRegistryBackend& registry, const TConfig* config,
                        const std::string& exePath);

// Removes an older version's task, then writes (on) or removes (off) the Run value and
// forgets the task in config (when given). Gives what was done, a line each. A task that is
// not there counts as removed; one that stays, or a refused write, raises TError with the
// reason, and what failed is left as it was.
std::vector<std::string> SetStartWithWindows(bool on, const std::string& exePath,
                                             IRegistryBackend& registry, ITaskScheduler& scheduler,
                                             TConfig* config);
