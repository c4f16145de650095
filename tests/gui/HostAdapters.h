#pragma once
// The host's own interfaces as Wine's IP helper lists them (under made-up GUIDs), read here
// without the program's reader, so that what the program shows can be checked against them.

#include <optional>
#include <string>
#include <vector>

struct THostAdapter {
    std::string Id, Address, Mask, Gateway;
    std::vector<std::string> DnsServers;
    unsigned Index = 0; // the interface index
};

// The first adapter that is up with an address and a gateway (loopback left out), or the
// first that is down (id only).
std::optional<THostAdapter> HostAdapter(bool up);
