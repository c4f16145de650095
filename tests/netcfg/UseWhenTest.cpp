#include "netcfg/UseWhen.h"

#include <gtest/gtest.h>

namespace {

TEST(UseWhen, ReadsConditionsIntoTheirWrittenForm) {
    const struct {
        std::string text, written;
    } cases[] = {
        {"", ""},
        {" ; ;", ""},
        {"gateway=10.1.0.1", "gateway=10.1.0.1"},
        {" GateWay = 010.001.000.001 ;dnssuffix=Plant.Example.;",
         "gateway=10.1.0.1;dnssuffix=Plant.Example."},
        {"gatewaymac=00:1a:2b:3c:4d:5e", "gatewaymac=00-1A-2B-3C-4D-5E"},
        {"dhcpserver=192.168.1.1;subnet=10.1.2.3/ 16", "dhcpserver=192.168.1.1;subnet=10.1.2.3/16"},
        {"ssid=Plant = Floor 2;adapter=UP", "ssid=Plant = Floor 2;adapter=up"},
        {"subnet=0.0.0.0/0", "subnet=0.0.0.0/0"},
    };
    for (const auto& c : cases) {
        const TConditionsParse parse = ParseConditions(c.text);
        EXPECT_EQ("", parse.Error) << c.text;
        EXPECT_EQ(c.written, FormatConditions(parse.Conditions)) << c.text;
        EXPECT_EQ(parse.Conditions, ParseConditions(c.written).Conditions) << c.text;
    }
}

TEST(UseWhen, NamesThePartItCannotRead) {
    const struct {
        std::string text, error;
    } cases[] = {
        {"gateway=10.1.0.1;gatway=10.1.0.2",
         "Condition 2 \"gatway=10.1.0.2\": \"gatway\" is no kind of condition (one of gateway, "
         "gatewaymac, dhcpserver, dnssuffix, subnet, ssid, adapter)"},
        {"gateway", "Condition 1 \"gateway\" has no \"=\": write it as kind=value"},
        {"gateway=10.1.0", "Condition 1 \"gateway=10.1.0\": \"10.1.0\" is not a gateway's IP "
                           "address such as 10.1.0.1"},
        {"dhcpserver=", "Condition 1 \"dhcpserver=\": no value is not a DHCP server's IP address "
                        "such as 10.1.0.2"},
        {"gatewaymac=00-1A-2B:3C-4D-5E",
         "Condition 1 \"gatewaymac=00-1A-2B:3C-4D-5E\": \"00-1A-2B:3C-4D-5E\" is not a hardware "
         "address such as 00-11-22-AA-BB-CC"},
        {"gatewaymac=00-1A-2B-3C-4D",
         "Condition 1 \"gatewaymac=00-1A-2B-3C-4D\": \"00-1A-2B-3C-4D\" is not a hardware address "
         "such as 00-11-22-AA-BB-CC"},
        {"subnet=10.1.0.0/33",
         "Condition 1 \"subnet=10.1.0.0/33\": \"10.1.0.0/33\" is not a subnet such as 10.1.0.0/16"},
        {"subnet=10.1.0.0",
         "Condition 1 \"subnet=10.1.0.0\": \"10.1.0.0\" is not a subnet such as 10.1.0.0/16"},
        {"dnssuffix=a..b",
         "Condition 1 \"dnssuffix=a..b\": \"a..b\" is not a DNS suffix such as plant.example"},
        {"ssid=" + std::string(33, 'x'),
         "Condition 1 \"ssid=" + std::string(33, 'x') + "\": \"" + std::string(33, 'x') +
             "\" is not a Wi-Fi network's name of 1 to 32 characters"},
        {"adapter=down", "Condition 1 \"adapter=down\": \"down\" is not up"},
        {std::string(1025, ';'), "The conditions are longer than 1024 characters"},
    };
    for (const auto& c : cases) {
        const TConditionsParse parse = ParseConditions(c.text);
        EXPECT_EQ(c.error, parse.Error) << c.text;
        EXPECT_TRUE(parse.Conditions.empty()) << c.text;
    }
    std::string many;
    for (int i = 0; i < 17; ++i)
        many += "adapter=up;";
    EXPECT_EQ("More than 16 conditions", ParseConditions(many).Error);
}

TNetworkFacts Office() {
    TNetworkFacts facts;
    facts.State.Present = true;
    facts.State.Up = true;
    facts.State.Dhcp = true;
    facts.State.Addresses = {{"10.1.4.20", 16}};
    facts.State.Gateways = {"10.1.0.1"};
    facts.State.DnsSuffix = "corp.example";
    facts.GatewayMacs = {"00-1A-2B-3C-4D-5E"};
    facts.DhcpServer = "10.1.0.2";
    facts.Ssid = "Corp";
    facts.SsidState = TSsidState::Read;
    return facts;
}

TEST(UseWhen, EachKindHoldsOnlyOnTheNetworkItNames) {
    TNetworkFacts down = Office();
    down.State.Up = false;
    TNetworkFacts ssidRefused = Office();
    ssidRefused.SsidState = TSsidState::Refused;
    const struct {
        std::string condition;
        bool office, down, ssidRefused;
    } cases[] = {
        {"gateway=10.1.0.1", true, false, true},
        {"gateway=10.1.0.10", false, false, false},
        {"gatewaymac=00:1a:2b:3c:4d:5e", true, false, true},
        {"gatewaymac=00-1A-2B-3C-4D-5F", false, false, false},
        {"dhcpserver=10.1.0.2", true, false, true},
        {"dhcpserver=10.1.0.1", false, false, false},
        {"dnssuffix=CORP.example.", true, false, true},
        {"dnssuffix=example", false, false, false},
        {"subnet=10.1.0.0/16", true, false, true},
        {"subnet=10.1.0.0/24", false, false, false},
        {"subnet=0.0.0.0/0", true, false, true},
        {"ssid=Corp", true, false, false},
        {"ssid=corp", false, false, false},
        {"adapter=up", true, false, true},
        {"adapter=up;gateway=10.1.0.1;ssid=Corp", true, false, false},
        {"gateway=10.1.0.1;dnssuffix=plant.example", false, false, false},
    };
    for (const auto& c : cases) {
        const auto holds = [&c](const TNetworkFacts& facts) {
            return DecideAutoSwitch({{"x", c.condition, false}}, facts).Action ==
                   TAutoAction::Apply;
        };
        EXPECT_EQ(c.office, holds(Office())) << c.condition;
        EXPECT_EQ(c.down, holds(down)) << c.condition;
        EXPECT_EQ(c.ssidRefused, holds(ssidRefused)) << c.condition;
    }
}

TEST(UseWhen, AppliesOnlyTheOneSettingThatMatches) {
    const TAutoCandidate office{"Office", "gateway=10.1.0.1", false};
    const TAutoCandidate officeInUse{"Office", "gateway=10.1.0.1", true};
    const TAutoCandidate floor{"Office 2nd floor", "dnssuffix=corp.example", false};
    const TAutoCandidate plant{"Plant", "gateway=10.9.0.1", false};
    const TAutoCandidate none{"Plain", "", false};
    const TAutoCandidate broken{"Broken", "gateway=10.1.0.1;x=1", false};
    const struct {
        std::vector<TAutoCandidate> candidates;
        TAutoDecision decision;
        std::string names;
    } cases[] = {
        {{}, {TAutoAction::Nothing, {}}, ""},
        {{none, plant, broken}, {TAutoAction::Nothing, {}}, ""},
        {{none, plant, office}, {TAutoAction::Apply, {2}}, "Office"},
        {{officeInUse, plant}, {TAutoAction::AlreadyInUse, {0}}, "Office"},
        {{office, plant, floor}, {TAutoAction::Several, {0, 2}}, "Office and Office 2nd floor"},
        {{floor, officeInUse, {" ", "adapter=up", false}},
         {TAutoAction::Several, {0, 1, 2}},
         "Office 2nd floor, Office and (no title)"},
    };
    for (const auto& c : cases) {
        const TAutoDecision decision = DecideAutoSwitch(c.candidates, Office());
        EXPECT_EQ(c.decision, decision) << c.names;
        EXPECT_EQ(c.names, MatchNames(c.candidates, decision.Matches));
    }
}

TEST(UseWhen, FromThisNetworkOffersWhatTheAdapterReports) {
    TNetworkFacts bare = Office();
    bare.State.Gateways.clear();
    bare.State.DnsSuffix.clear();
    bare.GatewayMacs.clear();
    bare.DhcpServer.clear();
    bare.SsidState = TSsidState::NoWlanService;
    EXPECT_EQ("gateway=10.1.0.1;gatewaymac=00-1A-2B-3C-4D-5E;dhcpserver=10.1.0.2;"
              "dnssuffix=corp.example;ssid=Corp",
              FormatConditions(ConditionsOfNetwork(Office())));
    EXPECT_EQ("adapter=up", FormatConditions(ConditionsOfNetwork(bare)));
    bare.State.Up = false;
    EXPECT_EQ("", FormatConditions(ConditionsOfNetwork(bare)));
}

// Each step: what happens, then the network the watcher sees, and whether it may switch.
TEST(UseWhen, HoldsOffAfterASwitchUntilTheNetworkChanges) {
    TNetworkFacts produced = Office();
    produced.State.Gateways = {"10.1.0.254"};
    produced.State.Dhcp = false;
    TNetworkFacts plant = Office();
    plant.State.Gateways = {"10.9.0.1"};
    TNetworkFacts down = Office();
    down.State.Up = false;
    TNetworkFacts otherLease = Office();
    otherLease.State.Addresses = {{"10.1.4.99", 16}}; // same network, another address
    enum TEvent { Look, Automatic, Produced, ByHand };
    const struct {
        std::vector<std::tuple<TEvent, TNetworkFacts, bool>> steps;
        const char* name;
    } cases[] = {
        {{{Look, Office(), true}, {Look, Office(), true}}, "nothing held"},
        {{{Automatic, Office(), false},
          {Produced, produced, false},
          {Look, produced, false},
          {Look, otherLease, false},
          {Look, plant, true},
          {Look, Office(), true}},
         "after an automatic switch until another network"},
        {{{Automatic, Office(), false}, {Look, down, true}, {Look, Office(), true}},
         "after an automatic switch until the link changes"},
        {{{ByHand, Office(), false},
          {Look, Office(), false},
          {Look, plant, false},
          {Look, down, false},
          {Look, down, false},
          {Look, Office(), true},
          {Look, plant, true}},
         "after a switch by hand until the link goes down and up"},
        {{{Automatic, Office(), false}, {ByHand, Office(), false}, {Look, plant, false}},
         "a switch by hand wins over an automatic one"},
        {{{ByHand, Office(), false}, {Automatic, Office(), false}, {Look, plant, true}},
         "a later automatic switch replaces the hold of a switch by hand"},
    };
    for (const auto& c : cases) {
        TAutoSwitchHoldOff holdOff;
        int step = 0;
        for (const auto& [event, facts, allows] : c.steps) {
            ++step;
            if (event == Automatic)
                holdOff.SwitchedAutomatically(facts);
            else if (event == Produced)
                holdOff.Produced(facts);
            else if (event == ByHand)
                holdOff.SwitchedByHand();
            else
                EXPECT_EQ(allows, holdOff.Allows(facts)) << c.name << ", step " << step;
        }
    }
}

TEST(UseWhen, SeveralMatchesAreReportedOnceForEachNetwork) {
    TNetworkFacts plant = Office();
    plant.State.Gateways = {"10.9.0.1"};
    const TAutoDecision two{TAutoAction::Several, {0, 1}};
    const TAutoDecision three{TAutoAction::Several, {0, 1, 2}};
    const struct {
        TAutoDecision decision;
        TNetworkFacts facts;
        bool reported;
    } steps[] = {{two, Office(), true}, {two, Office(), false}, {three, Office(), true},
                 {three, plant, true},  {three, plant, false},  {three, Office(), true}};
    TAutoSwitchHoldOff holdOff;
    int step = 0;
    for (const auto& s : steps)
        EXPECT_EQ(s.reported, holdOff.FirstReportOf(s.decision, s.facts)) << "step " << ++step;
}
} // namespace
