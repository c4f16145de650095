#include "UseWhenText.h"

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

bool HasControlCharacter(const std::string& text) {
    return std::any_of(text.begin(), text.end(),
                       [](char c) { return static_cast<unsigned char>(c) < 32; });
}

// The value in its written form; "" when the kind does not take it.
std::string WrittenValueOf(TConditionKind kind, const std::string& value) {
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

std::string Quoted(const std::string& text) {
    return "\"" + text + "\"";
}

} // namespace

std::string WrittenConditionValue(TConditionKind kind, const std::string& value) {
    return WrittenValueOf(kind, value);
}

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
                const std::string written = WrittenValueOf(kind->Kind, value);
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
