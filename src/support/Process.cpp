#include "Process.h"

#include "DesktopShell.h"
#include "Error.h"
#include "FileSystem.h"
#include "SystemLibrary.h"
#include "WinHandles.h"

#include <shellapi.h>

#include <vector>

namespace {

// The shell's own codes sit among system error codes of other meanings.
std::string ShellFailureText(INT_PTR code) {
    switch (code) {
    case 0:
        return "the system is out of memory or resources";
    case SE_ERR_SHARE:
        return SystemErrorText(ERROR_SHARING_VIOLATION);
    case SE_ERR_ASSOCINCOMPLETE:
    case SE_ERR_NOASSOC:
        return "no program is set to open it";
    case SE_ERR_DDETIMEOUT:
    case SE_ERR_DDEFAIL:
    case SE_ERR_DDEBUSY:
        return "the program that opens it did not answer";
    case SE_ERR_DLLNOTFOUND:
        return "a library it needs was not found";
    default: // file or path not found, access denied, bad format: system error codes
        return SystemErrorText(static_cast<int>(code));
    }
}

// Waits for the process to end. Meanwhile the thread's windows are painted again whenever
// they need it, so that a window uncovered during a long wait (a renewal of the address can
// take a minute) is drawn, not left blank; nothing else of the queue is handled, so no
// command can start before the one waiting has ended.
void WaitRepainting(HANDLE process) {
    for (;;) {
        if (::MsgWaitForMultipleObjects(1, &process, FALSE, INFINITE, QS_PAINT) !=
            WAIT_OBJECT_0 + 1)
            return; // the process has ended, or the wait failed
        MSG message;
        // A bounded round: a window that does not validate itself must not hold the wait.
        for (int round = 0; round < 64 && ::PeekMessageA(&message, nullptr, WM_PAINT, WM_PAINT,
                                                         PM_REMOVE | PM_QS_PAINT);
             ++round)
            ::DispatchMessageA(&message);
    }
}

} // namespace

void OpenDocument(const std::string& target, HWND owner) {
    // The desktop's shell reports a missing file in a box of its own, or not at all: a file
    // of ours that is not there is said so here, with its name.
    if (target.find("://") == std::string::npos && !FileExists(target))
        throw TError("Cannot open \"" + target + "\": " + SystemErrorText(ERROR_FILE_NOT_FOUND));
    // Started by the desktop's shell, the browser runs with the user's rights, not ours.
    if (OpenThroughDesktopShell(target))
        return;
    // The shell's library is large and this is its only use: it is loaded when a document
    // is first opened, not with the program.
    static const UniqueLibrary shell(LoadSystemLibrary("shell32.dll"));
    const auto execute = LibraryFunction<decltype(&::ShellExecuteA)>(shell, "ShellExecuteA");
    if (!execute)
        throw TError("Cannot open \"" + target + "\": shell32.dll is missing");
    // Above 32 is success; at most 32, the reason (a system error code for the common ones).
    const auto result = reinterpret_cast<INT_PTR>(
        execute(owner, nullptr, target.c_str(), nullptr, nullptr, SW_SHOWNORMAL));
    if (result > 32)
        return;
    throw TError("Cannot open \"" + target + "\": " + ShellFailureText(result));
}

int RunAndWait(const std::string& applicationPath, const std::string& commandLine,
               std::uint16_t showState, const std::string& currentFolder) {
    // Cutting a longer line would run another command than the one asked for.
    if (commandLine.size() > MaxCommandLineLength + MAX_PATH)
        return -1;
    std::vector<char> buffer(commandLine.begin(), commandLine.end()); // CreateProcessA may
    buffer.push_back('\0');                                           // write into it

    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = showState;
    PROCESS_INFORMATION info{};
    // With the application named, nothing is searched for: not the program's folder, not
    // the current one.
    if (!::CreateProcessA(applicationPath.c_str(), buffer.data(), nullptr, nullptr, FALSE,
                          CREATE_NEW_CONSOLE | NORMAL_PRIORITY_CLASS, nullptr,
                          currentFolder.empty() ? nullptr : currentFolder.c_str(), &startup,
                          &info))
        return -1;
    const UniqueHandle process(info.hProcess);
    const UniqueHandle thread(info.hThread);
    WaitRepainting(process.get());
    DWORD exitCode = 0;
    ::GetExitCodeProcess(process.get(), &exitCode);
    return static_cast<int>(exitCode);
}

int RunSystemProgram(const std::string& commandLine, std::uint16_t showState) {
    if (commandLine.size() > MaxCommandLineLength)
        return -1;
    const std::size_t nameEnd = commandLine.find(' ');
    const std::string name = commandLine.substr(0, nameEnd);
    // Only a bare file name of the system folder: a path or a quote could name anything.
    if (name.empty() || name.find_first_of("\\/:\"") != std::string::npos)
        return -1;
    const std::string path = SystemFilePath(name.c_str());
    const std::string rest = nameEnd == std::string::npos ? "" : commandLine.substr(nameEnd);
    // Started in the system folder: the folder Netvane was started from, whatever lies in
    // it, is not the child's to search.
    return RunAndWait(path, QuoteArgument(path) + rest, showState, SystemFolder());
}
