#pragma once
// Apply with a way back: the adapter's present configuration is kept, the setting applied
// and checked, and unless the user keeps it within the countdown, the kept configuration
// goes back through the same apply. Shared by the way-back box and /keep-within; portable.

#include "netcfg/ConnectionCheck.h"
#include "netcfg/Snapshot.h"
#include "support/Config.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// The countdown's length, config.ini's RevertSeconds.
inline constexpr int DefaultRevertSeconds = 30;
inline constexpr int MinRevertSeconds = 10;
inline constexpr int MaxRevertSeconds = 600;

// RevertSeconds: DefaultRevertSeconds when missing or no number, else held to
// MinRevertSeconds .. MaxRevertSeconds.
int RevertSeconds(const TConfig& config);
// RevertWhenUnreachable: go back at once when the gateway does not answer; "1" is on.
bool RevertWhenUnreachable(const TConfig& config);
void SaveRevertWhenUnreachable(TConfig& config, bool on);

// The countdown against a millisecond clock, whatever the clock is.
class TRevertCountdown {
  public:
    TRevertCountdown(unsigned seconds, std::uint64_t startMs);
    // Whole seconds left, rounded up: 30 right at the start, 0 once it has ended.
    unsigned SecondsLeft(std::uint64_t nowMs) const;
    bool Ended(std::uint64_t nowMs) const { return SecondsLeft(nowMs) == 0; }
    // "Going back to the previous settings in 30 s".
    std::string Text(std::uint64_t nowMs) const;

  private:
    std::uint64_t endMs_;
};

struct TWayBackApply {
    TSnapshot Snapshot;
    TSwitchResult Result;
    // The check of the new network: only once Windows uses what was asked.
    std::optional<TConnectionReport> Report;
};

// Takes the snapshot and applies request through SetIP; checks the network when the apply
// is verified and reachability is given. Refused with an error before anything is
// written when the adapter's key does not open or the snapshot could not be applied back.
TWayBackApply ApplyWithWayBack(const TIP& request, IRegistryBackend& registry,
                               INetServices& services, IReachability* reachability);

// What the box and the command line show of the apply: how it ended, what else the apply
// had to say (said: the messages SetIP gave meanwhile, which stand here instead of in boxes
// of their own), then the check's lines.
std::vector<std::string> WayBackLines(const TWayBackApply& apply,
                                      const std::vector<std::string>& said = {});

// Whether to go back without waiting: the option is on and the gateway did not answer.
bool GoBackAtOnce(const TWayBackApply& apply, bool revertWhenUnreachable);

// How going back ended.
struct TWentBack {
    bool ToDhcp = false;  // the previous settings were DHCP
    TSwitchResult Result; // as SetIP gave it
    std::string Failure;  // the error that stopped it; empty when it ran
};

// Applies the snapshot back; netvane.log in appPath gets it under the adapter's name, as
// every switch does. Never raises: a failure is in the answer.
inline constexpr char WentBackLogName[] = "(the previous settings)";
TWentBack GoBack(const TWayBackApply& apply, IRegistryBackend& registry, INetServices& services,
                 const std::string& appPath);

// The one message after going back: that it went back and whether Windows uses the previous
// settings now, then what else going back had to say (said, as for WayBackLines).
std::string WentBackText(const TWentBack& wentBack, const std::vector<std::string>& said = {});

// The signal of Netvane.exe /keep to an apply waiting with /keep-within, across sessions.
class IKeepSignal {
  public:
    virtual ~IKeepSignal() = default;
    // Makes the signal to wait for (before the apply, so that no /keep is missed); false when
    // it cannot be made.
    virtual bool Listen() = 0;
    // Waits up to seconds for /keep; true when it came.
    virtual bool Wait(unsigned seconds) = 0;
    // Gives the signal to the apply that waits; false when none waits.
    virtual bool Give() = 0;
};
