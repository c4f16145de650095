#include "ProgramChild.h"

#include "app/ShowRequest.h"
#include "app/SingleInstance.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <functional>
#include <vector>

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

namespace {

LRESULT CALLBACK ComesUpOnRequest(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return AnswerShowRequest(window, message) ? 0
                                              : ::DefWindowProcA(window, message, wParam, lParam);
}

HWND MakeWindow(const char* className, DWORD style, HWND owner = nullptr) {
    return ::CreateWindowExA(0, className, className, style, 0, 0, 200, 100, owner, nullptr,
                             ::GetModuleHandleA(nullptr), nullptr);
}

} // namespace

// The published window comes up from every state it can be left in, and in front; a dialog
// it shows, in front of it.
TEST(SingleInstance, ALaterStartAsksThePublishedWindowToComeUpInFront) {
    struct TCase {
        const char* State;
        std::vector<int> Shows; // after SW_SHOW
        bool Dialog;
    };
    const TCase cases[] = {
        {"minimised", {SW_MINIMIZE}, false},
        {"hidden, as after /tray", {SW_HIDE}, false},
        {"minimised to the notification area", {SW_MINIMIZE, SW_HIDE}, false},
        {"hidden, showing a dialog", {SW_HIDE}, true},
        {"minimised, showing a dialog", {SW_MINIMIZE}, true},
    };
    RegisterWindowClass("TSingleInstanceProbe", ComesUpOnRequest);
    for (const TCase& c : cases) {
        TTempFolder dir;
        HWND window = MakeWindow("TSingleInstanceProbe", WS_OVERLAPPEDWINDOW);
        ::ShowWindow(window, SW_SHOW);
        for (const int show : c.Shows)
            ::ShowWindow(window, show);
        HWND dialog = c.Dialog ? MakeWindow("STATIC", WS_POPUP | WS_CAPTION, window) : nullptr;
        if (dialog) { // modal: its owner disabled, and it was the active one
            ::EnableWindow(window, FALSE);
            ::ShowWindow(dialog, SW_SHOW);
            ::SetForegroundWindow(dialog);
        }
        HWND other = MakeWindow("STATIC", WS_OVERLAPPEDWINDOW | WS_VISIBLE); // the user's
        ::SetForegroundWindow(other);
        FlushEvents();
        TSingleInstance first(dir.Path()), later(dir.Path());
        EXPECT_FALSE(later.ActivateFirst(200)) << c.State; // nothing published yet
        first.Publish(window);
        EXPECT_TRUE(later.ActivateFirst(200)) << c.State;
        FlushEvents();
        EXPECT_TRUE(::IsWindowVisible(window) && !::IsIconic(window)) << c.State;
        EXPECT_EQ(dialog ? dialog : window, ::GetForegroundWindow()) << c.State;
        ::DestroyWindow(other);
        ::DestroyWindow(window); // and its dialog
    }
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

// Started with /tray, the first start shows no window: a plain second start brings it up.
TEST(SingleInstance, ASecondStartShowsTheWindowOfAStartWithTray) {
    TTempFolder dir;
    TChild first(dir.Path(), "/tray");
    ASSERT_TRUE(Eventually([&] { return first.Window(false) != nullptr; })) << "no window";
    HWND window = first.Window(false);
    TChild second(dir.Path());
    DWORD exitCode = 99;
    ASSERT_TRUE(second.EndsWithin(15000, exitCode) && exitCode == 0) << exitCode;
    EXPECT_TRUE(Eventually([&] { return ::IsWindowVisible(window) && !::IsIconic(window); }));
    EXPECT_TRUE(Eventually([&] { return ::GetForegroundWindow() == window; })) << "not in front";
}
