#include "app/SingleInstance.h"

#include "GuiTesting.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <functional>

namespace {

// Polls until the condition holds or timeoutMs pass; other processes answer late.
bool Eventually(const std::function<bool()>& condition, DWORD timeoutMs = 10000) {
    const DWORD start = ::GetTickCount();
    while (!condition()) {
        if (::GetTickCount() - start > timeoutMs)
            return false;
        FlushEvents();
    }
    return true;
}

// The program as built, reached through Wine's drive for the host's file system.
std::string BuiltProgram() {
    std::string path = "Z:" NETVANE_EXE;
    std::replace(path.begin(), path.end(), '/', '\\');
    return path;
}

// A copy of the program started in a folder of the test's own, ended when the test ends.
class TChild {
  public:
    explicit TChild(const std::string& folder) {
        const std::string exe = folder + "Netvane.exe";
        if (!::CopyFileA(BuiltProgram().c_str(), exe.c_str(), FALSE) &&
            ::GetFileAttributesA(exe.c_str()) == INVALID_FILE_ATTRIBUTES)
            throw std::runtime_error("cannot copy " + BuiltProgram());
        STARTUPINFOA startup{};
        startup.cb = sizeof startup;
        std::string commandLine = "\"" + exe + "\"";
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
    // Its visible main window, or nullptr.
    HWND Window() const {
        TSearch search{info_.dwProcessId, nullptr};
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
    };
    static BOOL CALLBACK FindMainWindow(HWND window, LPARAM context) {
        auto* search = reinterpret_cast<TSearch*>(context);
        DWORD owner = 0;
        ::GetWindowThreadProcessId(window, &owner);
        char name[64] = {};
        ::GetClassNameA(window, name, sizeof name);
        if (owner != search->ProcessId || std::string(name) != "TMainForm" ||
            !::IsWindowVisible(window))
            return TRUE;
        search->Found = window;
        return FALSE;
    }

    PROCESS_INFORMATION info_{};
};

} // namespace

TEST(SingleInstance, OneNamePerDatabaseFolderHoweverItIsSpelt) {
    TTempFolder dir, other;
    std::string upper = dir.Path();
    ::CharUpperBuffA(upper.data(), static_cast<DWORD>(upper.size()));
    // ...\netvane-test-N\..\netvane-test-N\ names the same folder.
    const std::string& path = dir.Path();
    const std::string roundabout =
        path + "..\\" + path.substr(path.rfind('\\', path.size() - 2) + 1);
    char shortName[MAX_PATH] = {};
    ASSERT_NE(0u, ::GetShortPathNameA(path.c_str(), shortName, MAX_PATH));
    for (const std::string& spelling : {upper, roundabout, std::string(shortName)})
        EXPECT_EQ(InstanceName(path), InstanceName(spelling)) << spelling;
    EXPECT_NE(InstanceName(dir.Path()), InstanceName(other.Path()));
    EXPECT_EQ(std::string::npos, InstanceName(dir.Path()).find('\\', 6)); // only Local\ has one
}

TEST(SingleInstance, OnlyTheFirstOfOneFolderRunsUntilItEnds) {
    TTempFolder dir, other;
    auto first = std::make_unique<TSingleInstance>(dir.Path());
    EXPECT_TRUE(first->IsFirst());
    EXPECT_FALSE(TSingleInstance(dir.Path()).IsFirst());
    EXPECT_TRUE(TSingleInstance(other.Path()).IsFirst());
    first.reset();
    EXPECT_TRUE(TSingleInstance(dir.Path()).IsFirst());
}

TEST(SingleInstance, ALaterStartRestoresThePublishedWindowAndBringsItForward) {
    TTempFolder dir;
    RegisterWindowClass("TSingleInstanceProbe", ::DefWindowProcA);
    HWND window =
        ::CreateWindowExA(0, "TSingleInstanceProbe", "probe", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100,
                          nullptr, nullptr, ::GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(nullptr, window);
    ::ShowWindow(window, SW_MINIMIZE);
    FlushEvents();
    TSingleInstance first(dir.Path());
    TSingleInstance later(dir.Path());
    EXPECT_FALSE(later.ActivateFirst(200)); // nothing published yet
    first.Publish(window);
    EXPECT_TRUE(later.ActivateFirst(200));
    FlushEvents();
    EXPECT_FALSE(::IsIconic(window));
    EXPECT_EQ(window, ::GetForegroundWindow());
    ::DestroyWindow(window);
}

TEST(SingleInstance, ASecondStartOfTheProgramFromTheSameFolderHandsOverAndEnds) {
    TTempFolder dir, other;
    TChild first(dir.Path());
    ASSERT_TRUE(Eventually([&] { return first.Window() != nullptr; })) << "no window";
    HWND window = first.Window();
    ::ShowWindow(window, SW_MINIMIZE);
    ASSERT_TRUE(Eventually([&] { return ::IsIconic(window) != FALSE; }));

    TChild second(dir.Path());
    DWORD exitCode = 99;
    ASSERT_TRUE(second.EndsWithin(15000, exitCode)) << "the second start kept running";
    EXPECT_EQ(0u, exitCode);
    EXPECT_TRUE(Eventually([&] { return !::IsIconic(window); })) << "not restored";
    EXPECT_TRUE(Eventually([&] { return ::GetForegroundWindow() == window; })) << "not in front";
    EXPECT_TRUE(first.Running());

    // Another folder holds another database: its program runs beside the first.
    TChild elsewhere(other.Path());
    EXPECT_TRUE(Eventually([&] { return elsewhere.Window() != nullptr; }));
    EXPECT_TRUE(first.Running());
}

// Anything may take the folder's names before the program starts, and publish a window of
// its own. The program neither ends nor brings that window forward: it starts as if alone
// (after its wait for a window when none is published).
TEST(SingleInstance, AnotherProgramHoldingTheNamesNeitherStopsTheStartNorGetsItsWindowShown) {
    RegisterWindowClass("TSingleInstanceSquatter", ::DefWindowProcA);
    for (const bool publishes : {true, false}) {
        TTempFolder dir;
        const std::string name = InstanceName(dir.Path());
        const UniqueHandle mutex(::CreateMutexA(nullptr, TRUE, name.c_str()));
        ASSERT_TRUE(mutex);
        const UniqueHandle record(::CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr,
                                                       PAGE_READWRITE, 0, sizeof(std::uint64_t),
                                                       WindowRecordName(name).c_str()));
        ASSERT_TRUE(record);
        HWND squatter =
            ::CreateWindowExA(0, "TSingleInstanceSquatter", "squatter", WS_OVERLAPPEDWINDOW, 0, 0,
                              200, 100, nullptr, nullptr, ::GetModuleHandleA(nullptr), nullptr);
        ASSERT_NE(nullptr, squatter);
        ::ShowWindow(squatter, SW_MINIMIZE);
        if (publishes) {
            void* view = ::MapViewOfFile(record.get(), FILE_MAP_WRITE, 0, 0, 0);
            ASSERT_NE(nullptr, view);
            *static_cast<std::uint64_t*>(view) = reinterpret_cast<std::uintptr_t>(squatter);
            ::UnmapViewOfFile(view);
        }
        FlushEvents();

        TChild program(dir.Path());
        EXPECT_TRUE(Eventually([&] { return program.Window() != nullptr; }, 20000))
            << "the program did not start; publishes " << publishes;
        EXPECT_TRUE(program.Running());
        EXPECT_TRUE(::IsIconic(squatter)) << "the squatter's window was restored";
        EXPECT_NE(squatter, ::GetForegroundWindow());
        ::DestroyWindow(squatter);
    }
}
