#include "UseWhen.h"

#include "support/AddressRules.h"
#include "support/Strings.h"

#include <algorithm>
#include <cctype>
#include <cstdio>

namespace {

struct TKindInfo {
    TConditionKind Kind;
    const char* Name;
    const char* Expected; // what a value must look like, for the message
};

const TKindInfo Kinds[] = {
    {TConditionKind::Gateway, "gateway", "a gateway's IP address such as 10.1.0.1"},
    {TConditionKind::GatewayMac, "gatewaymac", "a hardware address such as 00-11-22-AA-BB-CC"},
    {TConditionKind::DhcpServer, "dhcpserver", "a DHCP server's IP address such as 10.1.0.2"},
    {TConditionKind::DnsSuffix, "dnssuffix", "a DNS suffix such as plant.example"},
    {TConditionKind::Subnet, "subnet", "a subnet such as 10.1.0.0/16"},
    {TConditionKind::Ssid, "ssid", "a Wi-Fi network's name of 1 to 32 characters"},
    {TConditionKind::AdapterUp, "adapter", "up"},
};

const TKindInfo& InfoOf(TConditionKind kind) {
    for (const TKindInfo& info : Kinds)
        if (info.Kind == kind)
            return info;
    return Kinds[0];
}

std::string KindList() {
    std::vector<std::string> names;
    for (const TKindInfo& info : Kinds)
        names.push_back(info.Name);
    return JoinTexts(names, ", ");
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    c = FoldAscii(c);
    return c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
}

// Six bytes as two hex digits each, separated by "-" or ":" throughout.
std::string HardwareAddress(const std::string& text) {
    if (text.size() != 17)
        return {};
    const char separator = text[2];
    if (separator != '-' && separator != ':')
        return {};
    std::string written;
    for (std::size_t i = 0; i < 6; ++i) {
        const int high = HexDigit(text[i * 3]);
        const int low = HexDigit(text[i * 3 + 1]);
        if (high < 0 || low < 0 || (i < 5 && text[i * 3 + 2] != separator))
            return {};
        char part[4];
        std::snprintf(part, sizeof part, i ? "-%02X" : "%02X", high * 16 + low);
        written += part;
    }
    return written;
}

bool IsDnsSuffix(const std::string& text) {
    if (text.empty() || text.size() > 255 || text[0] == '.' || text.find("..") != std::string::npos)
        return false;
    return std::all_of(text.begin(), text.end(), [](char c) {
        return std::isalnum(static_cast<unsigned char>(c)) || c == '-' || c == '.' || c == '_';
    });
}

std::string WithoutFinalDot(std::string text) {
    if (!text.empty() && text.back() == '.')
        text.pop_back();
    return FoldedAscii(text);
}

// "10.1.0.0/16" in plain groups; "" when not a subnet.
std::string SubnetText(const std::string& text) {
    const TSplit parts = SplitAt(text, "/");
    const std::string length = Trim(parts.Right);
    if (!IsValidIP(Trim(parts.Left)) || length.empty() || length.size() > 2 ||
        !std::all_of(length.begin(), length.end(),
                     [](char c) { return std::isdigit(static_cast<unsigned char>(c)); }) ||
        std::stoi(length) > 32)
        return {};
    return CanonicalIP(Trim(parts.Left)) + "/" + std::to_string(std::stoi(length));
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

bool HasControlCharacter(const std::string& text) {
    return std::any_of(text.begin(), text.end(),
                       [](char c) { return static_cast<unsigned char>(c) < 32; });
}

// The value in its written form; "" when the kind does not take it.
std::string WrittenValue(TConditionKind kind, const std::string& value) {
    if (HasControlCharacter(value))
        return {};
    switch (kind) {
    case TConditionKind::Gateway:
    case TConditionKind::DhcpServer:
        return IsValidIP(value) ? CanonicalIP(value) : std::string();
    case TConditionKind::GatewayMac:
        return HardwareAddress(value);
    case TConditionKind::DnsSuffix:
        return IsDnsSuffix(value) ? value : std::string();
    case TConditionKind::Subnet:
        return SubnetText(value);
    case TConditionKind::Ssid:
        return value.size() <= 32 ? value : std::string();
    case TConditionKind::AdapterUp:
        return SameText(value, "up") ? "up" : std::string();
    }
    return {};
}

bool Contains(const std::vector<std::string>& list, const std::string& wanted) {
    return std::find(list.begin(), list.end(), wanted) != list.end();
}

std::string Quoted(const std::string& text) {
    return "\"" + text + "\"";
}

} // namespace

const char* ConditionKindName(TConditionKind kind) {
    return InfoOf(kind).Name;
}

TConditionsParse ParseConditions(const std::string& text) {
    TConditionsParse parse;
    if (text.size() > MaxConditionsLength) {
        parse.Error =
            "The conditions are longer than " + std::to_string(MaxConditionsLength) + " characters";
        return parse;
    }
    std::string rest = text;
    std::size_t number = 0;
    while (true) {
        const std::size_t end = rest.find(';');
        const std::string part = Trim(rest.substr(0, end));
        if (!part.empty()) {
            ++number;
            const std::string where = "Condition " + std::to_string(number) + " " + Quoted(part);
            const std::size_t equals = part.find('=');
            const std::string name = Trim(part.substr(0, equals));
            const TKindInfo* kind = nullptr;
            for (const TKindInfo& info : Kinds)
                if (SameText(name, info.Name))
                    kind = &info;
            if (equals == std::string::npos) {
                parse.Error = where + " has no \"=\": write it as kind=value";
            } else if (!kind) {
                parse.Error = where + ": " + Quoted(name) + " is no kind of condition (one of " +
                              KindList() + ")";
            } else if (parse.Conditions.size() == MaxConditions) {
                parse.Error = "More than " + std::to_string(MaxConditions) + " conditions";
            } else {
                const std::string value = Trim(part.substr(equals + 1));
                const std::string written = WrittenValue(kind->Kind, value);
                if (written.empty())
                    parse.Error = where + ": " + (value.empty() ? "no value" : Quoted(value)) +
                                  " is not " + kind->Expected;
                else
                    parse.Conditions.push_back({kind->Kind, written});
            }
            if (!parse.Error.empty()) {
                parse.Conditions.clear();
                return parse;
            }
        }
        if (end == std::string::npos)
            break;
        rest.erase(0, end + 1);
    }
    return parse;
}

std::string ConditionText(const TCondition& condition) {
    return std::string(ConditionKindName(condition.Kind)) + "=" + condition.Value;
}

std::string FormatConditions(const std::vector<TCondition>& conditions) {
    std::vector<std::string> parts;
    for (const TCondition& condition : conditions)
        parts.push_back(ConditionText(condition));
    return JoinTexts(parts, ";");
}

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
    // Each through the reader, so that only what it accepts is offered.
    const auto add = [&conditions](TConditionKind kind, const std::string& value) {
        const std::string written = WrittenValue(kind, value);
        if (!written.empty() && conditions.size() < MaxConditions &&
            std::find(conditions.begin(), conditions.end(), TCondition{kind, written}) ==
                conditions.end())
            conditions.push_back({kind, written});
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

bool TAutoSwitchHoldOff::Allows(const TNetworkFacts& now) {
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
