// Start-up benchmark: from process start to the main window shown and idle, for
// Netvane.exe on 10,000 stored settings over 20 adapters and for a bare Win32 window of
// the same size (the floor), under the same Wine; and each one's memory at that moment.
//   startup_bench.exe <folder of Netvane.exe and bare_window.exe> [runs]

#include "BenchData.h"

#include "support/FileSystem.h"
#include "support/WinHandles.h"

#include <windows.h>

#include <psapi.h>

#include <cstdio>
#include <cstdlib>
#include <stdexcept>
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

// One start of a program: the time from CreateProcess to a visible window whose thread
// waits for input, and the process's memory at that moment.
struct TStart {
    double Milliseconds = 0;
    double PeakWorkingSetMiB = 0;
    double PeakPrivateMiB = 0;
};

double MiB(SIZE_T bytes) {
    return static_cast<double>(bytes) / (1024.0 * 1024.0);
}

TStart TimeOneStart(const std::string& exe, const std::string& folder) {
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    std::string commandLine = "\"" + exe + "\"";
    const long long start = Now();
    if (!::CreateProcessA(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                          folder.c_str(), &startup, &info))
        throw std::runtime_error("cannot start " + exe);
    const UniqueHandle process(info.hProcess), thread(info.hThread);
    TFound found{info.dwProcessId, nullptr};
    while (!found.Window) {
        ::WaitForInputIdle(process.get(), INFINITE);
        ::EnumWindows(FindVisibleWindow, reinterpret_cast<LPARAM>(&found));
        if (!found.Window)
            ::Sleep(1);
    }
    ::WaitForInputIdle(process.get(), INFINITE);
    TStart result;
    result.Milliseconds = MillisecondsSince(start);
    PROCESS_MEMORY_COUNTERS memory{};
    memory.cb = sizeof memory;
    if (!::GetProcessMemoryInfo(process.get(), &memory, sizeof memory))
        throw std::runtime_error("cannot read the memory counters of " + exe);
    result.PeakWorkingSetMiB = MiB(memory.PeakWorkingSetSize);
    result.PeakPrivateMiB = MiB(memory.PeakPagefileUsage);
    ::PostMessageA(found.Window, WM_CLOSE, 0, 0);
    ::WaitForSingleObject(process.get(), INFINITE);
    return result;
}

// The samples of one program over the measured runs.
struct TSamples {
    std::vector<double> Milliseconds, PeakWorkingSetMiB, PeakPrivateMiB;
    void Add(const TStart& s) {
        Milliseconds.push_back(s.Milliseconds);
        PeakWorkingSetMiB.push_back(s.PeakWorkingSetMiB);
        PeakPrivateMiB.push_back(s.PeakPrivateMiB);
    }
};

void PrintTimeRow(const char* name, const TSamples& samples) {
    const TTimes t = Summarise(samples.Milliseconds);
    std::printf("| %s | %.1f ms | %.1f ms |\n", name, t.Median, t.P95);
}

void PrintMemoryRow(const char* name, const TSamples& samples) {
    std::printf("| %s | %.1f MiB | %.1f MiB |\n", name, Summarise(samples.PeakWorkingSetMiB).Median,
                Summarise(samples.PeakPrivateMiB).Median);
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
    TSamples netvane, bare, bareWithControls;
    for (int run = 0; run < runs + 1; ++run) {
        const TStart b = TimeOneStart(folder + "bare_window.exe", folder);
        const TStart c = TimeOneStart(folder + "bare_window_cc6.exe", folder);
        const TStart n = TimeOneStart(folder + "Netvane.exe", folder);
        if (run > 0) { // the first start warms Wine's caches for all three
            bare.Add(b);
            bareWithControls.Add(c);
            netvane.Add(n);
        }
    }
    adapters.RemoveAll();
    std::printf("| start-up to the window shown and idle | median | p95 |\n|---|---:|---:|\n");
    PrintTimeRow("bare Win32 window (the floor)", bare);
    PrintTimeRow("the same window after loading common controls 6", bareWithControls);
    PrintTimeRow("Netvane, 10,000 settings, 20 adapters", netvane);
    std::printf("| ratio of the medians (Netvane / floor) | %.2f | |\n",
                Summarise(netvane.Milliseconds).Median / Summarise(bare.Milliseconds).Median);
    std::printf("\n| memory once shown and idle (medians) | peak working set | peak private bytes |"
                "\n|---|---:|---:|\n");
    PrintMemoryRow("bare Win32 window (the floor)", bare);
    PrintMemoryRow("the same window after loading common controls 6", bareWithControls);
    PrintMemoryRow("Netvane, 10,000 settings, 20 adapters", netvane);
    std::printf("| Netvane above the floor | %.1f MiB | %.1f MiB |\n",
                Summarise(netvane.PeakWorkingSetMiB).Median -
                    Summarise(bare.PeakWorkingSetMiB).Median,
                Summarise(netvane.PeakPrivateMiB).Median - Summarise(bare.PeakPrivateMiB).Median);
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    return RunBenchmark([&] { return Run(argc, argv); });
}
