#pragma once
// The user's connection flags through the Internet library of the system folder, loaded at
// the first use.

#include "netcfg/ProxyConnection.h"

class TSystemProxyConnection : public IProxyConnection {
  public:
    std::optional<std::uint32_t> Flags() override;
    bool SetFlags(std::uint32_t flags) override;
};
