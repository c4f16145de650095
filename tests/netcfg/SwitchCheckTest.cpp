#include "netcfg/SwitchCheck.h"

#include "netcfg/Adapters.h"
#include "netcfg/MemoryRegistry.h"
#include "support/AddressRules.h"
#include "support/FileSystem.h"
#include "support/SwitchLog.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <thread>

#ifdef _WIN32
#include <windows.h>
#else
#include <unistd.h>
#endif

namespace {

const std::string Id = "{AAAAAAAA-0000-0000-0000-000000000001}";

TIP Static(const std::string& dns = "10.0.0.2,10.0.0.3", const std::string& gateway = "10.0.0.1") {
    TIP request;
    request.Adapter = Id;
    request.Address = "10.0.0.5";
    request.Submask = "255.0.0.0";
    request.Gateway = gateway;
    request.DNS = dns;
    return request;
}

TIP Dhcp() {
    TIP request;
    request.Adapter = Id;
    request.DHCP = true;
    return request;
}

TLiveState Up(bool dhcp, std::vector<TLiveAddress> addresses, std::vector<std::string> gateways,
              std::vector<std::string> dns = {}) {
    TLiveState state;
    state.Present = state.Up = true;
    state.Dhcp = dhcp;
    state.Addresses = std::move(addresses);
    state.Gateways = std::move(gateways);
    state.DnsServers = std::move(dns);
    state.InterfaceIndex = 12;
    return state;
}

const TLiveState AsAsked = Up(false, {{"10.0.0.5", 8}}, {"10.0.0.1"}, {"10.0.0.2", "10.0.0.3"});
const TLiveState OldStatic = Up(false, {{"192.168.1.5", 24}}, {"192.168.1.1"}, {"192.168.1.1"});

// The state before the fallback ran, and the one after it.
class TScript : public ILiveStateReader, public ISwitchSystem {
  public:
    TScript(TLiveState first, TLiveState afterFallback)
        : first_(std::move(first)), after_(std::move(afterFallback)) {}
    TLiveState Read(const std::string& id) override {
        EXPECT_EQ(Id, id);
        return Netsh.empty() ? first_ : after_;
    }
    int RunNetsh(const std::string& line, std::string& output) override {
        Netsh.push_back(line);
        output = NetshText;
        return NetshText.empty() ? 0 : 1;
    }
    bool RenewLease(std::uint32_t index) override {
        Renewed.push_back(index);
        return true;
    }
    void Wait(unsigned ms) override { Waited += ms; }

    std::vector<std::string> Netsh;
    std::vector<std::uint32_t> Renewed;
    std::string NetshText;
    unsigned Waited = 0;

  private:
    TLiveState first_, after_;
};

} // namespace

TEST(SwitchCheck, JudgesTheSwitchByWhatWindowsUsesNow) {
    TLiveState absent;
    TLiveState down = OldStatic;
    down.Up = false;
    TLiveState duplicate = Up(false, {{"10.0.0.5", 8, false, true}}, {"10.0.0.1"}, {"10.0.0.2", "10.0.0.3"});
    struct Case {
        const char* what;
        TIP request;
        TLiveState first, after;
        TSwitchOutcome outcome;
        bool fallback;
        std::string inMessage; // "" when nothing is said
    } cases[] = {
        {"applied", Static(), AsAsked, AsAsked, TSwitchOutcome::Applied, false, ""},
        {"applied after the fallback", Static(), OldStatic, AsAsked, TSwitchOutcome::Applied, true, ""},
        {"a leftover address", Static(),
         Up(false, {{"10.0.0.5", 8}, {"192.168.1.5", 24}}, {"10.0.0.1"}, {"10.0.0.2", "10.0.0.3"}),
         Up(false, {{"10.0.0.5", 8}, {"192.168.1.5", 24}}, {"10.0.0.1"}, {"10.0.0.2", "10.0.0.3"}),
         TSwitchOutcome::NotApplied, true, "Demo still uses the address 192.168.1.5/24."},
        {"the old mask", Static(), Up(false, {{"10.0.0.5", 24}}, {"10.0.0.1"}, {"10.0.0.2", "10.0.0.3"}),
         Up(false, {{"10.0.0.5", 24}}, {"10.0.0.1"}, {"10.0.0.2", "10.0.0.3"}), TSwitchOutcome::NotApplied,
         true, "Demo still uses the address 10.0.0.5/24 instead of the address 10.0.0.5/8"},
        {"a leftover gateway after DHCP", Dhcp(), OldStatic,
         Up(true, {{"172.16.0.9", 16}}, {"192.168.1.1"}), TSwitchOutcome::NotApplied, true,
         "Demo still uses the gateway 192.168.1.1"},
        {"a duplicate address", Static(), duplicate, duplicate, TSwitchOutcome::NotApplied, false,
         "another device on the network already uses 10.0.0.5"},
        {"no DHCP server", Dhcp(), OldStatic, Up(true, {{"169.254.7.1", 16}}, {}),
         TSwitchOutcome::NotApplied, true, "no DHCP server answered"},
        {"DHCP applied", Dhcp(), Up(true, {{"172.16.0.9", 16}}, {"172.16.0.1"}), {},
         TSwitchOutcome::Applied, false, ""},
        {"adapter down", Static(), down, down, TSwitchOutcome::WaitingForCable, false,
         "is not connected; Windows applies them when it connects"},
        {"adapter absent", Static(), absent, absent, TSwitchOutcome::NotApplied, false, "not present"},
    };
    for (const Case& c : cases) {
        TScript script(c.first, c.after);
        const TSwitchResult result = CheckSwitch(c.request, "Demo", OldStatic, script, script);
        EXPECT_EQ(c.outcome, result.Outcome) << c.what << ": " << result.Message;
        EXPECT_EQ(c.fallback, result.FallbackUsed) << c.what;
        EXPECT_EQ(c.fallback, !script.Netsh.empty()) << c.what;
        EXPECT_EQ(c.fallback && c.request.DHCP, !script.Renewed.empty()) << c.what;
        if (c.inMessage.empty()) {
            EXPECT_EQ("", result.Message) << c.what;
        } else {
            EXPECT_NE(std::string::npos, result.Message.find(c.inMessage))
                << c.what << ": " << result.Message;
        }
        if (c.outcome == TSwitchOutcome::NotApplied && c.first.Present) {
            EXPECT_NE(std::string::npos, result.Message.find("take effect when the adapter restarts"))
                << c.what;
        }
    }
}

TEST(SwitchCheck, WaitsForTheAddressToBePreferredAndKeepsNetshsTextAsTheReason) {
    TLiveState tentative = AsAsked;
    tentative.Addresses[0].Preferred = false;
    TScript script(tentative, tentative);
    script.NetshText = "The object already exists.\r\n";
    const TSwitchResult result = CheckSwitch(Static(), "Demo", OldStatic, script, script);
    EXPECT_EQ(TSwitchOutcome::NotApplied, result.Outcome);
    EXPECT_EQ(2u * 5000u, script.Waited) << "about 5 s before the fallback and 5 s after it";
    EXPECT_EQ("The object already exists.", result.Reason);
    EXPECT_NE(std::string::npos, result.Message.find("The reason: The object already exists."));
}

TEST(SwitchCheck, NetshSetsTheRequestByInterfaceIndex) {
    const std::string set = "netsh.exe interface ipv4 set ";
    struct Case {
        TIP request;
        std::vector<std::string> lines;
    } cases[] = {
        {Static(),
         {set + "address name=12 source=static address=10.0.0.5 mask=255.0.0.0 gateway=10.0.0.1",
          set + "dnsservers name=12 source=static address=10.0.0.2 validate=no",
          "netsh.exe interface ipv4 add dnsservers name=12 address=10.0.0.3 index=2 validate=no"}},
        {Static("10.0.0.2", ""),
         {set + "address name=12 source=static address=10.0.0.5 mask=255.0.0.0 gateway=none",
          set + "dnsservers name=12 source=static address=10.0.0.2 validate=no"}},
        {Static("", "10.0.0.1"),
         {set + "address name=12 source=static address=10.0.0.5 mask=255.0.0.0 gateway=10.0.0.1",
          set + "dnsservers name=12 source=static address=none validate=no"}},
        {Dhcp(), {set + "address name=12 source=dhcp", set + "dnsservers name=12 source=dhcp"}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.lines, NetshCommands(c.request, 12)) << c.request.DNS;
}

TEST(SwitchCheck, ASettingIsInUseOnlyWhenEveryValueMatches) {
    EXPECT_TRUE(IsSettingInUse(Static(), AsAsked));
    EXPECT_FALSE(IsSettingInUse(Static("10.0.0.3,10.0.0.2"), AsAsked)) << "DNS order counts";
    EXPECT_FALSE(IsSettingInUse(Static("10.0.0.2,10.0.0.3", ""), AsAsked));
    EXPECT_FALSE(IsSettingInUse(Static(), TLiveState{}));
    EXPECT_EQ(24, PrefixLengthOf("255.255.255.0"));
    EXPECT_EQ(-1, PrefixLengthOf("255.0.255.0"));
    EXPECT_EQ("255.255.240.0", MaskOfPrefix(20));
    EXPECT_EQ("0.0.0.0", MaskOfPrefix(0));
}

TEST(SwitchCheck, TheFactsOfAnAdapterReadAsTheDetailsShowThem) {
    TLiveState state = AsAsked;
    state.Mac = "02-00-4E-56-00-01";
    state.LinkSpeed = 2500000000ULL;
    state.Addresses.push_back({"10.0.0.6", 24, false, true});
    const std::vector<TFactRow> expected = {
        {"Description", "Demo"},        {"MAC address", "02-00-4E-56-00-01"},
        {"Connected", "yes"},           {"Speed", "2.5 Gbit/s"},
        {"DHCP", "off"},                {"Address", "10.0.0.5/255.0.0.0"},
        {"Address", "10.0.0.6/255.255.255.0 (duplicate)"},
        {"Gateway", "10.0.0.1"},        {"DNS server", "10.0.0.2"},
        {"DNS server", "10.0.0.3"},     {"Setting in use", "Office"}};
    EXPECT_EQ(expected, LiveStateRows(state, "Demo", "Office"));
    EXPECT_EQ((std::vector<TFactRow>{
                  {"Description", "Gone"}, {"Present", "no"}, {"Setting in use", "none"}}),
              LiveStateRows(TLiveState{}, "Gone", ""));
}

TEST(SwitchLog, KeepsTheNewerHalfWhenFullAndIsSilentWhereItCannotWrite) {
    TTempFolder dir;
    const std::string path = SwitchLogPath(dir.Path() + "/");
    EXPECT_EQ("2026-12-09 07:30:05  Lab  Office    applied  (after netsh)",
              SwitchLogLine("2026-12-09 07:30:05", "Lab", "Office\r\n", "applied", true));
    const std::string line(998, 'x'); // with its digit and CR LF, 1001 bytes
    std::size_t lines = 0;
    while ((lines + 1) * 1001 <= SwitchLogLimit)
        ASSERT_TRUE(AppendSwitchLog(path, line + std::to_string(lines++ % 10)));
    const std::string full = GetFile(path);
    const std::string newest = line + "N"; // one more line would pass the limit
    ASSERT_TRUE(AppendSwitchLog(path, newest));
    const std::string halved = GetFile(path);
    EXPECT_LT(halved.size(), SwitchLogLimit / 2 + 1001);
    EXPECT_EQ(0u, halved.size() % 1001) << "whole lines";
    EXPECT_EQ(full.substr(full.size() - (halved.size() - 1001)) + newest + "\r\n", halved)
        << "the newer lines kept, in order";
    EXPECT_FALSE(AppendSwitchLog(dir.Path() + "/no/such/folder/netvane.log", "x"));
    const std::string oversized(SwitchLogLimit + 1, 'o');
    ReplaceFileContent(path, oversized);
    EXPECT_FALSE(AppendSwitchLog(path, "x"));
    EXPECT_EQ(oversized, GetFile(path)) << "a log larger than ours is left as it is";
}

TEST(SwitchLog, NamesTheAdapterTheRequestWroteAsDiscoveryFindsIt) {
    TMemoryRegistry registry;
    registry.AddEthernetAdapter(Id, "Lan Ethernet");
    const std::string wifi = "{AAAAAAAA-0000-0000-0000-000000000002}";
    const std::string bare = "{AAAAAAAA-0000-0000-0000-000000000003}";
    TReg reg(registry);
    reg.SetRootKey(TRootKey::LocalMachine);
    for (const auto& [id, key, description] :
         {std::tuple{wifi, "0007", "Wireless AX"}, {bare, "0008", ""}}) {
        reg.OpenKey(AdapterClassKey + std::string(key), true);
        reg.WriteString("NetCfgInstanceID", id);
        reg.WriteString("DriverDesc", description);
        reg.OpenKey(InterfacesKey + id, true);
    }
    const std::pair<std::string, std::string> cases[] = {
        {Id, "Lan Ethernet"}, // whatever the Adapter box showed or had typed in it
        {wifi, "Wireless AX"},
        {bare, bare},
        {"{AAAAAAAA-0000-0000-0000-00000000000F}", "{AAAAAAAA-0000-0000-0000-00000000000F}"},
    };
    for (const auto& [id, logged] : cases)
        EXPECT_EQ(logged, LoggedAdapterName(registry, id)) << id;
    TTempFolder dir;
    LogSwitch(dir.Path() + "/", registry, Static(), "Office",
              {.Outcome = TSwitchOutcome::Applied, .Route = "through the helper", .Reason = "",
               .Message = ""});
    const std::string log = GetFile(SwitchLogPath(dir.Path() + "/"));
    EXPECT_NE(std::string::npos, log.find("  Lan Ethernet  Office  applied  through the helper"))
        << log;
}

// A link placed where the log should be is not followed: the file it names stays as it was.
TEST(SwitchLog, IsNotWrittenThroughALinkPlacedWhereTheLogShouldBe) {
    TTempFolder dir;
    const std::string target = dir / "elsewhere.txt", path = SwitchLogPath(dir.Path() + "/");
    ReplaceFileContent(target, "kept");
#ifdef _WIN32 // making a symbolic link needs a right that Wine and most users lack
    ASSERT_TRUE(::CreateHardLinkA(path.c_str(), target.c_str(), nullptr));
#else
    ASSERT_EQ(0, ::symlink(target.c_str(), path.c_str()));
    EXPECT_FALSE(AppendSwitchLog(path, "x"));
    ASSERT_EQ(0, ::unlink(path.c_str()));
    ASSERT_EQ(0, ::link(target.c_str(), path.c_str())); // a second name of the same file
#endif
    EXPECT_FALSE(AppendSwitchLog(path, "x"));
    EXPECT_EQ("kept", GetFile(target));
}

TEST(SwitchLog, TwoWritersAtOnceLoseNoLine) {
    TTempFolder dir;
    const std::string path = SwitchLogPath(dir.Path() + "/");
    constexpr int Lines = 300;
    auto write = [&](char who) {
        for (int i = 0; i < Lines; ++i) {
            std::string line(1, who);
            line += std::to_string(i);
            AppendSwitchLog(path, line);
        }
    };
    std::thread first(write, 'a'), second(write, 'b');
    first.join();
    second.join();
    const std::string log = GetFile(path);
    EXPECT_EQ(std::size_t(2 * Lines), std::size_t(std::count(log.begin(), log.end(), '\n')));
}
