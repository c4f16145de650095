#pragma once
// Which stored setting an adapter's network asks for: its view's settings that have
// conditions, judged on what Windows reports now. /auto runs it once; the window's watcher
// at each change.

#include "netcfg/SetIP.h"
#include "netcfg/UseWhen.h"
#include "store/ProfileStore.h"

#include <string>
#include <vector>

// What the adapter reports now: its live state and, where the services can read them, the
// facts beyond it. Nothing is sent.
TNetworkFacts ReadNetworkFacts(INetServices& services, const std::string& adapterId);
// The same, from a reader of the live state of one's own (the window's).
TNetworkFacts ReadNetworkFacts(ILiveStateReader* reader, INetworkFactsReader* more,
                               const std::string& adapterId);

struct TAutoEvaluation {
    std::vector<int> Rows;                  // the view's rows that have conditions
    std::vector<TAutoCandidate> Candidates; // one a row, in the same order
    TAutoDecision Decision;                 // over the candidates
    // The view's row of the setting to apply or in use; -1 for none.
    int Row() const;
    // The matching settings named: "Office and Office 2nd floor".
    std::string Names() const { return MatchNames(Candidates, Decision.Matches); }
};

// Judges the visible rows of the view (restricted to the adapter) on the facts.
TAutoEvaluation EvaluateAutoSwitch(const TProfileTable& view, const TNetworkFacts& facts);

// The network in these terms, for the details dialog and /status: "Network" (a row for each
// condition it meets now, or "not connected"), "Wi-Fi network" (its SSID, or why there is none; not
// for a wired adapter) and "Used automatically" (the setting whose conditions it meets).
std::vector<TFactRow> NetworkRows(const TNetworkFacts& facts, const TAutoEvaluation& evaluation);

// What the log says after an automatic switch: "automatic: gateway=10.1.0.1".
std::string AutomaticCause(const TAutoEvaluation& evaluation);
