// The shipped program started with switches, as a shortcut or a scheduled task starts it:
// its exit code, what it prints, and what it left in the registry.

#include "GuiTesting.h"
#include "ProgramChild.h"
#include "ProgramRun.h"
#include "ReadBack.h"
#include "app/CommandLine.h"
#include "app/StartWithWindows.h"
#include "store/RawDatabase.h"
#include "netcfg/SetIP.h"
#include "netcfg/SwitchCheck.h"
#include "TestAdapters.h"
#include "support/Files.h"
#include "support/TempFolder.h"
#include "support/WinHandles.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <iterator>
#include <thread>
#include <utility>
#include <vector>

namespace {

const std::string FirstId = "{55555555-2222-3333-4444-555555555501}";
const std::string SecondId = "{55555555-2222-3333-4444-555555555502}";
// Wine's IP helper has none of the adapters made up here.
constexpr DWORD NotPresent = ExitNotPresent;

// The first address of the adapter's IPAddress value; "(none)" when it has none.
std::string AddressOf(const std::string& id) {
    return RegText(HKEY_LOCAL_MACHINE, AdapterKey(id), "IPAddress");
}

class CommandLineExe : public testing::Test {
  protected:
    void SetUp() override {
        adapters_.Add(FirstId, "First Ethernet");
        adapters_.Add(SecondId, "Second Ethernet");
        ASSERT_TRUE(::CopyFileA(NETVANE_DIST_EXE, Exe().c_str(), FALSE)) << NETVANE_DIST_EXE;
        StoreSettings(dir_ / "db",
                      {{FirstId, "Office", "10.0.0.5", "255.0.0.0", "10.0.0.1", "", "", ""},
                       {SecondId, "Lab", "192.168.1.5", "255.255.255.0", "", "", "", ""},
                       {SecondId, "Twice", "192.168.1.6", "255.255.255.0", "", "", "", ""},
                       {SecondId, "Twice", "192.168.1.7", "255.255.255.0", "", "", "", ""}});
    }

    std::string Exe() const { return dir_ / "Netvane.exe"; }
    // The log's lines, and no log after it.
    std::vector<std::string> TakeLog() {
        const std::string path = dir_ / "netvane.log";
        std::vector<std::string> lines = FileLines(path);
        ::DeleteFileA(path.c_str());
        return lines;
    }

    // Starts the program in its own folder and waits for it to end.
    TRun Run(const std::string& arguments) { return RunProgram(Exe(), arguments, dir_.Path()); }

    TTempFolder dir_;
    TTestAdapters adapters_;
};

} // namespace

TEST_F(CommandLineExe, AppliesAndSwitchesToDhcpWithoutTheWindow) {
    const TRun apply = Run("/apply \"Lab\" /adapter \"Second Ethernet\"");
    // Wine's IP helper does not have the adapters made up here: the values are written, and
    // the last line says the switch did not take.
    EXPECT_EQ(NotPresent, apply.ExitCode) << apply.Err;
    EXPECT_EQ(NotPresentMessage("Second Ethernet") + "\r\n", apply.Err);
    // The outcome first; the machine's address after it, never taken for the outcome.
    EXPECT_EQ(0u, apply.Out.find("Did not apply \"Lab\" to Second Ethernet")) << apply.Out;
    EXPECT_NE(std::string::npos, apply.Out.find("\r\nCurrent IP is ")) << apply.Out;
    EXPECT_EQ("192.168.1.5", AddressOf(SecondId));
    EXPECT_EQ("(none)", AddressOf(FirstId));

    // No /adapter: the first adapter, as no config.ini names another.
    EXPECT_EQ(NotPresent, Run("/apply office").ExitCode);
    EXPECT_EQ("10.0.0.5", AddressOf(FirstId));

    const TRun dhcp = Run("/DHCP /adapter " + SecondId);
    EXPECT_EQ(NotPresent, dhcp.ExitCode) << dhcp.Err;
    EXPECT_EQ(Dword(1), ReadValue(HKEY_LOCAL_MACHINE, AdapterKey(SecondId), "EnableDHCP"));
}

TEST_F(CommandLineExe, FailsWithItsExitCodeAndSaysWhyOnTheConsole) {
    struct Case {
        std::string arguments;
        DWORD exitCode;
        std::string error; // the first line of standard error
    } cases[] = {
        {"/apply Twice /adapter \"second ethernet\"", 5,
         "2 settings are stored as \"Twice\" for Second Ethernet; give them titles of their own"},
        {"/apply Office /adapter \"Wireless\"", 3, "No network adapter is named \"Wireless\""},
        {"/apply Home", 4, "No setting is stored as \"Home\" for First Ethernet"},
        {"/renew", 2, "Unknown switch /renew"},
    };
    for (const Case& c : cases) {
        const TRun run = Run(c.arguments);
        EXPECT_EQ(c.exitCode, run.ExitCode) << c.arguments;
        EXPECT_EQ(c.error, run.Err.substr(0, run.Err.find("\r\n"))) << c.arguments;
        EXPECT_EQ("", run.Out) << c.arguments;
    }
    EXPECT_NE(std::string::npos, Run("/renew").Err.find("Usage: Netvane.exe /apply"));
    EXPECT_EQ("(none)", AddressOf(FirstId));
    EXPECT_EQ("(none)", AddressOf(SecondId));
}

TEST_F(CommandLineExe, ListsAdaptersAndTitles) {
    const TRun list = Run("/list");
    EXPECT_EQ(0u, list.ExitCode) << list.Err;
    EXPECT_EQ("First Ethernet  " + FirstId + "\r\n    ID 1: Office\r\nSecond Ethernet  " +
                  SecondId + "\r\n    ID 2: Lab\r\n    ID 3: Twice\r\n    ID 4: Twice\r\n",
              list.Out);
    EXPECT_EQ("", list.Err);

    const TRun usage = Run("/?");
    EXPECT_EQ(0u, usage.ExitCode);
    EXPECT_EQ(std::string(CommandLineUsage) + "\r\n", usage.Out);
    EXPECT_EQ("", usage.Err);
}

TEST_F(CommandLineExe, StartWithWindowsWritesAndRemovesTheUsersRunValue) {
    // Through Wine's own schtasks.exe, which has no task to remove.
    const TRun on = Run("/start-with-windows on");
    EXPECT_EQ(0u, on.ExitCode) << on.Err;
    EXPECT_EQ(Sz("\"" + Exe() + "\" /tray"),
              ReadValue(HKEY_CURRENT_USER, RunKeyPath, RunValueName));
    EXPECT_EQ(0u, on.Out.find("Netvane starts with Windows: HKEY_CURRENT_USER\\Software\\"))
        << on.Out;
    const TRun off = Run("/start-with-windows OFF");
    EXPECT_EQ(0u, off.ExitCode) << off.Err;
    EXPECT_EQ(std::nullopt, ReadValue(HKEY_CURRENT_USER, RunKeyPath, RunValueName));
}

TEST_F(CommandLineExe, KeepWithinGoesBackUnlessAnotherProcessSaysKeep) {
    EXPECT_EQ(8u, Run("/keep").ExitCode);
    // Any user could take a fixed name first; a wait never uses one.
    const UniqueHandle squatter(::CreateEventA(nullptr, TRUE, FALSE, "Global\\Netvane.Keep"));
    ASSERT_EQ(NotPresent, Run("/dhcp /adapter " + SecondId).ExitCode); // to go back to
    const DWORD start = ::GetTickCount();
    const TRun unkept = Run("/apply Lab /adapter " + SecondId + " /keep-within 10");
    EXPECT_EQ(7u, unkept.ExitCode) << unkept.Err;
    EXPECT_GE(::GetTickCount() - start, 9500u);
    EXPECT_NE(std::string::npos, unkept.Out.find("Went back to the previous settings (DHCP)"))
        << unkept.Out;
    EXPECT_EQ(Dword(1), ReadValue(HKEY_LOCAL_MACHINE, AdapterKey(SecondId), "EnableDHCP"));

    TRun kept;
    std::thread waiting([&] { kept = Run("/apply Lab /adapter " + SecondId + " /keep-within 10"); });
    DWORD keepCode = 8;
    for (int i = 0; i < 80 && keepCode == 8; ++i) {
        ::Sleep(100);
        keepCode = Run("/keep").ExitCode;
    }
    waiting.join();
    EXPECT_EQ(0u, keepCode);
    // Wine's IP helper does not have the adapter: the apply's own code, not applied.
    EXPECT_EQ(NotPresent, kept.ExitCode) << kept.Out << kept.Err;
    EXPECT_NE(std::string::npos, kept.Out.find("Kept")) << kept.Out;
    EXPECT_EQ(Dword(0), ReadValue(HKEY_LOCAL_MACHINE, AdapterKey(SecondId), "EnableDHCP"));
    EXPECT_EQ("192.168.1.5", AddressOf(SecondId));
}

TEST_F(CommandLineExe, ImportsAFileWithMoreAddressesAndGatewaysAndAppliesThemAll) {
    const std::string csv = dir_ / "deploy.csv";
    WriteFileText(csv, "Title,Address,Submask,Gateway,MoreAddresses,MoreGateways,GatewayMetric\r\n"
                       "Machines,192.168.0.10,255.255.255.0,192.168.0.1,"
                       "10.1.0.5/255.255.0.0;172.16.1.2/255.255.0.0,172.16.0.1/20;10.1.0.1,5");
    const TRun imported = Run("/import \"" + csv + "\" /adapter \"Second Ethernet\"");
    EXPECT_EQ(0u, imported.ExitCode) << imported.Err;
    EXPECT_EQ("1 setting imported, 0 already there\r\n", imported.Out);

    EXPECT_EQ(NotPresent, Run("/apply \"Machines\" /adapter \"Second Ethernet\"").ExitCode);
    using namespace std::string_literals; // lists of NUL-separated entries
    const std::string key = AdapterKey(SecondId);
    EXPECT_EQ(MultiSz("192.168.0.10\0" "10.1.0.5\0" "172.16.1.2"s),
              ReadValue(HKEY_LOCAL_MACHINE, key, "IPAddress"));
    EXPECT_EQ(MultiSz("255.255.255.0\0" "255.255.0.0\0" "255.255.0.0"s),
              ReadValue(HKEY_LOCAL_MACHINE, key, "SubnetMask"));
    EXPECT_EQ(MultiSz("192.168.0.1\0" "172.16.0.1\0" "10.1.0.1"s),
              ReadValue(HKEY_LOCAL_MACHINE, key, "DefaultGateway"));
    EXPECT_EQ(MultiSz("5\0" "20\0" "0"s), ReadValue(HKEY_LOCAL_MACHINE, key, "DefaultGatewayMetric"));
}

TEST_F(CommandLineExe, SwitchesThroughTheHelperLeaveWhatSwitchesMadeDirectlyLeave) {
    StoreSettings(dir_ / "db", {{SecondId, "Proxied", "192.168.2.5", "255.255.255.0", "192.168.2.1",
                                 "192.168.2.2", "", "proxy.lab:3128"}});
    struct Step {
        std::string arguments;
        size_t logLines; // a way back logs its going back too
    } steps[] = {
        {"/apply \"Proxied\" /adapter \"Second Ethernet\"", 1},
        {"/dhcp /adapter " + SecondId, 1},
        {"/apply Lab /adapter " + SecondId + " /keep-within 10", 2},
        {"/apply Office", 1},
    };
    struct Pass {
        std::vector<TRun> runs;
        std::vector<TKeyValues> second, first;
    } direct, helper;
    // Every process is elevated under Wine: config.ini sends the switches to the helper.
    for (const auto& [pass, route] :
         {std::pair{&direct, "directly"}, std::pair{&helper, "through the helper"}}) {
        SCOPED_TRACE(route);
        ForgetSwitchedValues(FirstId);
        ForgetSwitchedValues(SecondId);
        if (pass == &helper)
            PutFile(dir_ / "config.ini", "SwitchThrough=helper\r\n");
        for (const Step& step : steps) {
            pass->runs.push_back(Run(step.arguments));
            pass->second.push_back(SwitchedValues(SecondId));
            pass->first.push_back(SwitchedValues(FirstId));
            const std::vector<std::string> log = TakeLog();
            EXPECT_EQ(step.logLines, log.size()) << step.arguments;
            for (const std::string& line : log)
                EXPECT_TRUE(line.ends_with(std::string("  ") + route)) << line;
        }
    }
    EXPECT_TRUE(Eventually([] { return RunningPrograms() == 0; })) << "a helper outlived its run";
    for (size_t i = 0; i < std::size(steps); ++i) {
        SCOPED_TRACE(steps[i].arguments);
        EXPECT_EQ(direct.runs[i].ExitCode, helper.runs[i].ExitCode) << helper.runs[i].Err;
        EXPECT_EQ(direct.runs[i].Out, helper.runs[i].Out);
        EXPECT_EQ(direct.runs[i].Err, helper.runs[i].Err);
        EXPECT_EQ(direct.second[i], helper.second[i]);
        EXPECT_EQ(direct.first[i], helper.first[i]);
    }
    // What the steps left, so that the passes agreeing means something.
    EXPECT_TRUE(Holds(helper.second[0], "IPAddress", MultiSz("192.168.2.5")));
    EXPECT_TRUE(Holds(helper.second[0], "ProxyServer", Sz("proxy.lab:3128")));
    EXPECT_TRUE(Holds(helper.second[1], "EnableDHCP", Dword(1)));
    EXPECT_EQ(helper.second[1], helper.second[2]) << "the way back restores DHCP";
    EXPECT_TRUE(Holds(helper.first[3], "IPAddress", MultiSz("10.0.0.5")));
}

// A file of an older version (no table for these values) takes an import of them, and the
// apply writes each where Windows reads it.
TEST_F(CommandLineExe, ImportsAndAppliesTheDnsSuffixAndTheProxysPartsFromAnOlderFile) {
    TRawDatabase(dir_ / "db").Exec(
        "DROP TRIGGER IPNetOptionsOfDeletedSetting; DROP TABLE IPNetOptions");
    const std::string csv = dir_ / "branch.csv";
    WriteFileText(csv, "Title,Address,Submask,Proxy,DnsSuffix,ProxyExceptions,ProxyScript,"
                       "ProxyAutoDetect\r\n"
                       "Branch,192.168.3.5,255.255.255.0,proxy.branch:3128,branch.example,"
                       "*.branch.example;<local>,http://wpad.branch/proxy.pac,0\r\n");
    const TRun imported = Run("/import \"" + csv + "\" /adapter \"Second Ethernet\"");
    EXPECT_EQ(0u, imported.ExitCode) << imported.Err;
    EXPECT_EQ("1 setting imported, 0 already there\r\n", imported.Out);

    EXPECT_EQ(NotPresent, Run("/apply Branch /adapter \"Second Ethernet\"").ExitCode);
    EXPECT_EQ("branch.example", RegText(HKEY_LOCAL_MACHINE, AdapterKey(SecondId), "Domain"));
    EXPECT_EQ("*.branch.example;<local>", RegText(HKEY_CURRENT_USER, ProxyKey, "ProxyOverride"));
    EXPECT_EQ("http://wpad.branch/proxy.pac", RegText(HKEY_CURRENT_USER, ProxyKey, "AutoConfigURL"));
    for (const char* name : {"ProxyOverride", "AutoConfigURL"})
        ::RegDeleteKeyValueA(HKEY_CURRENT_USER, ProxyKey, name);
}
