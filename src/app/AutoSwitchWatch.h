#pragma once
// Switching by itself while the program runs. A short while after Windows reports a change
// of an address or an interface, each listed adapter whose settings have conditions is
// judged on what it reports now: the one setting that matches is applied, or offered where
// a switch would ask for consent; several matching are named once. The watch keeps each
// adapter's hold-off and what a click on the last balloon does; reading, switching and
// showing are the window's, through IAutoSwitchHost.

#include "netcfg/UseWhen.h"

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

// config.ini's value of the option "Switch automatically"; on when missing.
inline constexpr char AutoSwitchSetting[] = "AutoSwitch";
// How long after the last change Windows reported the adapters are judged.
inline constexpr unsigned AutoSwitchSettleMs = 2000;
// How long a balloon's click still does what the balloon offered.
inline constexpr std::uint64_t BalloonActionMs = 60 * 1000;

// One adapter as the watch judges it: its settings that have conditions, and its network.
struct TAutoAdapter {
    std::string Id;
    std::string Name;
    TNetworkFacts Facts;
    std::vector<TAutoCandidate> Candidates;
    std::vector<std::int64_t> SettingIds; // one a candidate
};

// How an automatic switch went.
struct TAutoApplied {
    bool Switched = false; // the adapter's values were written (verified or not)
    std::string Title;     // of the balloon
    std::string Text;      // what it says
    bool Warning = false;  // it did not go as asked
    TNetworkFacts After;   // what the adapter reports after it
};

class IAutoSwitchHost {
  public:
    virtual ~IAutoSwitchHost() = default;
    // The option, and whether the window may switch now (no dialog of its open).
    virtual bool AutoSwitchOn() = 0;
    virtual bool ReadyToSwitch() = 0;
    // The listed adapters that have settings with conditions, each read now.
    virtual std::vector<TAutoAdapter> AdaptersToJudge() = 0;
    // Whether a switch now would ask the user for consent (no service, not elevated).
    virtual bool SwitchAsksConsent() = 0;
    // Applies the stored setting, keeping the adapter's way back; cause goes to the log.
    virtual TAutoApplied Apply(const std::string& adapterId, std::int64_t settingId,
                               const std::string& cause) = 0;
    // Back to what the adapter had before its last automatic switch; what to tell the user.
    virtual std::string GoBack(const std::string& adapterId) = 0;
    virtual void Balloon(const std::string& title, const std::string& text, bool warning) = 0;
    virtual std::uint64_t Now() = 0; // milliseconds, for the balloon's minute
};

class TAutoSwitchWatch {
  public:
    explicit TAutoSwitchWatch(IAutoSwitchHost& host) : host_(host) {}

    // Things have settled since the last change: every adapter judged. False when the
    // window was busy and nothing was judged: ask again later.
    bool Settled();
    // The user switched the adapter (window, icon, way back): no automatic switch on it
    // until its link goes down and up again.
    void SwitchedByHand(const std::string& adapterId);
    // The last balloon was clicked: what it offered, within its minute.
    void BalloonClicked();

  private:
    struct TAdapterWatch {
        TAutoSwitchHoldOff HoldOff;
    };
    enum class TOffer { None, GoBack, Switch };

    void Judge(const TAutoAdapter& adapter);
    void Switch(const TAutoAdapter& adapter, std::size_t match);
    void Offer(TOffer offer, const std::string& adapterId, std::int64_t settingId);

    IAutoSwitchHost& host_;
    std::map<std::string, TAdapterWatch> adapters_;
    TOffer offer_ = TOffer::None;
    std::string offerAdapter_;
    std::int64_t offerSetting_ = 0;
    std::uint64_t offerUntil_ = 0;
    // The facts a consent-asking offer was made on, for the hold-off when it is taken.
    TAutoAdapter offered_;
};

// The balloons' texts.
std::string AutoSwitchedText(const std::string& adapter, const std::string& title,
                             const std::string& conditions);
std::string SeveralMatchText(const std::vector<TAutoCandidate>& candidates,
                             const std::vector<std::size_t>& matches);
std::string MatchOfferText(const std::string& title);
