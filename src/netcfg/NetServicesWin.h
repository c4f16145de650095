#pragma once
// The system services of SetIP on Windows: the DHCP client library, child processes, the
// local address, the wait cursor; the status text goes wherever the window says.

#include "netcfg/LiveStateWin.h"
#include "netcfg/NetworkFactsWin.h"
#include "netcfg/ProxyConnectionWin.h"
#include "netcfg/SetIP.h"
#include "netcfg/SwitchCheck.h"

#include <functional>
#include <string>

// What the system answered to the two calls that tell running programs of a new proxy.
struct TProxyNotification {
    bool SettingsChanged = false; // INTERNET_OPTION_SETTINGS_CHANGED
    bool Refreshed = false;       // INTERNET_OPTION_REFRESH
};
// Both calls, in that order, the second also when the first failed.
TProxyNotification NotifySystemOfProxyChange();

class TSystemNetServices : public INetServices, public ISwitchSystem {
  public:
    // The status text goes to statusSink; a message for the user to messageSink, or to a
    // message box when there is none (a run from the command line prints it instead).
    explicit TSystemNetServices(std::function<void(const std::string&)> statusSink,
                                std::function<void(const std::string&)> messageSink = nullptr);

    // Without the library or its function, or with Wine's stub (which would end the
    // process), nothing is called and the failure is ERROR_MOD_NOT_FOUND (126),
    // ERROR_PROC_NOT_FOUND (127) or ERROR_CALL_NOT_IMPLEMENTED (120).
    std::uint32_t NotifyDhcpClient(const TIP& request) override;
    // The DHCP client library is the system folder's; a test names one of its own here by
    // its full path.
    void UseDhcpLibraryAt(std::string fullPath);
    int RunSystemProgram(const std::string& commandLine, std::uint16_t showState) override;
    bool GetLocalIP(std::string& text) override;
    void SetStatusText(const std::string& text) override;
    void SetWaitCursor(bool waiting) override;
    void ShowMessage(const std::string& text) override;
    bool NotifyProxyChanged() override;
    // Every switch is checked against the IP helper's view of the adapter.
    ILiveStateReader* LiveStateReader() override { return &liveState_; }
    ISwitchSystem* SwitchSystem() override { return this; }
    INetworkFactsReader* NetworkFactsReader() override { return &networkFacts_; }
    int RunNetsh(const std::string& commandLine, std::string& output) override;
    bool RenewLease(std::uint32_t interfaceIndex) override;
    void Wait(unsigned milliseconds) override;
    // Not when the program runs elevated under another account than the desktop's.
    bool MayWriteUserProxy() override;
    IProxyConnection* ProxyConnection() override { return &proxyConnection_; }
    // Whoever writes the adapter's values when this process may not, asked at each switch.
    void UseAdapterSwitch(std::function<IAdapterSwitch*()> adapterSwitch) {
        adapterSwitch_ = std::move(adapterSwitch);
    }
    IAdapterSwitch* AdapterSwitch() override { return adapterSwitch_ ? adapterSwitch_() : nullptr; }

  private:
    std::function<void(const std::string&)> statusSink_;
    std::function<void(const std::string&)> messageSink_;
    std::string dhcpLibraryPath_;
    std::function<IAdapterSwitch*()> adapterSwitch_;
    TSystemLiveStateReader liveState_;
    TSystemNetworkFactsReader networkFacts_;
    TSystemProxyConnection proxyConnection_;
};
