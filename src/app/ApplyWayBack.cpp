// Apply with a way back, from the main window: the way-back box decides between keeping
// the new settings and going back to those kept before the apply.

#include "UMain.h"

#include "UWayBack.h"
#include "WayBack.h"

#include "netcfg/SwitchCheck.h"
#include "support/Error.h"
#include "support/Strings.h"

#include <utility>

namespace {

// Whether the user kept the settings; the option's state as the box leaves it.
struct TWayBackChoice {
    bool Keep = false;
    bool GoBackWhenUnreachable = false;
};

TWayBackChoice AskKeep(const std::vector<std::string>& lines, const TWayBackApply& apply,
                       const TRevertCountdown& countdown, bool goBackWhenUnreachable, HWND owner) {
    // Ended while the apply was checked: a box now would only close again.
    if (GoBackAtOnce(apply, goBackWhenUnreachable) || countdown.Ended(TWayBackForm::Now()))
        return {false, goBackWhenUnreachable};
    TWayBackForm box(lines, countdown, goBackWhenUnreachable,
                     !apply.Report || apply.Report->GatewayAnswers, owner);
    const bool keep = box.ShowModal(owner) == mrOk;
    return {keep, box.GoBackWhenUnreachable()};
}

// What SetIP tells the user while it runs, held to be said in the way back's own box or
// message: a box of its own would hold up the countdown, which must end in going back
// whoever is left to answer.
class THeldMessages {
  public:
    using TSink = std::function<void(const std::string&)>;
    THeldMessages(TSink& sink, std::vector<std::string>& said)
        : sink_(sink), previous_(std::exchange(
                           sink, [&said](const std::string& text) { said.push_back(text); })) {}
    ~THeldMessages() { sink_ = std::move(previous_); }
    THeldMessages(const THeldMessages&) = delete;
    THeldMessages& operator=(const THeldMessages&) = delete;

  private:
    TSink& sink_;
    TSink previous_;
};

} // namespace

void TMainForm::acWayBackExecute() {
    if (ViewIsEmpty())
        return;
    FillStaticRequest(
        NewIP, [this](const std::string& name) { return adoT.FieldText(name); },
        adoT.FieldExtras());
    const unsigned seconds =
        static_cast<unsigned>(ConfigFile ? RevertSeconds(*ConfigFile) : DefaultRevertSeconds);
    // The countdown runs from the apply's writing, the check of the new network included.
    const TRevertCountdown countdown(seconds, TWayBackForm::Now());
    std::vector<std::string> said;
    TWayBackApply apply;
    try {
        const THeldMessages held(messageSink_, said);
        apply = ApplyWithWayBack(NewIP, registry_, *netServices_, reachability_.get());
        SwitchedByHand();
    } catch (const std::exception&) {
        // Refused, or stopped: there is no way back to wait for.
        for (const std::string& text : said)
            netServices_->ShowMessage(text);
        throw;
    }
    LogSwitch(AppPath, registry_, NewIP, Trim(adoT.FieldText("Title")), apply.Result);
    ReadLiveState();
    const bool option = ConfigFile && RevertWhenUnreachable(*ConfigFile);
    const TWayBackChoice choice =
        AskKeep(WayBackLines(apply, said), apply, countdown, option, Handle());
    if (!choice.Keep) {
        std::vector<std::string> saidGoingBack;
        TWentBack wentBack;
        {
            const THeldMessages held(messageSink_, saidGoingBack);
            wentBack = GoBack(apply, registry_, *netServices_, AppPath);
        }
        ReadLiveState();
        ShowMessage(WentBackText(wentBack, saidGoingBack));
    }
    // Remembered last: a settings file that cannot be written must not stand in the way back.
    if (ConfigFile && choice.GoBackWhenUnreachable != option)
        SaveRevertWhenUnreachable(*ConfigFile, choice.GoBackWhenUnreachable);
}
