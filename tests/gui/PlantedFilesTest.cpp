// Files planted beside the program and in its current folder, as in a Downloads folder:
// libraries named as those the program and Windows' own libraries load, and an ipconfig.exe.
// Wine is told to prefer such a library to its own (WINEDLLOVERRIDES=...=n,b, set for this
// test's run by CTest: Wine takes it from the environment it was started with), which is how
// Windows searches for libraries that are not KnownDLLs. None may run, whatever the program
// does.

#include "ProgramRun.h"
#include "TestAdapters.h"
#include "app/UMain.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

const std::string AdapterId = "{77777777-2222-3333-4444-555555555501}";
// Not version.dll: Wine's own user32 imports it, so Wine loads one planted beside any program
// before the program's first instruction; Windows' user32 does not, and the program itself
// no longer imports it (see the import_table test).
const char* const Libraries[] = {"dhcpcsvc", "wininet", "iphlpapi", "dwmapi",
                                 "comdlg32", "shell32", "uxtheme"};

// Whether Wine was told to prefer every planted library to its own.
bool PlantedLibrariesPreferred() {
    const char* overrides = std::getenv("WINEDLLOVERRIDES");
    if (!overrides)
        return false;
    for (const char* name : Libraries)
        if (!std::strstr(overrides, name))
            return false;
    return std::strstr(overrides, "=n,b") != nullptr;
}

void Plant(const std::string& folder) {
    for (const char* name : Libraries)
        ASSERT_TRUE(::CopyFileA(NETVANE_MARKER_DLL, (folder + name + ".dll").c_str(), FALSE))
            << name;
    ASSERT_TRUE(::CopyFileA(NETVANE_MARKER_EXE, (folder + "ipconfig.exe").c_str(), FALSE));
}

// The markers any planted file left.
std::vector<std::string> Markers(const std::string& folder) {
    std::vector<std::string> found;
    WIN32_FIND_DATAA entry;
    HANDLE search = ::FindFirstFileA((folder + "*.marker").c_str(), &entry);
    if (search == INVALID_HANDLE_VALUE)
        return found;
    do
        found.push_back(folder + entry.cFileName);
    while (::FindNextFileA(search, &entry));
    ::FindClose(search);
    return found;
}

struct TWindowSearch {
    DWORD ProcessId;
    const char* ClassName;
    HWND Found;
};

BOOL CALLBACK FindWindowOf(HWND window, LPARAM context) {
    auto* search = reinterpret_cast<TWindowSearch*>(context);
    DWORD process = 0;
    ::GetWindowThreadProcessId(window, &process);
    char name[64] = {};
    ::GetClassNameA(window, name, sizeof name);
    if (process != search->ProcessId || !::IsWindowVisible(window) ||
        lstrcmpA(name, search->ClassName) != 0)
        return TRUE;
    search->Found = window;
    return FALSE;
}

HWND WindowOf(DWORD processId, const char* className) {
    TWindowSearch search{processId, className, nullptr};
    ::EnumWindows(FindWindowOf, reinterpret_cast<LPARAM>(&search));
    return search.Found;
}

// Starts the program's window, gives it the command, and answers every box the command
// shows, until the window has done with it (its boxes closed, its queue idle).
class TWindowRun {
  public:
    TWindowRun(const std::string& exe, const std::string& folder) {
        STARTUPINFOA startup{};
        startup.cb = sizeof startup;
        std::string commandLine = "\"" + exe + "\"";
        started_ = ::CreateProcessA(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0,
                                    nullptr, folder.c_str(), &startup, &info_);
        window_ = Await([this] { return WindowOf(info_.dwProcessId, "TMainForm"); }, 30000);
    }
    ~TWindowRun() {
        if (!started_)
            return;
        if (window_)
            ::PostMessageA(window_, WM_CLOSE, 0, 0);
        if (::WaitForSingleObject(info_.hProcess, 15000) != WAIT_OBJECT_0)
            ::TerminateProcess(info_.hProcess, 1);
        ::CloseHandle(info_.hThread);
        ::CloseHandle(info_.hProcess);
    }
    TWindowRun(const TWindowRun&) = delete;
    TWindowRun& operator=(const TWindowRun&) = delete;

    bool HasWindow() const { return window_ != nullptr; }

    void Command(int id) {
        ::PostMessageA(window_, WM_COMMAND, static_cast<WPARAM>(id), 0);
        // Done when the window answers again with no box open, twice in a row.
        const DWORD start = ::GetTickCount();
        for (int quiet = 0; quiet < 2;) {
            if (::GetTickCount() - start > 30000) {
                ADD_FAILURE() << "command " << id << " did not end within 30 s";
                return;
            }
            if (HWND box = WindowOf(info_.dwProcessId, "#32770")) {
                ::PostMessageA(box, WM_COMMAND, IDOK, 0);
                quiet = 0;
            } else if (DWORD_PTR answer = 0; ::SendMessageTimeoutA(window_, WM_NULL, 0, 0,
                                                                   SMTO_ABORTIFHUNG, 500, &answer)) {
                ++quiet;
            }
            ::Sleep(300);
        }
    }

  private:
    template <typename Find> HWND Await(Find find, DWORD timeoutMs) {
        const DWORD start = ::GetTickCount();
        while (started_ && ::GetTickCount() - start < timeoutMs) {
            if (HWND found = find())
                return found;
            ::Sleep(100);
        }
        return nullptr;
    }

    PROCESS_INFORMATION info_{};
    bool started_ = false;
    HWND window_ = nullptr;
};

} // namespace

TEST(PlantedFiles, NoneRunsWhenTheProgramListsAppliesOrSwitchesToDhcp) {
    if (!PlantedLibrariesPreferred())
        GTEST_SKIP() << "runs as the planted_files test, with Wine told to prefer them";
    TTestAdapters adapters;
    adapters.Add(AdapterId, "Planted Ethernet");
    TTempFolder programFolder, currentFolder;
    const std::string besideProgram = programFolder.Path() + "\\";
    const std::string current = currentFolder.Path() + "\\";
    const std::string exe = besideProgram + "Netvane.exe";
    ASSERT_TRUE(::CopyFileA(NETVANE_DIST_EXE, exe.c_str(), FALSE));
    StoreSettings(besideProgram + "db",
                  {{AdapterId, "Office", "10.0.0.5", "255.0.0.0", "10.0.0.1", "10.0.0.2", "",
                    "proxy.example:8080"}});
    Plant(besideProgram);
    Plant(current);

    const TRun list = RunProgram(exe, "/list", current);
    EXPECT_EQ(0u, list.ExitCode) << list.Err;
    EXPECT_NE(std::string::npos, list.Out.find("Planted Ethernet")) << list.Out;
    for (const char* arguments : {"/apply Office", "/dhcp"}) {
        const TRun run = RunProgram(exe, arguments, current);
        EXPECT_NE(std::string::npos, run.Out.find("Current IP is")) << arguments << run.Err;
    }
    {
        TWindowRun window(exe, current);
        ASSERT_TRUE(window.HasWindow());
        window.Command(TMainForm::acChange);
        window.Command(TMainForm::acAuto);
    }
    EXPECT_EQ(std::vector<std::string>{}, Markers(besideProgram));
    EXPECT_EQ(std::vector<std::string>{}, Markers(current));
}
