#include "CommandLineWin.h"

#include "CommandLine.h"
#include "KeepSignalWin.h"
#include "StartWithWindowsWin.h"

#include "netcfg/NetServicesWin.h"
#include "netcfg/ReachabilityWin.h"
#include "privileged/ServiceWin.h"
#include "privileged/SwitchRoute.h"
#include "support/AccessWin.h"
#include "support/FileSystem.h"
#include "support/Forms.h"
#include "support/Strings.h"
#include "support/WinHandles.h"

#include <windows.h>

#include <algorithm>
#include <vector>

namespace {

HANDLE UsableStdHandle(DWORD which) {
    HANDLE handle = ::GetStdHandle(which);
    return handle == INVALID_HANDLE_VALUE ? nullptr : handle;
}

// Output to the handles the program was given (a pipe or file when redirected), else to
// the console of the program that started it. Errors without either go to the general
// error box, unless /quiet says no.
class TConsoleOutput : public ICommandOutput {
  public:
    TConsoleOutput()
        : out_(UsableStdHandle(STD_OUTPUT_HANDLE)), err_(UsableStdHandle(STD_ERROR_HANDLE)) {
        if ((out_ && err_) || !::AttachConsole(ATTACH_PARENT_PROCESS))
            return;
        console_.reset(::CreateFileA("CONOUT$", GENERIC_READ | GENERIC_WRITE,
                                     FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0,
                                     nullptr));
        if (!console_)
            return;
        out_ = out_ ? out_ : console_.get();
        err_ = err_ ? err_ : console_.get();
    }

    void SetQuiet(bool quiet) { quiet_ = quiet; }

    void Print(const std::string& line) override {
        if (out_)
            Write(out_, line + "\r\n");
    }

    void Error(const std::string& message) override {
        if (err_)
            Write(err_, message + "\r\n");
        else if (!quiet_)
            ShowErrorBox(message);
    }

  private:
    // A console shows wide characters; a pipe or file gets the program's ANSI bytes.
    static void Write(HANDLE handle, const std::string& text) {
        DWORD mode = 0;
        DWORD written = 0;
        if (::GetConsoleMode(handle, &mode)) {
            std::wstring wide(text.size(), L'\0');
            const int length =
                ::MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()),
                                      wide.data(), static_cast<int>(wide.size()));
            ::WriteConsoleW(handle, wide.data(), static_cast<DWORD>(length), &written, nullptr);
        } else {
            ::WriteFile(handle, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
        }
    }

    HANDLE out_;
    HANDLE err_;
    UniqueHandle console_;
    bool quiet_ = false;
};

} // namespace

std::optional<int> RunCommandLineSwitches(int argc, char** argv, const std::string& exePath,
                                          const std::string& dataFolder) {
    const std::vector<std::string> arguments(argv + std::min(argc, 1), argv + argc);
    if (arguments.empty())
        return std::nullopt;
    TConsoleOutput output;
    TCommandLine command;
    try {
        command = ParseCommandLine(arguments);
    } catch (const TUsageError& error) {
        output.SetQuiet(std::any_of(arguments.begin(), arguments.end(),
                                    [](const std::string& a) { return SameText(a, "/quiet"); }));
        output.Error(std::string(error.what()) + "\r\n" + CommandLineUsage);
        return ExitUsage;
    }
    if (command.Tray)
        return std::nullopt;
    output.SetQuiet(command.Quiet);
    if (command.Action == TCommandAction::InstallService ||
        command.Action == TCommandAction::UninstallService) {
        const TServiceAnswer answer = command.Action == TCommandAction::InstallService
                                          ? InstallService(exePath, command.Group)
                                          : UninstallService();
        answer.Done ? output.Print(answer.Text) : output.Error(answer.Text);
        return answer.Done ? ExitDone : ExitFailed;
    }
    // A warning, not a failure: the command still runs and its exit code is its own.
    if (const auto warning = StartupAccessWarning(exePath))
        output.Error(*warning);
    // A setting Windows did not take at once is reported as an error would be: on the
    // console, or in the box unless /quiet. The machine's address, the switch's status line,
    // comes after the outcome, so that nobody reads it as the outcome.
    std::string status;
    TSystemNetServices services([&status](const std::string& text) { status = text; },
                                [&output](const std::string& message) { output.Error(message); });
    TSwitchRoute route([&output](const std::string& text) { output.Print(text); });
    services.UseAdapterSwitch([&route, &dataFolder] {
        // Read when a switch needs it: a settings file that cannot be read means the default.
        try {
            const TConfig config(dataFolder + "config.ini");
            return route.AdapterSwitch(&config);
        } catch (const std::exception&) {
            return route.AdapterSwitch(nullptr);
        }
    });
    TSystemReachability reachability;
    TKeepEvents keepEvents;
    TKeepSignal keep(keepEvents);
    const std::unique_ptr<ITaskScheduler> scheduler = SystemTaskScheduler();
    const int code = RunCommandLine(command, dataFolder, SystemRegistry(), services, output,
                                    {&reachability, &keep}, {scheduler.get(), exePath});
    if (!status.empty())
        output.Print(status);
    return code;
}

bool StartsInTray(int argc, char** argv) {
    return argc == 2 && SameText(argv[1], TraySwitch);
}
