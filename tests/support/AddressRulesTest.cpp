#include "support/AddressRules.h"

#include <gtest/gtest.h>

TEST(IsPositiveInt, HoldsOnlyForNumbersAboveZero) {
    struct Case {
        std::string text;
        bool expected;
    } cases[] = {
        {"", false}, {"0", false}, {"-5", false}, {"12 ", false}, {"abc", false},
        {"1", true}, {"+1", true}, {" 7", true},  {"$10", true},  {"99999", true},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.expected, IsPositiveInt(c.text)) << "\"" << c.text << "\"";
}

// CanonicalIP gives the same address as plain decimal groups, or a rejected text unchanged.
TEST(IsValidIP, AcceptsDottedQuadsOfFifteenCharactersAtMost) {
    struct Case {
        std::string text;
        bool expected;
        std::string canonical;
    } cases[] = {
        {"0.0.0.0", true, "0.0.0.0"},
        {"255.255.255.255", true, "255.255.255.255"},
        {"192.168.0.10", true, "192.168.0.10"},
        {"010.001.000.001", true, "10.1.0.1"},
        {"+1.2.3.4", true, "1.2.3.4"},
        {"-0.1.2.3", true, "0.1.2.3"},
        {"$FF.0.0.1", true, "255.0.0.1"},
        {"0x1F.0.0.1", true, "31.0.0.1"},
        {"1. 2.3.4", true, "1.2.3.4"},
        {"256.1.1.1", false, "256.1.1.1"},
        {"1.2.3", false, "1.2.3"},
        {"1.2.3.4.5", false, "1.2.3.4.5"},
        {"1.2.3.4.", false, "1.2.3.4."},
        {".1.2.3", false, ".1.2.3"},
        {"1..2.3", false, "1..2.3"},
        {"1 .2.3.4", false, "1 .2.3.4"},
        {"1.2.3.4 ", false, "1.2.3.4 "},
        {"-1.2.3.4", false, "-1.2.3.4"},
        {"0010.001.000.01", true, "10.1.0.1"},           // decimal groups, leading zeros allowed
        {"1.2.3.4         ", false, "1.2.3.4         "}, // 16 characters
        {"0001.0001.001.01", false, "0001.0001.001.01"}, // 16 characters of valid groups
        {"", false, ""},
        {"a.b.c.d", false, "a.b.c.d"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.expected, IsValidIP(c.text)) << "\"" << c.text << "\"";
        EXPECT_EQ(c.canonical, CanonicalIP(c.text)) << "\"" << c.text << "\"";
    }
}

TEST(CheckProxy, TellsWhichOutcomeHolds) {
    struct Case {
        std::string typed;
        TProxyCheck expected;
    } cases[] = {
        {"", TProxyCheck::Empty},
        {"  \t ", TProxyCheck::Empty},
        {"1.2.3.4", TProxyCheck::NoPort},
        {":8080", TProxyCheck::NoHost},
        {"1.2.3.4:", TProxyCheck::BadPort},
        {"1.2.3.4:0", TProxyCheck::BadPort},
        {"1.2.3.4:-1", TProxyCheck::BadPort},
        {"1.2.3.4:abc", TProxyCheck::BadPort},
        {"1.2.3.4:8080 ", TProxyCheck::BadPort}, // the port is read untrimmed
        {"1.2.3.4:8080", TProxyCheck::Accepted},
        {"proxy.example:$1F", TProxyCheck::Accepted},
        {"h:65535", TProxyCheck::Accepted},
        {"h:1", TProxyCheck::Accepted},
        {"h:65536", TProxyCheck::PortOutOfRange},
        {"h:99999", TProxyCheck::PortOutOfRange},
        {"h:$10000", TProxyCheck::PortOutOfRange},
        {"h:2147483647", TProxyCheck::PortOutOfRange},
        {"  :8080", TProxyCheck::Accepted}, // the colon is not first in the text as typed
        {" 1.2.3.4:8080", TProxyCheck::Accepted},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.expected, CheckProxy(c.typed)) << "\"" << c.typed << "\"";
}

TEST(IsSubnetMask, HoldsForDottedQuadsWhoseOnesAllComeFirst) {
    struct Case {
        std::string text;
        bool expected;
    } cases[] = {
        {"0.0.0.0", true},          {"255.255.255.255", true},
        {"255.255.255.0", true},    {"255.255.255.252", true},
        {"255.255.255.254", true},  {"128.0.0.0", true},
        {"255.255.240.0", true},    {"$FF.0x80.0.0", true}, // the groups convert as in an address
        {"255.0.255.0", false},     {"0.255.255.255", false},
        {"255.255.255.253", false}, {"254.255.255.0", false},
        {"0.0.0.1", false},         {"255.255.0.128", false},
        {"255.255.255", false}, // not a dotted quad at all
        {"256.0.0.0", false},       {"", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.expected, IsSubnetMask(c.text)) << "\"" << c.text << "\"";
}

TEST(MaskOfPrefixText, GivesTheMaskOfATypedPrefixLengthOnly) {
    const std::pair<std::string, std::string> cases[] = {{" /24 ", "255.255.255.0"},
                                                         {"/32", "255.255.255.255"},
                                                         {"/0", "0.0.0.0"},
                                                         {"/33", ""},
                                                         {"24", ""},
                                                         {"/2 4", ""},
                                                         {"/024", ""},
                                                         {"/", ""}};
    for (const auto& [text, mask] : cases)
        EXPECT_EQ(mask, MaskOfPrefixText(text)) << "\"" << text << "\"";
}
