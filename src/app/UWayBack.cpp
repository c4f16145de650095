#include "UWayBack.h"

#include "support/Strings.h"

#include <algorithm>


namespace {
constexpr const char* WayBackClassName = "TWayBackForm";
constexpr UINT_PTR CountdownTimer = 1;
constexpr UINT CountdownTickMs = 250;
constexpr int LineHeight = 16;
constexpr int ClientWidth = 380;

TWayBackForm::TClock& Clock() {
    static TWayBackForm::TClock clock = [] { return ::GetTickCount64(); };
    return clock;
}

// Rows the lines take in the results' width: a long reason wraps.
int RowsOf(const std::vector<std::string>& lines) {
    constexpr size_t CharactersPerRow = 50;
    int rows = 0;
    for (const std::string& line : lines)
        rows += static_cast<int>(std::max<size_t>(1, (line.size() + CharactersPerRow - 1) /
                                                         CharactersPerRow));
    return rows;
}

} // namespace

void TWayBackForm::SetClock(TClock clock) {
    Clock() = clock ? std::move(clock) : [] { return ::GetTickCount64(); };
}

std::uint64_t TWayBackForm::Now() {
    return Clock()();
}

TWayBackForm::TWayBackForm(const std::vector<std::string>& lines, const TRevertCountdown& countdown,
                           bool goBackWhenUnreachable, bool gatewayAnswers, HWND owner)
    : countdown_(countdown), gatewayAnswers_(gatewayAnswers) {
    RegisterFormClass(WayBackClassName);
    const int resultsHeight = LineHeight * RowsOf(lines);
    const int countdownTop = 40 + resultsHeight + 8;
    const int optionTop = countdownTop + 24;
    const int buttonsTop = optionTop + 30;
    CreateForm(WayBackClassName, "Keep these network settings?", WS_POPUP | WS_CAPTION | WS_SYSMENU,
               WS_EX_DLGMODALFRAME, ClientWidth, buttonsTop + 37, owner);
    const int bold = AddFont([](LOGFONTA& font) { font.lfWeight = FW_BOLD; });
    AddLabel("Keep these network settings?", 12, 12, bold, 0, idQuestion);
    AddControl("STATIC", JoinTexts(lines, "\r\n"), WS_VISIBLE | SS_LEFT | SS_NOPREFIX, 12, 40,
               ClientWidth - 24, resultsHeight, idResults);
    countdownText_ = AddControl("STATIC", "", WS_VISIBLE | SS_LEFT, 12, countdownTop, ClientWidth - 24,
                            LineHeight, idCountdown);
    option_ = AddControl("BUTTON", "Go back at once when the &gateway does not answer",
                         WS_VISIBLE | WS_TABSTOP | BS_AUTOCHECKBOX, 12, optionTop,
                         ClientWidth - 24, 20, idUnreachable);
    ::SendMessageA(option_, BM_SETCHECK, goBackWhenUnreachable ? BST_CHECKED : BST_UNCHECKED, 0);
    AddControl("BUTTON", "&Keep", WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON, ClientWidth - 192,
               buttonsTop, 85, 25, idKeep);
    AddControl("BUTTON", "Go &back now", WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, ClientWidth - 97,
               buttonsTop, 85, 25, idGoBack);
    SetDefaultButton(idKeep);
    ShowCountdown();
    ::SetTimer(Handle(), CountdownTimer, CountdownTickMs, nullptr);
}

TWayBackForm::~TWayBackForm() {
    ::KillTimer(Handle(), CountdownTimer);
}

bool TWayBackForm::GoBackWhenUnreachable() const {
    return ::SendMessageA(option_, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void TWayBackForm::ShowCountdown() {
    const std::uint64_t now = Clock()();
    ::SetWindowTextA(countdownText_, countdown_.Text(now).c_str());
    if (countdown_.Ended(now) && InModalLoop())
        SetModalResult(mrCancel);
}

LRESULT TWayBackForm::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_TIMER && wParam == CountdownTimer) {
        ShowCountdown();
        return 0;
    }
    if (message == WM_COMMAND && HIWORD(wParam) == BN_CLICKED) {
        if (LOWORD(wParam) == idKeep && InModalLoop()) {
            SetModalResult(mrOk);
            return 0;
        }
        if (LOWORD(wParam) == idUnreachable && GoBackWhenUnreachable() && !gatewayAnswers_ &&
            InModalLoop()) {
            SetModalResult(mrCancel);
            return 0;
        }
    }
    return TForm::HandleMessage(message, wParam, lParam);
}
