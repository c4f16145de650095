#pragma once
// "Start with Windows": a scheduled task that starts the program at sign-in with the highest
// rights the user has, so that no elevation prompt comes, hidden in the notification area.
// The command lines for the Task Scheduler's program are made here; what runs them is a
// seam, so tests never register a task.

#include "support/Config.h"

#include <string>

inline constexpr char StartupTaskName[] = "Netvane";
// The settings-file value that holds the program path the task was made for.
inline constexpr char StartupTaskSetting[] = "StartWithWindows";
// The switch the task starts the program with.
inline constexpr char TraySwitch[] = "/tray";

// schtasks.exe's limit for the program and arguments the task starts.
inline constexpr std::size_t MaxTaskRunLength = 261;

// "schtasks.exe /Create ..." for a task at logon, highest rights, run only while the user is
// signed in, starting "exePath" /tray; replaces a task of that name. TError for a path the
// task cannot hold.
std::string CreateStartupTaskCommand(const std::string& exePath);
std::string DeleteStartupTaskCommand();
std::string QueryStartupTaskCommand();

// Runs a line of the commands above (schtasks.exe of the system folder, hidden).
class ITaskScheduler {
  public:
    virtual ~ITaskScheduler() = default;
    // The exit code (0: done) and what the program printed.
    virtual int Run(const std::string& commandLine, std::string& output) = 0;
};

enum class TStartupState { Off, On, Moved };
// Moved: the task was made for the program at another path, where it no longer starts this
// one; it counts as off.
TStartupState StartupStateOf(const TConfig& config, const std::string& exePath);
// Why the option shows as off although it was set; "" when it is not so.
std::string StartupNote(const TConfig& config, const std::string& exePath);

// Makes the task for exePath (on) or removes it (off), then keeps the state in config.
// A failure raises TError with what the Task Scheduler said, and config is left as it was;
// removing a task that is not there any more counts as done.
void SetStartWithWindows(bool on, const std::string& exePath, TConfig& config,
                         ITaskScheduler& scheduler);
