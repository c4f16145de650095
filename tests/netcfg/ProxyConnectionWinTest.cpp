#include "netcfg/ProxyConnectionWin.h"

#include <gtest/gtest.h>

// The documented per-connection call as the system's Internet library answers it: the flags
// read back as they were set, and go back as they were.
TEST(SystemProxyConnection, FlagsReadBackAsSetAndGoBack) {
    TSystemProxyConnection connection;
    const std::optional<std::uint32_t> before = connection.Flags();
    ASSERT_TRUE(before);
    const std::uint32_t detecting = (*before | ConnectionDirect | ConnectionAutoDetect);
    ASSERT_TRUE(connection.SetFlags(detecting));
    EXPECT_EQ(std::optional(detecting), connection.Flags());
    EXPECT_TRUE(RestoreConnectionFlags(connection, *before));
    EXPECT_EQ(before, connection.Flags());
}
