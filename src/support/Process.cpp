#include "Process.h"

#include "WinHandles.h"

#include <shellapi.h>

#include <array>

void OpenDocument(const std::string& target, HWND owner) {
    // The shell's library is large and this is its only use: it is loaded when a document
    // is first opened, not with the program.
    static const UniqueLibrary shell(::LoadLibraryA("shell32.dll"));
    if (const auto execute = LibraryFunction<decltype(&::ShellExecuteA)>(shell, "ShellExecuteA"))
        execute(owner, nullptr, target.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

int RunAndWait(const std::string& commandLine, std::uint16_t showState) {
    // Cutting a longer line would run another command than the one asked for.
    if (commandLine.size() > MaxCommandLineLength)
        return -1;
    std::array<char, MaxCommandLineLength + 1> buffer{}; // CreateProcessA may write into it
    commandLine.copy(buffer.data(), commandLine.size());

    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = showState;
    PROCESS_INFORMATION info{};
    if (!::CreateProcessA(nullptr, buffer.data(), nullptr, nullptr, FALSE,
                          CREATE_NEW_CONSOLE | NORMAL_PRIORITY_CLASS, nullptr, nullptr, &startup,
                          &info))
        return -1;
    const UniqueHandle process(info.hProcess);
    const UniqueHandle thread(info.hThread);
    ::WaitForSingleObject(process.get(), INFINITE);
    DWORD exitCode = 0;
    ::GetExitCodeProcess(process.get(), &exitCode);
    return static_cast<int>(exitCode);
}
