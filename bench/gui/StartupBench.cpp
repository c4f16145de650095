// Start-up benchmark: from process start to the main window shown and idle, for
// Netvane.exe on 10,000 stored settings over 20 adapters and for a bare Win32 window of
// the same size (the floor), under the same Wine.
//   startup_bench.exe <folder of Netvane.exe and bare_window.exe> [runs]

#include "BenchData.h"

#include "support/FileSystem.h"

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

struct TFound {
    DWORD ProcessId;
    HWND Window;
};

BOOL CALLBACK FindVisibleWindow(HWND window, LPARAM found) {
    auto* f = reinterpret_cast<TFound*>(found);
    DWORD owner = 0;
    ::GetWindowThreadProcessId(window, &owner);
    if (owner == f->ProcessId && ::IsWindowVisible(window)) {
        f->Window = window;
        return FALSE;
    }
    return TRUE;
}

// Milliseconds from CreateProcess to a visible window whose thread waits for input.
double TimeOneStart(const std::string& exe, const std::string& folder) {
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    std::string commandLine = "\"" + exe + "\"";
    const long long start = Now();
    if (!::CreateProcessA(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                          folder.c_str(), &startup, &info)) {
        std::fprintf(stderr, "cannot start %s\n", exe.c_str());
        std::exit(1);
    }
    TFound found{info.dwProcessId, nullptr};
    while (!found.Window) {
        ::WaitForInputIdle(info.hProcess, INFINITE);
        ::EnumWindows(FindVisibleWindow, reinterpret_cast<LPARAM>(&found));
        if (!found.Window)
            ::Sleep(1);
    }
    ::WaitForInputIdle(info.hProcess, INFINITE);
    const double elapsed = MillisecondsSince(start);
    ::PostMessageA(found.Window, WM_CLOSE, 0, 0);
    ::WaitForSingleObject(info.hProcess, INFINITE);
    ::CloseHandle(info.hThread);
    ::CloseHandle(info.hProcess);
    return elapsed;
}

int Run(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr,
                     "usage: startup_bench <folder of Netvane.exe and bare_window.exe> [runs]\n");
        return 2;
    }
    const std::string folder = std::string(argv[1]) + "\\";
    const int runs = argc > 2 ? std::atoi(argv[2]) : 15;
    TTestAdapters adapters;
    RegisterBenchAdapters(adapters);
    CreateBenchDatabase(folder);
    std::vector<double> netvane, bare, bareWithControls;
    for (int run = 0; run < runs + 1; ++run) {
        const double b = TimeOneStart(folder + "bare_window.exe", folder);
        const double c = TimeOneStart(folder + "bare_window_cc6.exe", folder);
        const double n = TimeOneStart(folder + "Netvane.exe", folder);
        if (run > 0) { // the first start warms Wine's caches for both
            bare.push_back(b);
            bareWithControls.push_back(c);
            netvane.push_back(n);
        }
    }
    adapters.RemoveAll();
    const TTimes b = Summarise(bare), c = Summarise(bareWithControls), n = Summarise(netvane);
    std::printf("| start-up to window shown and idle | median ms | p95 ms |\n|---|---|---|\n");
    std::printf("| bare Win32 window (floor) | %.1f | %.1f |\n", b.Median, b.P95);
    std::printf("| the same window after loading common controls 6 | %.1f | %.1f |\n", c.Median,
                c.P95);
    std::printf("| Netvane, 10,000 settings, 20 adapters | %.1f | %.1f |\n", n.Median, n.P95);
    std::printf("| ratio of medians | %.2f | |\n", n.Median / b.Median);
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    return RunBenchmark([&] { return Run(argc, argv); });
}
