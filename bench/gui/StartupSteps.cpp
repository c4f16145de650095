// Where a start goes: the steps of the start-up sequence timed one by one in this process,
// on 10,000 stored settings over 20 adapters (or as many as given), each the median of many
// runs after a warm-up.
// The parts of the main window's creation are also timed on their own: the icons, drawn by
// the window itself, and what a worker thread reads while the window is made (the database
// with the selected adapter's rows, the adapters, the address, the live state), which costs
// the start only where the worker is the last to finish. The dialogs are timed as they are
// made on first use.
//   startup_steps.exe [runs] [settings]

#include "BenchData.h"

#include "about/UAbout.h"
#include "app/AddressWatch.h"
#include "app/Icons.h"
#include "app/TrayIcon.h"
#include "app/UMain.h"
#include "app/UTray.h"
#include "editor/UEdit.h"
#include "netcfg/Adapters.h"
#include "netcfg/LiveStateWin.h"
#include "netcfg/LocalAddress.h"
#include "netcfg/Registry.h"
#include "store/ProfileStore.h"

#include <windows.h>

#include <commctrl.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace {

void PumpUntilIdle() {
    MSG message;
    while (::PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        ::TranslateMessage(&message);
        ::DispatchMessageA(&message);
    }
}

// Invalidates the window with its frame and children and draws it all at once.
void Redraw(HWND window) {
    ::RedrawWindow(window, nullptr, nullptr,
                   RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
}

class TSteps {
  public:
    // Runs step and records its time under name.
    void Time(const std::string& name, const std::function<void()>& step) {
        if (times_.find(name) == times_.end())
            order_.push_back(name);
        const long long start = Now();
        step();
        times_[name].push_back(MillisecondsSince(start));
    }
    void Print(int settings) const {
        std::printf("| start-up step (in one process, warm; %d settings) | median | p95 |\n"
                    "|---|---:|---:|\n",
                    settings);
        for (const std::string& name : order_) {
            const TTimes t = Summarise(times_.at(name));
            std::printf("| %s | %.2f ms | %.2f ms |\n", name.c_str(), t.Median, t.P95);
        }
    }

  private:
    std::vector<std::string> order_;
    std::map<std::string, std::vector<double>> times_;
};

void TimeOneStart(TSteps& steps, const std::string& folder) {
    {
        TProfileTable table;
        steps.Time("  beside it, on the worker: open the database",
                   [&] { table.Open(folder + "db", TRowLoad::AtRestriction); });
        steps.Time("  beside it, on the worker: read the selected adapter's rows",
                   [&] { table.SetAdapterFilter(BenchAdapterIds().front()); });
    }
    steps.Time("  (not at start) open the database and read every row, as a start did before",
               [&] {
                   TProfileTable table;
                   table.Open(folder + "db");
               });
    {
        TProfileTable table;
        table.Open(folder + "db", TRowLoad::AtRestriction);
        table.SetAdapterFilter(BenchAdapterIds().front());
        steps.Time("  (not at start) the first switch to another adapter: read its rows",
                   [&] { table.SetAdapterFilter(BenchAdapterIds().back()); });
    }
    steps.Time("  beside it, on the worker: list the adapters", [] {
        std::vector<std::string> list;
        GetAdapters(SystemRegistry(), list);
    });
    steps.Time("  beside it, on the worker: the local address", [] {
        std::string address;
        GetLocalIP(address);
    });
    steps.Time("  of which: draw the command icons",
               [] { CreateCommandImages(32); });
    steps.Time("  beside it, on the worker: the live state of the selected adapter",
               [] { TSystemLiveStateReader().Read(BenchAdapterIds().front()); });
    std::unique_ptr<TMainForm> form;
    steps.Time("create the main window (its start-up included)",
               [&] { form = std::make_unique<TMainForm>(folder, SystemRegistry()); });
    steps.Time("  (after it) the address-change notifications, on their own", [&] {
        const TAddressWatch watch(form->Handle(), WM_APP + 1);
    });
    steps.Time("the notification-area icon, its address notifications included", [&] {
        form->ShowTrayIcon(SystemNotifyIconCalls(), SystemTaskScheduler(), folder + "Netvane.exe");
    });
    steps.Time("show it", [&] { ::ShowWindow(form->Handle(), SW_SHOWNORMAL); });
    steps.Time("paint it", [&] { ::UpdateWindow(form->Handle()); });
    steps.Time("handle what is left in the queue", PumpUntilIdle);
    // What the paint is made of: the window drawn again, whole and control by control.
    steps.Time("paint it again, whole", [&] { Redraw(form->Handle()); });
    steps.Time("  of which: the grid, header and rows", [&] { Redraw(form->DBGrid); });
    steps.Time("  of which: the grid's header", [&] {
        Redraw(reinterpret_cast<HWND>(::SendMessageA(form->DBGrid, LVM_GETHEADER, 0, 0)));
    });
    steps.Time("  of which: the toolbar and its band", [&] { Redraw(form->CoolBar1); });
    steps.Time("the editor dialog, made on first use", [&] {
        TEditForm edit(form->adoT, form->adoQ, form->AdapterDescriptions(), form->Handle());
    });
    steps.Time("the about box, made on first use", [&] { TAboutForm about(form->Handle()); });
    form.reset();
    PumpUntilIdle();
}

int Run(int argc, char** argv) {
    const int runs = argc > 1 ? std::atoi(argv[1]) : 30;
    const int settings = argc > 2 ? std::atoi(argv[2]) : BenchSettings;
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_WIN95_CLASSES | ICC_COOL_CLASSES |
                                                       ICC_BAR_CLASSES | ICC_LISTVIEW_CLASSES};
    ::InitCommonControlsEx(&controls);
    const std::filesystem::path folder =
        std::filesystem::temp_directory_path() / "netvane-startup-steps";
    std::filesystem::create_directories(folder);
    const std::string path = folder.string() + "\\";
    TTestAdapters adapters;
    RegisterBenchAdapters(adapters);
    CreateBenchDatabase(path, settings);
    TSteps warmUp, steps;
    TimeOneStart(warmUp, path);
    for (int run = 0; run < runs; ++run)
        TimeOneStart(steps, path);
    adapters.RemoveAll();
    std::filesystem::remove_all(folder);
    steps.Print(settings);
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    return RunBenchmark([&] { return Run(argc, argv); });
}
