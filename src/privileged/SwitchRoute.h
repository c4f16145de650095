#pragma once
// Which way this process's switches take (ChooseRoute): through the Netvane service when it
// runs, from any process; else an elevated process writes the adapter's values itself and
// any other asks the helper, started when first needed. config.ini's SwitchThrough set to
// "helper" sends an elevated process's switches through the helper too, so that the path a
// standard user takes can be exercised where every process has full rights.

#include "netcfg/AdapterSwitch.h"
#include "support/Config.h"

#include <functional>
#include <memory>
#include <string>

inline constexpr char SwitchThroughSetting[] = "SwitchThrough";

// Whether config asks for the helper whatever the rights.
bool HelperAlways(const TConfig* config);

class TSwitchRoute {
  public:
    // tell: how the user learns, once, that the service is installed but stopped.
    explicit TSwitchRoute(std::function<void(const std::string&)> tell);
    ~TSwitchRoute();
    TSwitchRoute(const TSwitchRoute&) = delete;
    TSwitchRoute& operator=(const TSwitchRoute&) = delete;
    // Null when this process writes itself.
    IAdapterSwitch* AdapterSwitch(const TConfig* config);
    // Whether a switch now would ask the user for consent: the helper's way, without the
    // service. Asks the service manager and the token, nothing more.
    bool AsksConsent(const TConfig* config) const;

  private:
    struct THelper;
    std::unique_ptr<THelper> helper_;
    std::unique_ptr<IAdapterSwitch> service_;
    std::function<void(const std::string&)> tell_;
    bool toldStopped_ = false;
};

// Whether the service runs, for the about box.
bool ServiceIsUsed();
