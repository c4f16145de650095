// A standard user may read the machine's network keys but not open them for writing. What
// only reads (discovery, connection names, current settings, the way back's record) must
// find the same there as an administrator finds, and write nothing.
#include "netcfg/Adapters.h"
#include "netcfg/CurrentSettings.h"
#include "netcfg/MemoryRegistry.h"
#include "netcfg/SetIP.h"
#include "netcfg/Snapshot.h"

#include <gmock/gmock.h>

using testing::Contains;

namespace {

const std::string Office = "{0FF1CE00-0000-0000-0000-000000000001}";
const std::string Dhcp = "{D4C90000-0000-0000-0000-000000000002}";
const std::string Wifi = "{3F130000-0000-0000-0000-000000000003}";

std::string Sz(const std::string& text) {
    return text + '\0';
}
std::string MultiSz(std::initializer_list<const char*> strings) {
    std::string bytes;
    for (const char* s : strings)
        bytes += std::string(s) + '\0';
    return bytes + '\0';
}

void Set(TMemoryRegistry& registry, TRootKey root, const std::string& path, const char* name,
         unsigned type, const std::string& bytes) {
    ASSERT_TRUE(registry.OpenKey(root, path, true)->SetValue(name, type, bytes)) << name;
}

// Two Ethernet adapters (one static, one on DHCP with idle static values) and a Wi-Fi one,
// listed only with every adapter; connection names; an enabled proxy.
void LayOut(TMemoryRegistry& registry) {
    const auto machine = [&](const std::string& path, const char* name, unsigned type,
                             const std::string& bytes) {
        Set(registry, TRootKey::LocalMachine, path, name, type, bytes);
    };
    registry.AddEthernetAdapter(Office, "Office Ethernet");
    registry.AddEthernetAdapter(Dhcp, "Lab Ethernet");
    const std::string wifiKey = std::string(AdapterClassKey).substr(1) + "0002";
    machine(wifiKey, "NetCfgInstanceID", RegSz, Sz(Wifi));
    machine(wifiKey, "DriverDesc", RegSz, Sz("Wi-Fi"));
    machine(wifiKey + "\\Ndi\\Interfaces", "LowerRange", RegSz, Sz("wlan"));

    const std::string office = AdapterKeyPath(Office);
    machine(office, "EnableDHCP", RegDword, std::string(4, '\0'));
    machine(office, "IPAddress", RegMultiSz, MultiSz({"10.1.0.5", "10.1.0.6"}));
    machine(office, "SubnetMask", RegMultiSz, MultiSz({"255.255.0.0", "255.255.0.0"}));
    machine(office, "DefaultGateway", RegMultiSz, MultiSz({"10.1.0.1"}));
    machine(office, "DefaultGatewayMetric", RegMultiSz, MultiSz({"5"}));
    machine(office, "NameServer", RegSz, Sz("10.1.0.2,10.1.0.3"));
    const std::string dhcp = AdapterKeyPath(Dhcp);
    machine(dhcp, "EnableDHCP", RegDword, std::string("\1\0\0\0", 4));
    machine(dhcp, "IPAddress", RegMultiSz, MultiSz({"172.16.0.9"}));
    machine(dhcp, "DhcpIPAddress", RegSz, Sz("192.168.7.20"));
    machine(dhcp, "DhcpSubnetMask", RegSz, Sz("255.255.255.0"));
    machine(AdapterKeyPath(Wifi), "EnableDHCP", RegDword, std::string("\1\0\0\0", 4));

    const std::string connections = std::string(NetworkConnectionsKey).substr(1);
    machine(connections + Office + "\\Connection", "Name", RegSz, Sz("Ethernet 2"));
    machine(connections + Wifi + "\\Connection", "Name", RegSz, Sz("Wi-Fi"));

    Set(registry, TRootKey::CurrentUser, ProxyKeyPath(), "ProxyEnable", RegDword,
        std::string("\1\0\0\0", 4));
    Set(registry, TRootKey::CurrentUser, ProxyKeyPath(), "ProxyServer", RegSz,
        Sz("proxy.example:8080"));
}

std::string Kept(const std::vector<TKeptValue>& values) {
    std::string text;
    for (const TKeptValue& kept : values)
        text += " " + kept.Name +
                (kept.Value ? "=" + std::to_string(kept.Value->Type) + ":" +
                                  std::to_string(kept.Value->Bytes.size())
                            : "=none");
    return text;
}

// Everything the reading paths tell about the machine, one line each.
std::vector<std::string> WhatReadingFinds(TMemoryRegistry& registry) {
    std::vector<std::string> lines;
    for (const TAdapterScope scope : {TAdapterScope::Ethernet, TAdapterScope::AllWithTcpIp}) {
        std::vector<std::string> list;
        GetAdapters(registry, list, scope);
        for (const std::string& entry : list)
            lines.push_back("adapter " + entry);
    }
    TReg names(registry);
    for (const std::string& id : {Office, Dhcp, Wifi}) {
        lines.push_back(id + " description " + DiscoveredDescription(registry, id).value_or("-"));
        lines.push_back(id + " connection " + ConnectionName(names, id).value_or("-"));
        const TCurrentSettings now = ReadCurrentSettings(registry, id);
        lines.push_back(id + " settings " + now.Address + " " + now.Submask + " " + now.Gateway +
                        " " + now.DNS1 + " " + now.DNS2 + " " + now.Proxy + " +" +
                        std::to_string(now.Extras.MoreAddresses.size()) + " metric " +
                        std::to_string(now.Extras.GatewayMetric));
        const TSnapshot snapshot = TakeSnapshot(registry, id, nullptr);
        const TIP& back = snapshot.Request;
        lines.push_back(id + " way back " + (back.DHCP ? "dhcp " : "static ") + back.Address + " " +
                        back.Submask + " " + back.Gateway + " " + back.DNS + " " + back.Proxy +
                        " +" + std::to_string(back.MoreAddresses.size()) + " metric " +
                        std::to_string(back.GatewayMetric) + Kept(snapshot.AdapterValues) + " |" +
                        Kept(snapshot.ProxyValues));
    }
    return lines;
}

} // namespace

TEST(ReadAccess, WhatOnlyReadsFindsTheSameWhereTheMachinesKeysRefuseFullAccess) {
    TMemoryRegistry registry;
    LayOut(registry);
    const std::vector<std::string> asAdministrator = WhatReadingFinds(registry);
    // A registry that reads as empty either way would prove nothing.
    EXPECT_THAT(asAdministrator, Contains("adapter " + Wifi + "=Wi-Fi"));
    EXPECT_THAT(asAdministrator, Contains(Office + " connection Ethernet 2"));
    EXPECT_THAT(asAdministrator, Contains(Office + " settings 10.1.0.5 255.255.0.0 10.1.0.1 "
                                                   "10.1.0.2 10.1.0.3 proxy.example:8080 +1 "
                                                   "metric 5"));
    EXPECT_THAT(asAdministrator,
                Contains(Dhcp + " way back dhcp     proxy.example:8080 +0 metric 0 IPAddress=7:12 "
                                "SubnetMask=none DefaultGateway=none DefaultGatewayMetric=none "
                                "NameServer=none | ProxyEnable=4:4 ProxyServer=1:19"));
    EXPECT_TRUE(AdapterKeyOpens(registry, Office));

    // The machine's keys as a standard user finds them; the user's proxy key too, where a
    // policy keeps it from being changed.
    registry.RefuseFullAccess(TRootKey::LocalMachine);
    registry.RefuseFullAccess(TRootKey::CurrentUser, ProxyKeyPath());
    registry.ClearJournal();
    EXPECT_EQ(asAdministrator, WhatReadingFinds(registry));
    EXPECT_TRUE(registry.Journal().empty()) << Describe(registry.Journal().front());
    // The adapter's key still reads, but an apply could not write it.
    EXPECT_FALSE(AdapterKeyOpens(registry, Office));
}
