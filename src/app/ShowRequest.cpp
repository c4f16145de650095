#include "ShowRequest.h"

UINT ShowRequestMessage() {
    static const UINT message = ::RegisterWindowMessageA("Netvane.ShowWindow");
    return message;
}

bool RequestShow(HWND window) {
    DWORD processId = 0;
    ::GetWindowThreadProcessId(window, &processId);
    const UINT message = ShowRequestMessage();
    if (message == 0)
        return false;
    ::AllowSetForegroundWindow(processId);
    return ::PostMessageA(window, message, 0, 0) != FALSE;
}

void BringWindowUp(HWND window) {
    // Asked first: showing the window makes it the active one, its own last active popup.
    HWND popup = ::GetLastActivePopup(window);
    if (!::IsWindowVisible(window))
        ::ShowWindow(window, SW_SHOW);
    if (::IsIconic(window))
        ::ShowWindow(window, SW_RESTORE);
    ::SetForegroundWindow(popup && ::IsWindowVisible(popup) ? popup : window);
}

bool AnswerShowRequest(HWND window, UINT message) {
    // Registered messages lie above 0xC000; the others are not even compared.
    if (message < 0xC000 || message != ShowRequestMessage())
        return false;
    BringWindowUp(window);
    return true;
}
