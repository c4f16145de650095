#include "AutoSwitch.h"

#include "app/SettingInUse.h"

namespace {
constexpr int TitleField = 2;
} // namespace

TNetworkFacts ReadNetworkFacts(ILiveStateReader* reader, INetworkFactsReader* more,
                               const std::string& adapterId) {
    TNetworkFacts facts;
    if (reader)
        facts.State = reader->Read(adapterId);
    if (more && facts.State.Present)
        facts = more->Read(adapterId, facts.State);
    return facts;
}

TNetworkFacts ReadNetworkFacts(INetServices& services, const std::string& adapterId) {
    return ReadNetworkFacts(services.LiveStateReader(), services.NetworkFactsReader(), adapterId);
}

int TAutoEvaluation::Row() const {
    const bool one =
        Decision.Action == TAutoAction::Apply || Decision.Action == TAutoAction::AlreadyInUse;
    return one ? Rows[Decision.Matches[0]] : -1;
}

TAutoEvaluation EvaluateAutoSwitch(const TProfileTable& view, const TNetworkFacts& facts) {
    TAutoEvaluation evaluation;
    for (int row = 0; row < view.RowCount(); ++row) {
        const std::string conditions = view.Extras(row).UseWhen;
        if (conditions.empty())
            continue;
        evaluation.Rows.push_back(row);
        evaluation.Candidates.push_back(
            {view.Text(row, TitleField), conditions, RowIsInUse(view, row, facts.State)});
    }
    evaluation.Decision = DecideAutoSwitch(evaluation.Candidates, facts);
    return evaluation;
}

std::vector<TFactRow> NetworkRows(const TNetworkFacts& facts, const TAutoEvaluation& evaluation) {
    std::vector<TFactRow> rows;
    // A row for each condition, as the addresses have theirs: each fits its column.
    for (const TCondition& condition : ConditionsOfNetwork(facts))
        rows.push_back({"Network", ConditionText(condition)});
    if (rows.empty())
        rows.push_back({"Network", "not connected"});
    if (facts.SsidState == TSsidState::Read)
        rows.push_back({"Wi-Fi network", facts.Ssid.empty() ? "not connected" : facts.Ssid});
    else if (facts.SsidState != TSsidState::NotWireless)
        rows.push_back({"Wi-Fi network", "unknown: " + SsidStateText(facts.SsidState)});
    std::string used;
    switch (evaluation.Decision.Action) {
    case TAutoAction::Nothing:
        used = evaluation.Candidates.empty() ? "no setting has conditions" : "none matches";
        break;
    case TAutoAction::AlreadyInUse:
        used = evaluation.Names() + " (in use)";
        break;
    case TAutoAction::Apply:
        used = evaluation.Names();
        break;
    case TAutoAction::Several:
        used = "none: several match (" + evaluation.Names() + ")";
        break;
    }
    rows.push_back({"Used automatically", used});
    return rows;
}

std::string AutomaticCause(const TAutoEvaluation& evaluation) {
    const int row = evaluation.Row();
    if (row < 0)
        return "automatic";
    const std::size_t index = evaluation.Decision.Matches[0];
    return "automatic: " +
           FormatConditions(ParseConditions(evaluation.Candidates[index].Conditions).Conditions);
}
