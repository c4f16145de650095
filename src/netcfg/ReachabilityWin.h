#pragma once
// The connection check's packets on Windows: ICMP echoes through iphlpapi.dll (from the
// system folder) and DNS queries over UDP.

#include "netcfg/ConnectionCheck.h"

class TSystemReachability : public IReachability {
  public:
    std::optional<unsigned> Echo(const std::string& address, unsigned timeoutMs) override;
    bool DnsAnswers(const std::string& address, std::uint16_t port, unsigned timeoutMs) override;
};
