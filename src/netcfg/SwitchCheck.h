#pragma once
// After a switch: whether what Windows uses now is what was asked, what to do through the
// documented path (netsh, the IP helper's release and renew) where it is not, and what the
// user is told. The waiting and the fallback run against small seams, so that every outcome
// can be scripted.

#include "netcfg/LiveState.h"
#include "netcfg/SetIP.h"

#include <cstdint>
#include <string>
#include <vector>

// What differs between the request and the state, as the user reads it ("the address
// 10.0.0.5/8"); empty when the state is what was asked. A static request: the DHCP flag,
// each of its addresses with its mask and no other address, its gateways (in any order)
// and no other, its DNS servers in order, its DNS suffix when it names one (letter case
// aside). A DHCP request: the flag, and nothing left of the static setting the
// adapter had before (before: its state then), neither address nor gateway; the rest is the
// DHCP server's to choose.
struct TDifference {
    std::string Asked; // what was asked, "" when nothing was (a value left over)
    std::string Used;  // what the adapter uses instead, "" when nothing
};
std::vector<TDifference> Differences(const TIP& request, const TLiveState& state,
                                     const TLiveState& before);

// Whether a stored setting (filled as for an apply) is what the adapter uses now: its
// addresses, mask, gateway and DNS servers; the proxy is not compared.
bool IsSettingInUse(const TIP& request, const TLiveState& state);

// The netsh command lines ("netsh.exe interface ipv4 ...") that set the request by
// interface index, never by connection name (which breaks on non-ASCII names and on names
// beginning with "#"), in order: the address
// (static, with mask and gateway, or DHCP), each further address ("add address ... mask=")
// and further gateway ("add address ... gateway= gwmetric=", 0: automatic), then the DNS servers (static: the first with
// validate=no, the second added at index=2; DHCP: source=dhcp).
std::vector<std::string> NetshCommands(const TIP& request, std::uint32_t interfaceIndex);

enum class TSwitchOutcome {
    Applied,          // Windows uses what was asked (possibly after the fallback)
    WaitingForCable,  // the adapter is down: Windows applies the values when it connects
    NotApplied,       // Windows uses something else, or does not have the adapter
};

struct TSwitchResult {
    TSwitchOutcome Outcome = TSwitchOutcome::NotApplied;
    bool FallbackUsed = false;  // netsh or the IP helper's renew was needed
    bool AdapterMissing = false; // Windows does not have the adapter now (NotApplied)
    std::string Route = {};     // how the adapter's values were written, for the log
    std::string Reason;         // why it did not apply, when known
    std::string Message;        // what the user is told; empty when Applied
    // Why it was made, for the log ("automatic: gateway=10.1.0.1"); "" by hand. Not sent
    // to the helper: the side that decided sets it.
    std::string Cause = {};
};

// What the switch needs of the system besides the live state.
class ISwitchSystem {
  public:
    virtual ~ISwitchSystem() = default;
    // Runs a line of NetshCommands (netsh.exe of the system folder, hidden) and gives its
    // exit code (1: failed) and what it printed.
    virtual int RunNetsh(const std::string& commandLine, std::string& output) = 0;
    // The IP helper's release and renew of the adapter's DHCP lease; true when both
    // succeeded.
    virtual bool RenewLease(std::uint32_t interfaceIndex) = 0;
    // Lets time pass (the window keeps painting meanwhile); milliseconds.
    virtual void Wait(unsigned milliseconds) = 0;
};

// How a switch ended, as the logs say it: "applied", "not applied: why", with the route.
std::string SwitchOutcomeText(const TSwitchResult& result);
// Appends the switch to netvane.log in appPath: the time, the adapter, the setting's title
// (or "DHCP"), how it ended, how it was written ("directly", "through the helper"), why it was
// made when not by hand, and whether the fallback was needed. Silent when it cannot.
void LogSwitch(const std::string& appPath, const std::string& adapter, const std::string& setting,
               const TSwitchResult& result);
// The adapter a switch wrote, as the log names it: its description as discovery finds it
// among every adapter bound to TCP/IP, else its identifier. Never what a window shows or
// the user typed.
std::string LoggedAdapterName(IRegistryBackend& registry, const std::string& adapterId);
// LogSwitch for the request's adapter, named so.
void LogSwitch(const std::string& appPath, IRegistryBackend& registry, const TIP& request,
               const std::string& setting, const TSwitchResult& result);

// What the user is told when the adapter is missing, or not connected.
std::string NotPresentMessage(const std::string& adapter);
std::string WaitingForCableMessage(const std::string& adapter);

// How long a switch may take before it is judged, and how often it is looked at.
struct TSwitchTiming {
    unsigned StaticMs = 5000; // duplicate-address detection takes about 3 s
    unsigned DhcpMs = 15000;
    unsigned PollMs = 500;
};

// Checks a switch whose registry values were written: waits until the adapter uses what
// was asked (or the time is up), falls back through netsh (and for DHCP the IP helper's
// renew) for what did not take, and checks once more. before: the adapter's state before the
// values were written. The adapter's name in messages is description. An adapter that is
// down is not a failure: Windows applies the values when it connects.
TSwitchResult CheckSwitch(const TIP& request, const std::string& description,
                          const TLiveState& before, ILiveStateReader& reader,
                          ISwitchSystem& system, const TSwitchTiming& timing = {});
