#include "SwitchCheck.h"

#include "netcfg/Adapters.h"
#include "support/AddressRules.h"
#include "support/SwitchLog.h"
#include "support/Strings.h"

#include <algorithm>

namespace {

std::string WithPrefix(const std::string& address, int prefixLength) {
    return address + "/" + std::to_string(prefixLength);
}

std::vector<std::string> DnsList(const std::string& dns) {
    std::vector<std::string> servers;
    std::size_t start = 0;
    while (start <= dns.size() && !dns.empty()) {
        const std::size_t comma = dns.find(',', start);
        servers.push_back(Trim(dns.substr(start, comma - start)));
        if (comma == std::string::npos)
            break;
        start = comma + 1;
    }
    return servers;
}

std::string Listed(const std::vector<std::string>& items) {
    return JoinTexts(items, ", ");
}

bool HasAddress(const TLiveState& state, const std::string& address) {
    return std::any_of(state.Addresses.begin(), state.Addresses.end(),
                       [&](const TLiveAddress& a) { return a.Address == address; });
}

// After a switch to DHCP: what the static setting before it left behind.
void CompareLeftOvers(const TLiveState& state, const TLiveState& before,
                      std::vector<TDifference>& differences) {
    if (!before.Present || before.Dhcp)
        return;
    for (const TLiveAddress& address : before.Addresses)
        if (HasAddress(state, address.Address))
            differences.push_back(
                {"", "the address " + WithPrefix(address.Address, address.PrefixLength)});
    for (const std::string& gateway : before.Gateways)
        if (std::find(state.Gateways.begin(), state.Gateways.end(), gateway) != state.Gateways.end())
            differences.push_back({"", "the gateway " + gateway});
}

// Every address the request asks for, the first one first.
std::vector<TAddressEntry> AskedAddresses(const TIP& request) {
    std::vector<TAddressEntry> asked = {{request.Address, request.Submask}};
    asked.insert(asked.end(), request.MoreAddresses.begin(), request.MoreAddresses.end());
    return asked;
}

std::vector<std::string> AskedGateways(const TIP& request) {
    std::vector<std::string> asked;
    if (!request.Gateway.empty())
        asked.push_back(request.Gateway);
    for (const TGatewayEntry& entry : request.MoreGateways)
        asked.push_back(entry.Gateway);
    return asked;
}

void CompareAddresses(const TIP& request, const TLiveState& state,
                      std::vector<TDifference>& differences) {
    const std::vector<TAddressEntry> askedAddresses = AskedAddresses(request);
    for (const TAddressEntry& entry : askedAddresses) {
        const int prefix = PrefixLengthOf(entry.Submask);
        const std::string asked = WithPrefix(entry.Address, prefix);
        const auto found =
            std::find_if(state.Addresses.begin(), state.Addresses.end(),
                         [&](const TLiveAddress& a) { return a.Address == entry.Address; });
        if (found == state.Addresses.end())
            differences.push_back({"the address " + asked, ""});
        else if (found->PrefixLength != prefix)
            differences.push_back({"the address " + asked,
                                   "the address " + WithPrefix(found->Address, found->PrefixLength)});
    }
    for (const TLiveAddress& address : state.Addresses) {
        const bool wasAsked =
            std::any_of(askedAddresses.begin(), askedAddresses.end(),
                        [&](const TAddressEntry& e) { return e.Address == address.Address; });
        if (!wasAsked)
            differences.push_back(
                {"", "the address " + WithPrefix(address.Address, address.PrefixLength)});
    }
}

// The gateways as a set: Windows lists them in the order of their routes' metrics, not in
// the order they were written.
void CompareGateways(const TIP& request, const TLiveState& state,
                     std::vector<TDifference>& differences) {
    if (request.DHCP)
        return; // the DHCP server gives it; one left over shows in CompareLeftOvers
    std::vector<std::string> asked = AskedGateways(request);
    std::vector<std::string> used = state.Gateways;
    std::sort(asked.begin(), asked.end());
    std::sort(used.begin(), used.end());
    if (used == asked)
        return;
    const std::vector<std::string> inOrder = AskedGateways(request);
    if (asked.empty())
        differences.push_back({"", "the gateway " + Listed(state.Gateways)});
    else
        differences.push_back({"the gateway " + Listed(inOrder),
                               state.Gateways.empty() ? "" : "the gateway " + Listed(state.Gateways)});
}

void CompareDns(const TIP& request, const TLiveState& state,
                std::vector<TDifference>& differences) {
    if (request.DHCP)
        return; // the DHCP server gives them
    const std::vector<std::string> asked = DnsList(request.DNS);
    if (state.DnsServers == asked)
        return;
    differences.push_back({asked.empty() ? "no DNS server" : "the DNS servers " + Listed(asked),
                           state.DnsServers.empty() ? "no DNS server"
                                                    : "the DNS servers " + Listed(state.DnsServers)});
}

// Only a suffix the setting names is looked for: without one, the network may give its own.
void CompareDnsSuffix(const TIP& request, const TLiveState& state,
                      std::vector<TDifference>& differences) {
    const std::string& asked = request.Options.DnsSuffix;
    if (request.DHCP || asked.empty() || SameText(state.DnsSuffix, asked))
        return;
    differences.push_back({"the DNS suffix " + asked, state.DnsSuffix.empty()
                                                          ? "no DNS suffix"
                                                          : "the DNS suffix " + state.DnsSuffix});
}

} // namespace

std::vector<TDifference> Differences(const TIP& request, const TLiveState& state,
                                     const TLiveState& before) {
    std::vector<TDifference> differences;
    if (state.Dhcp != request.DHCP)
        differences.push_back({request.DHCP ? "DHCP" : "fixed addresses",
                               state.Dhcp ? "DHCP" : "fixed addresses"});
    if (request.DHCP)
        CompareLeftOvers(state, before, differences);
    else
        CompareAddresses(request, state, differences);
    CompareGateways(request, state, differences);
    CompareDns(request, state, differences);
    CompareDnsSuffix(request, state, differences);
    return differences;
}

bool IsSettingInUse(const TIP& request, const TLiveState& state) {
    return state.Present && !request.DHCP && Differences(request, state, {}).empty();
}

std::vector<std::string> NetshCommands(const TIP& request, std::uint32_t interfaceIndex) {
    const std::string name = " name=" + std::to_string(interfaceIndex);
    const std::string ipv4 = "netsh.exe interface ipv4 ";
    if (request.DHCP)
        return {ipv4 + "set address" + name + " source=dhcp",
                ipv4 + "set dnsservers" + name + " source=dhcp"};
    std::string first = ipv4 + "set address" + name + " source=static address=" +
                        request.Address + " mask=" + request.Submask +
                        " gateway=" + (request.Gateway.empty() ? "none" : request.Gateway);
    if (!request.Gateway.empty() && request.GatewayMetric != 0)
        first += " gwmetric=" + std::to_string(request.GatewayMetric);
    std::vector<std::string> lines = {first};
    for (const TAddressEntry& entry : request.MoreAddresses)
        lines.push_back(ipv4 + "add address" + name + " address=" + entry.Address +
                        " mask=" + entry.Submask);
    for (const TGatewayEntry& entry : request.MoreGateways)
        lines.push_back(ipv4 + "add address" + name + " gateway=" + entry.Gateway +
                        " gwmetric=" + std::to_string(entry.Metric));
    const std::vector<std::string> dns = DnsList(request.DNS);
    lines.push_back(ipv4 + "set dnsservers" + name + " source=static address=" +
                    (dns.empty() ? "none" : dns[0]) + " validate=no");
    if (dns.size() > 1)
        lines.push_back(ipv4 + "add dnsservers" + name + " address=" + dns[1] +
                        " index=2 validate=no");
    return lines;
}

namespace {

bool IsLinkLocal(const std::string& address) {
    return address.rfind("169.254.", 0) == 0;
}

bool HasLeasedAddress(const TLiveState& state) {
    return std::any_of(state.Addresses.begin(), state.Addresses.end(), [](const TLiveAddress& a) {
        return a.Preferred && !IsLinkLocal(a.Address);
    });
}

const TLiveAddress* AskedAddress(const TIP& request, const TLiveState& state) {
    for (const TLiveAddress& address : state.Addresses)
        if (address.Address == request.Address)
            return &address;
    return nullptr;
}

// The state is what was asked and Windows has done with it: static addresses past
// duplicate-address detection, a lease from a DHCP server.
bool Settled(const TIP& request, const TLiveState& state, const TLiveState& before) {
    if (!state.Present || !Differences(request, state, before).empty())
        return false;
    if (request.DHCP)
        return HasLeasedAddress(state);
    // Differences found every asked address; no other is there.
    return std::all_of(state.Addresses.begin(), state.Addresses.end(),
                       [](const TLiveAddress& a) { return a.Preferred; });
}

// Reads until the state has settled, or the time is up; the last state read.
TLiveState AwaitSettled(const TIP& request, const TLiveState& before, ILiveStateReader& reader,
                        ISwitchSystem& system, const TSwitchTiming& timing) {
    const unsigned limit = request.DHCP ? timing.DhcpMs : timing.StaticMs;
    TLiveState state = reader.Read(request.Adapter);
    for (unsigned waited = 0; !Settled(request, state, before) && waited < limit;
         waited += timing.PollMs) {
        // A duplicate address stays one: no point waiting for it.
        if (const TLiveAddress* asked = AskedAddress(request, state); asked && asked->Duplicate)
            break;
        system.Wait(timing.PollMs);
        state = reader.Read(request.Adapter);
    }
    return state;
}

// Why the state is not what was asked, when the state itself says.
std::string ReasonFromState(const TIP& request, const TLiveState& state) {
    if (!request.DHCP) {
        const TLiveAddress* asked = AskedAddress(request, state);
        if (asked && asked->Duplicate)
            return "another device on the network already uses " + request.Address;
        return {};
    }
    const bool onlyLinkLocal =
        !state.Addresses.empty() &&
        std::all_of(state.Addresses.begin(), state.Addresses.end(),
                    [](const TLiveAddress& a) { return IsLinkLocal(a.Address); });
    return state.Dhcp && onlyLinkLocal ? "no DHCP server answered" : "";
}

// Runs the documented path for the request; the text of the first netsh line that failed.
std::string FallBack(const TIP& request, const TLiveState& state, ISwitchSystem& system) {
    std::string failure;
    for (const std::string& line : NetshCommands(request, state.InterfaceIndex)) {
        std::string output;
        if (system.RunNetsh(line, output) != 0 && failure.empty())
            failure = Trim(output).empty() ? "netsh could not change the adapter" : Trim(output);
    }
    if (request.DHCP)
        system.RenewLease(state.InterfaceIndex);
    return failure;
}

std::string DifferenceText(const std::string& adapter, const TDifference& d) {
    if (!d.Asked.empty() && !d.Used.empty())
        return adapter + " still uses " + d.Used + " instead of " + d.Asked;
    if (!d.Asked.empty())
        return adapter + " does not use " + d.Asked;
    return adapter + " still uses " + d.Used;
}

// The parts of the request that Windows uses as asked.
std::string WhatApplied(const TIP& request, const std::vector<TDifference>& differences) {
    const auto differs = [&](const char* part) {
        return std::any_of(differences.begin(), differences.end(), [&](const TDifference& d) {
            return (d.Asked + " " + d.Used).find(part) != std::string::npos;
        });
    };
    std::vector<std::string> applied;
    if (!differs("DHCP") && !differs("fixed addresses"))
        applied.push_back(request.DHCP ? "DHCP" : "fixed addressing");
    if (!request.DHCP) {
        if (!differs("the address"))
            applied.push_back("the address");
        if (!differs("the gateway"))
            applied.push_back("the gateway");
        if (!differs("DNS server"))
            applied.push_back("the DNS servers");
        if (!request.Options.DnsSuffix.empty() && !differs("DNS suffix"))
            applied.push_back("the DNS suffix");
    }
    return applied.empty() ? "" : "Applied: " + Listed(applied) + ". ";
}

std::string NotAppliedText(const TIP& request, const std::string& adapter,
                           const TLiveState& state, const TLiveState& before,
                           const std::string& reason) {
    const std::vector<TDifference> differences = Differences(request, state, before);
    std::string text;
    // Appended piece by piece: GCC 12 misreads "x" + std::string&& as an overlapping copy.
    for (const TDifference& d : differences) {
        if (!text.empty())
            text += "; ";
        text += DifferenceText(adapter, d);
    }
    if (text.empty())
        text = adapter + " has not taken the settings yet";
    text += ".";
    if (!reason.empty()) {
        text += " The reason: ";
        text += reason;
        text += ".";
    }
    text += " ";
    text += WhatApplied(request, differences);
    text += "The values are stored in the registry and take effect when the adapter restarts.";
    return text;
}

} // namespace

std::string NotPresentMessage(const std::string& adapter) {
    return "The settings are saved, but " + adapter +
           " is not present in Windows now, so nothing was applied. They take effect when "
           "the adapter is back and restarts.";
}

std::string WaitingForCableMessage(const std::string& adapter) {
    return "The settings are saved. " + adapter +
           " is not connected; Windows applies them when it connects.";
}

TSwitchResult CheckSwitch(const TIP& request, const std::string& description,
                          const TLiveState& before, ILiveStateReader& reader,
                          ISwitchSystem& system, const TSwitchTiming& timing) {
    TSwitchResult result;
    TLiveState state = reader.Read(request.Adapter);
    if (!state.Present) {
        result.Reason = "the adapter is not present in Windows now";
        result.AdapterMissing = true;
        result.Message = NotPresentMessage(description);
        return result;
    }
    if (!state.Up) {
        result.Outcome = TSwitchOutcome::WaitingForCable;
        result.Message = WaitingForCableMessage(description);
        return result;
    }
    state = AwaitSettled(request, before, reader, system, timing);
    std::string reason = ReasonFromState(request, state);
    const bool duplicate = !request.DHCP && !reason.empty();
    if (!Settled(request, state, before) && !duplicate && state.Present) {
        result.FallbackUsed = true;
        const std::string failure = FallBack(request, state, system);
        state = AwaitSettled(request, before, reader, system, timing);
        reason = !failure.empty() ? failure : ReasonFromState(request, state);
    }
    if (Settled(request, state, before)) {
        result.Outcome = TSwitchOutcome::Applied;
        return result;
    }
    result.Reason = reason;
    result.Message = NotAppliedText(request, description, state, before, reason);
    return result;
}

std::string SwitchOutcomeText(const TSwitchResult& result) {
    std::string outcome = "applied";
    if (result.Outcome == TSwitchOutcome::WaitingForCable)
        outcome = "saved, waiting for the cable";
    else if (result.Outcome == TSwitchOutcome::NotApplied)
        outcome = result.Reason.empty() ? "not applied" : "not applied: " + result.Reason;
    // Which process wrote the adapter's values: this one, the helper or the service.
    if (!result.Route.empty())
        outcome += "  " + result.Route;
    // Why it was made, when not by the user's own choice ("automatic: gateway=10.1.0.1").
    if (!result.Cause.empty())
        outcome += "  " + result.Cause;
    return outcome;
}

void LogSwitch(const std::string& appPath, const std::string& adapter, const std::string& setting,
               const TSwitchResult& result) {
    AppendSwitchLog(SwitchLogPath(appPath), SwitchLogLine(LocalTimeText(), adapter, setting,
                                                          SwitchOutcomeText(result),
                                                          result.FallbackUsed));
}

std::string LoggedAdapterName(IRegistryBackend& registry, const std::string& adapterId) {
    return DiscoveredDescription(registry, adapterId).value_or(adapterId);
}

void LogSwitch(const std::string& appPath, IRegistryBackend& registry, const TIP& request,
               const std::string& setting, const TSwitchResult& result) {
    LogSwitch(appPath, LoggedAdapterName(registry, request.Adapter), setting, result);
}
