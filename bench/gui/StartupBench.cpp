// Start-up benchmark: from process start to the main window shown and idle, for
// Netvane.exe on 100, 10,000 and 100,000 stored settings over 20 adapters (the first one
// selected), for the same screen drawn by the least program (the floor that counts) and
// for a bare Win32 window of the same size (what Wine itself costs), all in turn under the
// same Wine; and each one's memory at that moment.
//   startup_bench.exe <folder of Netvane.exe, same_screen.exe, bare_window.exe> [runs]
//                     [other Netvane.exe ...]
// Each other build named is started in turn with the rest on 10,000 settings, from a
// folder of its own: a change measured against the build before it in one run, where the
// machine's drift between runs is larger than most changes.

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

// Netvane on one file size: a folder of its own holding a copy of the program and its db.
struct TNetvaneCase {
    int Settings;
    std::string Name;
    std::string Build; // another build's Netvane.exe; empty for the one beside the bench
    std::string Folder;
    TSamples Samples;
};

double Median(const std::vector<double>& values) {
    return Summarise(values).Median;
}

void PrintAim(const char* name, double value, double aim, const char* unit) {
    std::printf("| %s | %.2f%s | at most %.2f%s | %s |\n", name, value, unit, aim, unit,
                value <= aim ? "met" : "not met");
}

int Run(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: startup_bench <folder of Netvane.exe, same_screen.exe and "
                             "bare_window.exe> [runs]\n");
        return 2;
    }
    const std::string folder = std::string(argv[1]) + "\\";
    const int runs = argc > 2 ? std::atoi(argv[2]) : 15;
    TTestAdapters adapters;
    RegisterBenchAdapters(adapters);
    std::vector<TNetvaneCase> cases = {{100, "Netvane, 100 settings", {}, {}, {}},
                                       {BenchSettings, "Netvane, 10,000 settings", {}, {}, {}},
                                       {100000, "Netvane, 100,000 settings", {}, {}, {}}};
    for (int other = 3; other < argc; ++other)
        cases.push_back({BenchSettings, "Netvane, 10,000 settings, the build ", argv[other], {}, {}});
    for (size_t i = 0; i < cases.size(); ++i) {
        TNetvaneCase& c = cases[i];
        c.Folder = folder + "settings-" + std::to_string(c.Settings) + "-" + std::to_string(i) +
                   "\\";
        ::CreateDirectoryA(c.Folder.c_str(), nullptr);
        ::DeleteFileA((c.Folder + "config.ini").c_str());
        const std::string exe = c.Build.empty() ? folder + "Netvane.exe" : c.Build;
        if (!::CopyFileA(exe.c_str(), (c.Folder + "Netvane.exe").c_str(), FALSE))
            throw std::runtime_error("cannot copy " + exe + " into " + c.Folder);
        CreateBenchDatabase(c.Folder, c.Settings);
    }
    TSamples bare, bareWithControls, same;
    for (int run = 0; run < runs + 1; ++run) {
        // The first start of each warms Wine's caches (and makes Netvane's indexes).
        const bool measured = run > 0;
        const TStart b = TimeOneStart(folder + "bare_window.exe", folder);
        const TStart c = TimeOneStart(folder + "bare_window_cc6.exe", folder);
        const TStart s = TimeOneStart(folder + "same_screen.exe", folder);
        if (measured) {
            bare.Add(b);
            bareWithControls.Add(c);
            same.Add(s);
        }
        for (TNetvaneCase& n : cases) {
            const TStart start = TimeOneStart(n.Folder + "Netvane.exe", n.Folder);
            if (measured)
                n.Samples.Add(start);
        }
    }
    adapters.RemoveAll();
    const char* const sameName = "the same screen, drawn by the least program (the floor)";
    std::printf("| start-up to the window shown and idle (%d starts each) | median | p95 |\n"
                "|---|---:|---:|\n",
                runs);
    PrintTimeRow("bare Win32 window (what Wine costs)", bare);
    PrintTimeRow("the same window after loading common controls 6", bareWithControls);
    PrintTimeRow(sameName, same);
    for (const TNetvaneCase& n : cases)
        PrintTimeRow((n.Name + n.Build).c_str(), n.Samples);
    std::printf("\n| memory once shown and idle (medians) | peak working set | peak private bytes |"
                "\n|---|---:|---:|\n");
    PrintMemoryRow("bare Win32 window (what Wine costs)", bare);
    PrintMemoryRow("the same window after loading common controls 6", bareWithControls);
    PrintMemoryRow(sameName, same);
    for (const TNetvaneCase& n : cases)
        PrintMemoryRow((n.Name + n.Build).c_str(), n.Samples);

    const double sameTime = Median(same.Milliseconds);
    const double sameMemory = Median(same.PeakWorkingSetMiB);
    std::printf("\n| aim | measured | aim | |\n|---|---:|---:|---|\n");
    std::printf("| Netvane (10,000 settings) / bare window | %.2f | | |\n",
                Median(cases[1].Samples.Milliseconds) / Median(bare.Milliseconds));
    PrintAim("start-up: Netvane (10,000 settings) / the same screen",
             Median(cases[1].Samples.Milliseconds) / sameTime, 1.15, "");
    PrintAim("start-up that does not grow: 100,000 / 100 settings",
             Median(cases[2].Samples.Milliseconds) / Median(cases[0].Samples.Milliseconds), 1.2,
             "");
    PrintAim("peak working set above the same screen, 10,000 settings",
             Median(cases[1].Samples.PeakWorkingSetMiB) - sameMemory, 4, " MiB");
    PrintAim("peak working set above the same screen, 100,000 settings",
             Median(cases[2].Samples.PeakWorkingSetMiB) - sameMemory, 12, " MiB");
    for (size_t i = 3; i < cases.size(); ++i)
        std::printf("| the build %s / this build (10,000 settings) | %.3f | | |\n",
                    cases[i].Build.c_str(),
                    Median(cases[i].Samples.Milliseconds) / Median(cases[1].Samples.Milliseconds));
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    return RunBenchmark([&] { return Run(argc, argv); });
}
