#pragma once
// The connection check's packets on Windows: ICMP echoes through iphlpapi.dll (from the
// system folder) and DNS queries over UDP, each with an id from a random source, so that
// nobody can answer a query without having seen it.

#include "netcfg/ConnectionCheck.h"
#include "support/SystemRandom.h"

#include <cstddef>
#include <functional>

// Fills size bytes at buffer; false when it cannot.
using TRandomSource = std::function<bool(void* buffer, std::size_t size)>;


// Both are safe to call from any thread, several at once.
class TSystemReachability : public IReachability {
  public:
    // A DNS query's id comes from random; a query whose id cannot be drawn is not sent.
    explicit TSystemReachability(TRandomSource random = SystemRandomBytes);
    std::optional<unsigned> Echo(const std::string& address, unsigned timeoutMs) override;
    bool DnsAnswers(const std::string& address, std::uint16_t port, unsigned timeoutMs) override;

  private:
    TRandomSource random_;
};
