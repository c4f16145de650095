#pragma once
// What the Advanced dialog does to a setting's further addresses and gateways, judged before
// it is done: an entry is added, replaced or removed, or the first gateway's metric set, only
// when the whole still follows the rules of AddressLists beside the setting's own address,
// mask and gateway; the DNS suffix and the proxy's parts follow those of NetOptions. A refusal
// names the entry and leaves the extras as they were.

#include "support/AddressLists.h"

#include <string>

// The setting's own fields, as the editor holds them.
struct TOwnAddress {
    std::string Address, Submask, Gateway;
};

class TExtrasEditing {
  public:
    // Index -1 in PutAddress and PutGateway adds at the end; any other replaces that entry.
    static constexpr int NewEntry = -1;

    TExtrasEditing(const TOwnAddress& own, TSettingExtras extras);

    const TSettingExtras& Extras() const { return extras_; }

    // Each returns why the change is refused, naming the entry ("[More IP addresses] entry
    // ..."), or "" once it is made. Texts are read as typed: trimmed, the address made
    // canonical, a blank metric or "Automatic" meaning automatic.
    std::string PutAddress(int index, const std::string& address, const std::string& submask);
    std::string PutGateway(int index, const std::string& gateway, const std::string& metric);
    std::string SetGatewayMetric(const std::string& metric);
    // The DNS suffix and the proxy's parts as typed (texts trimmed); the fault names the
    // field, and the values stay as they were.
    TNetOptionsFault SetOptions(const TNetOptions& typed);
    void RemoveAddress(int index);
    void RemoveGateway(int index);

    // Why another entry cannot be added at all ("" while there is room).
    std::string AddressesFull() const;
    std::string GatewaysFull() const;

    // Why the extras as they stand are refused ("" when accepted): what OK asks.
    std::string Complaint() const;

  private:
    std::string Accept(const TSettingExtras& candidate);

    TOwnAddress own_;
    TSettingExtras extras_;
};
