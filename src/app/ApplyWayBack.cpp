// Apply with a way back, from the main window: the way-back box decides between keeping
// the new settings and going back to those kept before the apply.

#include "UMain.h"

#include "UWayBack.h"
#include "WayBack.h"

#include "netcfg/SwitchCheck.h"
#include "support/Error.h"
#include "support/Strings.h"

namespace {

// Whether the user kept the settings; the option's state as the box leaves it.
struct TWayBackChoice {
    bool Keep = false;
    bool GoBackWhenUnreachable = false;
};

TWayBackChoice AskKeep(const TWayBackApply& apply, unsigned seconds, bool goBackWhenUnreachable,
                       HWND owner) {
    if (GoBackAtOnce(apply, goBackWhenUnreachable))
        return {false, goBackWhenUnreachable};
    TWayBackForm box(WayBackLines(apply), seconds, goBackWhenUnreachable,
                     !apply.Report || apply.Report->GatewayAnswers, owner);
    const bool keep = box.ShowModal(owner) == mrOk;
    return {keep, box.GoBackWhenUnreachable()};
}

} // namespace

void TMainForm::acWayBackExecute() {
    if (ViewIsEmpty())
        return;
    FillStaticRequest(
        NewIP, [this](const std::string& name) { return adoT.FieldText(name); }, adoT.FieldExtras());
    const TWayBackApply apply =
        ApplyWithWayBack(NewIP, registry_, *netServices_, reachability_.get());
    LogSwitch(AppPath, WindowText(ComboBox), Trim(adoT.FieldText("Title")), apply.Result);
    ReadLiveState();
    const bool option = ConfigFile && RevertWhenUnreachable(*ConfigFile);
    const unsigned seconds =
        static_cast<unsigned>(ConfigFile ? RevertSeconds(*ConfigFile) : DefaultRevertSeconds);
    const TWayBackChoice choice = AskKeep(apply, seconds, option, Handle());
    if (!choice.Keep) {
        const std::string outcome = GoBack(apply, registry_, *netServices_, AppPath, WindowText(ComboBox));
        ReadLiveState();
        ShowMessage(outcome);
    }
    // Remembered last: a settings file that cannot be written must not stand in the way back.
    if (ConfigFile && choice.GoBackWhenUnreachable != option)
        SaveRevertWhenUnreachable(*ConfigFile, choice.GoBackWhenUnreachable);
}
