#include "ExtrasEditing.h"

#include "support/AddressRules.h"
#include "support/Strings.h"

#include <utility>

namespace {

std::string Typed(const std::string& text) {
    return CanonicalIP(Trim(text));
}

// The form CheckExtras names an entry in, for an entry it never gets to see.
std::string EntryComplaint(const char* list, const std::string& entry, const std::string& fault) {
    std::string text = list;
    text += " entry \"";
    text += entry;
    text += "\": ";
    text += fault;
    return text;
}

std::string FullComplaint(const char* list, std::size_t limit, const char* what) {
    std::string text = list;
    text += " a setting holds at most ";
    text += std::to_string(limit);
    text += " more ";
    text += what;
    return text;
}

template <typename TList>
bool ValidIndex(const TList& list, int index) {
    return index >= 0 && static_cast<std::size_t>(index) < list.size();
}

// Adds at the end for NewEntry, replaces otherwise.
template <typename TList, typename TEntry>
void Put(TList& list, int index, TEntry entry) {
    if (ValidIndex(list, index))
        list[static_cast<std::size_t>(index)] = std::move(entry);
    else
        list.push_back(std::move(entry));
}

constexpr const char* AddressesLabel = "[More IP addresses]";
constexpr const char* GatewaysLabel = "[More gateways]";
constexpr const char* MetricFault = "the metric must be Automatic or 1 to 9999";

} // namespace

TExtrasEditing::TExtrasEditing(const TOwnAddress& own, TSettingExtras extras)
    : own_{Typed(own.Address), Typed(own.Submask), Typed(own.Gateway)}, extras_(std::move(extras)) {}

std::string TExtrasEditing::Accept(const TSettingExtras& candidate) {
    std::string complaint = ExtrasComplaint(own_.Address, own_.Submask, own_.Gateway, candidate);
    if (complaint.empty())
        extras_ = candidate;
    return complaint;
}

std::string TExtrasEditing::PutAddress(int index, const std::string& address,
                                       const std::string& submask) {
    if (index == NewEntry)
        if (std::string full = AddressesFull(); !full.empty())
            return full;
    TSettingExtras candidate = extras_;
    Put(candidate.MoreAddresses, index, TAddressEntry{Typed(address), Typed(submask)});
    return Accept(candidate);
}

std::string TExtrasEditing::PutGateway(int index, const std::string& gateway,
                                       const std::string& metric) {
    if (index == NewEntry)
        if (std::string full = GatewaysFull(); !full.empty())
            return full;
    TGatewayEntry entry{Typed(gateway), 0};
    if (!ParseMetric(metric, entry.Metric)) {
        std::string shown = entry.Gateway;
        shown += '/';
        shown += Trim(metric);
        return EntryComplaint(GatewaysLabel, shown, MetricFault);
    }
    TSettingExtras candidate = extras_;
    Put(candidate.MoreGateways, index, std::move(entry));
    return Accept(candidate);
}

std::string TExtrasEditing::SetGatewayMetric(const std::string& metric) {
    TSettingExtras candidate = extras_;
    if (!ParseMetric(metric, candidate.GatewayMetric)) {
        std::string text = "[Gateway] ";
        text += MetricFault;
        return text;
    }
    return Accept(candidate);
}

TNetOptionsFault TExtrasEditing::SetOptions(const TNetOptions& typed) {
    const TNetOptions options = TrimmedNetOptions(typed);
    TNetOptionsFault fault = CheckNetOptions(options);
    if (fault.Field == TNetOptionsField::None)
        extras_.Options = options;
    return fault;
}

void TExtrasEditing::RemoveAddress(int index) {
    if (ValidIndex(extras_.MoreAddresses, index))
        extras_.MoreAddresses.erase(extras_.MoreAddresses.begin() + index);
}

void TExtrasEditing::RemoveGateway(int index) {
    if (ValidIndex(extras_.MoreGateways, index))
        extras_.MoreGateways.erase(extras_.MoreGateways.begin() + index);
}

std::string TExtrasEditing::AddressesFull() const {
    if (extras_.MoreAddresses.size() < MaxMoreAddresses)
        return {};
    return FullComplaint(AddressesLabel, MaxMoreAddresses, "addresses");
}

std::string TExtrasEditing::GatewaysFull() const {
    if (extras_.MoreGateways.size() < MaxMoreGateways)
        return {};
    return FullComplaint(GatewaysLabel, MaxMoreGateways, "gateways");
}

std::string TExtrasEditing::Complaint() const {
    if (std::string c = ExtrasComplaint(own_.Address, own_.Submask, own_.Gateway, extras_);
        !c.empty())
        return c;
    return CheckNetOptions(extras_.Options).Text;
}
