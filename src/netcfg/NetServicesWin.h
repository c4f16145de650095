#pragma once
// The system services of SetIP on Windows: the DHCP client library, child processes, the
// local address, the wait cursor; the status text goes wherever the window says.

#include "netcfg/SetIP.h"

#include <functional>
#include <string>

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
