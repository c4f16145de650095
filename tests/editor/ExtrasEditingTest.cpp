#include "editor/ExtrasEditing.h"

#include <gtest/gtest.h>

namespace {
const TOwnAddress Own = {"192.168.0.10", "255.255.255.0", "192.168.0.1"};

TSettingExtras TwoAddressesOneGateway() {
    TSettingExtras extras;
    extras.MoreAddresses = {{"10.1.0.5", "255.255.0.0"}, {"172.16.1.2", "255.255.0.0"}};
    extras.MoreGateways = {{"10.1.0.1", 20}};
    return extras;
}
} // namespace

TEST(ExtrasEditing, AnEntryIsPutOnlyWhenTheWholeStaysAcceptableAndARefusalNamesIt) {
    struct Case {
        const char* what;
        bool gateway; // else an address
        int index;
        const char* first;
        const char* second;
        const char* complaint; // its start; "" when accepted
    } cases[] = {
        {"added as typed", false, -1, " 010.002.0.7 ", "255.0.0.0 ", ""},
        {"a mask with a hole", false, -1, "10.2.0.7", "255.0.255.0",
         "[More IP addresses] entry \"10.2.0.7/255.0.255.0\": \"255.0.255.0\" is not a subnet mask"},
        {"the setting's own address", false, -1, "192.168.000.10", "255.255.255.0",
         "[More IP addresses] entry \"192.168.0.10/255.255.255.0\": the setting has this address"},
        {"replaced in place", false, 1, "172.17.1.2", "255.255.0.0", ""},
        {"a gateway with a metric", true, -1, "172.16.0.1", " 9999", ""},
        {"a gateway left automatic", true, -1, "172.16.0.1", "automatic", ""},
        {"a gateway outside every subnet", true, -1, "10.9.0.1", "",
         "[More gateways] entry \"10.9.0.1\": it lies outside the subnet"},
        {"a metric too high", true, -1, "172.16.0.1", "10000",
         "[More gateways] entry \"172.16.0.1/10000\": the metric must be"},
        {"a metric that is no number", true, 0, "10.1.0.1", "2x",
         "[More gateways] entry \"10.1.0.1/2x\": the metric must be"},
        {"a gateway's metric changed", true, 0, "10.1.0.1", "5", ""},
    };
    for (const Case& c : cases) {
        TExtrasEditing editing(Own, TwoAddressesOneGateway());
        const std::string complaint = c.gateway ? editing.PutGateway(c.index, c.first, c.second)
                                                : editing.PutAddress(c.index, c.first, c.second);
        EXPECT_EQ(0u, complaint.find(c.complaint)) << c.what << ": " << complaint;
        const bool accepted = *c.complaint == '\0';
        EXPECT_EQ(accepted, complaint.empty()) << c.what << ": " << complaint;
        if (accepted)
            continue;
        EXPECT_EQ(TwoAddressesOneGateway(), editing.Extras()) << c.what;
    }
}

TEST(ExtrasEditing, PutsLandInPlaceOrAtTheEndCanonicalAndRemovalsTakeTheEntryOut) {
    TExtrasEditing editing(Own, TwoAddressesOneGateway());
    ASSERT_EQ("", editing.PutAddress(TExtrasEditing::NewEntry, " 010.002.0.7", "255.0.0.0"));
    ASSERT_EQ("", editing.PutAddress(0, "10.1.0.6", "255.255.0.0"));
    ASSERT_EQ("", editing.PutGateway(TExtrasEditing::NewEntry, "172.16.0.1", "7"));
    editing.RemoveAddress(1);
    editing.RemoveGateway(0);
    const std::vector<TAddressEntry> addresses = {{"10.1.0.6", "255.255.0.0"},
                                                  {"10.2.0.7", "255.0.0.0"}};
    EXPECT_EQ(addresses, editing.Extras().MoreAddresses);
    EXPECT_EQ((std::vector<TGatewayEntry>{{"172.16.0.1", 7}}), editing.Extras().MoreGateways);
    // 172.16.0.1 now lies outside every subnet: OK's check names it.
    EXPECT_EQ(0u, editing.Complaint().find("[More gateways] entry \"172.16.0.1\": it lies outside"));
}

TEST(ExtrasEditing, TheFirstGatewaysMetricNeedsAGatewayAndANumberInRange) {
    struct Case {
        std::string gateway, metric;
        unsigned stored; // 1: refused
    } cases[] = {{"192.168.0.1", "25", 25}, {"192.168.0.1", " Automatic ", 0},
                 {"192.168.0.1", "", 0},    {"192.168.0.1", "0", 1},
                 {"192.168.0.1", "10000", 1}, {"", "25", 1}, {"", "Automatic", 0}};
    for (const Case& c : cases) {
        TExtrasEditing editing({"192.168.0.10", "255.255.255.0", c.gateway}, {1, {}, {}});
        const std::string complaint = editing.SetGatewayMetric(c.metric);
        EXPECT_EQ(c.stored == 1 ? 0u : std::string::npos, complaint.find("[Gateway] ")) << complaint;
        EXPECT_EQ(c.stored, editing.Extras().GatewayMetric) << c.gateway << " " << c.metric;
    }
}

TEST(ExtrasEditing, AddingStopsAtTheLimitsWhileReplacingGoesOn) {
    TExtrasEditing editing(Own, {});
    for (unsigned i = 0; i < MaxMoreAddresses; ++i)
        ASSERT_EQ("", editing.PutAddress(TExtrasEditing::NewEntry, "10.0.0." + std::to_string(i + 1),
                                         "255.0.0.0"));
    for (unsigned i = 0; i < MaxMoreGateways; ++i)
        ASSERT_EQ("", editing.PutGateway(TExtrasEditing::NewEntry, "10.0.1." + std::to_string(i + 1),
                                         ""));
    EXPECT_EQ("[More IP addresses] a setting holds at most 15 more addresses", editing.AddressesFull());
    EXPECT_EQ("[More gateways] a setting holds at most 4 more gateways", editing.GatewaysFull());
    EXPECT_EQ(editing.AddressesFull(),
              editing.PutAddress(TExtrasEditing::NewEntry, "10.0.0.99", "255.0.0.0"));
    EXPECT_EQ(editing.GatewaysFull(), editing.PutGateway(TExtrasEditing::NewEntry, "10.0.1.99", ""));
    EXPECT_EQ("", editing.PutAddress(14, "10.0.0.99", "255.0.0.0"));
    EXPECT_EQ("", editing.PutGateway(3, "10.0.1.99", "3"));
    EXPECT_EQ("", editing.Complaint());
}
