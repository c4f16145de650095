#include "AddressLists.h"

#include "support/AddressRules.h"
#include "support/IntegerText.h"
#include "support/Strings.h"

#include <algorithm>

namespace {

std::string Quoted(const std::string& text) {
    std::string quoted = "\"";
    quoted += text;
    quoted += "\"";
    return quoted;
}

// The entries between ";", trimmed; a blank text has none, a blank entry is kept (and
// refused by its rule, so that "a;;b" is not silently read as two).
std::vector<std::string> Entries(const std::string& text) {
    std::vector<std::string> entries;
    if (Trim(text).empty())
        return entries;
    std::size_t start = 0;
    for (;;) {
        const std::size_t semicolon = text.find(';', start);
        entries.push_back(Trim(text.substr(start, semicolon - start)));
        if (semicolon == std::string::npos)
            return entries;
        start = semicolon + 1;
    }
}

std::string EntryFault(const std::string& entry, const std::string& fault) {
    std::string text = "entry ";
    text += Quoted(entry);
    text += ": ";
    text += fault;
    return text;
}

std::string NotValidIP(const std::string& text) {
    return text.empty() ? std::string("an address is missing") : Quoted(text) + " is not a valid IP";
}

// Both lists must not hold more than their limit.
std::string CountFault(const char* what, std::size_t count, std::size_t limit) {
    if (count <= limit)
        return {};
    std::string text = std::to_string(count);
    text += " more ";
    text += what;
    text += " where a setting holds at most ";
    text += std::to_string(limit);
    return text;
}

} // namespace

std::string WithMoreCount(const std::string& address, std::size_t more) {
    if (more == 0)
        return address;
    std::string text = address;
    text += " (+";
    text += std::to_string(more);
    text += ')';
    return text;
}

std::string MetricText(unsigned metric) {
    return metric == 0 ? "Automatic" : std::to_string(metric);
}

bool ParseMetric(const std::string& text, unsigned& metric) {
    const std::string trimmed = Trim(text);
    if (trimmed.empty() || SameText(trimmed, "Automatic")) {
        metric = 0;
        return true;
    }
    if (trimmed.find_first_not_of("0123456789") != std::string::npos)
        return false;
    const int value = ParseIntDef(trimmed, -1);
    if (value < 1 || static_cast<unsigned>(value) > MaxGatewayMetric)
        return false;
    metric = static_cast<unsigned>(value);
    return true;
}

std::string FormatAddressList(const std::vector<TAddressEntry>& entries) {
    std::string text;
    for (const TAddressEntry& entry : entries) {
        if (!text.empty())
            text += ';';
        text += entry.Address;
        text += '/';
        text += entry.Submask;
    }
    return text;
}

std::string FormatGatewayList(const std::vector<TGatewayEntry>& entries) {
    std::string text;
    for (const TGatewayEntry& entry : entries) {
        if (!text.empty())
            text += ';';
        text += entry.Gateway;
        if (entry.Metric != 0) {
            text += '/';
            text += std::to_string(entry.Metric);
        }
    }
    return text;
}

std::string AddressEntryComplaint(const TAddressEntry& entry) {
    if (!IsValidIP(entry.Address))
        return NotValidIP(entry.Address);
    if (entry.Submask.empty())
        return "the mask is missing";
    if (!IsSubnetMask(entry.Submask))
        return Quoted(entry.Submask) + " is not a subnet mask";
    return {};
}

std::string GatewayEntryComplaint(const TGatewayEntry& entry) {
    if (!IsValidIP(entry.Gateway))
        return NotValidIP(entry.Gateway);
    if (entry.Metric > MaxGatewayMetric)
        return "the metric must be Automatic or 1 to 9999";
    return {};
}

TAddressListParse ParseAddressList(const std::string& text) {
    TAddressListParse result;
    for (const std::string& entry : Entries(text)) {
        const TSplit parts = SplitAt(entry, "/");
        TAddressEntry parsed{CanonicalIP(Trim(parts.Left)), CanonicalIP(Trim(parts.Right))};
        if (std::string fault = AddressEntryComplaint(parsed); !fault.empty()) {
            result.Complaint = EntryFault(entry, fault);
            return result;
        }
        result.Entries.push_back(std::move(parsed));
    }
    return result;
}

TGatewayListParse ParseGatewayList(const std::string& text) {
    TGatewayListParse result;
    for (const std::string& entry : Entries(text)) {
        const TSplit parts = SplitAt(entry, "/");
        TGatewayEntry parsed{CanonicalIP(Trim(parts.Left)), 0};
        const bool hasMetric = entry.find('/') != std::string::npos;
        if (hasMetric && (Trim(parts.Right).empty() || !ParseMetric(parts.Right, parsed.Metric))) {
            result.Complaint = EntryFault(entry, "the metric must be 1 to 9999 (none: automatic)");
            return result;
        }
        if (std::string fault = GatewayEntryComplaint(parsed); !fault.empty()) {
            result.Complaint = EntryFault(entry, fault);
            return result;
        }
        result.Entries.push_back(std::move(parsed));
    }
    return result;
}

TExtrasFault CheckExtras(const std::string& address, const std::string& submask,
                         const std::string& gateway, const TSettingExtras& extras) {
    using enum TExtrasField;
    if (extras.GatewayMetric > MaxGatewayMetric)
        return {GatewayMetric, "the metric must be Automatic or 1 to 9999"};
    if (extras.GatewayMetric != 0 && gateway.empty())
        return {GatewayMetric, "a metric is given without a gateway"};
    if (std::string fault = CountFault("addresses", extras.MoreAddresses.size(), MaxMoreAddresses);
        !fault.empty())
        return {MoreAddresses, fault};
    if (std::string fault = CountFault("gateways", extras.MoreGateways.size(), MaxMoreGateways);
        !fault.empty())
        return {MoreGateways, fault};
    std::vector<TAddressEntry> all = {{address, submask}};
    for (const TAddressEntry& entry : extras.MoreAddresses) {
        const std::string shown = entry.Address + "/" + entry.Submask;
        if (std::string fault = AddressEntryComplaint(entry); !fault.empty())
            return {MoreAddresses, EntryFault(shown, fault)};
        const bool twice = std::any_of(all.begin(), all.end(), [&](const TAddressEntry& e) {
            return CanonicalIP(e.Address) == CanonicalIP(entry.Address);
        });
        if (twice)
            return {MoreAddresses, EntryFault(shown, "the setting has this address already")};
        all.push_back(entry);
    }
    if (!extras.MoreGateways.empty() && gateway.empty())
        return {MoreGateways, "give the first gateway in the Gateway field before further ones"};
    std::vector<std::string> gateways = {CanonicalIP(gateway)};
    for (const TGatewayEntry& entry : extras.MoreGateways) {
        if (std::string fault = GatewayEntryComplaint(entry); !fault.empty())
            return {MoreGateways, EntryFault(entry.Gateway, fault)};
        if (std::find(gateways.begin(), gateways.end(), CanonicalIP(entry.Gateway)) != gateways.end())
            return {MoreGateways, EntryFault(entry.Gateway, "the setting has this gateway already")};
        const bool reachable = std::any_of(all.begin(), all.end(), [&](const TAddressEntry& e) {
            return InSameSubnet(entry.Gateway, e.Address, e.Submask);
        });
        if (!reachable)
            return {MoreGateways,
                    EntryFault(entry.Gateway, "it lies outside the subnet of every address of the setting")};
        gateways.push_back(CanonicalIP(entry.Gateway));
    }
    return {};
}

std::string ExtrasComplaint(const std::string& address, const std::string& submask,
                            const std::string& gateway, const TSettingExtras& extras) {
    const TExtrasFault fault = CheckExtras(address, submask, gateway, extras);
    const char* label = "";
    switch (fault.Field) {
    case TExtrasField::None:
        return {};
    case TExtrasField::GatewayMetric:
        label = "[Gateway] ";
        break;
    case TExtrasField::MoreAddresses:
        label = "[More IP addresses] ";
        break;
    case TExtrasField::MoreGateways:
        label = "[More gateways] ";
        break;
    }
    std::string text = label;
    text += fault.Text;
    return text;
}
