#pragma once
// The text of a setting's "use automatically when" conditions: "kind=value;kind=value", all
// of which must hold. Pure rules, as for addresses: the store checks an import with them and
// the network side judges them.

#include <cstddef>
#include <string>
#include <vector>

enum class TConditionKind { Gateway, GatewayMac, DhcpServer, DnsSuffix, Subnet, Ssid, AdapterUp };

struct TCondition {
    TConditionKind Kind = TConditionKind::AdapterUp;
    std::string Value; // in its written form: "10.1.0.1", "00-11-22-AA-BB-CC", "10.1.0.0/16", "up"
    bool operator==(const TCondition&) const = default;
};

// The most conditions a setting holds, and the longest text they make.
constexpr std::size_t MaxConditions = 16;
constexpr std::size_t MaxConditionsLength = 1024;

// The name of a kind as the text writes it: "gateway", "gatewaymac", "dhcpserver",
// "dnssuffix", "subnet", "ssid", "adapter".
const char* ConditionKindName(TConditionKind kind);

struct TConditionsParse {
    std::vector<TCondition> Conditions;
    std::string Error; // names the part that is wrong; empty when the whole text was read
};

// Reads "kind=value;kind=value": kinds in any case, blanks around parts, kinds and values
// trimmed, empty parts skipped. Addresses are written back as plain dotted quads, hardware
// addresses in upper case with "-". An SSID keeps its case and may hold "=" but not ";".
// On the first fault, Error names it and Conditions is empty: a half-read list would match
// more networks than the user wrote.
TConditionsParse ParseConditions(const std::string& text);

// The text of a list as ParseConditions reads it back.
std::string FormatConditions(const std::vector<TCondition>& conditions);
// One condition as the text and the editor's list show it: "gateway=10.1.0.1".
std::string ConditionText(const TCondition& condition);

// The value in its written form for the kind; "" when the kind does not take it.
std::string WrittenConditionValue(TConditionKind kind, const std::string& value);
