#include "ConnectionCheck.h"

namespace {

std::string GatewayLine(const std::string& gateway, const std::optional<unsigned>& roundTripMs) {
    std::string line = "Gateway ";
    line += gateway;
    if (!roundTripMs)
        return line + " does not answer";
    line += " answers (";
    line += std::to_string(*roundTripMs);
    line += " ms)";
    return line;
}

std::string DnsLine(const std::string& server, bool answers) {
    std::string line = "DNS ";
    line += server;
    line += answers ? " answers" : " does not answer";
    return line;
}

} // namespace

TConnectionReport CheckConnection(const TLiveState& state, IReachability& reachability,
                                  const TCheckTiming& timing) {
    TConnectionReport report;
    if (state.Gateways.empty()) {
        report.Lines.push_back("No gateway to check");
    } else {
        const std::string& gateway = state.Gateways.front();
        std::optional<unsigned> roundTrip;
        for (unsigned i = 0; i < timing.EchoTries && !roundTrip; ++i)
            roundTrip = reachability.Echo(gateway, timing.EchoTimeoutMs);
        report.GatewayAnswers = roundTrip.has_value();
        report.Lines.push_back(GatewayLine(gateway, roundTrip));
    }
    if (state.DnsServers.empty())
        report.Lines.push_back("No DNS server to check");
    for (const std::string& server : state.DnsServers)
        report.Lines.push_back(
            DnsLine(server, reachability.DnsAnswers(server, timing.DnsPort, timing.DnsTimeoutMs)));
    return report;
}
