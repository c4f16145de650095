#include "netcfg/ProxyConnectionWin.h"

#include <gtest/gtest.h>

// The documented per-connection call as the system's Internet library answers it: the flags
// read back as they were set, and go back as they were. (Wine keeps the proxy's flag alone,
// neither detection's nor the direct one's, so the proxy's is the one turned and compared.)
TEST(SystemProxyConnection, FlagsReadBackAsSetAndGoBack) {
    TSystemProxyConnection connection;
    const std::optional<std::uint32_t> before = connection.Flags();
    ASSERT_TRUE(before);
    const std::uint32_t turned = (*before ^ ConnectionProxy) | ConnectionDirect;
    ASSERT_TRUE(connection.SetFlags(turned));
    EXPECT_EQ(turned & ConnectionProxy, connection.Flags().value_or(0) & ConnectionProxy);
    EXPECT_TRUE(RestoreConnectionFlags(connection, *before));
    EXPECT_EQ(before, connection.Flags());
}
