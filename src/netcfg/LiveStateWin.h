#pragma once
// The live state from the IP helper (iphlpapi.dll from the system folder):
// GetAdaptersAddresses(AF_INET, GAA_FLAG_INCLUDE_GATEWAYS), matched by AdapterName.

#include "netcfg/LiveState.h"

class TSystemLiveStateReader : public ILiveStateReader {
  public:
    TLiveState Read(const std::string& adapterId) override;
};
