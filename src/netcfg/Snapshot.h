#pragma once
// The way back of an apply: the adapter's configuration and the user's proxy as they stood
// before it, taken from the registry values the apply is about to overwrite, and written
// back through the same apply (its check included).

#include "netcfg/CurrentSettings.h"
#include "netcfg/LiveState.h"
#include "netcfg/SetIP.h"
#include "netcfg/SwitchCheck.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

class IProxyConnection;

struct TSnapshot {
    // What going back applies: DHCP for an adapter on DHCP, else its static values, every
    // address and gateway included.
    TIP Request;
    // What a static request does not carry, written back as it was: for a DHCP adapter its
    // idle static values, for every adapter its DNS suffix, and the proxy's own values (a
    // ProxyServer kept while disabled, one no setting could hold, its exceptions and script).
    std::vector<TKeptValue> AdapterValues;
    std::vector<TKeptValue> ProxyValues;
    // What Windows used then, for the comparison.
    TLiveState Live;
    // The user's connection flags (detection among them); nothing when they were not read.
    std::optional<std::uint32_t> ConnectionFlags;
};

// The adapter's present configuration; live: what Windows uses now (nothing read when null);
// connection: the user's connection flags (nothing read when null).
TSnapshot TakeSnapshot(IRegistryBackend& registry, const std::string& adapterId,
                       ILiveStateReader* live, IProxyConnection* connection = nullptr);

// Why the snapshot could not be applied back (an apply of it would be refused); empty when
// it can. An apply is not started without a way back.
std::string SnapshotComplaint(const TSnapshot& snapshot);

// Applies the snapshot through SetIP, then puts the values it does not carry back as they
// were, the user's connection flags included. Returns SetIP's answer; checked receives the
// outcome as SetIP gives it.
bool RestoreSnapshot(const TSnapshot& snapshot, IRegistryBackend& registry, INetServices& services,
                     TSwitchResult* checked = nullptr);
