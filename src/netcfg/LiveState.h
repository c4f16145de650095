#pragma once
// What Windows uses now for one adapter, as its IP helper reports it: the facts a switch is
// checked against and the details dialog shows.

#include <cstdint>
#include <string>
#include <vector>

struct TLiveAddress {
    std::string Address;   // dotted quad
    int PrefixLength = 0;  // 24 for 255.255.255.0
    bool Preferred = true; // false while duplicate-address detection runs, or after it failed
    bool Duplicate = false; // another device on the network already uses it
    bool operator==(const TLiveAddress&) const = default;
};

struct TLiveState {
    bool Present = false; // Windows has the adapter
    bool Up = false;      // connected (operational status up)
    bool Dhcp = false;
    std::vector<TLiveAddress> Addresses;
    std::vector<std::string> Gateways;   // in order
    std::vector<std::string> DnsServers; // in order
    std::string Mac;                     // "00-11-22-33-44-55", empty when none
    std::uint64_t LinkSpeed = 0;         // bits per second, 0 when unknown
    std::uint32_t InterfaceIndex = 0;
    std::string Description;             // as the IP helper names the adapter
    std::string DnsSuffix;               // connection-specific, as the network or the adapter gives it
    bool operator==(const TLiveState&) const = default;
};

// Reads the present state of one adapter (by its NetCfgInstanceID). Reading sends nothing on
// the network.
class ILiveStateReader {
  public:
    virtual ~ILiveStateReader() = default;
    // Present false when Windows does not list the adapter (or the query failed).
    virtual TLiveState Read(const std::string& adapterId) = 0;
};

// One line of the details dialog and of /status.
struct TFactRow {
    std::string Name;
    std::string Value;
    bool operator==(const TFactRow&) const = default;
};

// The facts of an adapter in the order the details dialog and /status show them: its
// description, MAC address, whether it is connected, speed, DHCP, each address/mask, the
// gateways, the DNS servers, the DNS suffix (when there is one), and the stored setting in use
// (settingInUse; "none" when empty). An adapter Windows does not have gives its description,
// "Present: no" and no setting in use.
std::vector<TFactRow> LiveStateRows(const TLiveState& state, const std::string& description,
                                    const std::string& settingInUse);

// The user's proxy as it stands, for the details dialog.
struct TUserProxy {
    std::string Server; // host:port while the proxy is on, else empty
    std::string Exceptions;
    std::string Script;
    bool AutoDetect = false;
};

// "Proxy" (the server, or "none"), then its exceptions, configuration script and automatic
// detection, each only when set.
std::vector<TFactRow> UserProxyRows(const TUserProxy& proxy);
