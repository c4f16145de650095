// The program against adapters Wine really has (the host's own interfaces, under made-up
// GUIDs), given entries under the adapter class key: what /status reads, the setting it
// names in use, and an apply to an adapter that is down. Nothing is sent on the network, and
// no value of a real interface changes: applying to an adapter that is down ends before any
// fallback, and Wine never changes an interface's address.

#include "HostAdapters.h"
#include "ProgramRun.h"
#include "ReadBack.h"
#include "TestAdapters.h"
#include "app/CommandLine.h"
#include "netcfg/NetServicesWin.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

TEST(LiveAdaptersExe, StatusReadsTheHostsAdapterAndAnApplyToOneThatIsDownWaits) {
    const auto up = HostAdapter(true);
    if (!up)
        GTEST_SKIP() << "this host has no interface up with an address and a gateway";
    TTestAdapters adapters;
    adapters.Add(up->Id, "Host Ethernet");
    const auto down = HostAdapter(false);
    if (down)
        adapters.Add(down->Id, "Idle Ethernet");
    TTempFolder dir;
    const std::string exe = dir.Path() + "\\Netvane.exe";
    ASSERT_TRUE(::CopyFileA(NETVANE_DIST_EXE, exe.c_str(), FALSE));
    const TRun first = RunProgram(exe, "/status /adapter \"Host Ethernet\"", dir.Path());
    EXPECT_EQ(0u, first.ExitCode) << first.Err;
    EXPECT_NE(std::string::npos, first.Out.find("Address: " + up->Address + "/" + up->Mask))
        << first.Out;
    EXPECT_NE(std::string::npos, first.Out.find("Gateway: " + up->Gateway + "\r\n")) << first.Out;
    const std::vector<std::string>& dns = up->DnsServers;
    StoreSettings(dir.Path() + "\\db",
                  {{up->Id, "Here", up->Address, up->Mask, up->Gateway,
                    dns.size() > 0 ? dns[0] : "", dns.size() > 1 ? dns[1] : "", ""},
                   {down ? down->Id : up->Id, "Idle", "10.9.9.9", "255.255.255.0", "", "", "", ""}});
    const TRun status = RunProgram(exe, "/status /adapter \"Host Ethernet\"", dir.Path());
    if (dns.size() <= 2) {
        EXPECT_NE(std::string::npos, status.Out.find("Setting in use: Here\r\n")) << status.Out;
    }
    if (down) {
        const TRun apply = RunProgram(exe, "/apply Idle /adapter \"Idle Ethernet\"", dir.Path());
        EXPECT_EQ(6u, apply.ExitCode) << apply.Out << apply.Err;
        EXPECT_NE(std::string::npos, apply.Err.find("is not connected")) << apply.Err;
    }
    EXPECT_EQ(3u, RunProgram(exe, "/status /adapter \"Missing\"", dir.Path()).ExitCode);
}

namespace {
// The system's services, with the lease and every child program recorded instead of run.
struct TRecordedRenewals : TSystemNetServices, ICommandOutput {
    TRecordedRenewals() : TSystemNetServices(nullptr, [](const std::string&) {}) {}
    int RunSystemProgram(const std::string& line, std::uint16_t) override {
        return Events.push_back("run " + line), 0;
    }
    bool RenewLease(std::uint32_t i) override { return Events.push_back(std::to_string(i)), true; }
    int RunNetsh(const std::string&, std::string&) override { return 0; }
    void Wait(unsigned) override {}
    void Print(const std::string&) override {}
    void Error(const std::string&) override {}
    std::vector<std::string> Events;
};
} // namespace

// A "*" in the connection name would make ipconfig renew every adapter it matches: the one
// adapter's lease is renewed by the index Windows gives it, and no ipconfig runs.
TEST(LiveAdapters, DhcpRenewsTheOneAdapterWhoseConnectionNameHoldsAStar) {
    const auto host = HostAdapter(false) ? HostAdapter(false) : HostAdapter(true);
    if (!host)
        GTEST_SKIP() << "this host has no interface";
    TTestAdapters adapters;
    adapters.Add(host->Id, "Host Star");
    adapters.SetConnectionName(host->Id, "Lab *");
    TTempFolder dir;
    TRecordedRenewals services;
    RunCommandLine(ParseCommandLine({"/dhcp", "/adapter", "Host Star"}), dir.Path() + "\\",
                   SystemRegistry(), services, services);
    ASSERT_FALSE(services.Events.empty());
    EXPECT_EQ(std::to_string(host->Index), services.Events[0]); // before any check
    for (const std::string& event : services.Events)
        EXPECT_EQ(std::string::npos, event.find("ipconfig")) << event;
}

// /auto on the host's adapter, with a gateway condition taken from what Wine reports for it:
// two settings matching apply none; one applies, is written to the adapter's key and logged
// as automatic with the condition. Only what Windows holds is read: nothing is sent to the
// gateway. Wine never changes a real interface's address, so the check finds the switch not
// taken, and the exit code says so.
TEST(LiveAdaptersExe, AutoAppliesTheOneSettingWhoseGatewayTheHostsAdapterHas) {
    const auto up = HostAdapter(true);
    if (!up)
        GTEST_SKIP() << "this host has no interface up with an address and a gateway";
    TTestAdapters adapters;
    adapters.Add(up->Id, "Host Ethernet");
    const std::string condition = "gateway=" + up->Gateway;
    const std::string lines = "Office,10.77.0.5,255.255.255.0,," + condition + "\r\n" +
                              "Elsewhere,10.78.0.5,255.255.255.0,,gateway=192.0.2.254\r\n";
    TTempFolder severalDir, oneDir;
    for (const auto& [dir, more] :
         {std::pair{&severalDir, "Office 2," + up->Address + ",255.255.255.0,,adapter=up\r\n"},
          std::pair{&oneDir, std::string()}}) {
        ASSERT_TRUE(::CopyFileA(NETVANE_DIST_EXE, (dir->Path() + "\\Netvane.exe").c_str(), FALSE));
        PutFile(dir->Path() + "\\in.csv",
                "Title,Address,Submask,Gateway,UseWhen\r\n" + lines + more);
        const TRun import = RunProgram(dir->Path() + "\\Netvane.exe",
                                       "/import in.csv /adapter \"Host Ethernet\"", dir->Path());
        ASSERT_EQ(0u, import.ExitCode) << import.Err;
    }
    const TRun several =
        RunProgram(severalDir.Path() + "\\Netvane.exe", "/auto", severalDir.Path());
    EXPECT_EQ(5u, several.ExitCode) << several.Out << several.Err;
    EXPECT_NE(std::string::npos,
              several.Err.find("Host Ethernet: 2 settings match its network, so none was applied: "
                               "Office and Office 2"))
        << several.Err;
    EXPECT_FALSE(ReadValue(HKEY_LOCAL_MACHINE, AdapterKey(up->Id), "IPAddress"));

    const TRun status = RunProgram(oneDir.Path() + "\\Netvane.exe",
                                   "/status /adapter \"Host Ethernet\"", oneDir.Path());
    EXPECT_NE(std::string::npos, status.Out.find("Network: " + condition)) << status.Out;
    EXPECT_NE(std::string::npos, status.Out.find("Used automatically: Office\r\n")) << status.Out;

    const TRun one = RunProgram(oneDir.Path() + "\\Netvane.exe", "/auto", oneDir.Path());
    EXPECT_EQ(1u, one.ExitCode) << one.Out << one.Err;
    EXPECT_NE(std::string::npos, one.Out.find("Did not apply \"Office\" to Host Ethernet"))
        << one.Out;
    EXPECT_NE(std::string::npos, one.Out.find("(automatic: " + condition + ")")) << one.Out;
    EXPECT_EQ(MultiSz("10.77.0.5"), ReadValue(HKEY_LOCAL_MACHINE, AdapterKey(up->Id), "IPAddress"));
    const std::string log = GetFile(oneDir.Path() + "\\netvane.log");
    EXPECT_NE(std::string::npos, log.find("  Host Ethernet  Office  not applied")) << log;
    EXPECT_NE(std::string::npos, log.find("directly  automatic: " + condition)) << log;
}
