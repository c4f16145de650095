// A setting with further addresses and gateways, as the registry journal records it.

#include "netcfg/SetIP.h"

#include "netcfg/MemoryRegistry.h"
#include "netcfg/SwitchCheck.h"
#include "support/Error.h"

#include <gtest/gtest.h>

namespace {

const std::string AdapterId = "{A1B2C3D4-0000-0000-0000-000000000001}";
const std::string AdapterPath =
    "SYSTEM\\CurrentControlSet\\Services\\Tcpip\\Parameters\\Interfaces\\" + AdapterId;

std::string Multi(std::initializer_list<const char*> texts) {
    std::string bytes;
    for (const char* text : texts) {
        bytes += text;
        bytes += '\0';
    }
    return bytes + '\0';
}

struct TQuietServices : INetServices {
    std::uint32_t NotifyDhcpClient(const TIP&) override { return 0; }
    int RunSystemProgram(const std::string&, std::uint16_t) override { return 0; }
    bool GetLocalIP(std::string&) override { return false; }
    void SetStatusText(const std::string&) override {}
    void SetWaitCursor(bool) override {}
    void ShowMessage(const std::string&) override {}
    bool NotifyProxyChanged() override { return true; }
};

TIP Request(const TSettingExtras& extras) {
    TIP request;
    const std::map<std::string, std::string> row = {{"Adapter", AdapterId},
                                                    {"Address", "10.0.0.5"},
                                                    {"Submask", "255.255.255.0"},
                                                    {"Gateway", "10.0.0.1"},
                                                    {"DNS1", "10.0.0.2"}};
    FillStaticRequest(
        request, [&](const std::string& name) { return row.count(name) ? row.at(name) : ""; },
        extras);
    return request;
}

const TSettingExtras Extras = {
    20, {{"192.168.0.10", "255.255.255.0"}, {"172.16.1.2", "255.255.0.0"}}, {{"192.168.0.254", 0}, {"172.16.0.1", 5}}};

// The adapter's values, in order, as each apply wrote them.
std::vector<std::pair<std::string, std::string>> AdapterWrites(const TMemoryRegistry& registry) {
    std::vector<std::pair<std::string, std::string>> writes;
    for (const TRegistryWrite& write : registry.Journal())
        if (write.Root == TRootKey::LocalMachine && write.KeyPath == AdapterPath)
            writes.emplace_back(write.Name, write.Type == RegDeletedValue ? "(deleted)" : write.Bytes);
    return writes;
}

} // namespace

TEST(ApplyLists, WritesEveryAddressAndGatewayAndClearsMetricsAfterwards) {
    TMemoryRegistry registry;
    registry.OpenKey(TRootKey::LocalMachine, AdapterPath, true);
    registry.AddEthernetAdapter(AdapterId);
    TQuietServices services;
    const std::string dword0(4, '\0');
    struct Step {
        const char* what;
        TIP request;
        std::vector<std::pair<std::string, std::string>> writes;
    } steps[] = {
        {"without extras: as ever",
         Request({}),
         {{"IPAddress", Multi({"10.0.0.5"})},
          {"DefaultGateway", Multi({"10.0.0.1"})},
          {"SubnetMask", Multi({"255.255.255.0"})},
          {"NameServer", std::string("10.0.0.2") + '\0'},
          {"EnableDHCP", dword0}}},
        {"with extras",
         Request(Extras),
         {{"IPAddress", Multi({"10.0.0.5", "192.168.0.10", "172.16.1.2"})},
          {"DefaultGateway", Multi({"10.0.0.1", "192.168.0.254", "172.16.0.1"})},
          {"SubnetMask", Multi({"255.255.255.0", "255.255.255.0", "255.255.0.0"})},
          {"DefaultGatewayMetric", Multi({"20", "0", "5"})},
          {"NameServer", std::string("10.0.0.2") + '\0'},
          {"EnableDHCP", dword0}}},
        {"without extras after: the metrics go",
         Request({}),
         {{"IPAddress", Multi({"10.0.0.5"})},
          {"DefaultGateway", Multi({"10.0.0.1"})},
          {"SubnetMask", Multi({"255.255.255.0"})},
          {"NameServer", std::string("10.0.0.2") + '\0'},
          {"EnableDHCP", dword0},
          {"DefaultGatewayMetric", "(deleted)"}}},
        {"addresses alone: no metric value",
         Request({0, {{"192.168.0.10", "255.255.255.0"}}, {}}),
         {{"IPAddress", Multi({"10.0.0.5", "192.168.0.10"})},
          {"DefaultGateway", Multi({"10.0.0.1"})},
          {"SubnetMask", Multi({"255.255.255.0", "255.255.255.0"})},
          {"NameServer", std::string("10.0.0.2") + '\0'},
          {"EnableDHCP", dword0}}},
    };
    for (const Step& step : steps) {
        registry.ClearJournal();
        SetIP(step.request, registry, services);
        EXPECT_EQ(step.writes, AdapterWrites(registry)) << step.what;
    }
    // DHCP after a setting with metrics clears them too.
    SetIP(Request(Extras), registry, services);
    registry.ClearJournal();
    TIP dhcp;
    FillDhcpRequest(dhcp, {AdapterId}, 0);
    SetIP(dhcp, registry, services);
    const auto writes = AdapterWrites(registry);
    EXPECT_EQ(std::make_pair(std::string("DefaultGatewayMetric"), std::string("(deleted)")), writes.back());
    EXPECT_TRUE(dhcp.MoreAddresses.empty() && dhcp.MoreGateways.empty());
}

TEST(ApplyLists, TheCheckAndTheFallbackCoverEveryAddressAndGateway) {
    const TIP request = Request(Extras);
    TLiveState state;
    state.Present = state.Up = true;
    state.Addresses = {{"10.0.0.5", 24}, {"192.168.0.10", 24}, {"172.16.1.2", 16}};
    state.Gateways = {"172.16.0.1", "10.0.0.1", "192.168.0.254"}; // by metric, not as written
    state.DnsServers = {"10.0.0.2"};
    EXPECT_TRUE(IsSettingInUse(request, state));
    TLiveState missing = state;
    missing.Addresses.pop_back();
    missing.Gateways.pop_back();
    const std::vector<TDifference> differences = Differences(request, missing, {});
    ASSERT_EQ(2u, differences.size());
    EXPECT_EQ("the address 172.16.1.2/16", differences[0].Asked);
    EXPECT_EQ("the gateway 10.0.0.1, 192.168.0.254, 172.16.0.1", differences[1].Asked);
    EXPECT_FALSE(IsSettingInUse(Request({}), state)) << "further addresses are not the setting's";

    const std::vector<std::string> expected = {
        "netsh.exe interface ipv4 set address name=7 source=static address=10.0.0.5 "
        "mask=255.255.255.0 gateway=10.0.0.1 gwmetric=20",
        "netsh.exe interface ipv4 add address name=7 address=192.168.0.10 mask=255.255.255.0",
        "netsh.exe interface ipv4 add address name=7 address=172.16.1.2 mask=255.255.0.0",
        "netsh.exe interface ipv4 add address name=7 gateway=192.168.0.254 gwmetric=0",
        "netsh.exe interface ipv4 add address name=7 gateway=172.16.0.1 gwmetric=5",
        "netsh.exe interface ipv4 set dnsservers name=7 source=static address=10.0.0.2 validate=no",
    };
    EXPECT_EQ(expected, NetshCommands(request, 7));
}

TEST(ApplyLists, ARequestWithABadExtraIsRefusedBeforeAnyWrite) {
    TMemoryRegistry registry;
    registry.AddEthernetAdapter(AdapterId);
    registry.ClearJournal();
    TQuietServices services;
    const TSettingExtras outside = {0, {}, {{"10.9.0.1", 0}}};
    EXPECT_THROW(SetIP(Request(outside), registry, services), TError);
    EXPECT_TRUE(registry.Journal().empty());
}
