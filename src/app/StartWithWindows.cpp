#include "StartWithWindows.h"

#include "support/Error.h"
#include "support/Strings.h"

#include <optional>

namespace {

std::string RunKeyName() {
    return std::string("HKEY_CURRENT_USER\\") + RunKeyPath;
}

std::string TaskNameArgument() {
    return std::string("/TN \"") + OldStartupTaskName + '"';
}

// The Run value's text; nothing when there is none, or it is not text.
std::optional<std::string> RunValue(IRegistryBackend& registry) {
    TReg reg(registry);
    reg.SetRootKey(TRootKey::CurrentUser);
    if (!reg.OpenKey(RunKeyPath, false))
        return std::nullopt;
    return reg.ReadTextValue(RunValueName);
}

// Whether schtasks.exe lists the task. Only a listing that names it counts: a scheduler
// that answers a query with nothing (Wine's) has no such task to remove.
bool OldTaskListed(ITaskScheduler& scheduler) {
    std::string output;
    return scheduler.Run(QueryOldTaskCommand(), output) == 0 &&
           FoldedAscii(output).find(FoldedAscii(OldStartupTaskName)) != std::string::npos;
}

// True when the task was there and is gone now; false when there was none.
bool RemoveOldTask(ITaskScheduler& scheduler) {
    std::string output;
    const int exitCode = scheduler.Run(DeleteOldTaskCommand(), output);
    if (exitCode == 0)
        return true;
    if (!OldTaskListed(scheduler))
        return false;
    std::string message = "Cannot remove the scheduled task \"";
    message += OldStartupTaskName;
    message += "\" an older Netvane made (schtasks.exe ended with ";
    message += std::to_string(exitCode);
    const std::string said = Trim(output);
    message += said.empty() ? ")" : "): " + said;
    message += "\r\nIt still starts Netvane at sign-in with the highest rights. Remove it in a "
               "command prompt run as administrator: schtasks /Delete /TN Netvane /F";
    throw TError(message);
}

} // namespace

std::string RunCommandOf(const std::string& exePath) {
    // Quoted, so that a path with spaces names one program; a quote in it cannot be.
    if (Trim(exePath).empty() || exePath.find('"') != std::string::npos)
        throw TError("The program's path cannot be started with Windows: \"" + exePath + "\"");
    return "\"" + exePath + "\" " + TraySwitch;
}

std::string ProgramOfRunCommand(const std::string& command) {
    const std::string text = Trim(command);
    if (!text.empty() && text[0] == '"')
        return text.substr(1, text.find('"', 1) - 1);
    return Trim(text.substr(0, text.find(" /")));
}

std::string DeleteOldTaskCommand() {
    return "schtasks.exe /Delete /F " + TaskNameArgument();
}

std::string QueryOldTaskCommand() {
    return "schtasks.exe /Query " + TaskNameArgument();
}

TStartupState StartupStateOf(IRegistryBackend& registry, const std::string& exePath) {
    const std::optional<std::string> value = RunValue(registry);
    if (!value || Trim(*value).empty())
        return TStartupState::Off;
    return SameText(ProgramOfRunCommand(*value), exePath) ? TStartupState::On
                                                          : TStartupState::Moved;
}

std::string StartupNote(IRegistryBackend& registry, const TConfig* config,
                        const std::string& exePath) {
    switch (StartupStateOf(registry, exePath)) {
    case TStartupState::Moved:
        return "off: Netvane has moved since it was set for " +
               ProgramOfRunCommand(*RunValue(registry));
    case TStartupState::Off:
        if (config && !Trim(config->ReadValue(OldStartupTaskSetting)).empty())
            return "off: an older version's task may still start it; choose this to replace it";
        return {};
    case TStartupState::On:
        break;
    }
    return {};
}

std::vector<std::string> SetStartWithWindows(bool on, const std::string& exePath,
                                             IRegistryBackend& registry, ITaskScheduler& scheduler,
                                             TConfig* config) {
    // Checked first: a path the Run value cannot hold changes nothing at all.
    const std::string command = on ? RunCommandOf(exePath) : std::string();
    std::vector<std::string> done;
    if (RemoveOldTask(scheduler))
        done.push_back(std::string("Removed the scheduled task \"") + OldStartupTaskName +
                       "\" an older Netvane made");
    TReg reg(registry);
    reg.SetRootKey(TRootKey::CurrentUser);
    const bool opened = reg.OpenKey(RunKeyPath, on);
    if (on) {
        if (!opened || !reg.WriteRaw(RunValueName, RegSz, command + '\0'))
            throw TError("Cannot write " + std::string(RunValueName) + " in " + RunKeyName() +
                         ": Netvane does not start with Windows");
        done.push_back("Netvane starts with Windows: " + RunKeyName() + " " + RunValueName + " = " +
                       command);
    } else if (opened && reg.ValueExists(RunValueName)) {
        if (!reg.DeleteValue(RunValueName))
            throw TError("Cannot remove " + std::string(RunValueName) + " from " + RunKeyName() +
                         ": Netvane still starts with Windows");
        done.push_back("Netvane no longer starts with Windows: removed " +
                       std::string(RunValueName) + " from " + RunKeyName());
    } else {
        done.push_back("Netvane does not start with Windows: " + RunKeyName() + " has no " +
                       RunValueName);
    }
    // The task is gone: nothing is left to note of it. A settings file that cannot be
    // written keeps a needless note at worst; the option itself is set.
    if (config && !config->ReadValue(OldStartupTaskSetting).empty()) {
        try {
            config->WriteValue(OldStartupTaskSetting, "");
        } catch (const TError&) {
        }
    }
    return done;
}
