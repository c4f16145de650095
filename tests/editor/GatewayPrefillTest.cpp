#include "editor/GatewayPrefill.h"

#include <gtest/gtest.h>

TEST(GatewayPrefill, FillsOnlyWhatItFilledItselfAndCountsThatAsNoGateway) {
    struct Case {
        const char* stored;  // the record's Gateway when the editor opens
        const char* typed;   // then typed into the Gateway ("" for nothing)
        const char* gateway; // after the address becomes 10.44.0.5, then 10.45.0.5
        const char* given;   // what OK takes from it
    } cases[] = {
        {"", "", "10.45.0.", ""},                    // filled in and left
        {"", "10.44.0.1", "10.44.0.1", "10.44.0.1"}, // completed by the user
        {"10.0.0.", "", "10.0.0.", "10.0.0."},       // the record's own
        {"", "10.44.0.", "10.45.0.", ""},            // typed as filled: still the fill
    };
    for (const Case& c : cases) {
        TGatewayPrefill prefill;
        std::string gateway = c.stored;
        for (const char* address : {"10.44", "10.44.0.5", "10.45.0.5"}) {
            gateway = prefill.AfterAddressChange(address, gateway).value_or(gateway);
            if (*c.typed && std::string(address) == "10.44.0.5")
                gateway = c.typed;
        }
        EXPECT_EQ(c.gateway, gateway) << c.stored << "|" << c.typed;
        EXPECT_EQ(c.given, prefill.Given(gateway)) << c.stored << "|" << c.typed;
    }
}
