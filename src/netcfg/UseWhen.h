#pragma once
// When a setting is used by itself: the conditions the network the adapter is on must meet
// ("gateway=10.1.0.1;dnssuffix=plant.example", all of them), the facts they are judged on,
// which setting an adapter's network asks for, and the hold-off that keeps an adapter from
// being switched back and forth. Every fact is one Windows reports; nothing is sent.

#include "netcfg/LiveState.h"
#include "support/UseWhenText.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// Why the SSID is not among the facts, when it is not.
enum class TSsidState { Read, NotWireless, NoWlanService, Refused, Failed };

// What an adapter's network looks like now, as Windows reports it.
struct TNetworkFacts {
    TLiveState State;
    std::vector<std::string> GatewayMacs; // the gateways' hardware addresses the neighbour
                                          // cache holds, "00-11-22-AA-BB-CC"
    std::string DhcpServer;               // of the adapter's lease; "" without one
    std::string Ssid;                     // when SsidState is Read and it is connected
    TSsidState SsidState = TSsidState::NotWireless;
    bool operator==(const TNetworkFacts&) const = default;
};

// Reads the facts beyond the live state for one adapter (by its NetCfgInstanceID), whose live
// state is given. Reading sends nothing on the network.
class INetworkFactsReader {
  public:
    virtual ~INetworkFactsReader() = default;
    virtual TNetworkFacts Read(const std::string& adapterId, const TLiveState& state) = 0;
};

// Whether the condition holds on the network now; every condition needs the adapter
// connected. A suffix compares without regard to letter case or a final dot, an SSID exactly.
bool ConditionHolds(const TCondition& condition, const TNetworkFacts& facts);

// The network in these terms, one condition a fact Windows reports now, in the order of the
// kinds: what "From this network" fills in and the details dialog shows.
std::vector<TCondition> ConditionsOfNetwork(const TNetworkFacts& facts);

// Why the SSID is missing, as the user reads it; "" when it was read.
std::string SsidStateText(TSsidState state);

// A setting of the adapter, as the decision sees it.
struct TAutoCandidate {
    std::string Title;
    std::string Conditions; // the stored text; an empty or unreadable one never matches
    bool InUse = false;     // the adapter uses its values now
};

enum class TAutoAction {
    Nothing,      // no setting matches
    AlreadyInUse, // the one that matches is in use
    Apply,        // apply Matches[0]
    Several,      // more than one matches: none is applied
};

struct TAutoDecision {
    TAutoAction Action = TAutoAction::Nothing;
    std::vector<std::size_t> Matches; // indexes into the candidates, in their order
    bool operator==(const TAutoDecision&) const = default;
};

TAutoDecision DecideAutoSwitch(const std::vector<TAutoCandidate>& candidates,
                               const TNetworkFacts& facts);

// "Office", "Office and Lab", "Office, Lab and Plant": the matching settings named.
std::string MatchNames(const std::vector<TAutoCandidate>& candidates,
                       const std::vector<std::size_t>& matches);

// What tells one network from another for the hold-off: link state, gateways, suffix, SSID.
struct TNetworkMark {
    bool Up = false;
    std::vector<std::string> Gateways;
    std::string DnsSuffix; // folded
    std::string Ssid;
    bool operator==(const TNetworkMark&) const = default;
};
TNetworkMark MarkOf(const TNetworkFacts& facts);

// One adapter's hold-off, kept by whoever watches it. After an automatic switch the adapter
// is not switched automatically again until its network differs from the one matched and
// the one the switch produced; after a switch by hand, not until its link has gone down and
// come up again.
class TAutoSwitchHoldOff {
  public:
    // An automatic switch was made on the network matched.
    void SwitchedAutomatically(const TNetworkFacts& matched);
    // What the adapter looked like after that switch (may be noted more than once).
    void Produced(const TNetworkFacts& after);
    // The user switched the adapter.
    void SwitchedByHand();
    // Looks at the network now (call it at every evaluation, in order): whether an automatic
    // switch may be made on it.
    bool Allows(const TNetworkFacts& now);
    // Whether a decision that several settings match is new: true once for each network
    // and set of matches, so that the user is told once, not at every change; again after
    // Allows has seen another network.
    bool FirstReportOf(const TAutoDecision& several, const TNetworkFacts& now);

  private:
    enum class THold { None, Automatic, ByHand, ByHandLinkDown };
    THold hold_ = THold::None;
    std::vector<TNetworkMark> held_;
    TNetworkMark reportedOn_;
    std::vector<std::size_t> reported_;
};
