#include "StartupTask.h"

#include "support/Error.h"
#include "support/Strings.h"

namespace {

std::string TaskNameArgument() {
    std::string argument = "/TN \"";
    argument += StartupTaskName;
    argument += '"';
    return argument;
}

std::string SchedulerFailure(const char* what, int exitCode, const std::string& output) {
    std::string message = "Cannot ";
    message += what;
    message += " the task \"";
    message += StartupTaskName;
    message += "\" (schtasks.exe ended with ";
    message += std::to_string(exitCode);
    message += ")";
    const std::string said = Trim(output);
    if (!said.empty()) {
        message += ": ";
        message += said;
    }
    return message;
}

} // namespace

std::string CreateStartupTaskCommand(const std::string& exePath) {
    // The program and its switch as one argument of /TR, the path's quotes escaped.
    std::string run = "\"";
    run += exePath;
    run += "\" ";
    run += TraySwitch;
    if (exePath.empty() || exePath.find('"') != std::string::npos)
        throw TError("The program's path cannot be started by a task: \"" + exePath + "\"");
    if (run.size() > MaxTaskRunLength) {
        std::string message = "The program's path is too long for a task (";
        message += std::to_string(MaxTaskRunLength);
        message += " characters at most): ";
        message += exePath;
        throw TError(message);
    }
    std::string command = "schtasks.exe /Create /F ";
    command += TaskNameArgument();
    command += " /SC ONLOGON /RL HIGHEST /IT /TR \"\\\"";
    command += exePath;
    command += "\\\" ";
    command += TraySwitch;
    command += '"';
    return command;
}

std::string DeleteStartupTaskCommand() {
    std::string command = "schtasks.exe /Delete /F ";
    command += TaskNameArgument();
    return command;
}

std::string QueryStartupTaskCommand() {
    std::string command = "schtasks.exe /Query ";
    command += TaskNameArgument();
    return command;
}

TStartupState StartupStateOf(const TConfig& config, const std::string& exePath) {
    const std::string madeFor = Trim(config.ReadValue(StartupTaskSetting));
    if (madeFor.empty())
        return TStartupState::Off;
    return SameText(madeFor, exePath) ? TStartupState::On : TStartupState::Moved;
}

std::string StartupNote(const TConfig& config, const std::string& exePath) {
    if (StartupStateOf(config, exePath) != TStartupState::Moved)
        return {};
    std::string note = "off: Netvane has moved since it was set for ";
    note += Trim(config.ReadValue(StartupTaskSetting));
    return note;
}

void SetStartWithWindows(bool on, const std::string& exePath, TConfig& config,
                         ITaskScheduler& scheduler) {
    std::string output;
    if (on) {
        const std::string command = CreateStartupTaskCommand(exePath);
        const int exitCode = scheduler.Run(command, output);
        if (exitCode != 0)
            throw TError(SchedulerFailure("make", exitCode, output));
        config.WriteValue(StartupTaskSetting, exePath);
        return;
    }
    const int exitCode = scheduler.Run(DeleteStartupTaskCommand(), output);
    std::string queried;
    // A task someone removed already: nothing is left to undo.
    if (exitCode != 0 && scheduler.Run(QueryStartupTaskCommand(), queried) == 0)
        throw TError(SchedulerFailure("remove", exitCode, output));
    config.WriteValue(StartupTaskSetting, "");
}
