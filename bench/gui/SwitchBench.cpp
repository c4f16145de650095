// Adapter switch benchmark: the main window on 10,000 stored settings over 20 adapters;
// each switch is the user's pick in the selector, handled and painted.
//   switch_bench.exe [switches]

#include "BenchData.h"

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

    std::vector<double> times;
    {
        TMainForm form(path, SystemRegistry());
        ::ShowWindow(form.Handle(), SW_SHOW);
        ::UpdateWindow(form.Handle());
        for (int i = 0; i < switches; ++i) {
            const long long start = Now();
            ::SendMessageA(form.ComboBox, CB_SETCURSEL, (i + 1) % BenchAdapters, 0);
            ::SendMessageA(form.Handle(), WM_COMMAND,
                           MAKEWPARAM(TMainForm::idComboBox, CBN_SELCHANGE),
                           reinterpret_cast<LPARAM>(form.ComboBox));
            ::UpdateWindow(form.DBGrid);
            times.push_back(MillisecondsSince(start));
        }
    }
    adapters.RemoveAll();
    std::filesystem::remove_all(folder);
    const TTimes t = Summarise(times);
    std::printf("| adapter switch (500 rows each), handled and painted | %.2f ms median | %.2f "
                "ms p95 |\n",
                t.Median, t.P95);
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    return RunBenchmark([&] { return Run(argc, argv); });
}
