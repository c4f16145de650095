#include "Process.h"

#include "AccessWin.h"
#include "DesktopShell.h"
#include "DocumentOpening.h"
#include "Error.h"
#include "FileSystem.h"
#include "Forms.h"
#include "SystemLibrary.h"
#include "WinHandles.h"

#include <shellapi.h>

#include <functional>
#include <optional>
#include <utility>
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
void DispatchPaints() {
    MSG message;
    // A bounded round: a window that does not validate itself must not hold the wait.
    for (int round = 0; round < 64 && ::PeekMessageA(&message, nullptr, WM_PAINT, WM_PAINT,
                                                     PM_REMOVE | PM_QS_PAINT);
         ++round)
        ::DispatchMessageA(&message);
}

// meanwhile, when given, runs at least every 100 ms (to drain a child's output pipe).
void WaitRepainting(HANDLE process, const std::function<void()>& meanwhile = nullptr) {
    const DWORD slice = meanwhile ? 100 : INFINITE;
    for (;;) {
        const DWORD woken = ::MsgWaitForMultipleObjects(1, &process, FALSE, slice, QS_PAINT);
        if (meanwhile)
            meanwhile();
        if (woken == WAIT_TIMEOUT)
            continue;
        if (woken != WAIT_OBJECT_0 + 1)
            return; // the process has ended, or the wait failed
        DispatchPaints();
    }
}

// The handles a child is given, and no other: an attribute list naming them. Without it, a
// child given any handle would take every inheritable handle of this process, those another
// thread made meanwhile for a child of its own included.
class TInheritedHandles {
  public:
    explicit TInheritedHandles(std::vector<HANDLE> handles) : handles_(std::move(handles)) {
        SIZE_T size = 0;
        ::InitializeProcThreadAttributeList(nullptr, 1, 0, &size);
        buffer_.resize(size);
        auto* list = reinterpret_cast<LPPROC_THREAD_ATTRIBUTE_LIST>(buffer_.data());
        if (size == 0 || !::InitializeProcThreadAttributeList(list, 1, 0, &size))
            return;
        list_ = list;
        if (!::UpdateProcThreadAttribute(list_, 0, PROC_THREAD_ATTRIBUTE_HANDLE_LIST,
                                         handles_.data(), handles_.size() * sizeof(HANDLE), nullptr,
                                         nullptr))
            Release();
    }
    ~TInheritedHandles() { Release(); }
    TInheritedHandles(const TInheritedHandles&) = delete;
    TInheritedHandles& operator=(const TInheritedHandles&) = delete;

    // Null when the list could not be made: then the child is not started.
    LPPROC_THREAD_ATTRIBUTE_LIST List() const { return list_; }

  private:
    void Release() {
        if (list_)
            ::DeleteProcThreadAttributeList(list_);
        list_ = nullptr;
    }
    std::vector<HANDLE> handles_; // read by CreateProcess, so kept until the list goes
    std::vector<unsigned char> buffer_;
    LPPROC_THREAD_ATTRIBUTE_LIST list_ = nullptr;
};

// Starts the process, given the handles inherited (each inheritable) and no other; false
// when it cannot start.
bool StartProcess(const std::string& applicationPath, const std::string& commandLine,
                  const STARTUPINFOA& startup, const std::string& currentFolder,
                  const std::vector<HANDLE>& inherited, PROCESS_INFORMATION& info) {
    // Cutting a longer line would run another command than the one asked for.
    if (commandLine.size() > MaxCommandLineLength + MAX_PATH)
        return false;
    std::vector<char> buffer(commandLine.begin(), commandLine.end()); // CreateProcessA may
    buffer.push_back('\0');                                           // write into it
    STARTUPINFOEXA extended{};
    extended.StartupInfo = startup;
    DWORD flags = CREATE_NEW_CONSOLE | NORMAL_PRIORITY_CLASS;
    std::optional<TInheritedHandles> handles;
    if (!inherited.empty()) {
        handles.emplace(inherited);
        if (!handles->List())
            return false;
        extended.StartupInfo.cb = sizeof extended;
        extended.lpAttributeList = handles->List();
        flags |= EXTENDED_STARTUPINFO_PRESENT;
    }
    // With the application named, nothing is searched for: not the program's folder, not
    // the current one.
    return ::CreateProcessA(applicationPath.c_str(), buffer.data(), nullptr, nullptr,
                            inherited.empty() ? FALSE : TRUE, flags, nullptr,
                            currentFolder.empty() ? nullptr : currentFolder.c_str(),
                            &extended.StartupInfo, &info) != FALSE;
}

// The system program's path and its command line, or nothing for a first word that is no
// bare file name.
std::optional<std::pair<std::string, std::string>> SystemCommand(const std::string& commandLine) {
    if (commandLine.size() > MaxCommandLineLength)
        return std::nullopt;
    const std::size_t nameEnd = commandLine.find(' ');
    const std::string name = commandLine.substr(0, nameEnd);
    // Only a bare file name of the system folder: a path or a quote could name anything.
    if (name.empty() || name.find_first_of("\\/:\"") != std::string::npos)
        return std::nullopt;
    const std::string path = SystemFilePath(name.c_str());
    const std::string rest = nameEnd == std::string::npos ? "" : commandLine.substr(nameEnd);
    return std::make_pair(path, QuoteArgument(path) + rest);
}

// Windows' ways of opening a document: the desktop's shell (support/DesktopShell), the
// shell's default action in this process, a message box.
class TSystemDocumentOpeners : public IDocumentOpeners {
  public:
    explicit TSystemDocumentOpeners(HWND owner) : owner_(owner) {}

    bool IsElevated() override { return ::IsElevated(); }

    bool OpenThroughDesktopShell(const std::string& target) override {
        return ::OpenThroughDesktopShell(target);
    }

    void OpenDirectly(const std::string& target) override {
        // The shell's library is large and this is its only use: it is loaded when a
        // document is first opened, not with the program.
        static const UniqueLibrary shell(LoadSystemLibrary("shell32.dll"));
        const auto execute =
            LibraryFunction<decltype(&::ShellExecuteExA)>(shell, "ShellExecuteExA");
        if (!execute)
            throw TError("Cannot open \"" + target + "\": shell32.dll is missing");
        SHELLEXECUTEINFOA info{};
        info.cbSize = sizeof info;
        info.fMask = SEE_MASK_NOASYNC;
        info.hwnd = owner_;
        info.lpFile = target.c_str();
        info.nShow = SW_SHOWNORMAL;
        if (execute(&info))
            return;
        // The shell's own code of the failure where it gives one (at most 32), else the
        // system's.
        const auto code = reinterpret_cast<INT_PTR>(info.hInstApp);
        throw TError("Cannot open \"" + target + "\": " +
                     ShellFailureText(
                         code > 0 && code <= 32 ? code : static_cast<INT_PTR>(::GetLastError())));
    }

    void Tell(const std::string& text) override {
        ShowMessageBox(owner_, text, ApplicationTitle(), MB_OK | MB_ICONINFORMATION);
    }

  private:
    HWND owner_;
};

} // namespace

void OpenDocument(const std::string& target, HWND owner) {
    // The desktop's shell reports a missing file in a box of its own, or not at all: a file
    // of ours that is not there is said so here, with its name.
    if (target.find("://") == std::string::npos && !FileExists(target))
        throw TError("Cannot open \"" + target + "\": " + SystemErrorText(ERROR_FILE_NOT_FOUND));
    TSystemDocumentOpeners openers(owner);
    OpenForTheUser(target, openers);
}

int RunAndWait(const std::string& applicationPath, const std::string& commandLine,
               std::uint16_t showState, const std::string& currentFolder) {
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = showState;
    PROCESS_INFORMATION info{};
    if (!StartProcess(applicationPath, commandLine, startup, currentFolder, {}, info))
        return -1;
    const UniqueHandle process(info.hProcess);
    const UniqueHandle thread(info.hThread);
    WaitRepainting(process.get());
    DWORD exitCode = 0;
    ::GetExitCodeProcess(process.get(), &exitCode);
    return static_cast<int>(exitCode);
}

int RunSystemProgram(const std::string& commandLine, std::uint16_t showState) {
    const auto command = SystemCommand(commandLine);
    if (!command)
        return -1;
    // Started in the system folder: the folder Netvane was started from, whatever lies in
    // it, is not the child's to search.
    return RunAndWait(command->first, command->second, showState, SystemFolder());
}

int RunSystemProgramCapturing(const std::string& commandLine, std::string& output) {
    output.clear();
    const auto command = SystemCommand(commandLine);
    if (!command)
        return -1;
    return RunCapturing(command->first, command->second, SystemFolder(), output);
}

int RunCapturing(const std::string& applicationPath, const std::string& commandLine,
                 const std::string& currentFolder, std::string& output) {
    output.clear();
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    HANDLE readEnd = nullptr, writeEnd = nullptr;
    if (!::CreatePipe(&readEnd, &writeEnd, &inherit, 0))
        return -1;
    const UniqueHandle reading(readEnd);
    UniqueHandle writing(writeEnd);
    ::SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW | STARTF_USESTDHANDLES;
    startup.wShowWindow = SW_HIDE;
    startup.hStdOutput = startup.hStdError = writeEnd;
    PROCESS_INFORMATION info{};
    if (!StartProcess(applicationPath, commandLine, startup, currentFolder, {writeEnd}, info))
        return -1;
    const UniqueHandle process(info.hProcess);
    const UniqueHandle thread(info.hThread);
    writing.reset(); // the child holds the only writing end now
    const auto drain = [&output, readEnd] {
        DWORD available = 0;
        while (::PeekNamedPipe(readEnd, nullptr, 0, nullptr, &available, nullptr) && available) {
            char buffer[1024];
            DWORD read = 0;
            if (!::ReadFile(readEnd, buffer, sizeof buffer, &read, nullptr) || read == 0)
                return;
            if (output.size() < 64 * 1024) // what a message can show, and more
                output.append(buffer, read);
        }
    };
    WaitRepainting(process.get(), drain);
    drain();
    DWORD exitCode = 0;
    ::GetExitCodeProcess(process.get(), &exitCode);
    return static_cast<int>(exitCode);
}

void PauseRepainting(unsigned milliseconds) {
    const DWORD start = ::GetTickCount();
    for (DWORD waited = 0; waited < milliseconds; waited = ::GetTickCount() - start) {
        if (::MsgWaitForMultipleObjects(0, nullptr, FALSE, milliseconds - waited, QS_PAINT) ==
            WAIT_OBJECT_0)
            DispatchPaints();
    }
}

std::optional<std::size_t> WaitRepaintingForAny(const std::vector<HANDLE>& handles,
                                                DWORD milliseconds) {
    const DWORD count = static_cast<DWORD>(handles.size());
    const DWORD start = ::GetTickCount();
    for (;;) {
        const DWORD waited = ::GetTickCount() - start;
        if (milliseconds != INFINITE && waited >= milliseconds)
            return std::nullopt;
        const DWORD left = milliseconds == INFINITE ? INFINITE : milliseconds - waited;
        const DWORD woken =
            ::MsgWaitForMultipleObjects(count, handles.data(), FALSE, left, QS_PAINT);
        if (woken < WAIT_OBJECT_0 + count)
            return woken - WAIT_OBJECT_0;
        if (woken != WAIT_OBJECT_0 + count)
            return std::nullopt; // the time ran out, or the wait failed
        DispatchPaints();
    }
}
