#include "LiveState.h"

#include "support/AddressRules.h"

namespace {

std::string SpeedText(std::uint64_t bitsPerSecond) {
    if (bitsPerSecond == 0)
        return "unknown";
    const char* units[] = {"bit/s", "kbit/s", "Mbit/s", "Gbit/s", "Tbit/s"};
    int unit = 0;
    std::uint64_t scaled = bitsPerSecond * 10; // one decimal place
    while (scaled >= 10000 && unit < 4) {
        scaled /= 1000;
        ++unit;
    }
    // Appended piece by piece: GCC 12 misreads "x" + std::string&& as an overlapping copy.
    std::string text = std::to_string(scaled / 10);
    if (scaled % 10 != 0) {
        text += '.';
        text += std::to_string(scaled % 10);
    }
    text += ' ';
    text += units[unit];
    return text;
}

std::string AddressText(const TLiveAddress& address) {
    std::string text = address.Address + "/" + MaskOfPrefix(address.PrefixLength);
    if (address.Duplicate)
        text += " (duplicate)";
    else if (!address.Preferred)
        text += " (tentative)";
    return text;
}

} // namespace

std::vector<TFactRow> LiveStateRows(const TLiveState& state, const std::string& description,
                                    const std::string& settingInUse) {
    std::vector<TFactRow> rows = {{"Description", description}};
    if (!state.Present) {
        rows.push_back({"Present", "no"});
        rows.push_back({"Setting in use", "none"});
        return rows;
    }
    rows.push_back({"MAC address", state.Mac.empty() ? "none" : state.Mac});
    rows.push_back({"Connected", state.Up ? "yes" : "no"});
    rows.push_back({"Speed", SpeedText(state.LinkSpeed)});
    rows.push_back({"DHCP", state.Dhcp ? "on" : "off"});
    for (const TLiveAddress& address : state.Addresses)
        rows.push_back({"Address", AddressText(address)});
    for (const std::string& gateway : state.Gateways)
        rows.push_back({"Gateway", gateway});
    for (const std::string& server : state.DnsServers)
        rows.push_back({"DNS server", server});
    if (!state.DnsSuffix.empty())
        rows.push_back({"DNS suffix", state.DnsSuffix});
    rows.push_back({"Setting in use", settingInUse.empty() ? "none" : settingInUse});
    return rows;
}

std::vector<TFactRow> UserProxyRows(const TUserProxy& proxy) {
    std::vector<TFactRow> rows = {{"Proxy", proxy.Server.empty() ? "none" : proxy.Server}};
    if (!proxy.Exceptions.empty())
        rows.push_back({"Proxy exceptions", proxy.Exceptions});
    if (!proxy.Script.empty())
        rows.push_back({"Configuration script", proxy.Script});
    if (proxy.AutoDetect)
        rows.push_back({"Automatically detect settings", "on"});
    return rows;
}
