#include "WayBack.h"

#include "support/Error.h"
#include "support/IntegerText.h"

#include <algorithm>

namespace {

std::string OutcomeLine(const TSwitchResult& result) {
    switch (result.Outcome) {
    case TSwitchOutcome::Applied:
        return "The new settings are applied and in use";
    case TSwitchOutcome::WaitingForCable:
        return "The new settings are saved; the adapter is not connected";
    default:
        break;
    }
    if (result.AdapterMissing)
        return "The new settings are saved, but the adapter is not present in Windows now";
    std::string line = "Windows does not use the new settings";
    if (!result.Reason.empty()) {
        line += ": ";
        line += result.Reason;
    }
    return line;
}

// What SetIP said beside the outcome: its message about the outcome only where that tells
// more than the outcome's line (what Windows uses instead of what was asked).
std::vector<std::string> FurtherLines(const TSwitchResult& result,
                                      const std::vector<std::string>& said) {
    const bool lineSaysAll =
        result.Outcome == TSwitchOutcome::WaitingForCable || result.AdapterMissing;
    std::vector<std::string> lines;
    for (const std::string& message : said)
        if (!(lineSaysAll && message == result.Message))
            lines.push_back(message);
    return lines;
}

} // namespace

int RevertSeconds(const TConfig& config) {
    const int seconds = ParseIntDef(config.ReadValue("RevertSeconds"), DefaultRevertSeconds);
    return std::clamp(seconds, MinRevertSeconds, MaxRevertSeconds);
}

bool RevertWhenUnreachable(const TConfig& config) {
    return config.ReadValue("RevertWhenUnreachable") == "1";
}

void SaveRevertWhenUnreachable(TConfig& config, bool on) {
    config.WriteValue("RevertWhenUnreachable", on ? "1" : "0");
}

TRevertCountdown::TRevertCountdown(unsigned seconds, std::uint64_t startMs)
    : endMs_(startMs + std::uint64_t{seconds} * 1000) {}

unsigned TRevertCountdown::SecondsLeft(std::uint64_t nowMs) const {
    if (nowMs >= endMs_)
        return 0;
    return static_cast<unsigned>((endMs_ - nowMs + 999) / 1000);
}

std::string TRevertCountdown::Text(std::uint64_t nowMs) const {
    std::string text = "Going back to the previous settings in ";
    text += std::to_string(SecondsLeft(nowMs));
    text += " s";
    return text;
}

TWayBackApply ApplyWithWayBack(const TIP& request, IRegistryBackend& registry,
                               INetServices& services, IReachability* reachability) {
    // SetIP reports a key it could not open only after writing the proxy: here nothing is
    // written without the way back in hand.
    if (!AdapterKeyReachable(registry, services, request.Adapter))
        throw TError(AdapterKeyMessage(request.Adapter));
    TWayBackApply apply;
    apply.Snapshot = TakeSnapshot(registry, request.Adapter, services.LiveStateReader(),
                                  services.ProxyConnection());
    if (const std::string complaint = SnapshotComplaint(apply.Snapshot); !complaint.empty())
        throw TError("There would be no way back: " + complaint + "; nothing was changed");
    try {
        SetIP(request, registry, services, &apply.Result);
    } catch (const TError&) {
        // Refused before writing, or the adapter's key vanished after the proxy was
        // written: the proxy goes back as it was either way.
        RestoreKeptValues(registry, TRootKey::CurrentUser, ProxyKeyPath(),
                          apply.Snapshot.ProxyValues);
        throw;
    }
    ILiveStateReader* reader = services.LiveStateReader();
    if (reachability && reader && apply.Result.Outcome == TSwitchOutcome::Applied)
        apply.Report = CheckConnection(reader->Read(request.Adapter), *reachability);
    return apply;
}

std::vector<std::string> WayBackLines(const TWayBackApply& apply,
                                      const std::vector<std::string>& said) {
    std::vector<std::string> lines{OutcomeLine(apply.Result)};
    for (std::string& line : FurtherLines(apply.Result, said))
        lines.push_back(std::move(line));
    if (apply.Report)
        lines.insert(lines.end(), apply.Report->Lines.begin(), apply.Report->Lines.end());
    return lines;
}

bool GoBackAtOnce(const TWayBackApply& apply, bool revertWhenUnreachable) {
    return revertWhenUnreachable && apply.Report && !apply.Report->GatewayAnswers;
}

TWentBack GoBack(const TWayBackApply& apply, IRegistryBackend& registry, INetServices& services,
                 const std::string& appPath) {
    TWentBack wentBack;
    wentBack.ToDhcp = apply.Snapshot.Request.DHCP;
    wentBack.Result.Outcome = TSwitchOutcome::Applied;
    try {
        RestoreSnapshot(apply.Snapshot, registry, services, &wentBack.Result);
    } catch (const std::exception& error) {
        wentBack.Result.Outcome = TSwitchOutcome::NotApplied;
        wentBack.Result.Reason = wentBack.Failure = error.what();
    }
    LogSwitch(appPath, registry, apply.Snapshot.Request, WentBackLogName, wentBack.Result);
    return wentBack;
}

std::string WentBackText(const TWentBack& wentBack, const std::vector<std::string>& said) {
    std::string text;
    if (!wentBack.Failure.empty()) {
        text = "Could not go back to the previous settings: " + wentBack.Failure;
    } else {
        const TSwitchResult& result = wentBack.Result;
        text = wentBack.ToDhcp ? "Went back to the previous settings (DHCP)"
                               : "Went back to the previous settings";
        if (result.Outcome == TSwitchOutcome::Applied) {
            text += "; they are in use";
        } else if (result.Outcome == TSwitchOutcome::WaitingForCable) {
            text += "; the adapter is not connected";
        } else {
            text += "; Windows does not use them";
            if (!result.Reason.empty()) {
                text += ": ";
                text += result.Reason;
            }
        }
    }
    for (const std::string& line : FurtherLines(wentBack.Result, said)) {
        text += "\r\n\r\n";
        text += line;
    }
    return text;
}
