#pragma once
// The system services of SetIP on Windows: the DHCP client library, child processes, the
// local address, the wait cursor; the status text goes wherever the window says.

#include "netcfg/SetIP.h"

#include <functional>
#include <string>

// What the system answered to the two calls that tell running programs of a new proxy.
struct TProxyNotification {
    bool SettingsChanged = false; // INTERNET_OPTION_SETTINGS_CHANGED
    bool Refreshed = false;       // INTERNET_OPTION_REFRESH
};
// Both calls, in that order, the second also when the first failed.
TProxyNotification NotifySystemOfProxyChange();

class TSystemNetServices : public INetServices {
  public:
    explicit TSystemNetServices(std::function<void(const std::string&)> statusSink);

    bool NotifyDhcpClient(const TIP& request) override;
    int RunAndWait(const std::string& commandLine, std::uint16_t showState) override;
    bool GetLocalIP(std::string& text) override;
    void SetStatusText(const std::string& text) override;
    void SetWaitCursor(bool waiting) override;
    bool NotifyProxyChanged() override;

  private:
    std::function<void(const std::string&)> statusSink_;
};
