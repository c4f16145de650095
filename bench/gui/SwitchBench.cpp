// Adapter switch benchmark: the main window on 10,000 stored settings over 20 adapters;
// each switch is the user's pick in the selector, handled and painted. Its floor, in turn
// with it: the same screen drawn by the least program swapping its list to the next
// adapter's 500 rows from memory.
//   switch_bench.exe [switches]

#include "BenchData.h"
#include "SameScreen.h"

#include "app/UMain.h"
#include "netcfg/Registry.h"

#include <windows.h>

#include <commctrl.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>

namespace {

int Run(int argc, char** argv) {
    const int switches = argc > 1 ? std::atoi(argv[1]) : 400;
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_WIN95_CLASSES | ICC_COOL_CLASSES |
                                                       ICC_BAR_CLASSES | ICC_LISTVIEW_CLASSES};
    ::InitCommonControlsEx(&controls);
    const std::filesystem::path folder =
        std::filesystem::temp_directory_path() / "netvane-switch-bench";
    std::filesystem::create_directories(folder);
    const std::string path = folder.string() + "\\";
    TTestAdapters adapters;
    RegisterBenchAdapters(adapters);
    CreateBenchDatabase(path);

    std::vector<double> times, floorTimes;
    {
        TMainForm form(path, SystemRegistry());
        ::ShowWindow(form.Handle(), SW_SHOW);
        ::UpdateWindow(form.Handle());
        HWND same = CreateSameScreen(::GetModuleHandleA(nullptr), SW_SHOW);
        for (int i = 0; i < switches; ++i) {
            const int next = (i + 1) % BenchAdapters;
            long long start = Now();
            ::SendMessageA(form.ComboBox, CB_SETCURSEL, next, 0);
            ::SendMessageA(form.Handle(), WM_COMMAND,
                           MAKEWPARAM(TMainForm::idComboBox, CBN_SELCHANGE),
                           reinterpret_cast<LPARAM>(form.ComboBox));
            ::UpdateWindow(form.DBGrid);
            times.push_back(MillisecondsSince(start));
            start = Now();
            ShowSameScreenAdapter(same, next);
            floorTimes.push_back(MillisecondsSince(start));
        }
        ::DestroyWindow(same);
    }
    adapters.RemoveAll();
    std::filesystem::remove_all(folder);
    const TTimes t = Summarise(times), f = Summarise(floorTimes);
    std::printf("| adapter switch (500 rows each), handled and painted | median | p95 |\n"
                "|---|---:|---:|\n");
    std::printf("| the same screen swapping its list (the floor) | %.2f ms | %.2f ms |\n", f.Median,
                f.P95);
    std::printf("| Netvane | %.2f ms | %.2f ms |\n", t.Median, t.P95);
    const double ratio = t.Median / f.Median;
    std::printf("| ratio of the medians (aim: at most 1.20) | %.2f | %s |\n", ratio,
                ratio <= 1.2 ? "met" : "not met");
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    return RunBenchmark([&] { return Run(argc, argv); });
}
