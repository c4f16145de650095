#pragma once
// Adapter discovery: the machine's network adapters from the registry, the Ethernet ones
// by default, every one bound to TCP/IP on request.

#include "netcfg/Registry.h"

#include <optional>
#include <string>
#include <vector>

// The network adapter class key under HKEY_LOCAL_MACHINE, spelt as the system spells it
// (lower-case "b" included), trailing "\" included.
extern const char* const AdapterClassKey;

// Where the adapters' TCP/IP values live (HKEY_LOCAL_MACHINE): this key + identifier.
extern const char* const InterfacesKey;

// Where an adapter's connection name ("Ethernet 2") lives (HKEY_LOCAL_MACHINE): this key
// + adapter identifier + "\\Connection", value Name.
extern const char* const NetworkConnectionsKey;

enum class TAdapterScope {
    // Ndi\Interfaces LowerRange exactly "ethernet": the list as it has always been.
    Ethernet,
    // Those, and every other adapter bound to TCP/IP (it has a key under InterfacesKey)
    // that Windows does not hide (NCF_HIDDEN in Characteristics): Wi-Fi, USB, virtual.
    AllWithTcpIp,
};

// The scope the settings file's ShowAllAdapters switch names.
inline TAdapterScope AdapterScopeOf(bool showAllAdapters) {
    return showAllAdapters ? TAdapterScope::AllWithTcpIp : TAdapterScope::Ethernet;
}

struct TDiscoveredAdapter {
    std::string Id; // NetCfgInstanceID
    std::string Description; // DriverDesc
};

// The adapters of the scope in the registry's enumeration order. An adapter whose key does
// not open, or whose LowerRange, NetCfgInstanceID or DriverDesc is of a non-text type, is
// left out of the Ethernet ones; discovery goes on with the next.
std::vector<TDiscoveredAdapter> DiscoverAdapters(IRegistryBackend& backend, TAdapterScope scope);

// The description of the adapter with that identifier among every adapter bound to TCP/IP
// (the identifier itself when its description is empty); nothing when discovery does not
// find it.
std::optional<std::string> DiscoveredDescription(IRegistryBackend& backend,
                                                 const std::string& adapterId);

// Appends "NetCfgInstanceID=DriverDesc" for every adapter DiscoverAdapters finds; never
// clears the list. Production passes SystemRegistry().
void GetAdapters(IRegistryBackend& backend, std::vector<std::string>& list,
                 TAdapterScope scope = TAdapterScope::Ethernet);

// An identifier that could leave the interfaces key: the parent key itself, another key
// beneath it, or nothing at all.
bool IsPlainAdapterId(const std::string& adapter);

// The adapter's connection name, or nothing when it cannot be read (no key, no value, an
// empty one or one of another type).
std::optional<std::string> ConnectionName(TReg& reg, const std::string& adapter);

// What the adapter selector shows: the description, and the connection name beside it
// when asked for and known ("Intel Wi-Fi 6 AX201 (Wi-Fi)").
std::string AdapterCaption(const std::string& description,
                           const std::optional<std::string>& connectionName);
