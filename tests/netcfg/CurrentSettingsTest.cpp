#include "netcfg/CurrentSettings.h"

#include "netcfg/MemoryRegistry.h"

#include <gtest/gtest.h>

namespace {

const std::string AdapterId = "{CCCCCCCC-0000-0000-0000-000000000001}";
const std::string AdapterPath =
    "SYSTEM\\CurrentControlSet\\Services\\Tcpip\\Parameters\\Interfaces\\" + AdapterId;
const std::string ProxyPath = "Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings";

struct TValue {
    const char* Name;
    unsigned Type;
    std::string Bytes;
};

TValue Sz(const char* name, const std::string& text) {
    return {name, RegSz, text + std::string(1, '\0')};
}
// Every entry followed by its NUL, then the closing NUL.
TValue MultiSz(const char* name, std::initializer_list<std::string> entries) {
    std::string bytes;
    for (const std::string& entry : entries)
        bytes += entry + std::string(1, '\0');
    return {name, RegMultiSz, bytes + std::string(1, '\0')};
}
TValue Dword(const char* name, char value) {
    return {name, RegDword, std::string{value, 0, 0, 0}};
}

void Put(TMemoryRegistry& registry, TRootKey root, const std::string& path,
         const std::vector<TValue>& values) {
    auto key = registry.OpenKey(root, path, true);
    for (const TValue& v : values)
        key->SetValue(v.Name, v.Type, v.Bytes);
}

std::vector<std::string> Fields(const TCurrentSettings& s) {
    return {s.Address, s.Submask, s.Gateway, s.DNS1, s.DNS2, s.Proxy};
}

const std::vector<TValue> StaticValues = {
    MultiSz("IPAddress", {"192.168.5.20", "192.168.5.21"}),
    MultiSz("SubnetMask", {"255.255.255.0", "255.255.0.0"}),
    MultiSz("DefaultGateway", {"192.168.5.1"}),
    Sz("NameServer", "192.168.5.2,8.8.8.8"),
};
const std::vector<TValue> DhcpValues = {
    Sz("DhcpIPAddress", "10.20.30.40"),
    Sz("DhcpSubnetMask", "255.0.0.0"),
    MultiSz("DhcpDefaultGateway", {"10.0.0.1"}),
    Sz("DhcpNameServer", "10.0.0.2 10.0.0.3"),
};

} // namespace

TEST(CurrentSettings, SplitsNameServersAtCommasAndBlanks) {
    struct Case {
        std::string value, first, second;
    } cases[] = {
        {"1.1.1.1,2.2.2.2", "1.1.1.1", "2.2.2.2"},
        {"1.1.1.1 2.2.2.2", "1.1.1.1", "2.2.2.2"},
        {"1.1.1.1, 2.2.2.2", "1.1.1.1", "2.2.2.2"},
        {" ,1.1.1.1 ,, 2.2.2.2, ", "1.1.1.1", "2.2.2.2"},
        {"1.1.1.1", "1.1.1.1", ""},
        {"1.1.1.1,2.2.2.2,3.3.3.3", "1.1.1.1", "2.2.2.2"},
        {"", "", ""},
        {" , ", "", ""},
    };
    for (const Case& c : cases) {
        const TNameServers servers = SplitNameServers(c.value);
        EXPECT_EQ(c.first, servers.First) << "[" << c.value << "]";
        EXPECT_EQ(c.second, servers.Second) << "[" << c.value << "]";
    }
}

TEST(CurrentSettings, TakesTheStaticOrTheDhcpValuesAsEnableDhcpSays) {
    struct Case {
        const char* what;
        std::vector<TValue> dhcpFlag;
        std::vector<std::string> expected;
    } cases[] = {
        {"static",
         {Dword("EnableDHCP", 0)},
         {"192.168.5.20", "255.255.255.0", "192.168.5.1", "192.168.5.2", "8.8.8.8", ""}},
        {"no EnableDHCP at all",
         {},
         {"192.168.5.20", "255.255.255.0", "192.168.5.1", "192.168.5.2", "8.8.8.8", ""}},
        {"EnableDHCP as text counts as static",
         {Sz("EnableDHCP", "1")},
         {"192.168.5.20", "255.255.255.0", "192.168.5.1", "192.168.5.2", "8.8.8.8", ""}},
        {"DHCP",
         {Dword("EnableDHCP", 1)},
         {"10.20.30.40", "255.0.0.0", "10.0.0.1", "10.0.0.2", "10.0.0.3", ""}},
    };
    for (const Case& c : cases) {
        TMemoryRegistry registry;
        Put(registry, TRootKey::LocalMachine, AdapterPath, StaticValues);
        Put(registry, TRootKey::LocalMachine, AdapterPath, DhcpValues);
        Put(registry, TRootKey::LocalMachine, AdapterPath, c.dhcpFlag);
        registry.ClearJournal();
        EXPECT_EQ(c.expected, Fields(ReadCurrentSettings(registry, AdapterId))) << c.what;
        EXPECT_TRUE(registry.Journal().empty()) << c.what << ": reading wrote something";
    }
}

TEST(CurrentSettings, MissingOrMistypedValuesLeaveTheirFieldEmpty) {
    TMemoryRegistry registry;
    Put(registry, TRootKey::LocalMachine, AdapterPath,
        {Dword("IPAddress", 5),
         Sz("SubnetMask", "255.255.255"),
         MultiSz("DefaultGateway", {}),
         Sz("NameServer", "dns.example,10.0.0.3"),
         {"Extra", RegBinary, "\x01\x02"}});
    EXPECT_EQ((std::vector<std::string>{"", "", "", "", "10.0.0.3", ""}),
              Fields(ReadCurrentSettings(registry, AdapterId)));

    // No interface key, and an empty identifier, which must not read the parent key.
    Put(registry, TRootKey::LocalMachine,
        "SYSTEM\\CurrentControlSet\\Services\\Tcpip\\Parameters\\Interfaces",
        {Sz("IPAddress", "1.2.3.4")});
    for (const std::string& id : {std::string("{no such adapter}"), std::string()})
        EXPECT_EQ(std::vector<std::string>(6), Fields(ReadCurrentSettings(registry, id))) << id;
}

TEST(CurrentSettings, TheProxyOnlyWhileEnabledAndInTheEditorsForm) {
    struct Case {
        const char* what;
        std::vector<TValue> values;
        std::string proxy;
    } cases[] = {
        {"enabled",
         {Dword("ProxyEnable", 1), Sz("ProxyServer", "proxy.lan:3128")},
         "proxy.lan:3128"},
        {"disabled", {Dword("ProxyEnable", 0), Sz("ProxyServer", "proxy.lan:3128")}, ""},
        {"no ProxyEnable", {Sz("ProxyServer", "proxy.lan:3128")}, ""},
        {"ProxyEnable as text", {Sz("ProxyEnable", "1"), Sz("ProxyServer", "proxy.lan:3128")}, ""},
        {"per protocol", {Dword("ProxyEnable", 1), Sz("ProxyServer", "http=a:80;https=b:443")}, ""},
        {"no port", {Dword("ProxyEnable", 1), Sz("ProxyServer", "proxy.lan")}, ""},
        {"longer than the field",
         {Dword("ProxyEnable", 1), Sz("ProxyServer", std::string(96, 'h') + ":8080")},
         ""},
        {"as wide as the field",
         {Dword("ProxyEnable", 1), Sz("ProxyServer", std::string(95, 'h') + ":8080")},
         std::string(95, 'h') + ":8080"},
    };
    for (const Case& c : cases) {
        TMemoryRegistry registry;
        Put(registry, TRootKey::CurrentUser, ProxyPath, c.values);
        EXPECT_EQ(c.proxy, ReadCurrentSettings(registry, AdapterId).Proxy) << c.what;
    }
}

TEST(CurrentSettings, EveryFurtherAddressGatewayAndMetricTheSettingsRulesAccept) {
    struct Case {
        const char* what;
        std::vector<TValue> values;
        TSettingExtras expected;
    } cases[] = {
        {"static: the pairs after the first, with their metrics",
         {MultiSz("IPAddress", {"192.168.5.20", "192.168.5.21", "10.1.0.5"}),
          MultiSz("SubnetMask", {"255.255.255.0", "255.255.255.0", "255.255.0.0"}),
          MultiSz("DefaultGateway", {"192.168.5.1", "10.1.0.1", "192.168.5.254"}),
          MultiSz("DefaultGatewayMetric", {"20", "0", "300"})},
         {20,
          {{"192.168.5.21", "255.255.255.0"}, {"10.1.0.5", "255.255.0.0"}},
          {{"10.1.0.1", 0}, {"192.168.5.254", 300}}}},
        {"entries the rules refuse are left out, the others kept",
         {MultiSz("IPAddress", {"192.168.5.20", "192.168.5.20", "1.2.3", "172.16.0.9"}),
          MultiSz("SubnetMask", {"255.255.255.0", "255.255.255.0", "255.0.0.0", "255.0.255.0"}),
          MultiSz("DefaultGateway", {"192.168.5.1", "8.8.8.8", "192.168.5.1", "192.168.5.9"}),
          MultiSz("DefaultGatewayMetric", {"99999", "1", "1", "abc"})},
         {0, {}, {{"192.168.5.9", 0}}}},
    };
    for (const Case& c : cases) {
        TMemoryRegistry registry;
        Put(registry, TRootKey::LocalMachine, AdapterPath, c.values);
        EXPECT_TRUE(c.expected == ReadCurrentSettings(registry, AdapterId).Extras) << c.what;
    }
}
