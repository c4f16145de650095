// Program start: a second start from the same folder hands over to the first one (the
// program's own, not whatever holds its name); otherwise the windows in their order, then
// the message loop until the main window closes.

#include "CommandLineWin.h"
#include "Program.h"
#include "SingleInstance.h"
#include "UTray.h"

#include "netcfg/Registry.h"
#include "support/AccessWin.h"
#include "support/FileSystem.h"
#include "support/Forms.h"
#include "support/SystemLibrary.h"

#include <commctrl.h>

#include <cstdlib>

namespace {

std::string ExecutablePath() {
    char path[MAX_PATH] = {};
    ::GetModuleFileNameA(nullptr, path, MAX_PATH);
    return path;
}

std::string ExecutableFolder() {
    return ExtractFilePath(ExecutablePath());
}

int RunMessageLoop(TMainForm& mainForm) {
    MSG message{};
    while (::GetMessageA(&message, nullptr, 0, 0) > 0) {
        if (mainForm.TranslateAccelerator(message))
            continue;
        // Tab and Shift+Tab between the selector and the grid.
        if (::IsDialogMessageA(mainForm.Handle(), &message))
            continue;
        ::TranslateMessage(&message);
        ::DispatchMessageA(&message);
    }
    return static_cast<int>(message.wParam);
}

} // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int showState) {
    // Before anything loads a library: from here on, only the system folder is searched.
    RestrictLibrarySearchToSystemFolder();
    LoadLibrariesLoadedLaterBySystem();
    // Switches do their work without the window.
    if (const auto exitCode = RunCommandLineSwitches(__argc, __argv, ExecutablePath()))
        return *exitCode;
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_WIN95_CLASSES | ICC_COOL_CLASSES |
                                                       ICC_BAR_CLASSES | ICC_LISTVIEW_CLASSES};
    ::InitCommonControlsEx(&controls);
    const std::string appPath = ExecutableFolder();
    TSingleInstance instance(appPath);
    if (!instance.IsFirst() && instance.ActivateFirst())
        return 0;
    try {
        TProgram program(appPath, SystemRegistry());
        instance.Publish(program.MainForm.Handle());
        program.MainForm.SetQuitOnDestroy(true);
        program.MainForm.ShowTrayIcon(SystemNotifyIconCalls(), SystemTaskScheduler(),
                                      ExecutablePath());
        // Started at sign-in by the task: the icon alone, the window hidden.
        if (!StartsInTray(__argc, __argv)) {
            ::ShowWindow(program.MainForm.Handle(), showState);
            ::UpdateWindow(program.MainForm.Handle());
        }
        // Said once, over the window it is about; the program goes on.
        if (const auto warning = StartupAccessWarning(ExecutablePath()))
            ShowMessage(*warning);
        return RunMessageLoop(program.MainForm);
    } catch (const std::exception& error) {
        ShowErrorBox(error.what());
        return 1;
    }
}
