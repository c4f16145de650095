#include "editor/GatewayPrefill.h"

#include <gtest/gtest.h>

TEST(GatewayPrefill, FillsOnlyWhatItFilledItselfAndCountsThatAsNoGateway) {
    // Each step: the address typed, then the user's own Gateway text ("" leaves it).
    struct Step {
        const char* address;
        const char* typedGateway;
        const char* gateway; // the Gateway after the step
        const char* given;   // what OK takes from it
    };
    struct Case {
        const char* what;
        const char* stored; // the record's Gateway when the editor opens
        std::vector<Step> steps;
    } cases[] = {
        {"filled in and left", "", {{"10.44.0.5", "", "10.44.0.", ""}}},
        {"follows the address", "", {{"10.4", "", "10.", ""}, {"10.44.0.5", "", "10.44.0.", ""}}},
        {"no dot yet", "", {{"10", "", "", ""}}},
        {"completed by the user",
         "",
         {{"10.44.0.5", "10.44.0.1", "10.44.0.1", "10.44.0.1"},
          {"10.45.0.5", "", "10.44.0.1", "10.44.0.1"}}},
        {"typed as it would have been filled, before any fill",
         "",
         {{"10", "10.44.0.", "10.44.0.", "10.44.0."}}},
        {"the record's own gateway", "10.0.0.", {{"10.44.0.5", "", "10.0.0.", "10.0.0."}}},
    };
    for (const Case& c : cases) {
        TGatewayPrefill prefill;
        prefill.Forget();
        std::string gateway = c.stored;
        for (const Step& step : c.steps) {
            if (const auto filled = prefill.AfterAddressChange(step.address, gateway))
                gateway = *filled;
            if (*step.typedGateway)
                gateway = step.typedGateway;
            EXPECT_EQ(step.gateway, gateway) << c.what << " at " << step.address;
            EXPECT_EQ(step.given, prefill.Given(gateway)) << c.what << " at " << step.address;
        }
    }
}

TEST(GatewayPrefill, AnotherRecordForgetsWhatWasFilledIn) {
    TGatewayPrefill prefill;
    ASSERT_EQ("192.168.1.", prefill.AfterAddressChange("192.168.1.7", "").value_or("none"));
    prefill.Forget();
    EXPECT_EQ("192.168.1.", prefill.Given("192.168.1."));
    EXPECT_FALSE(prefill.AfterAddressChange("192.168.2.7", "192.168.1.").has_value());
}
