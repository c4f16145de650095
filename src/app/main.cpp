// Program start: a second start that keeps its files in the same folder hands over to the
// first one (the program's own, not whatever holds its name); otherwise the windows in their
// order, then the message loop until the main window closes.

#include "CommandLineWin.h"
#include "DataFolderWin.h"
#include "Program.h"
#include "SingleInstance.h"
#include "UTray.h"

#include "netcfg/Registry.h"
#include "privileged/HelperWin.h"
#include "privileged/ServiceWin.h"
#include "support/AccessWin.h"
#include "support/FileSystem.h"
#include "support/Forms.h"
#include "support/SystemLibrary.h"

#include <commctrl.h>

#include <cstdlib>
#include <optional>

namespace {

std::string ExecutableFolder() {
    return ExtractFilePath(ApplicationFileName());
}

void Dispatch(TMainForm& mainForm, MSG& message) {
    if (mainForm.TranslateAccelerator(message))
        return;
    // Tab and Shift+Tab between the selector and the grid.
    if (::IsDialogMessageA(mainForm.Handle(), &message))
        return;
    ::TranslateMessage(&message);
    ::DispatchMessageA(&message);
}

// Handles what is queued now; the exit code when that includes the end of the program.
std::optional<int> HandleQueuedMessages(TMainForm& mainForm) {
    MSG message{};
    while (::PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT)
            return static_cast<int>(message.wParam);
        Dispatch(mainForm, message);
    }
    return std::nullopt;
}

int RunMessageLoop(TMainForm& mainForm) {
    MSG message{};
    while (::GetMessageA(&message, nullptr, 0, 0) > 0)
        Dispatch(mainForm, message);
    return static_cast<int>(message.wParam);
}

} // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int showState) {
    // Before anything loads a library: from here on, only the system folder is searched.
    RestrictLibrarySearchToSystemFolder();
    LoadLibrariesLoadedLaterBySystem();
    // The helper that writes an adapter's values for the program that started it: no window,
    // no common controls, no file of the user's.
    if (__argc == 4 && std::string(__argv[1]) == HelperSwitch)
        return RunHelper(__argv[2], __argv[3]);
    // The service, as the service control manager starts it: no window either.
    if (__argc == 2 && std::string(__argv[1]) == ServiceSwitch)
        return RunService();
    // Where the files lie, for the switches and the window alike.
    const std::string dataFolder = SystemDataFolder(ExecutableFolder());
    // Switches do their work without the window.
    if (const auto exitCode = RunCommandLineSwitches(__argc, __argv, ApplicationFileName(), dataFolder))
        return *exitCode;
    // The first call into comctl32 loads it, now that loads come from the system folder
    // alone: so does uxtheme.dll, which it loads in turn.
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_WIN95_CLASSES | ICC_COOL_CLASSES |
                                                       ICC_BAR_CLASSES | ICC_LISTVIEW_CLASSES};
    ::InitCommonControlsEx(&controls);
    TSingleInstance instance(dataFolder);
    if (!instance.IsFirst() && instance.ActivateFirst())
        return 0;
    try {
        TProgram program(dataFolder, SystemRegistry());
        instance.Publish(program.MainForm.Handle());
        program.MainForm.SetQuitOnDestroy(true);
        // Started at sign-in by the task: the icon alone, the window hidden.
        if (!StartsInTray(__argc, __argv)) {
            ::ShowWindow(program.MainForm.Handle(), showState);
            ::UpdateWindow(program.MainForm.Handle());
        }
        // The icon once the window is drawn and waits for input: the user has the window
        // first, and the shell's library and the icon's round trip to the taskbar follow
        // within milliseconds, before any input is handled.
        if (const auto exitCode = HandleQueuedMessages(program.MainForm))
            return *exitCode;
        program.MainForm.ShowTrayIcon(SystemNotifyIconCalls(), SystemTaskScheduler(),
                                      ApplicationFileName());
        // Said once, over the window it is about; the program goes on.
        if (const auto warning = StartupAccessWarning(ApplicationFileName()))
            ShowMessage(*warning);
        return RunMessageLoop(program.MainForm);
    } catch (const std::exception& error) {
        ShowErrorBox(error.what());
        return 1;
    }
}
