#pragma once
// The Netvane service on Windows: its installation and removal, the service itself (a fixed
// pipe that serves the members of the allowed groups, one request at a time) and the client
// that hands a switch to it.

#include "netcfg/AdapterSwitch.h"
#include "privileged/ServiceRules.h"

#include <optional>
#include <string>

// What /install-service and /uninstall-service did, or why not.
struct TServiceAnswer {
    bool Done = false;
    std::string Text;
};

// Registers the service for exePath (its full path), run as LocalSystem and started
// automatically, restarted after a crash, with the named group allowed besides the built-in
// ones, and starts it. Nothing stays registered when any step fails.
TServiceAnswer InstallService(const std::string& exePath, const std::optional<std::string>& group);
// Stops and removes the service.
TServiceAnswer UninstallService();

// Netvane.exe /service, as the service control manager starts it: 0 once stopped, 1 when
// not started by it.
int RunService();

// Whether the service is installed, and running.
TServiceState QueryServiceState();

// The switch through the running service: one connection a request, to the pipe the
// service's own process made.
class TServiceSwitch : public IAdapterSwitch {
  public:
    TAdapterReply Apply(const TAdapterRequest& request) override;
    std::string Route() const override { return "through the service"; }
};
