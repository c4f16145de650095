#pragma once
// An adapter's TCP/IP values as they stand now, read from its interface key, and the
// user's proxy: the starting point of a new network setting.

#include "netcfg/Registry.h"
#include "support/AddressLists.h"

#include <optional>
#include <string>
#include <vector>

struct TCurrentSettings {
    std::string Address;
    std::string Submask;
    std::string Gateway;
    std::string DNS1;
    std::string DNS2;
    std::string Proxy;
    // The further addresses and gateways and the gateways' metrics, each pair as the
    // registry lists it beside the first.
    TSettingExtras Extras;
};

struct TNameServers {
    std::string First;
    std::string Second;
};

// The first two servers of a NameServer value, whose entries are separated by "," or " "
// (any number of either); missing ones are empty.
TNameServers SplitNameServers(const std::string& value);

// The static values (IPAddress, SubnetMask, DefaultGateway, NameServer), or those the DHCP
// client was given (DhcpIPAddress ...) when EnableDHCP is 1: a multi-string's first string
// fills the field, the strings after it the extras (with the metrics of
// DefaultGatewayMetric, static only), each entry kept only where the setting's rules
// accept it beside those before it. The proxy is ProxyServer while ProxyEnable is 1. The DNS
// suffix is Domain, or on DHCP without it DhcpDomain; the proxy's exceptions and script are
// ProxyOverride and AutoConfigURL, each only where the setting's rules accept it. A
// value that is missing, of another type or no dotted quad (no host:port, for the proxy)
// is left empty: nothing here raises an error. Detection is not in the registry's plain
// values: the caller asks the connection (netcfg/ProxyConnection.h).
TCurrentSettings ReadCurrentSettings(IRegistryBackend& registry, const std::string& adapterId);

// A value as it stands in the registry, or nothing when it is missing: what is written back
// to leave a key exactly as it was.
struct TKeptValue {
    std::string Name;
    std::optional<TRegValue> Value;
};

// The adapter's static TCP/IP values as an apply writes them, every string of each
// multi-string in order (empty strings skipped); EnableDHCP 1 reads as Dhcp.
struct TAdapterValues {
    bool Dhcp = false;
    std::vector<std::string> Addresses;
    std::vector<std::string> Submasks;
    std::vector<std::string> Gateways;
    std::vector<std::string> GatewayMetrics;
    TNameServers NameServers;
};
TAdapterValues ReadAdapterValues(IRegistryBackend& registry, const std::string& adapterId);

// The named values of the adapter's interface key, and of the user's proxy settings, raw.
std::vector<TKeptValue> KeepAdapterValues(IRegistryBackend& registry, const std::string& adapterId,
                                          const std::vector<std::string>& names);
std::vector<TKeptValue> KeepProxyValues(IRegistryBackend& registry);

// The proxy an apply would write for the user's present values: ProxyServer while
// ProxyEnable is 1 and it is host:port; otherwise empty.
std::string ReadProxy(IRegistryBackend& registry);

// Writes kept values back where they differ (a missing one is removed); true when any
// changed. Silent when the key cannot be opened.
bool RestoreKeptValues(IRegistryBackend& registry, TRootKey root, const std::string& keyPath,
                       const std::vector<TKeptValue>& values);

// The key paths of the adapter's interface key and of the user's proxy settings, as the
// backend takes them.
std::string AdapterKeyPath(const std::string& adapterId);
std::string ProxyKeyPath();
