// The conditions' reader on arbitrary text: no crash; what it reads writes back to a text
// that reads to the same list, and a fault leaves no list behind. The network's own
// conditions, from arbitrary facts, always hold on it.

#include "FuzzInput.h"

#include "netcfg/UseWhen.h"

#include <cstdint>
#include <string>

namespace {

TNetworkFacts Facts(TFuzzInput& in) {
    TNetworkFacts facts;
    facts.State.Present = true;
    facts.State.Up = in.Flag();
    for (std::size_t i = in.Below(3); i > 0; --i)
        facts.State.Gateways.push_back(in.Text(20));
    for (std::size_t i = in.Below(3); i > 0; --i)
        facts.State.Addresses.push_back({in.Text(20), static_cast<int>(in.Below(40))});
    facts.State.DnsSuffix = in.Text(40);
    for (std::size_t i = in.Below(3); i > 0; --i)
        facts.GatewayMacs.push_back(in.Text(20));
    facts.DhcpServer = in.Text(20);
    facts.Ssid = in.Text(40);
    facts.SsidState = static_cast<TSsidState>(in.Below(5));
    return facts;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    TFuzzInput in(data, size);
    const TNetworkFacts facts = Facts(in);
    const std::string text = in.Rest();
    const TConditionsParse parse = ParseConditions(text);
    if (!parse.Error.empty()) {
        FUZZ_EXPECT(parse.Conditions.empty(), "a fault left conditions: " + text);
    } else {
        const std::string written = FormatConditions(parse.Conditions);
        FUZZ_EXPECT(written.size() <= text.size(), "the written form grew: " + text);
        const TConditionsParse again = ParseConditions(written);
        FUZZ_EXPECT(again.Error.empty() && again.Conditions == parse.Conditions,
                    "the written form does not read back: " + text);
        for (const TCondition& condition : parse.Conditions)
            ConditionHolds(condition, facts);
    }
    for (const TCondition& own : ConditionsOfNetwork(facts))
        FUZZ_EXPECT(ConditionHolds(own, facts),
                    "the network's own condition does not hold: " + ConditionText(own));
    return 0;
}
