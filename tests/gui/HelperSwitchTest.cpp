// The main window switching through the helper (config.ini asks for it, since every process
// is elevated under Wine) and through the service. The window runs in this test program, so the
// helper started is a copy of the shipped Netvane.exe beside the database, in a folder only this
// user may change.

#include "MainWindowFixture.h"
#include "ProgramChild.h"
#include "ReadBack.h"
#include "ServiceFolder.h"

#include "app/StartWithWindowsWin.h"
#include "app/TrayIcon.h"
#include "app/UTray.h"
#include "privileged/HelperWin.h"
#include "support/Files.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <optional>
#include <utility>
#include <vector>

namespace {

const std::string OfficeId = "{77777777-2222-3333-4444-555555555501}";
const std::string LabId = "{77777777-2222-3333-4444-555555555502}";

class HelperSwitch : public TMainWindowTest {
  protected:
    HelperSwitch() : TMainWindowTest({{OfficeId, "Office Ethernet"}, {LabId, "Lab Ethernet"}}) {}

    void SetUp() override {
        TMainWindowTest::SetUp();
        ASSERT_TRUE(::CopyFileA(NETVANE_DIST_EXE, (dir_ / "Netvane.exe").c_str(), FALSE));
        SetHelperProgram(dir_ / "Netvane.exe");
        StoreSettings(Db(), {{OfficeId, "Office", "10.0.0.5", "255.0.0.0", "10.0.0.1", "10.0.0.2",
                              "10.0.0.3", "proxy.office:8080"},
                             {LabId, "Lab B", "192.168.1.5", "255.255.255.0", "", "", "", ""}});
    }
    void TearDown() override {
        TMainWindowTest::TearDown();
        SetHelperProgram("");
    }
    void Started(TMainForm& form) override {
        form.SetPopupTracker([this](HMENU menu, POINT) { return CommandAt(menu); });
        form.ShowTrayIcon(SystemNotifyIconCalls(), SystemTaskScheduler(), dir_ / "Netvane.exe");
    }
    // The command of the item choice_ names ("Adapter>Title") in the icon's menu.
    int CommandAt(HMENU menu, const std::string& path = "") {
        for (int i = 0; i < ::GetMenuItemCount(menu); ++i) {
            char caption[256] = {};
            ::GetMenuStringA(menu, static_cast<UINT>(i), caption, sizeof caption, MF_BYPOSITION);
            if (HMENU submenu = ::GetSubMenu(menu, i)) {
                if (const int inner = CommandAt(submenu, path + caption + ">"))
                    return inner;
            } else if (path + caption == choice_) {
                return static_cast<int>(::GetMenuItemID(menu, i));
            }
        }
        return 0;
    }
    void ChooseFromIcon(const std::string& path) {
        choice_ = path;
        const UINT event = Form().Tray()->Icon().Version4() ? WM_CONTEXTMENU : WM_RBUTTONUP;
        ::SendMessageA(Form().Handle(), TTray::WM_TRAY_ICON, MAKEWPARAM(10, 10),
                       MAKELPARAM(event, 1));
        FlushEvents();
    }
    std::string choice_;
};

} // namespace

TEST_F(HelperSwitch, TheWindowsSwitchesLeaveWhatDirectOnesLeaveAndTheHelperEndsWithIt) {
    const std::vector<std::pair<std::string, std::function<void()>>> steps = {
        {"NETVANE", [this] { Command(TMainForm::acChange); }},
        {"DHCP",
         [this] {
             PickAdapter(1);
             Command(TMainForm::acAuto);
         }},
        {"the icon's menu", [this] { ChooseFromIcon("Lab Ethernet>Lab B"); }},
    };
    struct Pass {
        std::vector<std::string> boxes;
        std::vector<TKeyValues> office, lab;
    } direct, helper, service;
    for (const auto& [pass, route] :
         {std::pair{&direct, "directly"}, std::pair{&helper, "through the helper"},
          std::pair{&service, "through the service"}}) {
        SCOPED_TRACE(route);
        ForgetSwitchedValues(OfficeId);
        ForgetSwitchedValues(LabId);
        PutFile(dir_ / "config.ini", pass == &helper ? "SwitchThrough=helper\r\n" : "");
        ::DeleteFileA((dir_ / "netvane.log").c_str());
        // A running service takes every switch, the helper's config.ini or not.
        std::optional<TServiceFolder> installed;
        if (pass == &service) {
            installed.emplace("Netvane Window Test");
            ASSERT_EQ(0u, installed->Run("/install-service").ExitCode);
        }
        TMessageBoxRecorder boxes;
        Start();
        for (const auto& step : steps) {
            step.second();
            pass->office.push_back(SwitchedValues(OfficeId));
            pass->lab.push_back(SwitchedValues(LabId));
        }
        EXPECT_EQ(pass == &direct ? 0 : 1, RunningPrograms()); // the helper, or the service
        Close();
        installed.reset();
        pass->boxes = boxes.Texts();
        const std::vector<std::string> log = FileLines(dir_ / "netvane.log");
        EXPECT_EQ(steps.size(), log.size());
        for (const std::string& line : log)
            EXPECT_TRUE(line.ends_with(std::string("  ") + route)) << line;
    }
    EXPECT_TRUE(Eventually([] { return RunningPrograms() == 0; }))
        << "the helper outlived the window";
    EXPECT_EQ(steps.size(), helper.boxes.size());
    for (const Pass* other : {&helper, &service}) {
        EXPECT_EQ(direct.boxes, other->boxes);
        for (size_t i = 0; i < steps.size(); ++i) {
            SCOPED_TRACE(steps[i].first);
            EXPECT_EQ(direct.office[i], other->office[i]);
            EXPECT_EQ(direct.lab[i], other->lab[i]);
        }
    }
    // What the steps left, so that the passes agreeing means something.
    EXPECT_TRUE(Holds(helper.office[0], "IPAddress", MultiSz("10.0.0.5")));
    EXPECT_TRUE(Holds(helper.office[0], "ProxyServer", Sz("proxy.office:8080")));
    EXPECT_TRUE(Holds(helper.lab[1], "EnableDHCP", Dword(1)));
    EXPECT_TRUE(Holds(helper.lab[2], "IPAddress", MultiSz("192.168.1.5")));
    EXPECT_TRUE(Holds(helper.lab[2], "EnableDHCP", Dword(0)));
}
