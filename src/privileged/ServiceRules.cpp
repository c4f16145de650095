#include "ServiceRules.h"

#include "support/AccessRules.h"
#include "support/Strings.h"

#include <algorithm>

const char* const NetworkOperatorsSid = "S-1-5-32-556";

const char* const NotAllowedMessage =
    "You may not change network settings on this computer. Ask an administrator to add you to "
    "Network Configuration Operators.";

const char* const ServiceStoppedMessage =
    "The Netvane service is installed but not running, so Netvane switches without it for now "
    "(Windows may ask for an administrator's consent). An administrator can start the service "
    "\"Netvane network switching\" in Services.";

bool MaySwitchNetwork(const std::vector<TTokenGroup>& groups, const std::string& namedGroupSid) {
    std::vector<std::string> allowed{AdministratorsSid, NetworkOperatorsSid};
    if (!namedGroupSid.empty())
        allowed.push_back(namedGroupSid);
    return std::any_of(groups.begin(), groups.end(), [&allowed](const TTokenGroup& group) {
        return (group.Enabled || group.DenyOnly) &&
               std::any_of(allowed.begin(), allowed.end(),
                           [&group](const std::string& sid) { return SameText(sid, group.Sid); });
    });
}

TRouteChoice ChooseRoute(TServiceState service, bool elevated, bool helperAlways) {
    TRouteChoice choice;
    if (service == TServiceState::Running) {
        choice.Kind = TRouteKind::Service;
        return choice;
    }
    choice.Kind = elevated && !helperAlways ? TRouteKind::Directly : TRouteKind::Helper;
    choice.SayStopped = service == TServiceState::Stopped;
    return choice;
}
