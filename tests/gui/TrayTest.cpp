// The notification-area icon on the real main window under Wine, whose shell has a
// notification area: the icon added and removed for real, its menu built from the store and
// chosen from, the options, and the program started with /tray.

#include "MainWindowFixture.h"
#include "ProgramChild.h"
#include "ReadBack.h"

#include "app/StartWithWindows.h"
#include "app/AutoSwitchWatch.h"
#include "app/UTray.h"
#include "netcfg/SwitchCheck.h"
#include "support/Config.h"

#include <gtest/gtest.h>

namespace {

const std::string OfficeId = "{66666666-2222-3333-4444-555555555501}";
const std::string LabId = "{66666666-2222-3333-4444-555555555502}";
const std::string ExePath = "C:\\Tools\\Netvane.exe";

struct TCall {
    DWORD Message;
    UINT Flags;
    std::string Tip, InfoTitle, Info;
    DWORD InfoFlags;
    bool Answer;
};

// Wine's Shell_NotifyIconA, every call and its answer recorded.
class TRecordingIconCalls : public INotifyIconCalls {
  public:
    explicit TRecordingIconCalls(std::vector<TCall>& calls) : calls_(calls) {}
    bool Notify(DWORD message, const NOTIFYICONDATAA& data) override {
        const bool answer = system_->Notify(message, data);
        calls_.push_back({message, data.uFlags, data.szTip, data.szInfoTitle, data.szInfo,
                          data.dwInfoFlags, answer});
        return answer;
    }

  private:
    std::vector<TCall>& calls_;
    std::unique_ptr<INotifyIconCalls> system_ = SystemNotifyIconCalls();
};

class TRecordingScheduler : public ITaskScheduler {
  public:
    explicit TRecordingScheduler(std::vector<std::string>& lines) : lines_(lines) {}
    int Run(const std::string& commandLine, std::string&) override {
        lines_.push_back(commandLine);
        return 0;
    }

  private:
    std::vector<std::string>& lines_;
};

// A caption as the menu shows it: "&" underlines the next letter, "&&" is one "&".
std::string Shown(const std::string& caption) {
    std::string text;
    for (size_t i = 0; i < caption.size(); ++i) {
        const bool doubled = caption[i] == '&' && i + 1 < caption.size() && caption[i + 1] == '&';
        if (caption[i] != '&' || doubled)
            text += caption[i];
        i += doubled ? 1 : 0;
    }
    return text;
}

class TrayIcon : public TMainWindowTest {
  protected:
    TrayIcon() : TMainWindowTest({{OfficeId, "Office Ethernet"}, {LabId, "Lab Ethernet"}}) {}

    void SetUp() override {
        TMainWindowTest::SetUp();
        StoreSettings(Db(), {{OfficeId, "Office", "10.0.0.5", "255.0.0.0", "10.0.0.1", "", "", ""},
                             {LabId, "Lab B", "192.168.1.5", "255.255.255.0", "", "", "", ""},
                             {LabId, "Lab A", "192.168.1.6", "255.255.255.0", "", "", "", ""}});
    }
    void Started(TMainForm& form) override {
        form.SetPopupTracker([this](HMENU menu, POINT) { return Track(menu, ""); });
        form.ShowTrayIcon(std::make_unique<TRecordingIconCalls>(calls_),
                          std::make_unique<TRecordingScheduler>(tasks_), ExePath);
    }
    // Records the menu as an outline ("Sub>Item", "*" when checked) and chooses choice_.
    int Track(HMENU menu, const std::string& path) {
        int chosen = 0;
        for (int i = 0; i < ::GetMenuItemCount(menu); ++i) {
            char caption[256] = {};
            ::GetMenuStringA(menu, static_cast<UINT>(i), caption, sizeof caption, MF_BYPOSITION);
            const UINT state = ::GetMenuState(menu, static_cast<UINT>(i), MF_BYPOSITION);
            const std::string name = path + ((state & MF_SEPARATOR) ? "-" : Shown(caption));
            menu_.push_back(name + ((state & MF_CHECKED) ? "*" : ""));
            if (HMENU submenu = ::GetSubMenu(menu, i)) {
                if (const int inner = Track(submenu, name + ">"))
                    chosen = inner;
            } else if (name == choice_) {
                chosen = static_cast<int>(::GetMenuItemID(menu, i));
            }
        }
        return chosen;
    }
    // A right click on the icon, as the shell reports it, choosing the item at path.
    void ChooseFromIcon(const std::string& path) {
        menu_.clear();
        choice_ = path;
        const UINT event = Form().Tray()->Icon().Version4() ? WM_CONTEXTMENU : WM_RBUTTONUP;
        ::SendMessageA(Form().Handle(), TTray::WM_TRAY_ICON, MAKEWPARAM(10, 10),
                       MAKELPARAM(event, 1));
        FlushEvents();
    }
    void ClickIcon() {
        const UINT event = Form().Tray()->Icon().Version4() ? NIN_SELECT : WM_LBUTTONUP;
        ::SendMessageA(Form().Handle(), TTray::WM_TRAY_ICON, 0, MAKELPARAM(event, 1));
        FlushEvents();
    }
    std::vector<DWORD> Messages() const {
        std::vector<DWORD> messages;
        for (const TCall& call : calls_)
            if (call.Message != NIM_SETVERSION)
                messages.push_back(call.Message);
        return messages;
    }
    std::vector<TCall> calls_;
    std::vector<std::string> tasks_;
    std::vector<std::string> menu_;
    std::string choice_;
};

} // namespace

TEST_F(TrayIcon, IsAddedWithTheSelectedAdaptersTipAndRemovedWithTheWindow) {
    Start();
    ASSERT_FALSE(calls_.empty());
    EXPECT_EQ(static_cast<DWORD>(NIM_ADD), calls_[0].Message);
    EXPECT_TRUE(calls_[0].Answer) << "Wine's notification area takes the icon";
    // Wine's IP helper does not list the adapters made up here.
    EXPECT_EQ("Office Ethernet: not found", calls_[0].Tip);
    EXPECT_TRUE(Form().Tray()->Icon().Shown());
    Close();
    EXPECT_EQ(static_cast<DWORD>(NIM_DELETE), calls_.back().Message);
    EXPECT_TRUE(calls_.back().Answer);
}

TEST_F(TrayIcon, ComesBackWhenExplorerRestarts) {
    Start();
    ::SendMessageA(Form().Handle(), Form().Tray()->TaskbarCreatedMessage(), 0, 0);
    EXPECT_EQ((std::vector<DWORD>{NIM_ADD, NIM_DELETE, NIM_ADD}), Messages());
    EXPECT_TRUE(calls_.back().Answer || calls_[calls_.size() - 2].Answer);
    EXPECT_TRUE(Form().Tray()->Icon().Shown());
}

TEST_F(TrayIcon, MenuListsEveryAdapterAndAChoiceAppliesWithoutAQuestion) {
    TMessageBoxRecorder boxes;
    Start();
    ::ShowWindow(Form().Handle(), SW_HIDE);
    ChooseFromIcon("Lab Ethernet>Lab B");
    EXPECT_EQ((std::vector<std::string>{
                  "Office Ethernet", "Office Ethernet>Office", "Office Ethernet>Automatic (DHCP)",
                  "Lab Ethernet", "Lab Ethernet>Lab A", "Lab Ethernet>Lab B",
                  "Lab Ethernet>Automatic (DHCP)", "-", "Open Netvane", "Adapter details...",
                  "Options", "Options>Minimize to the notification area",
                  "Options>Start with Windows", "Options>Switch automatically*", "-", "Exit"}),
              menu_);
    EXPECT_EQ(MultiSz("192.168.1.5"),
              ReadValue(HKEY_LOCAL_MACHINE, AdapterKey(LabId), "IPAddress"));
    EXPECT_EQ(Dword(0), ReadValue(HKEY_LOCAL_MACHINE, AdapterKey(LabId), "EnableDHCP"));
    // Not applied (Wine has no such adapter): a box even with the window hidden, no balloon.
    EXPECT_EQ(std::vector{NotPresentMessage("Lab Ethernet")}, boxes.Texts());
    for (const TCall& call : calls_)
        EXPECT_EQ(0u, call.Flags & NIF_INFO);
    EXPECT_EQ(1, Form().SelectedAdapter());
    EXPECT_TRUE(RecentSettings(TConfig(dir_ / "config.ini")).empty()) << "not applied";

    ChooseFromIcon("Lab Ethernet>Automatic (DHCP)");
    EXPECT_EQ(Dword(1), ReadValue(HKEY_LOCAL_MACHINE, AdapterKey(LabId), "EnableDHCP"));
}

TEST_F(TrayIcon, ABalloonCarriesTheTextAndItsKind) {
    Start();
    // A window of its own: the main window has its icon already.
    HWND owner = ::CreateWindowExA(0, "STATIC", "", 0, 0, 0, 0, 0, nullptr, nullptr,
                                   ::GetModuleHandleA(nullptr), nullptr);
    {
        TTrayIcon icon(owner, TTray::WM_TRAY_ICON, std::make_unique<TRecordingIconCalls>(calls_));
        EXPECT_TRUE(icon.Add("probe"));
        icon.Balloon("Netvane: Office", std::string(300, 'x'), true);
    }
    ::DestroyWindow(owner);
    ASSERT_GE(calls_.size(), 2u);
    const TCall& balloon = calls_[calls_.size() - 2];
    EXPECT_EQ(static_cast<DWORD>(NIM_MODIFY), balloon.Message);
    EXPECT_TRUE(balloon.Answer);
    EXPECT_EQ(static_cast<UINT>(NIF_INFO), balloon.Flags & NIF_INFO);
    EXPECT_EQ(static_cast<DWORD>(NIIF_WARNING), balloon.InfoFlags);
    EXPECT_EQ("Netvane: Office", balloon.InfoTitle);
    EXPECT_EQ(std::string(252, 'x') + "...", balloon.Info);
    EXPECT_EQ(static_cast<DWORD>(NIM_DELETE), calls_.back().Message);
}

TEST_F(TrayIcon, MinimizingHidesTheWindowWhenTheOptionIsOnAndAClickBringsItBack) {
    Start();
    ::ShowWindow(Form().Handle(), SW_SHOW);
    ChooseFromIcon("Options>Minimize to the notification area");
    EXPECT_TRUE(ReadSwitch(TConfig(dir_ / "config.ini"), MinimizeToTraySetting));
    ::ShowWindow(Form().Handle(), SW_MINIMIZE);
    FlushEvents();
    EXPECT_FALSE(::IsWindowVisible(Form().Handle()));
    ClickIcon();
    EXPECT_TRUE(::IsWindowVisible(Form().Handle()));
    EXPECT_FALSE(::IsIconic(Form().Handle()));
    ChooseFromIcon("");
    EXPECT_NE(std::find(menu_.begin(), menu_.end(), "Options>Minimize to the notification area*"),
              menu_.end());
}

TEST_F(TrayIcon, StartWithWindowsWritesTheUsersRunValueAndNotesAMove) {
    // The prefix's own Run key, left as it was found.
    struct TRunValueRemoval {
        ~TRunValueRemoval() { ::RegDeleteKeyValueA(HKEY_CURRENT_USER, RunKeyPath, RunValueName); }
    } removal;
    Start();
    ChooseFromIcon("Options>Start with Windows");
    EXPECT_EQ(Sz("\"" + ExePath + "\" /tray"),
              ReadValue(HKEY_CURRENT_USER, RunKeyPath, RunValueName));
    EXPECT_EQ(std::vector{DeleteOldTaskCommand()}, tasks_);
    ChooseFromIcon("Options>Start with Windows");
    EXPECT_NE(std::find(menu_.begin(), menu_.end(), "Options>Start with Windows*"), menu_.end());
    EXPECT_EQ(std::nullopt, ReadValue(HKEY_CURRENT_USER, RunKeyPath, RunValueName));
    const std::string moved = "\"C:\\Old\\Netvane.exe\" /tray";
    ASSERT_EQ(ERROR_SUCCESS,
              ::RegSetKeyValueA(HKEY_CURRENT_USER, RunKeyPath, RunValueName, REG_SZ, moved.c_str(),
                                static_cast<DWORD>(moved.size() + 1)));
    ChooseFromIcon("");
    EXPECT_NE(std::find(menu_.begin(), menu_.end(),
                        "Options>Start with Windows (off: Netvane has moved since it was set "
                        "for C:\\Old\\Netvane.exe)"),
              menu_.end());
}

TEST_F(TrayIcon, TheProgramStartedWithTraySwitchKeepsItsWindowHidden) {
    TChild child(dir_.Path(), TraySwitch);
    HWND window = nullptr;
    ASSERT_TRUE(Eventually([&] { return (window = child.Window(false)) != nullptr; }));
    // Given time to show itself, it stays hidden.
    EXPECT_FALSE(Eventually([&] { return ::IsWindowVisible(window) != FALSE; }, 1500));
    ::PostMessageA(window, WM_CLOSE, 0, 0);
    DWORD exitCode = 1;
    EXPECT_TRUE(child.EndsWithin(10000, exitCode));
}

namespace {

// What Windows would report of the adapters: Office Ethernet on the office's network.
struct TOfficeNetwork : ILiveStateReader {
    TLiveState Read(const std::string& adapterId) override {
        TLiveState state;
        state.Present = state.Up = adapterId == OfficeId;
        if (state.Present)
            state.Gateways = {"10.1.0.1"};
        return state;
    }
};

} // namespace

TEST_F(TrayIcon, AChangeOfNetworkSwitchesToTheMatchingSettingOnceAndItsBalloonGoesBack) {
    Start();
    Form().SetLiveStateReader(std::make_unique<TOfficeNetwork>());
    TProfileTable& table = Form().adoT;
    table.MoveTo(table.RowOfId(1));
    table.Edit();
    TSettingExtras extras = table.FieldExtras();
    extras.UseWhen = "gateway=10.1.0.1";
    table.SetFieldExtras(extras);
    table.Post();
    // On DHCP, as a network is recognised before Netvane has switched it.
    ForgetSwitchedValues(OfficeId);
    const DWORD dhcp = 1;
    ::RegSetKeyValueA(HKEY_LOCAL_MACHINE, AdapterKey(OfficeId).c_str(), "EnableDHCP", REG_DWORD,
                      &dhcp, sizeof dhcp);
    const TKeyValues before = SwitchedValues(OfficeId);
    const auto balloons = [this] {
        std::vector<std::string> texts;
        for (const TCall& call : calls_)
            if (call.Flags & NIF_INFO)
                texts.push_back(call.Info);
        return texts;
    };
    const auto changed = [this] {
        ::PostMessageA(Form().Handle(), TTray::WM_ADDRESS_CHANGED, 0, 0);
        FlushEvents();
    };
    changed();
    ASSERT_TRUE(Eventually([&] { return balloons().size() == 1; }, 3 * AutoSwitchSettleMs));
    EXPECT_TRUE(Holds(SwitchedValues(OfficeId), "IPAddress", MultiSz("10.0.0.5")));
    const std::vector<std::string> log = FileLines(dir_ / "netvane.log");
    ASSERT_EQ(1u, log.size());
    EXPECT_NE(std::string::npos, log[0].find("  Office  ")) << log[0];
    EXPECT_TRUE(log[0].ends_with("  automatic: gateway=10.1.0.1")) << log[0];

    // The same network again: no second switch.
    changed();
    ::Sleep(AutoSwitchSettleMs + 500);
    FlushEvents();
    EXPECT_EQ(1u, FileLines(dir_ / "netvane.log").size());
    EXPECT_EQ(1u, balloons().size());

    ::SendMessageA(Form().Handle(), TTray::WM_TRAY_ICON, 0, MAKELPARAM(NIN_BALLOONUSERCLICK, 1));
    FlushEvents();
    EXPECT_EQ(before, SwitchedValues(OfficeId));
    ASSERT_EQ(2u, balloons().size());
    EXPECT_NE(std::string::npos, balloons()[1].find("back")) << balloons()[1];
}
