#pragma once
// An adapter's TCP/IP values as they stand now, read from its interface key, and the
// user's proxy: the starting point of a new network setting.

#include "netcfg/Registry.h"

#include <string>

struct TCurrentSettings {
    std::string Address;
    std::string Submask;
    std::string Gateway;
    std::string DNS1;
    std::string DNS2;
    std::string Proxy;
};

struct TNameServers {
    std::string First;
    std::string Second;
};

// The first two servers of a NameServer value, whose entries are separated by "," or " "
// (any number of either); missing ones are empty.
TNameServers SplitNameServers(const std::string& value);

// The static values (IPAddress, SubnetMask, DefaultGateway, NameServer), or those the DHCP
// client was given (DhcpIPAddress ...) when EnableDHCP is 1; of a multi-string only its
// first string. The proxy is ProxyServer while ProxyEnable is 1. A value that is missing,
// of another type or no dotted quad (no host:port, for the proxy) is left empty: nothing
// here raises an error.
TCurrentSettings ReadCurrentSettings(IRegistryBackend& registry, const std::string& adapterId);
