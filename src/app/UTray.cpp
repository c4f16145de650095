#include "UTray.h"

#include "AddressWatch.h"
#include "AutoSwitch.h"
#include "AutoSwitchWatch.h"
#include "SettingInUse.h"
#include "WayBack.h"
#include "ShowRequest.h"
#include "UMain.h"

#include "netcfg/SwitchCheck.h"
#include "support/Error.h"
#include "support/Forms.h"
#include "support/Strings.h"

#include <windowsx.h>

namespace {

// The em dash where the ANSI code page has one.
std::string AnsiDash() {
    char text[8] = {};
    BOOL replaced = FALSE;
    const int length =
        ::WideCharToMultiByte(CP_ACP, 0, L"\u2014", 1, text, sizeof text, nullptr, &replaced);
    return length > 0 && !replaced ? std::string(text, static_cast<size_t>(length)) : "-";
}

// While it lives, what a switch tells the user is kept for one report instead of shown.
class TMessageCollector {
  public:
    explicit TMessageCollector(TMainForm& form) : form_(form) {
        form_.SetMessageSink([this](const std::string& text) { Messages.push_back(text); });
    }
    ~TMessageCollector() { form_.SetMessageSink(nullptr); }
    TMessageCollector(const TMessageCollector&) = delete;
    TMessageCollector& operator=(const TMessageCollector&) = delete;
    std::vector<std::string> Messages;

  private:
    TMainForm& form_;
};

} // namespace

// What the automatic switches need of the window: its adapters and stored settings, its
// way of switching, and the icon for the balloons.
class TTray::TAutoHost : public IAutoSwitchHost {
  public:
    TAutoHost(TTray& tray, TMainForm& form) : tray_(tray), form_(form) {}

    bool AutoSwitchOn() override { return tray_.Options().SwitchAutomatically; }

    // Not while a dialog or box of the window is open, nor while a row is being edited.
    bool ReadyToSwitch() override {
        return ::IsWindowEnabled(form_.Handle()) && form_.adoT.State() == TViewState::Browse;
    }

    std::vector<TAutoAdapter> AdaptersToJudge() override {
        std::vector<TAutoAdapter> adapters;
        if (!form_.adoT.Active())
            return adapters;
        const std::vector<std::string> names = form_.AdapterDescriptions();
        for (std::size_t i = 0; i < form_.AdapterList.size(); ++i) {
            const std::string& id = form_.AdapterList[i];
            const auto rows = form_.adoT.StoredRowsOf(id);
            TAutoAdapter adapter;
            const std::vector<TTraySetting> settings = TraySettings(rows);
            for (std::size_t r = 0; r < rows.size(); ++r) {
                if (rows[r].Extras.UseWhen.empty())
                    continue;
                adapter.Candidates.push_back({settings[r].Title, rows[r].Extras.UseWhen, false});
                adapter.SettingIds.push_back(rows[r].Id);
            }
            if (adapter.Candidates.empty())
                continue;
            adapter.Id = id;
            adapter.Name = i < names.size() ? names[i] : id;
            adapter.Facts = Facts(id);
            for (std::size_t c = 0, r = 0; r < rows.size(); ++r)
                if (!rows[r].Extras.UseWhen.empty())
                    adapter.Candidates[c++].InUse =
                        IsSettingInUse(settings[r].Request, adapter.Facts.State);
            adapters.push_back(std::move(adapter));
        }
        return adapters;
    }

    bool SwitchAsksConsent() override {
        return form_.switchRoute_.AsksConsent(form_.ConfigFile.get());
    }

    // As the icon's menu switches, with the way back kept for the balloon's minute.
    TAutoApplied Apply(const std::string& adapterId, std::int64_t settingId,
                       const std::string& cause) override {
        TAutoApplied applied;
        const auto position =
            std::find(form_.AdapterList.begin(), form_.AdapterList.end(), adapterId) -
            form_.AdapterList.begin();
        form_.SelectAdapterAt(static_cast<std::size_t>(position));
        const std::string adapter = form_.AdapterDescriptions().at(static_cast<size_t>(position));
        const int row = form_.adoT.RowOfId(settingId);
        if (row < 0)
            return Failed(applied, "Netvane", "The setting to switch to is no longer stored.");
        form_.adoT.MoveTo(row);
        const std::string title = Trim(form_.adoT.FieldText("Title"));
        FillStaticRequest(
            form_.NewIP, [this](const std::string& name) { return form_.adoT.FieldText(name); },
            form_.adoT.FieldExtras());
        TMessageCollector collector(form_);
        try {
            TWayBackApply apply =
                ApplyWithWayBack(form_.NewIP, form_.registry_, *form_.netServices_, nullptr);
            apply.Result.Cause = cause;
            LogSwitch(form_.AppPath, form_.registry_, form_.NewIP, title, apply.Result);
            const TTrayReport report = TrayReport(apply.Result, collector.Messages, title, adapter);
            applied.Switched = true;
            applied.Warning = report.Warning || report.Box;
            applied.Title = report.Title;
            applied.Text =
                applied.Warning
                    ? report.Text
                    : CutText(AutoSwitchedText(adapter, title, cause.substr(cause.find(':') + 2)),
                              BalloonTextLimit);
            wayBacks_[adapterId] = std::move(apply);
        } catch (const std::exception& error) {
            std::string text = error.what();
            for (const std::string& message : collector.Messages)
                text += "\n\n" + message;
            Failed(applied, "Netvane: " + title, text);
        }
        form_.ReadLiveState();
        applied.After = Facts(adapterId);
        return applied;
    }

    std::string GoBack(const std::string& adapterId) override {
        const auto kept = wayBacks_.find(adapterId);
        if (kept == wayBacks_.end())
            return "There is nothing to go back to.";
        std::vector<std::string> said;
        TWentBack wentBack;
        {
            TMessageCollector collector(form_);
            wentBack = ::GoBack(kept->second, form_.registry_, *form_.netServices_, form_.AppPath);
            said = std::move(collector.Messages);
        }
        wayBacks_.erase(kept);
        form_.ReadLiveState();
        return CutText(WentBackText(wentBack, said), BalloonTextLimit);
    }

    void Balloon(const std::string& title, const std::string& text, bool warning) override {
        tray_.icon_.Balloon(CutText(title, BalloonTitleLimit), CutText(text, BalloonTextLimit),
                            warning);
    }

    std::uint64_t Now() override { return ::GetTickCount64(); }

  private:
    // Through the window's reader of the live state, as the grid's mark reads it.
    TNetworkFacts Facts(const std::string& adapterId) {
        return ReadNetworkFacts(form_.liveStateReader_.get(),
                                form_.netServices_->NetworkFactsReader(), adapterId);
    }
    static TAutoApplied& Failed(TAutoApplied& applied, const std::string& title,
                                const std::string& text) {
        applied.Warning = true;
        applied.Title = CutText(title, BalloonTitleLimit);
        applied.Text = CutText(text, BalloonTextLimit);
        return applied;
    }

    TTray& tray_;
    TMainForm& form_;
    std::map<std::string, TWayBackApply> wayBacks_;
};

void AppendMenuItems(HMENU menu, const std::vector<TTrayMenuItem>& items,
                     const std::function<UINT(const TTrayMenuItem&)>& commandOf) {
    for (const TTrayMenuItem& item : items) {
        if (!item.Children.empty()) {
            HMENU submenu = ::CreatePopupMenu();
            AppendMenuItems(submenu, item.Children, commandOf);
            // The menu owns its submenus from here on.
            ::AppendMenuA(menu, MF_POPUP, reinterpret_cast<UINT_PTR>(submenu),
                          item.Caption.c_str());
        } else if (item.Caption.empty()) {
            ::AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
        } else {
            const UINT command = item.Command == TTrayCommand::None ? 0 : commandOf(item);
            ::AppendMenuA(
                menu, MF_STRING | (item.Checked ? MF_CHECKED : 0) | (command == 0 ? MF_GRAYED : 0),
                command, item.Caption.c_str());
        }
    }
}

TTray::TTray(TMainForm& form, std::unique_ptr<INotifyIconCalls> calls,
             std::unique_ptr<ITaskScheduler> scheduler, std::string exePath)
    : form_(form), icon_(form.Handle(), WM_TRAY_ICON, std::move(calls)),
      scheduler_(std::move(scheduler)), exePath_(std::move(exePath)),
      taskbarCreated_(::RegisterWindowMessageA("TaskbarCreated")) {
    // Started elevated, the program would not hear Explorer, which is not: its message
    // would be filtered out.
    ::ChangeWindowMessageFilterEx(form.Handle(), taskbarCreated_, MSGFLT_ALLOW, nullptr);
    icon_.Add(Tip());
    autoHost_ = std::make_unique<TAutoHost>(*this, form);
    autoWatch_ = std::make_unique<TAutoSwitchWatch>(*autoHost_);
    addressWatch_ = std::make_unique<TAddressWatch>(form.Handle(), WM_ADDRESS_CHANGED);
    // The network the program starts on is a change too: at sign-in it is the first.
    JudgeSoon();
}

TTray::~TTray() {
    ::KillTimer(form_.Handle(), AutoSwitchTimer);
}

void TTray::JudgeSoon() {
    // Every change starts the time again: a burst of notices is judged once, settled.
    ::SetTimer(form_.Handle(), AutoSwitchTimer, AutoSwitchSettleMs, nullptr);
}

void TTray::SwitchedByHand(const std::string& adapterId) {
    autoWatch_->SwitchedByHand(adapterId);
}

TConfig& TTray::Config() const {
    if (!form_.ConfigFile)
        throw TError("The settings file config.ini is not open");
    return *form_.ConfigFile;
}

TTrayAdapter TTray::AdapterAt(size_t position) const {
    TTrayAdapter adapter;
    const std::vector<std::string> descriptions = form_.AdapterDescriptions();
    adapter.Description = position < descriptions.size() ? descriptions[position] : "";
    if (form_.adoT.Active())
        adapter.Settings = TraySettings(form_.adoT.StoredRowsOf(form_.AdapterList.at(position)));
    return adapter;
}

// Each adapter's state is read now: the menu shows this moment.
std::vector<TTrayAdapter> TTray::Adapters() const {
    std::vector<TTrayAdapter> adapters;
    for (size_t i = 0; i < form_.AdapterList.size(); ++i) {
        TTrayAdapter& adapter = adapters.emplace_back(AdapterAt(i));
        adapter.State = form_.liveStateReader_->Read(form_.AdapterList[i]);
    }
    return adapters;
}

std::string TTray::Tip() const {
    const int selected = form_.SelectedAdapter();
    if (selected < 0 || static_cast<size_t>(selected) >= form_.AdapterList.size())
        return "Netvane";
    // The grid's rows are the selected adapter's, already read: the tip, asked for at every
    // change of state, reads nothing more from the file.
    const TLiveState& state = form_.liveState_;
    const std::string inUse = state.Present && state.Dhcp
                                  ? std::string(DhcpCaption)
                                  : RowTitle(form_.adoT, RowInUse(form_.adoT, state));
    return TrayTip(form_.AdapterDescriptions().at(static_cast<size_t>(selected)), state,
                   Trim(inUse), AnsiDash());
}

void TTray::StateChanged() {
    icon_.SetTip(Tip());
}

bool TTray::WindowShown() const {
    return ::IsWindowVisible(form_.Handle()) && !::IsIconic(form_.Handle());
}

void TTray::Minimized() {
    if (icon_.Shown() && Options().MinimizeToTray)
        ::ShowWindow(form_.Handle(), SW_HIDE);
}

void TTray::ShowWindow() {
    BringWindowUp(form_.Handle());
}

void TTray::IconClicked() {
    if (WindowShown() && ::GetForegroundWindow() == form_.Handle())
        ::ShowWindow(form_.Handle(), SW_MINIMIZE);
    else
        ShowWindow();
}

TTrayOptions TTray::Options() const {
    TTrayOptions options;
    // The Run key, not the settings file, says whether the program starts with Windows.
    if (form_.ConfigFile)
        options.MinimizeToTray = ReadSwitch(*form_.ConfigFile, MinimizeToTraySetting);
    options.StartWithWindows = StartupStateOf(form_.registry_, exePath_) == TStartupState::On;
    options.StartWithWindowsNote = StartupNote(form_.registry_, form_.ConfigFile.get(), exePath_);
    // On until the user turns it off: it does nothing before a setting has conditions.
    options.SwitchAutomatically =
        !form_.ConfigFile || Trim(form_.ConfigFile->ReadValue(AutoSwitchSetting)) != "0";
    return options;
}

void TTray::ToggleSwitchAutomatically() {
    WriteSwitch(Config(), AutoSwitchSetting, !Options().SwitchAutomatically);
    if (Options().SwitchAutomatically)
        JudgeSoon();
}

void TTray::ToggleMinimizeToTray() {
    WriteSwitch(Config(), MinimizeToTraySetting, !Options().MinimizeToTray);
}

void TTray::ToggleStartWithWindows() {
    SetStartWithWindows(!Options().StartWithWindows, exePath_, form_.registry_, *scheduler_,
                        form_.ConfigFile.get());
}

void TTray::ShowMenu(POINT screenPoint) {
    // While a dialog or a box of the window is open, the window is what needs the user.
    if (!::IsWindowEnabled(form_.Handle())) {
        ShowWindow();
        return;
    }
    const std::vector<TTrayMenuItem> model =
        TrayMenu(Adapters(),
                 form_.ConfigFile ? RecentSettings(*form_.ConfigFile) : std::vector<std::int64_t>{},
                 Options());
    std::vector<const TTrayMenuItem*> commands; // command n is commands[n - 1]
    UniqueMenu menu(::CreatePopupMenu());
    AppendMenuItems(menu.get(), model, [&](const TTrayMenuItem& item) {
        commands.push_back(&item);
        return static_cast<UINT>(commands.size());
    });
    // Without the window in front, the menu would not close when the user clicks elsewhere.
    ::SetForegroundWindow(form_.Handle());
    const int chosen = form_.TrackMenu(menu.get(), screenPoint);
    ::PostMessageA(form_.Handle(), WM_NULL, 0, 0);
    if (chosen > 0 && static_cast<size_t>(chosen) <= commands.size())
        Execute(*commands[static_cast<size_t>(chosen) - 1]);
}

void TTray::Execute(const TTrayMenuItem& item) {
    switch (item.Command) {
    case TTrayCommand::ApplySetting:
    case TTrayCommand::ApplyDhcp:
        ApplyFromMenu(item);
        break;
    case TTrayCommand::MoreSettings:
        form_.SelectAdapterAt(item.Adapter);
        ShowWindow();
        break;
    case TTrayCommand::OpenWindow:
        ShowWindow();
        break;
    case TTrayCommand::AdapterDetails:
        form_.acDetailsExecute();
        break;
    case TTrayCommand::MinimizeToTray:
        ToggleMinimizeToTray();
        break;
    case TTrayCommand::StartWithWindows:
        ToggleStartWithWindows();
        break;
    case TTrayCommand::SwitchAutomatically:
        ToggleSwitchAutomatically();
        break;
    case TTrayCommand::ShowAllAdapters:
        form_.ToggleShowAllAdapters();
        break;
    case TTrayCommand::Exit:
        ::PostMessageA(form_.Handle(), WM_CLOSE, 0, 0);
        break;
    case TTrayCommand::None:
        break;
    }
}

// As the window's NETVANE and DHCP commands apply, without their confirmation: the choice
// in the menu is one. Shown, the window reports as it always does; hidden or minimised, a
// balloon does, except for a setting Windows did not take, which is always a box.
void TTray::ApplyFromMenu(const TTrayMenuItem& item) {
    form_.SelectAdapterAt(item.Adapter);
    const bool dhcp = item.Command == TTrayCommand::ApplyDhcp;
    if (!dhcp) {
        const int row = form_.adoT.RowOfId(item.SettingId);
        if (row < 0)
            throw TError("The setting chosen is no longer stored");
        form_.adoT.MoveTo(row);
    }
    const std::string setting = dhcp ? "Automatic (DHCP)" : Trim(form_.adoT.FieldText("Title"));
    const std::string adapter = form_.AdapterDescriptions().at(item.Adapter);
    if (WindowShown()) {
        dhcp ? form_.ApplyDhcp() : form_.ApplyCurrentRow();
        return;
    }
    TSwitchResult result;
    std::vector<std::string> messages;
    {
        TMessageCollector collector(form_);
        try {
            result = dhcp ? form_.ApplyDhcp() : form_.ApplyCurrentRow();
        } catch (...) {
            messages = std::move(collector.Messages);
            for (const std::string& message : messages)
                ::ShowMessage(message);
            throw;
        }
        messages = std::move(collector.Messages);
    }
    const TTrayReport report = TrayReport(result, messages, setting, adapter);
    if (report.Box)
        ::ShowMessage(report.Text);
    else
        icon_.Balloon(report.Title, report.Text, report.Warning);
}

bool TTray::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == taskbarCreated_) {
        icon_.Add(Tip());
        return true;
    }
    if (message == WM_ADDRESS_CHANGED) {
        form_.ReadLiveState();
        JudgeSoon();
        return true;
    }
    if (message == WM_TIMER && wParam == AutoSwitchTimer) {
        ::KillTimer(form_.Handle(), AutoSwitchTimer);
        // Busy with a dialog: judged once it has closed.
        RunGuarded([this] {
            if (!autoWatch_->Settled())
                JudgeSoon();
        });
        return true;
    }
    if (message != WM_TRAY_ICON)
        return false;
    if (LOWORD(lParam) == NIN_BALLOONUSERCLICK) {
        RunGuarded([this] { autoWatch_->BalloonClicked(); });
        return true;
    }
    // Version 4 names the event in the low word and gives the point in wParam; older
    // shells pass the bare mouse message.
    const UINT event = LOWORD(lParam);
    if (icon_.Version4()) {
        if (event == NIN_SELECT || event == NIN_KEYSELECT)
            RunGuarded([this] { IconClicked(); });
        else if (event == WM_CONTEXTMENU)
            RunGuarded([&] { ShowMenu({GET_X_LPARAM(wParam), GET_Y_LPARAM(wParam)}); });
    } else if (event == WM_LBUTTONUP) {
        RunGuarded([this] { IconClicked(); });
    } else if (event == WM_RBUTTONUP) {
        POINT point{};
        ::GetCursorPos(&point);
        RunGuarded([&] { ShowMenu(point); });
    }
    return true;
}
