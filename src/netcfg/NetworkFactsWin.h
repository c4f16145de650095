#pragma once
// The facts of an adapter's network beyond its live state, read passively from what Windows
// already holds: the gateways' hardware addresses from the neighbour cache (GetIpNetTable2;
// nothing is resolved, so no ARP request leaves), the DHCP server of the lease
// (GetAdaptersInfo), the SSID of the Wi-Fi connection (wlanapi's current connection). Every
// library comes from the system folder when first needed.

#include "netcfg/UseWhen.h"

class TSystemNetworkFactsReader : public INetworkFactsReader {
  public:
    TNetworkFacts Read(const std::string& adapterId, const TLiveState& state) override;
};
