#include "app/CommandLine.h"
#include "netcfg/AdapterSwitch.h"
#include "app/StartWithWindows.h"

#include "netcfg/Adapters.h"
#include "netcfg/SwitchCheck.h"
#include "netcfg/MemoryRegistry.h"
#include "store/ProfileStore.h"
#include "support/Config.h"
#include "support/FileSystem.h"
#include "store/RawDatabase.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>

namespace {

const std::string OfficeId = "{D0000000-0000-0000-0000-000000000001}";
const std::string LabId = "{D0000000-0000-0000-0000-000000000002}";
const std::string InterfacesPath =
    "SYSTEM\\CurrentControlSet\\Services\\Tcpip\\Parameters\\Interfaces\\";

TEST(CommandLineParsing, UnderstandsEachActionWithItsOptions) {
    struct Case {
        std::vector<std::string> arguments;
        TCommandAction action;
        std::string title;
        std::optional<std::string> adapter;
        bool quiet;
    } cases[] = {
        {{}, TCommandAction::None, "", std::nullopt, false},
        {{"/apply", "Office"}, TCommandAction::Apply, "Office", std::nullopt, false},
        {{"/APPLY", "/dhcp"}, TCommandAction::Apply, "/dhcp", std::nullopt, false},
        {{"/adapter", "Lab Ethernet", "/Apply", "Home, 2nd floor", "/quiet"},
         TCommandAction::Apply,
         "Home, 2nd floor",
         "Lab Ethernet",
         true},
        {{"/dhcp", "/adapter", LabId}, TCommandAction::Dhcp, "", LabId, false},
        {{"/quiet", "/Dhcp"}, TCommandAction::Dhcp, "", std::nullopt, true},
        {{"/list"}, TCommandAction::List, "", std::nullopt, false},
        {{"/list", "/adapter", ""}, TCommandAction::List, "", "", false},
        {{"/?"}, TCommandAction::Usage, "", std::nullopt, false},
        {{"/apply", "Office", "/?"}, TCommandAction::Usage, "", std::nullopt, false},
    };
    for (const Case& c : cases) {
        const TCommandLine command = ParseCommandLine(c.arguments);
        const std::string args = testing::PrintToString(c.arguments);
        EXPECT_EQ(c.action, command.Action) << args;
        EXPECT_EQ(c.title, command.Title) << args;
        EXPECT_EQ(c.adapter, command.Adapter) << args;
        EXPECT_EQ(c.quiet, command.Quiet) << args;
    }
}

TEST(CommandLineParsing, RefusesWhatItDoesNotUnderstand) {
    struct Case {
        std::vector<std::string> arguments;
        std::string message;
    } cases[] = {
        {{"/apply"}, "/apply needs the title of a stored setting after it"},
        {{"/list", "/adapter"}, "/adapter needs an adapter's description or {id} after it"},
        {{"/apply", "a", "/dhcp"},
         "Only one of /apply, /dhcp and /list may be given (/dhcp follows another)"},
        {{"/list", "/list"},
         "Only one of /apply, /dhcp and /list may be given (/list follows "
         "another)"},
        {{"/dhcp", "/adapter", "a", "/adapter", "b"}, "/adapter is given twice"},
        {{"/renew"}, "Unknown switch /renew"},
        {{"-apply", "Office"}, "Unknown switch -apply"},
        {{"Office"}, "\"Office\" belongs to no switch"},
        {{"/quiet"}, "Say what to do: /apply, /dhcp or /list"},
        {{"/adapter", "Lab"}, "Say what to do: /apply, /dhcp or /list"},
        {{"/apply", "/id"}, "/id needs a setting's ID (see /list) after it"},
        {{"/apply", "/id", "0"},
         "/id needs a setting's ID, a number above 0 (see /list), not \"0\""},
        {{"/apply", "/ID", "$3"},
         "/id needs a setting's ID, a number above 0 (see /list), not \"$3\""},
        {{"/start-with-windows"}, "/start-with-windows needs on or off after it"},
        {{"/install-service", "/group"}, "/group needs the name of a local group after it"},
        {{"/install-service", "/group", " "}, "/group takes the name of a local group"},
        {{"/uninstall-service", "/group", "Lab"}, "/group belongs to /install-service"},
        {{"/install-service", "/adapter", "Lab"},
         "/adapter does not go with the service's switches"},
        {{"/Start-With-Windows", "yes"}, "/Start-With-Windows takes on or off, not \"yes\""},
        {{"/start-with-windows", "on", "/adapter", "Lab"},
         "/start-with-windows goes with no other switch but /quiet"},
        {{"/list", "/start-with-windows", "off"},
         "Only one of /apply, /dhcp and /list may be given (/start-with-windows follows another)"},
    };
    for (const Case& c : cases) {
        try {
            ParseCommandLine(c.arguments);
            ADD_FAILURE() << testing::PrintToString(c.arguments) << " was accepted";
        } catch (const TUsageError& error) {
            EXPECT_EQ(c.message, error.what()) << testing::PrintToString(c.arguments);
        }
    }
}

// Everything a command would tell the user or the system.
class TRecorder : public ICommandOutput,
                  public ITaskScheduler,
                  public INetServices,
                  public ILiveStateReader,
                  public ISwitchSystem {
  public:
    // With a live state, every switch is checked against it.
    ILiveStateReader* LiveStateReader() override { return Live ? this : nullptr; }
    ISwitchSystem* SwitchSystem() override { return this; }
    TLiveState Read(const std::string&) override { return *Live; }
    int RunNetsh(const std::string&, std::string&) override { return 0; }
    bool RenewLease(std::uint32_t) override { return true; }
    void Wait(unsigned) override {}
    std::optional<TLiveState> Live;

    void Print(const std::string& line) override { Lines.push_back(line); }
    void Error(const std::string& message) override { Errors.push_back(message); }
    std::uint32_t NotifyDhcpClient(const TIP&) override { return 0; }
    int RunSystemProgram(const std::string& commandLine, std::uint16_t) override {
        Lines.push_back("run " + commandLine);
        return 0;
    }
    bool GetLocalIP(std::string&) override { return false; }
    void SetStatusText(const std::string&) override {}
    void SetWaitCursor(bool) override {}
    void ShowMessage(const std::string& text) override { Errors.push_back(text); }
    bool NotifyProxyChanged() override { return true; }
    // No task of an older version is there to remove.
    int Run(const std::string& commandLine, std::string&) override {
        Lines.push_back("run " + commandLine);
        return 1;
    }

    std::vector<std::string> Lines;
    std::vector<std::string> Errors;
};

class CommandLineRun : public testing::Test {
  protected:
    void SetUp() override {
        AddAdapter(OfficeId, "Office Ethernet");
        AddAdapter(LabId, "Lab Ethernet");
        registry_.OpenKey(TRootKey::LocalMachine, InterfacesPath + OfficeId, true);
        registry_.OpenKey(TRootKey::LocalMachine, InterfacesPath + LabId, true);
        Store({{OfficeId, "Office", "10.0.0.5"},
               {LabId, "Lab", "192.168.1.5"},
               {LabId, "Twice", "192.168.1.6"},
               {LabId, "twice ", "192.168.1.7"}});
        registry_.ClearJournal();
    }

    void AddAdapter(const std::string& id, const std::string& desc) {
        registry_.AddEthernetAdapter(id, desc);
    }

    // Adds the settings (adapter, title, address) to the database, made first if missing.
    void Store(const std::vector<std::array<std::string, 3>>& rows) {
        if (!FileExists(dir_ / "db"))
            CreateProfileDatabase(dir_ / "db");
        TProfileTable table;
        table.Open(dir_ / "db");
        for (const auto& [adapter, title, address] : rows) {
            table.Insert();
            table.SetFieldText("Adapter", adapter);
            table.SetFieldText("Title", title);
            table.SetFieldText("Address", address);
            table.SetFieldText("Submask", "255.255.255.0");
            table.Post();
        }
    }

    int Run(const std::vector<std::string>& arguments) {
        recorder_ = {};
        recorder_.Live = live_;
        return RunCommandLine(ParseCommandLine(arguments), dir_.Path(), registry_, recorder_,
                              recorder_);
    }

    std::string Written(const std::string& id, const char* name) {
        const auto value = registry_.Value(TRootKey::LocalMachine, InterfacesPath + id, name);
        return value ? value->Bytes.substr(0, value->Bytes.find('\0')) : "(none)";
    }

    TTempFolder dir_;
    TMemoryRegistry registry_;
    TRecorder recorder_;
    std::optional<TLiveState> live_;
};

} // namespace

TEST_F(CommandLineRun, AppliesTheTitledSettingToTheNamedOrTheLastSelectedAdapter) {
    EXPECT_EQ(ExitDone, Run({"/apply", "office"})); // no config.ini: the first adapter
    EXPECT_EQ("10.0.0.5", Written(OfficeId, "IPAddress"));
    EXPECT_TRUE(recorder_.Errors.empty());

    EXPECT_EQ(ExitDone, Run({"/apply", "Lab", "/adapter", "lab ethernet"}));
    EXPECT_EQ("192.168.1.5", Written(LabId, "IPAddress"));
    EXPECT_EQ(ExitDone, Run({"/apply", "Lab", "/adapter", LabId}));

    TConfig(dir_ / "config.ini").WriteValue("Index", "1");
    registry_.ClearJournal();
    EXPECT_EQ(ExitDone, Run({"/dhcp"}));
    EXPECT_EQ(std::string("\x01\0\0\0", 4),
              registry_.Value(TRootKey::LocalMachine, InterfacesPath + LabId, "EnableDHCP")->Bytes);
    EXPECT_EQ(
        std::string("\0\0\0\0", 4),
        registry_.Value(TRootKey::LocalMachine, InterfacesPath + OfficeId, "EnableDHCP")->Bytes);
    // No connection name: no ipconfig, which would renew every adapter.
    EXPECT_EQ((std::vector<std::string>{"Applied DHCP to Lab Ethernet: written to the registry"}),
              recorder_.Lines);
}

TEST_F(CommandLineRun, ParsesAnIdAfterApplyAndPrintsTheUsageWhenAsked) {
    const TCommandLine byId = ParseCommandLine({"/apply", "/id", "12", "/adapter", "Lab"});
    EXPECT_EQ(TCommandAction::Apply, byId.Action);
    EXPECT_EQ(std::optional<int>(12), byId.Id);
    EXPECT_EQ("", byId.Title);
    EXPECT_EQ(ExitDone, Run({"/?"}));
    EXPECT_EQ(std::vector<std::string>{CommandLineUsage}, recorder_.Lines);
    EXPECT_TRUE(recorder_.Errors.empty());
    for (const char* named :
         {"/apply", "/id", "/dhcp", "/list", "/status", "/adapter", "/quiet", "/?", "0 done",
          "1 failed", "2 not understood", "3 no such adapter", "4 no such setting",
          "5 more than one", "6 saved", "9 Windows does not have the adapter now"})
        EXPECT_NE(std::string::npos, std::string(CommandLineUsage).find(named)) << named;
}

TEST_F(CommandLineRun, TheLastSelectedAdapterIsFoundByItsIdWhereverItStandsNow) {
    // The window closed with Lab selected at position 1; since then Office went away, so
    // position 1 is nobody and position 0 is Lab.
    TMemoryRegistry moved;
    moved.AddEthernetAdapter(LabId, "Lab Ethernet");
    moved.OpenKey(TRootKey::LocalMachine, InterfacesPath + LabId, true);
    moved.AddEthernetAdapter(OfficeId, "Office Ethernet");
    moved.OpenKey(TRootKey::LocalMachine, InterfacesPath + OfficeId, true);
    PutFile(dir_ / "config.ini", "Index=0\r\nAdapterId=" + LabId + "\r\n");
    recorder_ = {};
    EXPECT_EQ(ExitDone, RunCommandLine(ParseCommandLine({"/apply", "lab"}), dir_.Path(), moved,
                                       recorder_, recorder_));
    EXPECT_EQ(
        std::string("192.168.1.5"),
        moved.Value(TRootKey::LocalMachine, InterfacesPath + LabId, "IPAddress")->Bytes.c_str());
    EXPECT_EQ("Applied \"Lab\" to Lab Ethernet: written to the registry", recorder_.Lines.back());

    struct Case {
        std::string config;
        int exitCode;
        std::string error; // "" when it runs
    } cases[] = {
        {"Index=1\r\nAdapterId=" + LabId + "\r\n", ExitDone, ""},
        {"Index=0\r\nAdapterId={D0000000-0000-0000-0000-00000000000F}\r\n", ExitNoAdapter,
         "The adapter selected last ({D0000000-0000-0000-0000-00000000000F}) is not there now; "
         "name one with /adapter (see /list)"},
        {"Index=1\r\n", ExitDone, ""}, // an older file: the position, as before
        {"Index=-1\r\n", ExitNoAdapter,
         "No adapter was selected when Netvane was last closed; name one with /adapter (see "
         "/list)"},
    };
    for (const Case& c : cases) {
        PutFile(dir_ / "config.ini", c.config);
        registry_.ClearJournal();
        EXPECT_EQ(c.exitCode, Run({"/dhcp"})) << c.config;
        EXPECT_EQ(c.error.empty(), !registry_.Journal().empty()) << c.config;
        if (!c.error.empty())
            EXPECT_EQ(std::vector<std::string>{c.error}, recorder_.Errors) << c.config;
        else
            EXPECT_EQ("Applied DHCP to Lab Ethernet: written to the registry",
                      recorder_.Lines.back());
    }
}

TEST_F(CommandLineRun, ASettingWithoutATitleOfItsOwnIsAppliedByItsId) {
    Store({{LabId, "", "192.168.1.8"}});
    struct Case {
        std::vector<std::string> arguments;
        int exitCode;
        std::string address; // written, "" for nothing
        std::string said;    // the summary, or the error
    } cases[] = {
        {{"/apply", "/id", "3", "/adapter", "Lab Ethernet"},
         ExitDone,
         "192.168.1.6",
         "Applied \"Twice\" (ID 3) to Lab Ethernet: written to the registry"},
        {{"/apply", "/id", "4", "/adapter", LabId},
         ExitDone,
         "192.168.1.7",
         "Applied \"twice\" (ID 4) to Lab Ethernet: written to the registry"},
        {{"/apply", "/id", "5", "/adapter", LabId},
         ExitDone,
         "192.168.1.8",
         "Applied (ID 5) to Lab Ethernet: written to the registry"},
        {{"/apply", "/id", "1", "/adapter", LabId},
         ExitNoSetting,
         "",
         "No setting with ID 1 is stored for Lab Ethernet (see /list)"},
    };
    for (const Case& c : cases) {
        registry_.ClearJournal();
        EXPECT_EQ(c.exitCode, Run(c.arguments)) << c.said;
        if (c.address.empty()) {
            EXPECT_TRUE(registry_.Journal().empty()) << c.said;
            EXPECT_EQ(std::vector<std::string>{c.said}, recorder_.Errors);
        } else {
            EXPECT_EQ(c.address, Written(LabId, "IPAddress"));
            EXPECT_EQ(c.said, recorder_.Lines.back());
        }
    }
}

TEST_F(CommandLineRun, ASwitchEndsWithTheExitCodeOfWhatWindowsUsesAfterIt) {
    TLiveState office;
    office.Present = office.Up = true;
    office.Addresses = {{"10.0.0.5", 24}};
    TLiveState unplugged = office;
    unplugged.Up = false;
    struct Case {
        TLiveState state;
        int exitCode;
        const char* lastLine; // "" when nothing is said
    } cases[] = {
        {office, ExitDone, ""},
        {unplugged, ExitWaitingForCable, "is not connected; Windows applies them when it connects"},
        {TLiveState{}, ExitNotPresent, "is not present in Windows now"},
    };
    const char* summaries[] = {
        "Applied \"Office\" to Office Ethernet: Windows uses it now",
        "Applied \"Office\" to Office Ethernet: saved; Windows uses it when the adapter connects",
        "Did not apply \"Office\" to Office Ethernet"};
    for (const Case& c : cases) {
        live_ = c.state;
        EXPECT_EQ(c.exitCode, Run({"/apply", "office"})) << c.lastLine;
        EXPECT_EQ(0u, recorder_.Lines.back().find(summaries[&c - cases])) << recorder_.Lines.back();
        const std::string last = recorder_.Errors.empty() ? "" : recorder_.Errors.back();
        EXPECT_NE(std::string::npos, last.find(c.lastLine)) << last;
        EXPECT_EQ(*c.lastLine == '\0', recorder_.Errors.empty()) << last;
    }
}

TEST_F(CommandLineRun, StatusNamesWhatTheAdapterUsesAndTheSettingInUse) {
    TLiveState office;
    office.Present = office.Up = true;
    office.Addresses = {{"10.0.0.5", 24}};
    live_ = office;
    EXPECT_EQ(ExitDone, Run({"/status", "/adapter", "office ethernet"}));
    EXPECT_EQ("Description: Office Ethernet", recorder_.Lines.front());
    EXPECT_EQ("Setting in use: Office", recorder_.Lines.back());
    office.Addresses = {{"10.0.0.6", 24}};
    live_ = office;
    EXPECT_EQ(ExitDone, Run({"/status"}));
    EXPECT_EQ("Setting in use: none", recorder_.Lines.back());
    live_ = TLiveState{};
    EXPECT_EQ(ExitNotPresent, Run({"/status"})); // as /apply and /dhcp end for it
    EXPECT_EQ("Setting in use: none", recorder_.Lines.back());
    ASSERT_EQ(1u, recorder_.Errors.size());
    EXPECT_NE(std::string::npos, recorder_.Errors[0].find("not present in Windows now"));
}

TEST_F(CommandLineRun, AdapterTakesTheAdapterBoxsTextInEitherListing) {
    // Office has a connection name; a Wi-Fi adapter is listed only with every adapter.
    const std::string wifiId = "{D0000000-0000-0000-0000-000000000003}";
    TReg reg(registry_);
    reg.SetRootKey(TRootKey::LocalMachine);
    for (const auto& [id, name] : {std::pair{OfficeId, "Ethernet 2"}, {wifiId, "Wi-Fi"}}) {
        reg.OpenKey(NetworkConnectionsKey + id + "\\Connection", true);
        reg.WriteString("Name", name);
    }
    reg.OpenKey(AdapterClassKey + std::string("0009"), true);
    reg.WriteString("NetCfgInstanceID", wifiId);
    reg.WriteString("DriverDesc", "Wireless AX");
    reg.OpenKey("\\" + InterfacesPath + wifiId, true);
    Store({{wifiId, "Cafe", "172.16.0.5"}});
    const std::pair<std::vector<std::string>, std::string> cases[] = {
        {{"/apply", "Office", "/adapter", "Office Ethernet (Ethernet 2)"}, OfficeId},
        {{"/dhcp", "/adapter", "office ethernet (ETHERNET 2)"}, OfficeId},
        {{"/apply", "Office", "/adapter", "Office Ethernet"}, OfficeId},
        {{"/apply", "Cafe", "/adapter", "Wireless AX (Wi-Fi)"}, wifiId},
        {{"/dhcp", "/adapter", "Office Ethernet (Wi-Fi)"}, ""},
        {{"/dhcp", "/adapter", "Lab Ethernet (Ethernet 2)"}, ""},
    };
    for (const auto& [arguments, written] : cases) {
        registry_.ClearJournal();
        EXPECT_EQ(written.empty() ? ExitNoAdapter : ExitDone, Run(arguments)) << arguments.back();
        const auto& journal = registry_.Journal();
        EXPECT_EQ(!written.empty(), std::any_of(journal.begin(), journal.end(), [&](const auto& w) {
            return w.KeyPath == InterfacesPath + written;
        })) << arguments.back();
    }
}

TEST_F(CommandLineRun, EndsWithItsOwnExitCodeAndWritesNothingWhenNothingMatches) {
    struct Case {
        std::vector<std::string> arguments;
        int exitCode;
        std::string error;
    } cases[] = {
        {{"/apply", "Home"}, ExitNoSetting, "No setting is stored as \"Home\" for Office Ethernet"},
        {{"/apply", "Lab"}, ExitNoSetting, "No setting is stored as \"Lab\" for Office Ethernet"},
        {{"/apply", "Twice", "/adapter", LabId},
         ExitAmbiguous,
         "2 settings are stored as \"Twice\" for Lab Ethernet; give them titles of their own"},
        {{"/dhcp", "/adapter", "Wifi"}, ExitNoAdapter, "No network adapter is named \"Wifi\""},
        {{"/list", "/adapter", "{nope}"}, ExitNoAdapter, "No network adapter is named \"{nope}\""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.exitCode, Run(c.arguments)) << c.error;
        EXPECT_EQ(std::vector<std::string>{c.error}, recorder_.Errors);
        EXPECT_TRUE(registry_.Journal().empty()) << c.error;
    }

    TConfig(dir_ / "config.ini").WriteValue("Index", "7");
    EXPECT_EQ(ExitNoAdapter, Run({"/dhcp"}));
    AddAdapter("{D0000000-0000-0000-0000-000000000003}", "Lab Ethernet");
    registry_.ClearJournal();
    EXPECT_EQ(ExitAmbiguous, Run({"/dhcp", "/adapter", "Lab Ethernet"}));
    EXPECT_TRUE(registry_.Journal().empty());
}

TEST_F(CommandLineRun, AFailedWriteEndsWithExitCodeOne) {
    registry_.FailWritesOf("EnableDHCP");
    EXPECT_EQ(ExitFailed, Run({"/apply", "Office"}));
    EXPECT_EQ(std::vector<std::string>{"Failed to set data for 'EnableDHCP'"}, recorder_.Errors);
}

TEST_F(CommandLineRun, AnAdapterWhoseSettingsCannotBeChangedEndsWithExitCodeOne) {
    // The Office adapter's key denied, as to a user without administrator rights; a third
    // adapter that has no interface key at all.
    registry_.MakeUnopenable(TRootKey::LocalMachine, InterfacesPath + OfficeId);
    const std::string wifiId = "{D0000000-0000-0000-0000-000000000003}";
    AddAdapter(wifiId, "Wifi");
    Store({{wifiId, "Cafe", "172.16.0.5"}});
    registry_.ClearJournal();
    struct Case {
        std::vector<std::string> arguments;
        std::string adapter;
    } cases[] = {
        {{"/apply", "Office"}, "Office Ethernet"},
        {{"/dhcp", "/adapter", OfficeId}, "Office Ethernet"},
        {{"/apply", "Cafe", "/adapter", "wifi"}, "Wifi"},
        {{"/dhcp", "/adapter", "Wifi"}, "Wifi"},
    };
    for (const Case& c : cases) {
        const std::string args = testing::PrintToString(c.arguments);
        EXPECT_EQ(ExitFailed, Run(c.arguments)) << args;
        EXPECT_EQ(std::vector<std::string>{"Cannot change the TCP/IP settings of " + c.adapter +
                                           ": its registry key cannot be opened (it is missing, or "
                                           "this account may not open it)"},
                  recorder_.Errors)
            << args;
        EXPECT_TRUE(recorder_.Lines.empty()) << args << ": ran " << recorder_.Lines.size();
        EXPECT_TRUE(registry_.Journal().empty()) << args << ": the proxy or the adapter changed";
    }
}

TEST_F(CommandLineRun, StartWithWindowsSetsTheUsersRunValueAndSaysWhatItDid) {
    const TStartupSeams startup{&recorder_, "C:\\Net vane\\Netvane.exe"};
    const auto run = [&](const std::vector<std::string>& arguments) {
        recorder_ = {};
        return RunCommandLine(ParseCommandLine(arguments), dir_.Path(), registry_, recorder_,
                              recorder_, {}, startup);
    };
    EXPECT_EQ(ExitDone, run({"/start-with-windows", "ON"}));
    EXPECT_EQ(StartupStateOf(registry_, startup.ExePath), TStartupState::On);
    const std::string said = "Netvane starts with Windows: HKEY_CURRENT_USER\\" +
                             std::string(RunKeyPath) +
                             " Netvane = \"C:\\Net vane\\Netvane.exe\" /tray";
    EXPECT_EQ((std::vector<std::string>{"run " + DeleteOldTaskCommand(),
                                        "run " + QueryOldTaskCommand(), said}),
              recorder_.Lines);
    EXPECT_EQ(ExitDone, run({"/start-with-windows", "off", "/quiet"}));
    EXPECT_EQ(StartupStateOf(registry_, startup.ExePath), TStartupState::Off);
    // Without a way to remove an older version's task, nothing is changed.
    registry_.ClearJournal();
    EXPECT_EQ(ExitFailed, Run({"/start-with-windows", "on"}));
    EXPECT_TRUE(registry_.Journal().empty());
}

TEST_F(CommandLineRun, ListsTheAdaptersWithTheTitlesOfTheirSettings) {
    EXPECT_EQ(ExitDone, Run({"/list"}));
    EXPECT_EQ((std::vector<std::string>{"Office Ethernet  " + OfficeId, "    ID 1: Office",
                                        "Lab Ethernet  " + LabId, "    ID 2: Lab",
                                        "    ID 3: Twice", "    ID 4: twice "}),
              recorder_.Lines);
    Store({{OfficeId, " ", "10.0.0.7"}});
    EXPECT_EQ(ExitDone, Run({"/list", "/adapter", "Office Ethernet"}));
    EXPECT_EQ((std::vector<std::string>{"Office Ethernet  " + OfficeId, "    ID 1: Office",
                                        "    ID 5: (no title)"}),
              recorder_.Lines);

    // Without a database there is nothing stored to list, and a command makes none.
    std::remove((dir_ / "db").c_str());
    EXPECT_EQ(ExitDone, Run({"/list"}));
    EXPECT_EQ(2u, recorder_.Lines.size());
    EXPECT_EQ(ExitNoSetting, Run({"/apply", "Office"}));
    EXPECT_FALSE(FileExists(dir_ / "db"));
}

TEST_F(CommandLineRun, ImportsAllOrNothingThenAppliesEveryAddressAndExportsThemAgain) {
    const std::string csv = dir_ / "lab.csv";
    PutFile(csv,
            "Title,Address,Submask,Gateway,MoreAddresses,MoreGateways\r\n"
            "Multi,192.168.1.9,255.255.255.0,192.168.1.1,10.5.0.9/255.255.0.0,10.5.0.1/30\r\n");
    EXPECT_EQ(ExitDone, Run({"/import", csv, "/adapter", LabId}));
    EXPECT_EQ(std::vector<std::string>{"1 setting imported, 0 already there"}, recorder_.Lines);
    EXPECT_EQ(ExitDone, Run({"/import", csv, "/adapter", LabId}));
    EXPECT_EQ(std::vector<std::string>{"0 settings imported, 1 already there"}, recorder_.Lines);

    EXPECT_EQ(ExitDone, Run({"/apply", "Multi", "/adapter", LabId}));
    const auto value = [&](const char* name) {
        return registry_.Value(TRootKey::LocalMachine, InterfacesPath + LabId, name)->Bytes;
    };
    EXPECT_EQ(std::string("192.168.1.9\0"
                          "10.5.0.9\0\0",
                          22),
              value("IPAddress"));
    EXPECT_EQ(std::string("192.168.1.1\0"
                          "10.5.0.1\0\0",
                          22),
              value("DefaultGateway"));
    EXPECT_EQ(std::string("0\0"
                          "30\0\0",
                          6),
              value("DefaultGatewayMetric"));

    const std::string out = dir_ / "out.csv";
    EXPECT_EQ(ExitDone, Run({"/export", out, "/adapter", LabId}));
    EXPECT_EQ(std::vector<std::string>{"4 settings exported"}, recorder_.Lines);

    PutFile(csv, "Title,Address,Submask,MoreAddresses\r\nGood,10.0.0.1,255.0.0.0,\r\n"
                 "Bad,10.0.0.2,255.0.0.0,10.0.0.2/255.0.0.0\r\n");
    EXPECT_EQ(ExitFailed, Run({"/import", csv, "/adapter", LabId}));
    EXPECT_EQ(std::vector<std::string>{"Line 3: MoreAddresses entry \"10.0.0.2/255.0.0.0\": the "
                                       "setting has this address already; nothing was imported"},
              recorder_.Errors);
    EXPECT_EQ(5u, StoredSettings(dir_ / "db").size());
}

namespace {
// Windows takes a switch: the adapter shows After once the DHCP client is told.
struct TSwitchingRecorder : TRecorder {
    std::optional<TLiveState> After;
    std::uint32_t NotifyDhcpClient(const TIP&) override {
        if (After)
            Live = After;
        return 0;
    }
    // A helper that would ask for consent: never asked to switch.
    struct TConsentAsking : IAdapterSwitch {
        TAdapterReply Apply(const TAdapterRequest&) override { throw TError("asked"); }
        std::string Route() const override { return "through the helper"; }
        bool AsksConsent() const override { return true; }
    } Helper;
    bool ViaHelper = false;
    IAdapterSwitch* AdapterSwitch() override { return ViaHelper ? &Helper : nullptr; }
};

TLiveState OfficeNetwork(const std::string& address) {
    TLiveState state;
    state.Present = state.Up = true;
    state.Addresses = {{address, 24}};
    state.Gateways = {"10.0.0.1"};
    return state;
}
} // namespace

// Conditions arrive with an import; /auto applies the one setting whose conditions the
// adapter's network meets, and only that.
TEST_F(CommandLineRun, AutoAppliesTheOneSettingTheNetworkMatches) {
    const struct {
        std::string conditionsA, conditionsB;
        std::string addressNow; // the adapter's address before
        bool windowsTakesIt;
        bool viaHelper; // not elevated, no service
        int exitCode;
        std::string said;    // the last line printed, or the error
        std::string written; // the adapter's IPAddress afterwards
    } cases[] = {
        {"gateway=10.0.0.1", "gateway=10.9.9.9", "10.0.0.99", true, false, ExitDone,
         "Applied \"A\" to Office Ethernet: Windows uses it now (automatic: gateway=10.0.0.1)",
         "10.0.0.21"},
        {"gateway=10.0.0.1", "subnet=10.0.0.0/24", "10.0.0.99", true, false, ExitAmbiguous,
         "Office Ethernet: 2 settings match its network, so none was applied: A and B", "(none)"},
        {"gateway=10.9.9.9", "", "10.0.0.99", true, false, ExitDone,
         "Office Ethernet: no setting matches its network", "(none)"},
        {"adapter=up", "", "10.0.0.21", true, false, ExitDone,
         "Office Ethernet: \"A\" matches its network and is in use", "(none)"},
        {"", "", "10.0.0.99", true, false, ExitDone,
         "No stored setting has conditions: nothing to do", "(none)"},
        {"adapter=up;gateway=10.0.0.1", "", "10.0.0.99", false, false, ExitFailed,
         "Did not apply \"A\" to Office Ethernet", "10.0.0.21"},
        {"gateway=10.0.0.1", "", "10.0.0.99", true, true, ExitFailed,
         "Office Ethernet: \"A\" matches its network, but switching it would ask for your consent",
         "(none)"},
    };
    for (const auto& c : cases) {
        TTempFolder dir;
        const std::string csv = dir / "office.csv";
        PutFile(csv, "Title,Address,Submask,Gateway,UseWhen\r\n"
                     "A,10.0.0.21,255.255.255.0,10.0.0.1," +
                         c.conditionsA +
                         "\r\n"
                         "B,10.0.0.22,255.255.255.0,10.0.0.1," +
                         c.conditionsB + "\r\n");
        TMemoryRegistry registry;
        registry.AddEthernetAdapter(OfficeId, "Office Ethernet");
        registry.OpenKey(TRootKey::LocalMachine, InterfacesPath + OfficeId, true);
        TSwitchingRecorder recorder;
        ASSERT_EQ(ExitDone, RunCommandLine(ParseCommandLine({"/import", csv, "/adapter", OfficeId}),
                                           dir.Path(), registry, recorder, recorder));
        recorder = {};
        recorder.Live = OfficeNetwork(c.addressNow);
        if (c.windowsTakesIt)
            recorder.After = OfficeNetwork("10.0.0.21");
        recorder.ViaHelper = c.viaHelper;
        EXPECT_EQ(c.exitCode, RunCommandLine(ParseCommandLine({"/auto"}), dir.Path(), registry,
                                             recorder, recorder))
            << c.conditionsA;
        const std::vector<std::string>& said =
            c.exitCode == ExitAmbiguous || c.viaHelper ? recorder.Errors : recorder.Lines;
        ASSERT_FALSE(said.empty()) << c.conditionsA;
        EXPECT_EQ(0u, said.back().find(c.said)) << said.back();
        const auto written =
            registry.Value(TRootKey::LocalMachine, InterfacesPath + OfficeId, "IPAddress");
        EXPECT_EQ(c.written,
                  written ? written->Bytes.substr(0, written->Bytes.find('\0')) : "(none)")
            << c.conditionsA;
        const std::string log = FileExists(dir / "netvane.log") ? GetFile(dir / "netvane.log") : "";
        EXPECT_EQ(c.written != "(none)",
                  log.find("  A  applied  directly  automatic: ") != std::string::npos ||
                      log.find("  A  not applied") != std::string::npos)
            << log;
    }
}
