#include "editor/AddressWarnings.h"

#include <gtest/gtest.h>

TEST(AddressWarnings, NameEachValueWindowsRefusesAndNothingElse) {
    struct Case {
        TAddressFields fields;
        std::vector<std::string> starts; // of each warning, in order
    } cases[] = {
        {{"192.168.1.20", "255.255.255.0", "192.168.1.1", "8.8.8.8", ""}, {}},
        {{}, {}},
        {{"192.168.1.0", "255.255.255.0", "", "", ""}, {"[Address] 192.168.1.0 is the network"}},
        {{"192.168.1.255", "255.255.255.0", "", "", ""},
         {"[Address] 192.168.1.255 is the broadcast"}},
        {{"10.0.0.0", "255.255.255.254", "", "", ""}, {}}, // a /31 has neither
        {{"10.1.255.255", "255.255.0.0", "", "", ""}, {"[Address] 10.1.255.255 is the broadcast"}},
        {{"10.1.255.255", "255.0.0.0", "", "", ""}, {}},
        {{"0.0.0.0", "255.0.0.0", "", "", ""}, {"[Address] 0.0.0.0 is no address"}},
        {{"127.0.0.5", "255.0.0.0", "", "", ""}, {"[Address] 127.0.0.5 is a loopback"}},
        {{"224.0.0.9", "255.255.255.0", "", "", ""}, {"[Address] 224.0.0.9 is a multicast"}},
        {{"239.1.1.1", "", "", "", ""}, {"[Address] 239.1.1.1 is a multicast"}},
        {{"10.0.0.5", "0.0.0.0", "", "", ""}, {"[Submask] 0.0.0.0 leaves no room"}},
        {{"10.0.0.5", "255.255.255.255", "10.0.0.1", "", ""},
         {"[Submask] 255.255.255.255 leaves no room"}},
        {{"", "0.0.0.0", "", "", ""}, {}}, // no address, nothing it would be used for
        {{"192.168.50.21", "255.255.255.0", " 192.168.0.1", "", ""},
         {"[Gateway] 192.168.0.1 is not in the subnet"}},
        {{"192.168.50.21", "255.255.0.0", "192.168.0.1", "", ""}, {}},
        {{"192.168.50.21", "255.255.255.0", "192.168.50.", "", ""}, {}}, // left to the checks
        {{"", "", "", "0.0.0.0", "255.255.255.255"},
         {"[DNS1] 0.0.0.0 is no DNS", "[DNS2] 255.255.255.255 is no DNS"}},
        {{"10.0.0.0", "255.255.255.0", "10.0.1.1", "0.0.0.0", ""},
         {"[Address] 10.0.0.0 is the network", "[Gateway] 10.0.1.1 is not in",
          "[DNS1] 0.0.0.0 is no DNS"}},
    };
    for (const Case& c : cases) {
        const std::vector<std::string> warnings = AddressWarnings(c.fields);
        const std::string what = c.fields.Address + " / " + c.fields.Submask + " / " +
                                 c.fields.Gateway + " / " + c.fields.DNS1 + " / " + c.fields.DNS2;
        ASSERT_EQ(c.starts.size(), warnings.size()) << what << ": " << testing::PrintToString(warnings);
        for (size_t i = 0; i < warnings.size(); ++i)
            EXPECT_EQ(0u, warnings[i].find(c.starts[i])) << what << ": " << warnings[i];
    }
}

TEST(AddressWarnings, TheQuestionListsThemAndAsksWhetherToStore) {
    EXPECT_EQ("Windows refuses this setting:\r\n[DNS1] 0.0.0.0 is no DNS server's address.\r\n"
              "\r\nStore it anyway?",
              StoreAnywayQuestion(AddressWarnings({"", "", "", "0.0.0.0", ""})));
}
