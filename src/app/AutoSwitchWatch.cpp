#include "AutoSwitchWatch.h"

#include <array>

namespace {

std::string CountWord(std::size_t count) {
    static const std::array<const char*, 11> words = {
        "No", "One", "Two", "Three", "Four", "Five", "Six", "Seven", "Eight", "Nine", "Ten"};
    return count < words.size() ? words[count] : std::to_string(count);
}

} // namespace

std::string AutoSwitchedText(const std::string& adapter, const std::string& title,
                             const std::string& conditions) {
    return adapter + " switched to \"" + title + "\", which matches this network (" + conditions +
           "). Click here within a minute to go back.";
}

std::string SeveralMatchText(const std::vector<TAutoCandidate>& candidates,
                             const std::vector<std::size_t>& matches) {
    std::string names;
    for (const std::size_t match : matches)
        names += (names.empty() ? "" : ", ") + candidates[match].Title;
    return CountWord(matches.size()) + " settings match this network: " + names;
}

std::string MatchOfferText(const std::string& title) {
    return title + " matches this network: click to switch";
}

bool TAutoSwitchWatch::Settled() {
    if (!host_.AutoSwitchOn())
        return true;
    if (!host_.ReadyToSwitch())
        return false;
    for (const TAutoAdapter& adapter : host_.AdaptersToJudge())
        Judge(adapter);
    return true;
}

void TAutoSwitchWatch::Judge(const TAutoAdapter& adapter) {
    TAdapterWatch& watch = adapters_[adapter.Id];
    // Asked at every judgement, so that the hold-off sees each network the adapter was on.
    if (!watch.HoldOff.Allows(adapter.Facts))
        return;
    const TAutoDecision decision = DecideAutoSwitch(adapter.Candidates, adapter.Facts);
    switch (decision.Action) {
    case TAutoAction::Nothing:
    case TAutoAction::AlreadyInUse:
        return;
    case TAutoAction::Several:
        if (watch.HoldOff.FirstReportOf(decision, adapter.Facts))
            host_.Balloon("Netvane: " + adapter.Name,
                          SeveralMatchText(adapter.Candidates, decision.Matches), false);
        return;
    case TAutoAction::Apply:
        break;
    }
    const std::size_t match = decision.Matches[0];
    if (!host_.SwitchAsksConsent()) {
        Switch(adapter, match);
        return;
    }
    // A consent prompt nobody asked for would come out of nowhere: offered instead, once.
    if (!watch.HoldOff.FirstReportOf(decision, adapter.Facts))
        return;
    offered_ = adapter;
    Offer(TOffer::Switch, adapter.Id, adapter.SettingIds[match]);
    host_.Balloon("Netvane: " + adapter.Name, MatchOfferText(adapter.Candidates[match].Title),
                  false);
}

void TAutoSwitchWatch::Switch(const TAutoAdapter& adapter, std::size_t match) {
    const TAutoCandidate& setting = adapter.Candidates[match];
    const std::string conditions = FormatConditions(ParseConditions(setting.Conditions).Conditions);
    TAdapterWatch& watch = adapters_[adapter.Id];
    // Held off before the switch: one that fails is not tried again on the same network.
    watch.HoldOff.SwitchedAutomatically(adapter.Facts);
    const TAutoApplied applied =
        host_.Apply(adapter.Id, adapter.SettingIds[match], "automatic: " + conditions);
    watch.HoldOff.Produced(applied.After);
    if (applied.Switched)
        Offer(TOffer::GoBack, adapter.Id, adapter.SettingIds[match]);
    host_.Balloon(applied.Title, applied.Text, applied.Warning);
}

void TAutoSwitchWatch::Offer(TOffer offer, const std::string& adapterId, std::int64_t settingId) {
    offer_ = offer;
    offerAdapter_ = adapterId;
    offerSetting_ = settingId;
    offerUntil_ = host_.Now() + BalloonActionMs;
}

void TAutoSwitchWatch::SwitchedByHand(const std::string& adapterId) {
    adapters_[adapterId].HoldOff.SwitchedByHand();
    // A balloon about that adapter no longer says what is true.
    if (offerAdapter_ == adapterId)
        offer_ = TOffer::None;
}

void TAutoSwitchWatch::BalloonClicked() {
    const TOffer offer = offer_;
    offer_ = TOffer::None;
    if (offer == TOffer::None || host_.Now() > offerUntil_)
        return;
    if (offer == TOffer::GoBack) {
        const std::string said = host_.GoBack(offerAdapter_);
        adapters_[offerAdapter_].HoldOff.SwitchedByHand();
        host_.Balloon("Netvane", said, false);
        return;
    }
    // The offer taken: switched as the watch would have, consent asked now.
    for (std::size_t i = 0; i < offered_.SettingIds.size(); ++i)
        if (offered_.SettingIds[i] == offerSetting_ && offered_.Id == offerAdapter_)
            Switch(offered_, i);
}
