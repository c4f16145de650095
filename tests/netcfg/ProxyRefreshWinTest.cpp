// The system's own proxy refresh (wininet), as the program calls it after the proxy writes.

#include "netcfg/NetServicesWin.h"

#include <gtest/gtest.h>

TEST(ProxyRefreshOnWindows, TheSystemTakesTheChangeAndTheRefresh) {
    TSystemNetServices services(nullptr);
    EXPECT_TRUE(services.NotifyProxyChanged());
    // A second time too: nothing is left half done by the first.
    EXPECT_TRUE(services.NotifyProxyChanged());
}
