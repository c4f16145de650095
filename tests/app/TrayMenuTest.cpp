#include "app/StartWithWindows.h"
#include "app/TrayMenu.h"
#include "netcfg/MemoryRegistry.h"
#include "support/Config.h"
#include "support/Error.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

namespace {

TTraySetting Setting(std::int64_t id, const std::string& title, const std::string& address) {
    TTraySetting setting;
    setting.Id = id;
    setting.Title = title;
    setting.Request.Address = address;
    setting.Request.Submask = "255.255.255.0";
    return setting;
}

TLiveState UsingAddress(const std::string& address) {
    TLiveState state;
    state.Present = state.Up = true;
    state.Addresses = {{address, 24}};
    return state;
}

// One line per item: "<caption>" with "*" when checked, "-" for a separator, children
// indented after a submenu's caption.
std::string Outline(const std::vector<TTrayMenuItem>& items, const std::string& indent = "") {
    std::string text;
    for (const TTrayMenuItem& item : items) {
        text += indent + (item.Caption.empty() ? "-" : item.Caption) + (item.Checked ? "*" : "");
        text += "\n";
        text += Outline(item.Children, indent + "  ");
    }
    return text;
}

} // namespace

TEST(TrayMenu, OrdersAnAdaptersSettingsRecentFirstThenByTitle) {
    TTrayAdapter office{"Office LAN", UsingAddress("10.0.0.3"), {}};
    for (const auto& [id, title] : std::vector<std::pair<int, std::string>>{
             {1, "zeta"}, {2, "Alpha"}, {3, "beta & co"}, {4, "Home"}, {5, "gamma"}})
        office.Settings.push_back(Setting(id, title, std::string("10.0.0.") + std::to_string(id)));
    struct Case {
        const char* what;
        std::vector<std::int64_t> recent;
        std::string expected;
    } cases[] = {
        {"none recent: by title, letter case aside; the one in use checked", {},
         "Alpha\nbeta && co*\ngamma\nHome\nzeta\nAutomatic (DHCP)\n"},
        {"recent ones first in their order, unknown ids skipped", {4, 99, 1},
         "Home\nzeta\n-\nAlpha\nbeta && co*\ngamma\nAutomatic (DHCP)\n"},
        {"all recent: no separator", {5, 4, 3, 2, 1},
         "gamma\nHome\nbeta && co*\nAlpha\nzeta\nAutomatic (DHCP)\n"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Outline(AdapterMenuItems(office, 0, c.recent)), c.expected) << c.what;
}

// A stored setting's further addresses take part in telling which one the adapter uses.
TEST(TrayMenu, ASettingsFurtherAddressesDecideWhichIsInUse) {
    TSettingExtras extras;
    extras.MoreAddresses = {{"192.168.0.10", "255.255.255.0"}};
    const std::vector<TProfileTable::TStoredRow> rows = {
        {1, {"{A}", "plain", "10.0.0.3", "255.255.255.0", "", "", "", ""}, {}},
        {2, {"{A}", "two nets", "10.0.0.3", "255.255.255.0", "", "", "", ""}, extras}};
    TTrayAdapter adapter{"LAN", UsingAddress("10.0.0.3"), TraySettings(rows)};
    adapter.State.Addresses.push_back({"192.168.0.10", 24});
    EXPECT_EQ("two nets", TraySettingInUse(adapter));
}

TEST(TrayMenu, ShowsThirtySettingsAtMostAndFiveRecent) {
    TTrayAdapter many{"Wi-Fi", {}, {}};
    for (int id = 1; id <= 40; ++id)
        many.Settings.push_back(Setting(id, std::string("S") + std::to_string(100 + id), "10.1.0.1"));
    const auto items = AdapterMenuItems(many, 2, {40, 39, 38, 37, 36, 35});
    int settings = 0;
    for (const TTrayMenuItem& item : items) {
        settings += item.Command == TTrayCommand::ApplySetting;
        EXPECT_EQ(item.Adapter, 2u);
        EXPECT_FALSE(item.Checked) << "Wi-Fi is not present: " << item.Caption;
    }
    EXPECT_EQ(settings, 30);
    EXPECT_EQ(items[4].SettingId, 36);
    EXPECT_TRUE(items[5].Caption.empty()) << "the separator after five recent ones";
    EXPECT_EQ(items[6].Caption, "S101");
    EXPECT_EQ(items[items.size() - 2].Command, TTrayCommand::MoreSettings);
    EXPECT_EQ(items.back().Command, TTrayCommand::ApplyDhcp);
}

TEST(TrayMenu, GivesEachAdapterASubmenuWhenThereAreMore) {
    TLiveState dhcp = UsingAddress("192.168.1.20");
    dhcp.Dhcp = true;
    const std::vector<TTrayAdapter> two = {
        {"Ethernet", UsingAddress("10.0.0.1"), {Setting(1, "Office", "10.0.0.1")}},
        {"Wi-Fi", dhcp, {Setting(2, "Cafe", "192.168.1.20")}}};
    TTrayOptions options;
    options.MinimizeToTray = true;
    options.StartWithWindowsNote = "off: Netvane has moved";
    const std::string tail = "-\n&Open Netvane\nAdapter &details...\nO&ptions\n"
                             "  &Minimize to the notification area*\n"
                             "  Start with &Windows (off: Netvane has moved)\n"
                             "  Switch a&utomatically*\n-\nE&xit\n";
    EXPECT_EQ(Outline(TrayMenu(two, {}, options)),
              "Ethernet\n  Office*\n  Automatic (DHCP)\nWi-Fi\n  Cafe\n  Automatic (DHCP)*\n" +
                  tail);
    EXPECT_EQ(Outline(TrayMenu({two[0]}, {}, options)), "Office*\nAutomatic (DHCP)\n" + tail);
    EXPECT_EQ(TrayMenu(two, {}, options)[1].Children[0].Adapter, 1u);
}

TEST(TrayTip, NamesAddressAndSettingWithinTheLimit) {
    const std::string longName(200, 'N');
    struct Case {
        const char* what;
        std::string description;
        TLiveState state;
        std::string inUse;
        std::string expected;
    } cases[] = {
        {"setting in use", "Intel(R) Ethernet", UsingAddress("10.0.0.5"), "Office",
         "Intel(R) Ethernet: 10.0.0.5/24 - Office"},
        {"none stored", "Wi-Fi", UsingAddress("10.0.0.5"), "",
         "Wi-Fi: 10.0.0.5/24 - no stored setting"},
        {"no address", "Wi-Fi", [] { TLiveState s; s.Present = true; return s; }(), "",
         "Wi-Fi: no address - no stored setting"},
        {"adapter missing", "USB LAN", {}, "", "USB LAN: not found"},
        {"the description gives way", longName, UsingAddress("10.0.0.5"), "Office",
         longName.substr(0, 127 - 22 - 3) + "...: 10.0.0.5/24 - Office"},
        {"a long title is cut at the end", "Wi-Fi", UsingAddress("10.0.0.5"), longName,
         std::string("Wi-Fi: 10.0.0.5/24 - ") + longName.substr(0, 127 - 21 - 3) + "..."},
    };
    for (const Case& c : cases) {
        const std::string tip = TrayTip(c.description, c.state, c.inUse, "-");
        EXPECT_EQ(tip, c.expected) << c.what;
        EXPECT_LE(tip.size(), TrayTipLimit) << c.what;
    }
}

TEST(TrayReport, BoxesWhatDidNotApplyAndBalloonsTheRest) {
    const auto result = [](TSwitchOutcome outcome) {
        TSwitchResult r;
        r.Outcome = outcome;
        return r;
    };
    struct Case {
        TSwitchOutcome outcome;
        std::vector<std::string> messages;
        bool box, warning;
        std::string text;
    } cases[] = {
        {TSwitchOutcome::Applied, {}, false, false, "Office is in use on Ethernet"},
        {TSwitchOutcome::Applied, {"proxy left alone"}, false, true,
         "Office is in use on Ethernet\n\nproxy left alone"},
        {TSwitchOutcome::WaitingForCable, {"no cable"}, false, true, "no cable"},
        {TSwitchOutcome::NotApplied, {"uses 10.0.0.9"}, true, true, "uses 10.0.0.9"},
    };
    for (const Case& c : cases) {
        const TTrayReport report = TrayReport(result(c.outcome), c.messages, "Office", "Ethernet");
        EXPECT_EQ(report.Box, c.box) << c.text;
        EXPECT_EQ(report.Warning, c.warning) << c.text;
        EXPECT_EQ(report.Text, c.text);
    }
    EXPECT_EQ(TrayReport(result(TSwitchOutcome::Applied), {std::string(300, 'x')}, "O", "E")
                  .Text.size(),
              BalloonTextLimit);
}

namespace {

const std::string RunKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";

// Answers each schtasks.exe line in turn; exit code 1 and nothing once the answers run out.
class TRecordingScheduler : public ITaskScheduler {
  public:
    std::vector<std::pair<int, std::string>> Answers;
    std::vector<std::string> Lines;
    int Run(const std::string& commandLine, std::string& output) override {
        Lines.push_back(commandLine);
        const bool answered = Lines.size() <= Answers.size();
        output = answered ? Answers[Lines.size() - 1].second : "";
        return answered ? Answers[Lines.size() - 1].first : 1;
    }
};

void SetRunValue(TMemoryRegistry& registry, unsigned type, const std::string& bytes) {
    registry.OpenKey(TRootKey::CurrentUser, RunKey, true)->SetValue("Netvane", type, bytes);
}

std::string RunValueText(const TMemoryRegistry& registry) {
    const auto value = registry.Value(TRootKey::CurrentUser, RunKey, "Netvane");
    return value ? value->Bytes : "(none)";
}

} // namespace

TEST(StartWithWindows, WritesOrRemovesTheRunValueAfterRemovingAnOlderVersionsTask) {
    const std::string exe = "C:\\Tools\\Net vane\\Netvane.exe";
    const std::string run = std::string("\"C:\\Tools\\Net vane\\Netvane.exe\" /tray") + '\0';
    const std::vector<std::string> deleteOnly{DeleteOldTaskCommand()};
    const std::vector<std::string> deleteAndQuery{DeleteOldTaskCommand(), QueryOldTaskCommand()};
    struct Case {
        const char* what;
        bool on;
        std::string before; // the Run value's text; "" none
        std::vector<std::pair<int, std::string>> answers;
        bool refuseWrite;
        bool fails;
        std::vector<std::string> lines;
        std::string after;
        bool taskForgotten; // the settings file no longer names the task
        std::size_t saidDone;
    } cases[] = {
        {"on, no task", true, "", {{1, "E"}, {1, ""}}, false, false, deleteAndQuery, run, true, 1},
        {"on, old task removed", true, "", {{0, ""}}, false, false, deleteOnly, run, true, 2},
        // Wine's schtasks.exe answers a query with nothing and exit code 0.
        {"on, query names nothing", true, "", {{1, ""}, {0, ""}}, false, false, deleteAndQuery, run,
         true, 1},
        {"on, old task stays", true, "", {{1, "Access is denied."}, {0, "Netvane  N/A  Ready"}},
         false, true, deleteAndQuery, "(none)", false, 0},
        {"on, write refused", true, "", {{1, ""}, {1, ""}}, true, true, deleteAndQuery, "(none)",
         false, 0},
        {"on over a moved value", true, "\"D:\\Old\\Netvane.exe\" /tray", {}, false, false,
         deleteAndQuery, run, true, 1},
        {"off", false, run, {{1, ""}, {1, ""}}, false, false, deleteAndQuery, "(none)", true, 1},
        {"off, nothing set", false, "", {{0, ""}}, false, false, deleteOnly, "(none)", true, 2},
    };
    for (const Case& c : cases) {
        TTempFolder dir;
        TConfig config(dir / "config.ini");
        config.WriteValue(OldStartupTaskSetting, "C:\\Old\\Netvane.exe");
        TMemoryRegistry registry;
        if (!c.before.empty())
            SetRunValue(registry, RegSz, c.before);
        if (c.refuseWrite)
            registry.FailWritesOf("Netvane");
        TRecordingScheduler scheduler;
        scheduler.Answers = c.answers;
        std::vector<std::string> done;
        try {
            done = SetStartWithWindows(c.on, exe, registry, scheduler, &config);
            EXPECT_FALSE(c.fails) << c.what;
        } catch (const TError&) {
            EXPECT_TRUE(c.fails) << c.what;
        }
        EXPECT_EQ(scheduler.Lines, c.lines) << c.what;
        EXPECT_EQ(RunValueText(registry), c.after) << c.what;
        const TConfig after(dir / "config.ini");
        EXPECT_EQ(after.ReadValue(OldStartupTaskSetting).empty(), c.taskForgotten) << c.what;
        EXPECT_EQ(done.size(), c.saidDone) << c.what;
    }
    // A path the Run value cannot quote changes nothing, the task included.
    TMemoryRegistry registry;
    TRecordingScheduler scheduler;
    EXPECT_THROW(SetStartWithWindows(true, "C:\\A\"B.exe", registry, scheduler, nullptr), TError);
    EXPECT_TRUE(scheduler.Lines.empty());
    EXPECT_TRUE(registry.Journal().empty());
}

TEST(StartWithWindows, ShowsOnOnlyWhileTheRunValueStartsThisProgram) {
    const std::string exe = "c:\\program files\\netvane\\NETVANE.EXE";
    const std::string oldTask =
        "off: an older version's task may still start it; choose this to replace it";
    struct Case {
        unsigned type; // 0: no value
        std::string value;
        bool oldTaskNoted; // the settings file names a task an older version made
        TStartupState state;
        std::string note;
    } cases[] = {
        {0, "", false, TStartupState::Off, ""},
        {0, "", true, TStartupState::Off, oldTask},
        {RegSz, "\"C:\\Program Files\\Netvane\\Netvane.exe\" /tray", true, TStartupState::On, ""},
        {RegExpandSz, "C:\\Program Files\\Netvane\\Netvane.exe /tray", true, TStartupState::On, ""},
        {RegSz, "\"D:\\USB\\Netvane.exe\" /tray", true, TStartupState::Moved,
         "off: Netvane has moved since it was set for D:\\USB\\Netvane.exe"},
        {RegDword, std::string("\1\0\0\0", 4), false, TStartupState::Off, ""},
    };
    for (const Case& c : cases) {
        TTempFolder dir;
        TConfig config(dir / "config.ini");
        config.WriteValue(OldStartupTaskSetting, c.oldTaskNoted ? "C:\\Old\\Netvane.exe" : "");
        TMemoryRegistry registry;
        if (c.type != 0)
            SetRunValue(registry, c.type, c.value);
        EXPECT_EQ(StartupStateOf(registry, exe), c.state) << c.value;
        EXPECT_EQ(StartupNote(registry, &config, exe), c.note) << c.value;
    }
}

TEST(RecentSettings, KeepsTheMostRecentFirstBesideIndex) {
    TTempFolder dir;
    TConfig config(dir / "config.ini");
    config.WriteValue("Index", "3");
    for (const std::int64_t id : {7, 9, 7, 12})
        RememberRecentSetting(config, id);
    EXPECT_EQ(RecentSettings(TConfig(dir / "config.ini")), (std::vector<std::int64_t>{12, 7, 9}));
    EXPECT_EQ(TConfig(dir / "config.ini").ReadValue("Index"), "3");
    config.WriteValue("Recent", "5, x,-2,5,,0,8");
    EXPECT_EQ(RecentSettings(config), (std::vector<std::int64_t>{5, 8})) << "junk skipped";
    for (std::int64_t id = 1; id <= 60; ++id)
        RememberRecentSetting(config, id);
    EXPECT_EQ(RecentSettings(config).size(), MaxRecentSettings);
    EXPECT_EQ(RecentSettings(config).front(), 60);
}
