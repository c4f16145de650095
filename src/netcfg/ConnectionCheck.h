#pragma once
// Whether the network an adapter is on now answers: its gateway (an ICMP echo) and each DNS
// server (a DNS query). It sends packets, so it runs only when the user asks for it or
// inside the way-back box, never at start or after a plain apply.

#include "netcfg/LiveState.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// The packets, behind a seam; the program's sends to port 53 and waits as the check says.
class IReachability {
  public:
    virtual ~IReachability() = default;
    // One ICMP echo to address, waited for up to timeoutMs: the round trip in milliseconds,
    // nothing when no reply came.
    virtual std::optional<unsigned> Echo(const std::string& address, unsigned timeoutMs) = 0;
    // A DNS query to address:port, waited for up to timeoutMs: whether a well-formed answer
    // came.
    virtual bool DnsAnswers(const std::string& address, std::uint16_t port, unsigned timeoutMs) = 0;
};

struct TCheckTiming {
    unsigned EchoTimeoutMs = 1000;
    unsigned EchoTries = 3;
    unsigned DnsTimeoutMs = 2000;
    std::uint16_t DnsPort = 53;
};

struct TConnectionReport {
    // One line a result: "Gateway 10.0.0.1 answers (2 ms)", "DNS 10.0.0.2 does not answer".
    std::vector<std::string> Lines;
    // False only when a gateway was checked and did not answer.
    bool GatewayAnswers = true;
};

// Checks the first gateway (up to EchoTries echoes) and every DNS server of state.
TConnectionReport CheckConnection(const TLiveState& state, IReachability& reachability,
                                  const TCheckTiming& timing = {});
