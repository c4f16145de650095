#pragma once
// The way-back box: after an apply with a way back, asks whether to keep the new network
// settings, shows how the apply and the connection check went, and counts down to going
// back. Keep keeps them; Go back now, Esc, closing the box and the end of the countdown go
// back.

#include "WayBack.h"

#include "support/Forms.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

class TWayBackForm : public TForm {
  public:
    // lines: the apply's outcome and the check's results; countdown: running since the
    // apply wrote, on Now's clock; goBackWhenUnreachable: the option as it stands;
    // gatewayAnswers: false when the check found the gateway silent (ticking the option
    // then goes back at once).
    TWayBackForm(const std::vector<std::string>& lines, const TRevertCountdown& countdown,
                 bool goBackWhenUnreachable, bool gatewayAnswers, HWND owner);
    ~TWayBackForm() override;

    enum : int {
        idQuestion = 101,
        idResults,
        idCountdown,
        idUnreachable,
        idKeep = IDOK,
        idGoBack = IDCANCEL,
    };

    // Whether the option is ticked now.
    bool GoBackWhenUnreachable() const;
    // The millisecond clock the countdown runs on; a test may run its own.
    using TClock = std::function<std::uint64_t()>;
    static void SetClock(TClock clock);
    static std::uint64_t Now();

  protected:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

  private:
    void ShowCountdown();

    TRevertCountdown countdown_;
    bool gatewayAnswers_ = true;
    HWND countdownText_ = nullptr;
    HWND option_ = nullptr;
};
