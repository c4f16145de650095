#pragma once
// Which way this process's switches take: an elevated process writes the adapter's values
// itself; any other asks the helper, started when first needed. config.ini's SwitchThrough
// set to "helper" sends an elevated process's switches through the helper too, so that the
// path a standard user takes can be exercised where every process has full rights.

#include "netcfg/AdapterSwitch.h"
#include "support/Config.h"

#include <memory>

inline constexpr char SwitchThroughSetting[] = "SwitchThrough";

// Whether config asks for the helper whatever the rights.
bool HelperAlways(const TConfig* config);

class TSwitchRoute {
  public:
    TSwitchRoute();
    ~TSwitchRoute();
    TSwitchRoute(const TSwitchRoute&) = delete;
    TSwitchRoute& operator=(const TSwitchRoute&) = delete;
    // Null when this process writes itself.
    IAdapterSwitch* AdapterSwitch(const TConfig* config);

  private:
    struct THelper;
    std::unique_ptr<THelper> helper_;
};
