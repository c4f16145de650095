#include "app/AutoSwitchWatch.h"

#include <gtest/gtest.h>

namespace {

TNetworkFacts On(const std::string& gateway, bool up = true) {
    TNetworkFacts facts;
    facts.State.Present = true;
    facts.State.Up = up;
    if (!gateway.empty())
        facts.State.Gateways = {gateway};
    return facts;
}

// A window that records what the watch asks of it.
struct TFakeHost : IAutoSwitchHost {
    bool on = true, ready = true, consent = false;
    TAutoAdapter adapter{
        "{A}",
        "Lab Ethernet",
        On("10.1.0.1"),
        {{"Office", "gateway=10.1.0.1", false}, {"Lab", "gateway=10.2.0.1", false}},
        {7, 8}};
    std::uint64_t now = 1000;
    std::vector<std::string> done; // "apply 7 automatic: ...", "back", "balloon ..."

    bool AutoSwitchOn() override { return on; }
    bool ReadyToSwitch() override { return ready; }
    std::vector<TAutoAdapter> AdaptersToJudge() override { return {adapter}; }
    bool SwitchAsksConsent() override { return consent; }
    TAutoApplied Apply(const std::string&, std::int64_t id, const std::string& cause) override {
        done.push_back("apply " + std::to_string(id) + " " + cause);
        // Switched: the adapter now has the setting's static values on the same network.
        adapter.Facts.State.Dhcp = false;
        adapter.Facts.State.Addresses = {{"10.1.0.50", 24}};
        return {true, "Netvane: switched", "switched", false, adapter.Facts};
    }
    std::string GoBack(const std::string&) override {
        done.push_back("back");
        return "went back";
    }
    void Balloon(const std::string&, const std::string& text, bool) override {
        done.push_back("balloon " + text);
    }
    std::uint64_t Now() override { return now; }
};

const std::string Applied = "apply 7 automatic: gateway=10.1.0.1";
const std::string Switched = "balloon switched";

TEST(AutoSwitchWatch, SwitchesOnceForANetworkAndHoldsOffUntilItChanges) {
    // Each step changes the fake, then the watch judges (or takes a click or a hand switch).
    struct TStep {
        std::function<void(TFakeHost&, TAutoSwitchWatch&)> change;
        std::vector<std::string> expected; // what that step did
    };
    const auto settle = [](TFakeHost&, TAutoSwitchWatch& w) { w.Settled(); };
    const auto moveTo = [](const std::string& gateway, bool up = true) {
        return [=](TFakeHost& h, TAutoSwitchWatch& w) {
            h.adapter.Facts = On(gateway, up);
            w.Settled();
        };
    };
    const auto click = [](std::uint64_t after) {
        return [=](TFakeHost& h, TAutoSwitchWatch& w) {
            h.now += after;
            w.BalloonClicked();
        };
    };
    const std::string several = "balloon Two settings match this network: Office, Lab";
    const std::string offer = "balloon Office matches this network: click to switch";
    const struct {
        const char* what;
        std::vector<TStep> steps;
    } cases[] = {
        {"once, then held on the network it made",
         {{settle, {Applied, Switched}}, {settle, {}}, {moveTo("10.1.0.1"), {}}}},
        {"again after another network",
         {{settle, {Applied, Switched}},
          {moveTo("10.9.0.1"), {}},
          {moveTo("10.1.0.1"), {Applied, Switched}}}},
        {"nothing matches", {{moveTo("10.9.0.1"), {}}, {moveTo(""), {}}}},
        {"the option off",
         {{[](TFakeHost& h, TAutoSwitchWatch& w) {
               h.on = false;
               EXPECT_TRUE(w.Settled());
           },
           {}}}},
        {"a dialog open: judged later",
         {{[](TFakeHost& h, TAutoSwitchWatch& w) {
               h.ready = false;
               EXPECT_FALSE(w.Settled());
               h.ready = true;
               EXPECT_TRUE(w.Settled());
           },
           {Applied, Switched}}}},
        {"several match: said once a network",
         {{[](TFakeHost& h, TAutoSwitchWatch& w) {
               h.adapter.Candidates[1].Conditions = "adapter=up";
               w.Settled();
           },
           {several}},
          {settle, {}},
          {moveTo("10.9.0.1"), {"apply 8 automatic: adapter=up", Switched}},
          {moveTo("10.1.0.1"), {several}}}},
        {"by hand: none until the link goes down and up",
         {{[](TFakeHost&, TAutoSwitchWatch& w) { w.SwitchedByHand("{A}"); }, {}},
          {settle, {}},
          {moveTo("10.9.0.1"), {}},
          {moveTo("10.1.0.1", false), {}},
          {moveTo("10.1.0.1"), {Applied, Switched}}}},
        {"the balloon goes back within its minute, and then holds as by hand",
         {{settle, {Applied, Switched}},
          {click(BalloonActionMs), {"back", "balloon went back"}},
          {moveTo("10.1.0.1"), {}},
          {click(0), {}}}},
        {"the balloon's minute past",
         {{settle, {Applied, Switched}}, {click(BalloonActionMs + 1), {}}}},
        {"consent needed: offered once, switched on a click",
         {{[](TFakeHost& h, TAutoSwitchWatch& w) {
               h.consent = true;
               w.Settled();
           },
           {offer}},
          {settle, {}},
          {click(10), {Applied, Switched}},
          {settle, {}}}},
        {"an offer not taken in time",
         {{[](TFakeHost& h, TAutoSwitchWatch& w) {
               h.consent = true;
               w.Settled();
           },
           {offer}},
          {click(BalloonActionMs + 1), {}}}},
    };
    for (const auto& c : cases) {
        TFakeHost host;
        TAutoSwitchWatch watch(host);
        int n = 0;
        for (const TStep& step : c.steps) {
            host.done.clear();
            step.change(host, watch);
            ++n;
            EXPECT_EQ(step.expected, host.done) << c.what << ", step " << n;
        }
    }
}

TEST(AutoSwitchWatch, TextsOfItsBalloons) {
    EXPECT_EQ("Lab Ethernet switched to \"Office\", which matches this network (gateway=10.1.0.1). "
              "Click here within a minute to go back.",
              AutoSwitchedText("Lab Ethernet", "Office", "gateway=10.1.0.1"));
    const std::vector<TAutoCandidate> three = {
        {"A", "", false}, {"B", "", false}, {"C", "", false}};
    EXPECT_EQ("Three settings match this network: A, B, C", SeveralMatchText(three, {0, 1, 2}));
    EXPECT_EQ("Office matches this network: click to switch", MatchOfferText("Office"));
}

} // namespace
