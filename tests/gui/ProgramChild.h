#pragma once
// A copy of the shipped program started by a test in a folder of its own, and waiting for
// what another process does.

#include "GuiTesting.h"

#include "support/Strings.h"
#include "support/WinHandles.h"

#include <windows.h>

#include <tlhelp32.h>

#include <algorithm>
#include <functional>
#include <stdexcept>
#include <string>


// Polls until the condition holds or timeoutMs pass; other processes answer late.
inline bool Eventually(const std::function<bool()>& condition, DWORD timeoutMs = 10000) {
    const DWORD start = ::GetTickCount();
    while (!condition()) {
        if (::GetTickCount() - start > timeoutMs)
            return false;
        FlushEvents();
    }
    return true;
}

// Running processes of the shipped program's name: the copies and helpers a test started.
inline int RunningPrograms() {
    const UniqueHandle snapshot(::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    PROCESSENTRY32 entry{};
    entry.dwSize = sizeof entry;
    int count = 0;
    for (BOOL more = ::Process32First(snapshot.get(), &entry); more;
         more = ::Process32Next(snapshot.get(), &entry))
        count += SameText(entry.szExeFile, "Netvane.exe") ? 1 : 0;
    return count;
}

// The program as built, reached through Wine's drive for the host's file system.
inline std::string BuiltProgram() {
    std::string path = "Z:" NETVANE_EXE;
    std::replace(path.begin(), path.end(), '/', '\\');
    return path;
}

// A copy of the program started in a folder of the test's own, ended when the test ends.
class TChild {
  public:
    explicit TChild(const std::string& folder, const std::string& arguments = "") {
        const std::string exe = folder + "Netvane.exe";
        if (!::CopyFileA(BuiltProgram().c_str(), exe.c_str(), FALSE) &&
            ::GetFileAttributesA(exe.c_str()) == INVALID_FILE_ATTRIBUTES)
            throw std::runtime_error("cannot copy " + BuiltProgram());
        STARTUPINFOA startup{};
        startup.cb = sizeof startup;
        std::string commandLine = "\"" + exe + "\"";
        if (!arguments.empty())
            commandLine += " " + arguments;
        if (!::CreateProcessA(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                              folder.c_str(), &startup, &info_))
            throw std::runtime_error("cannot start " + exe);
    }
    ~TChild() {
        if (Running()) {
            if (HWND window = Window())
                ::PostMessageA(window, WM_CLOSE, 0, 0);
            if (::WaitForSingleObject(info_.hProcess, 10000) != WAIT_OBJECT_0)
                ::TerminateProcess(info_.hProcess, 1);
            ::WaitForSingleObject(info_.hProcess, 10000);
        }
        ::CloseHandle(info_.hThread);
        ::CloseHandle(info_.hProcess);
    }
    TChild(const TChild&) = delete;
    TChild& operator=(const TChild&) = delete;

    bool Running() const { return ::WaitForSingleObject(info_.hProcess, 0) == WAIT_TIMEOUT; }
    // Its visible main window (any, with visibleOnly false), or nullptr.
    HWND Window(bool visibleOnly = true) const {
        TSearch search{info_.dwProcessId, nullptr, visibleOnly};
        ::EnumWindows(&TChild::FindMainWindow, reinterpret_cast<LPARAM>(&search));
        return search.Found;
    }
    bool EndsWithin(DWORD timeoutMs, DWORD& exitCode) const {
        if (::WaitForSingleObject(info_.hProcess, timeoutMs) != WAIT_OBJECT_0)
            return false;
        ::GetExitCodeProcess(info_.hProcess, &exitCode);
        return true;
    }

  private:
    struct TSearch {
        DWORD ProcessId;
        HWND Found;
        bool VisibleOnly;
    };
    static BOOL CALLBACK FindMainWindow(HWND window, LPARAM context) {
        auto* search = reinterpret_cast<TSearch*>(context);
        DWORD owner = 0;
        ::GetWindowThreadProcessId(window, &owner);
        char name[64] = {};
        ::GetClassNameA(window, name, sizeof name);
        if (owner != search->ProcessId || std::string(name) != "TMainForm" ||
            (search->VisibleOnly && !::IsWindowVisible(window)))
            return TRUE;
        search->Found = window;
        return FALSE;
    }

    PROCESS_INFORMATION info_{};
};

