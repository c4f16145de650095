#pragma once
// A network setting's further addresses and gateways: the limits, the rules each entry and
// the whole list follow, and their one-line text ("a/m;b/m", "g/metric;g"). The editor's
// dialog, the CSV import, the store and the apply all judge them here.

#include "support/NetOptions.h"

#include <string>
#include <vector>

// An address beyond a setting's first one, with its own mask.
struct TAddressEntry {
    std::string Address;
    std::string Submask;
    bool operator==(const TAddressEntry&) const = default;
};

// A gateway beyond a setting's first one; Metric 0 lets Windows choose it (automatic).
struct TGatewayEntry {
    std::string Gateway;
    unsigned Metric = 0;
    bool operator==(const TGatewayEntry&) const = default;
};

// What a setting holds beside its one address, mask, gateway, DNS servers and proxy.
struct TSettingExtras {
    unsigned GatewayMetric = 0; // the first gateway's metric; 0: automatic
    std::vector<TAddressEntry> MoreAddresses;
    std::vector<TGatewayEntry> MoreGateways;
    // When the setting is used by itself: conditions in their written form (support/UseWhenText),
    // "" for never. Kept beside the extras so that it travels with the setting wherever they do.
    std::string UseWhen = {};
    TNetOptions Options = {}; // the DNS suffix and the proxy's further parts
    bool Empty() const {
        return GatewayMetric == 0 && MoreAddresses.empty() && MoreGateways.empty() &&
               UseWhen.empty() && Options.Empty();
    }
    bool operator==(const TSettingExtras&) const = default;
};

constexpr std::size_t MaxMoreAddresses = 15;
constexpr std::size_t MaxMoreGateways = 4;
constexpr unsigned MaxGatewayMetric = 9999;

// An address as the grid shows it: "10.0.0.5 (+2)" with two more, as it is with none.
std::string WithMoreCount(const std::string& address, std::size_t more);

// A metric as the user reads it: "Automatic" for 0, else the number.
std::string MetricText(unsigned metric);

// A metric as typed: blank or "Automatic" (any case) gives 0; 1 to 9999 that number;
// anything else false, metric untouched.
bool ParseMetric(const std::string& text, unsigned& metric);

// "192.168.0.10/255.255.255.0;172.16.1.2/255.255.0.0" and "192.168.0.254/20;172.16.0.1"
// (a gateway without "/" is automatic).
std::string FormatAddressList(const std::vector<TAddressEntry>& entries);
std::string FormatGatewayList(const std::vector<TGatewayEntry>& entries);

// The entries of such a text, each trimmed; blank text gives none. A fault names the entry
// ("entry \"10.0.0.x/255.0.0.0\": 10.0.0.x is not a valid IP") and leaves the list short.
struct TAddressListParse {
    std::vector<TAddressEntry> Entries;
    std::string Complaint; // empty when every entry was read and accepted
};
struct TGatewayListParse {
    std::vector<TGatewayEntry> Entries;
    std::string Complaint;
};
TAddressListParse ParseAddressList(const std::string& text);
TGatewayListParse ParseGatewayList(const std::string& text);

// One entry by the editor's rules: a dotted quad with a contiguous mask; a dotted quad with
// a metric of 0 (automatic) to 9999. Empty when accepted.
std::string AddressEntryComplaint(const TAddressEntry& entry);
std::string GatewayEntryComplaint(const TGatewayEntry& entry);

// The extras beside the setting's own address, mask and gateway: each entry, the limits,
// no address twice (the setting's own included), a first gateway before any further one,
// and each gateway (further ones) inside the subnet of one of the addresses. The fault
// names the entry; the setting's own fields are judged elsewhere.
enum class TExtrasField { None, GatewayMetric, MoreAddresses, MoreGateways };
struct TExtrasFault {
    TExtrasField Field = TExtrasField::None; // None: accepted
    std::string Text;
};
TExtrasFault CheckExtras(const std::string& address, const std::string& submask,
                         const std::string& gateway, const TSettingExtras& extras);

// CheckExtras's fault as the editor names it ("[More gateways] entry ..."); empty when accepted.
std::string ExtrasComplaint(const std::string& address, const std::string& submask,
                            const std::string& gateway, const TSettingExtras& extras);
