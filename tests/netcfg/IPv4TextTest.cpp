#include "netcfg/IPv4Text.h"

#include <gtest/gtest.h>

TEST(IPv4Text, FormatsTheBytesInStoredOrderWithoutLeadingZeros) {
    struct Case {
        unsigned char bytes[4];
        const char* expected;
    } cases[] = {
        {{192, 168, 0, 5}, "192.168.0.5"},
        {{1, 2, 3, 4}, "1.2.3.4"},
        {{10, 0, 0, 5}, "10.0.0.5"},
        {{0, 0, 0, 0}, "0.0.0.0"},
        {{255, 255, 255, 255}, "255.255.255.255"},
        {{128, 7, 99, 200}, "128.7.99.200"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.expected, FormatIPv4(c.bytes));
}

TEST(IPv4Text, FormatFirstIPv4TakesTheFirstOfSeveralAddresses) {
    const char first[4] = {'\xC0', '\x00', '\x02', '\x02'};
    const char second[4] = {10, 0, 0, 1};
    const char* const addresses[] = {first, second, nullptr};
    std::string text = "previous";
    EXPECT_TRUE(FormatFirstIPv4(addresses, text));
    EXPECT_EQ("192.0.2.2", text);
}

TEST(IPv4Text, FormatFirstIPv4LeavesTheTextAloneWithoutAnAddress) {
    const char* const empty[] = {nullptr};
    std::string text = "unchanged";
    EXPECT_FALSE(FormatFirstIPv4(empty, text));
    EXPECT_EQ("unchanged", text);
    EXPECT_FALSE(FormatFirstIPv4(nullptr, text));
    EXPECT_EQ("unchanged", text);
}
