#include "ProgramChild.h"

#include "app/SingleInstance.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <functional>

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
