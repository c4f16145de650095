#include "privileged/ServiceRules.h"

#include <gtest/gtest.h>

#include <tuple>

namespace {

const std::string Admins = "S-1-5-32-544";
const std::string Operators = "S-1-5-32-556";
const std::string Users = "S-1-5-32-545";
const std::string PlantGroup = "S-1-5-21-7-8-9-1010";

TTokenGroup Enabled(const std::string& sid) {
    return {sid, true, false};
}
TTokenGroup DenyOnly(const std::string& sid) {
    return {sid, false, true};
}
TTokenGroup Disabled(const std::string& sid) {
    return {sid, false, false};
}

} // namespace

TEST(MaySwitchNetwork, MembersOfTheAllowedGroupsEnabledOrDenyOnly) {
    const std::tuple<std::vector<TTokenGroup>, std::string, bool> cases[] = {
        // the token's groups, the named group's SID, served
        {{Enabled(Users), Enabled(Admins)}, "", true},
        {{Enabled(Users), Enabled(Operators)}, "", true},
        // A filtered administrator's token: Administrators for deny only still proves it.
        {{Enabled(Users), DenyOnly(Admins)}, "", true},
        {{Enabled(Users), Enabled(PlantGroup)}, PlantGroup, true},
        {{Enabled(Users), Enabled(PlantGroup)}, "", false},
        {{Enabled(Users)}, PlantGroup, false},
        {{}, "", false},
        // Present but neither enabled nor deny-only: not proof.
        {{Enabled(Users), Disabled(Operators)}, "", false},
        {{Disabled(PlantGroup)}, PlantGroup, false},
        // SIDs compare without regard to case.
        {{Enabled("s-1-5-32-556")}, "", true},
    };
    for (const auto& [groups, named, served] : cases)
        EXPECT_EQ(served, MaySwitchNetwork(groups, named)) << groups.size() << " " << named;
}

TEST(ChooseRoute, TheRunningServiceTakesEverySwitch) {
    using S = TServiceState;
    using R = TRouteKind;
    const std::tuple<S, bool, bool, R, bool> cases[] = {
        // service, elevated, helper always; route, said that the service is stopped
        {S::Running, false, false, R::Service, false},
        {S::Running, true, false, R::Service, false},
        {S::Running, true, true, R::Service, false},
        {S::Stopped, false, false, R::Helper, true},
        {S::Stopped, true, false, R::Directly, true},
        {S::Stopped, true, true, R::Helper, true},
        {S::NotInstalled, false, false, R::Helper, false},
        {S::NotInstalled, true, false, R::Directly, false},
        {S::NotInstalled, true, true, R::Helper, false},
    };
    for (const auto& [service, elevated, helperAlways, route, sayStopped] : cases) {
        const TRouteChoice choice = ChooseRoute(service, elevated, helperAlways);
        EXPECT_EQ(route, choice.Kind) << int(service) << elevated << helperAlways;
        EXPECT_EQ(sayStopped, choice.SayStopped) << int(service) << elevated << helperAlways;
    }
}
