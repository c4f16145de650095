// The system's own proxy notification (wininet), as the program calls it after the proxy
// writes.

#include "netcfg/NetServicesWin.h"

#include <gtest/gtest.h>

#include <windows.h>
#include <wininet.h>

namespace {

bool RunningOnWine() {
    return ::GetProcAddress(::GetModuleHandleA("ntdll.dll"), "wine_get_version") != nullptr;
}

} // namespace

TEST(ProxyNotificationOnWindows, TheSystemTakesTheChangeAndTheRefresh) {
    for (int time = 1; time <= 2; ++time) { // nothing is left half done by the first
        ::SetLastError(0);
        const TProxyNotification answer = NotifySystemOfProxyChange();
        const DWORD refreshError = ::GetLastError();
        EXPECT_TRUE(answer.SettingsChanged) << time;
        if (RunningOnWine()) {
            // Wine 8 refreshes only a session handle of the caller's own: the null handle,
            // which means "every program" on Windows, is refused as the wrong kind.
            EXPECT_FALSE(answer.Refreshed) << time;
            EXPECT_EQ(static_cast<DWORD>(ERROR_INTERNET_INCORRECT_HANDLE_TYPE), refreshError);
        } else {
            EXPECT_TRUE(answer.Refreshed) << time;
        }
    }
}
