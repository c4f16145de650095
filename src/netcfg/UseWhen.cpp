#include "UseWhen.h"

#include "support/AddressRules.h"
#include "support/Strings.h"

#include <algorithm>

namespace {

std::string WithoutFinalDot(std::string text) {
    if (!text.empty() && text.back() == '.')
        text.pop_back();
    return FoldedAscii(text);
}

bool InSubnet(const std::string& address, const std::string& subnet) {
    const TSplit parts = SplitAt(subnet, "/");
    const auto bits = AddressBits(address);
    const auto network = AddressBits(parts.Left);
    if (!bits || !network)
        return false;
    const int length = std::stoi(parts.Right);
    const std::uint32_t mask = length == 0 ? 0 : ~std::uint32_t(0) << (32 - length);
    return (*bits & mask) == (*network & mask);
}

bool Contains(const std::vector<std::string>& list, const std::string& wanted) {
    return std::find(list.begin(), list.end(), wanted) != list.end();
}

} // namespace

bool ConditionHolds(const TCondition& condition, const TNetworkFacts& facts) {
    const TLiveState& state = facts.State;
    if (!state.Present || !state.Up)
        return false;
    switch (condition.Kind) {
    case TConditionKind::Gateway:
        return Contains(state.Gateways, condition.Value);
    case TConditionKind::GatewayMac:
        return Contains(facts.GatewayMacs, condition.Value);
    case TConditionKind::DhcpServer:
        return !facts.DhcpServer.empty() && facts.DhcpServer == condition.Value;
    case TConditionKind::DnsSuffix:
        return !state.DnsSuffix.empty() &&
               WithoutFinalDot(state.DnsSuffix) == WithoutFinalDot(condition.Value);
    case TConditionKind::Subnet:
        return std::any_of(
            state.Addresses.begin(), state.Addresses.end(),
            [&](const TLiveAddress& a) { return InSubnet(a.Address, condition.Value); });
    case TConditionKind::Ssid:
        return facts.SsidState == TSsidState::Read && !facts.Ssid.empty() &&
               facts.Ssid == condition.Value;
    case TConditionKind::AdapterUp:
        return true;
    }
    return false;
}

std::vector<TCondition> ConditionsOfNetwork(const TNetworkFacts& facts) {
    std::vector<TCondition> conditions;
    const TLiveState& state = facts.State;
    if (!state.Present || !state.Up)
        return conditions;
    // Each through the reader and the matcher, so that only what both accept is offered.
    const auto add = [&conditions, &facts](TConditionKind kind, const std::string& value) {
        const TCondition condition{kind, WrittenConditionValue(kind, value)};
        if (!condition.Value.empty() && conditions.size() < MaxConditions &&
            ConditionHolds(condition, facts) &&
            std::find(conditions.begin(), conditions.end(), condition) == conditions.end())
            conditions.push_back(condition);
    };
    for (const std::string& gateway : state.Gateways)
        add(TConditionKind::Gateway, gateway);
    for (const std::string& mac : facts.GatewayMacs)
        add(TConditionKind::GatewayMac, mac);
    add(TConditionKind::DhcpServer, facts.DhcpServer);
    add(TConditionKind::DnsSuffix, state.DnsSuffix);
    if (facts.SsidState == TSsidState::Read)
        add(TConditionKind::Ssid, facts.Ssid);
    if (conditions.empty())
        conditions.push_back({TConditionKind::AdapterUp, "up"});
    return conditions;
}

std::string SsidStateText(TSsidState state) {
    switch (state) {
    case TSsidState::Read:
        return "";
    case TSsidState::NotWireless:
        return "not a Wi-Fi adapter";
    case TSsidState::NoWlanService:
        return "the WLAN service is not running";
    case TSsidState::Refused:
        return "Windows refused it: allow location access for Netvane in the privacy settings";
    case TSsidState::Failed:
        return "Windows did not tell it";
    }
    return "";
}

TAutoDecision DecideAutoSwitch(const std::vector<TAutoCandidate>& candidates,
                               const TNetworkFacts& facts) {
    TAutoDecision decision;
    for (std::size_t i = 0; i < candidates.size(); ++i) {
        const TConditionsParse parse = ParseConditions(candidates[i].Conditions);
        if (parse.Conditions.empty())
            continue;
        if (std::all_of(parse.Conditions.begin(), parse.Conditions.end(),
                        [&facts](const TCondition& c) { return ConditionHolds(c, facts); }))
            decision.Matches.push_back(i);
    }
    if (decision.Matches.size() > 1)
        decision.Action = TAutoAction::Several;
    else if (decision.Matches.size() == 1)
        decision.Action =
            candidates[decision.Matches[0]].InUse ? TAutoAction::AlreadyInUse : TAutoAction::Apply;
    return decision;
}

std::string MatchNames(const std::vector<TAutoCandidate>& candidates,
                       const std::vector<std::size_t>& matches) {
    std::string names;
    for (std::size_t i = 0; i < matches.size(); ++i) {
        if (i > 0)
            names += i + 1 == matches.size() ? " and " : ", ";
        const std::string title = Trim(candidates[matches[i]].Title);
        names += title.empty() ? "(no title)" : title;
    }
    return names;
}

TNetworkMark MarkOf(const TNetworkFacts& facts) {
    TNetworkMark mark;
    mark.Up = facts.State.Present && facts.State.Up;
    if (!mark.Up)
        return mark;
    mark.Gateways = facts.State.Gateways;
    std::sort(mark.Gateways.begin(), mark.Gateways.end());
    mark.DnsSuffix = WithoutFinalDot(facts.State.DnsSuffix);
    if (facts.SsidState == TSsidState::Read)
        mark.Ssid = facts.Ssid;
    return mark;
}

void TAutoSwitchHoldOff::SwitchedAutomatically(const TNetworkFacts& matched) {
    hold_ = THold::Automatic;
    held_ = {MarkOf(matched)};
}

void TAutoSwitchHoldOff::Produced(const TNetworkFacts& after) {
    if (hold_ != THold::Automatic)
        return;
    const TNetworkMark mark = MarkOf(after);
    if (std::find(held_.begin(), held_.end(), mark) == held_.end())
        held_.push_back(mark);
}

void TAutoSwitchHoldOff::SwitchedByHand() {
    hold_ = THold::ByHand;
    held_.clear();
}

bool TAutoSwitchHoldOff::FirstReportOf(const TAutoDecision& several, const TNetworkFacts& now) {
    const TNetworkMark mark = MarkOf(now);
    if (mark == reportedOn_ && several.Matches == reported_)
        return false;
    reportedOn_ = mark;
    reported_ = several.Matches;
    return true;
}

bool TAutoSwitchHoldOff::Allows(const TNetworkFacts& now) {
    // Back on a network after another, the user is told again.
    if (!(MarkOf(now) == reportedOn_))
        reported_.clear();
    const bool up = now.State.Present && now.State.Up;
    switch (hold_) {
    case THold::None:
        return true;
    case THold::Automatic:
        if (std::find(held_.begin(), held_.end(), MarkOf(now)) != held_.end())
            return false;
        break;
    case THold::ByHand:
        if (!up)
            hold_ = THold::ByHandLinkDown;
        return false;
    case THold::ByHandLinkDown:
        if (!up)
            return false;
        break;
    }
    hold_ = THold::None;
    held_.clear();
    return true;
}
