#include "SetIP.h"

#include "support/Error.h"
#include "support/Strings.h"

const char* const InterfacesKey =
    "\\SYSTEM\\CurrentControlSet\\Services\\Tcpip\\Parameters\\Interfaces\\";
const char* const InternetSettingsKey =
    "\\Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings\\";
const char* const ReleaseCommand = "ipconfig.exe /release ";
const char* const RenewCommand = "ipconfig.exe /renew ";

namespace {

constexpr std::uint16_t HiddenWindow = 0;

// The hourglass for as long as it lives, on every path out.
class TWaitCursor {
  public:
    explicit TWaitCursor(INetServices& services) : services_(services) {
        services_.SetWaitCursor(true);
    }
    ~TWaitCursor() { services_.SetWaitCursor(false); }
    TWaitCursor(const TWaitCursor&) = delete;
    TWaitCursor& operator=(const TWaitCursor&) = delete;

  private:
    INetServices& services_;
};

void WriteAdapterValues(TReg& reg, const TIP& request) {
    reg.SetRootKey(TRootKey::LocalMachine);
    if (!reg.OpenKey(InterfacesKey + request.Adapter, false))
        return; // an adapter without a key, or one the user may not change: silently
    if (request.DHCP) {
        WriteMultiSz(reg, "DefaultGateway", "");
        reg.WriteString("NameServer", "");
        reg.WriteInteger("EnableDHCP", 1);
    } else {
        WriteMultiSz(reg, "IPAddress", request.Address);
        WriteMultiSz(reg, "DefaultGateway", request.Gateway);
        WriteMultiSz(reg, "SubnetMask", request.Submask);
        reg.WriteString("NameServer", request.DNS);
        reg.WriteInteger("EnableDHCP", 0);
    }
    reg.CloseKey();
}

// True when the values were written; a failed write raises.
bool WriteProxy(TReg& reg, const TIP& request) {
    reg.SetRootKey(TRootKey::CurrentUser);
    if (!reg.OpenKey(InternetSettingsKey, true))
        return false;
    if (request.Proxy.empty()) {
        reg.WriteInteger("ProxyEnable", 0);
    } else {
        reg.WriteInteger("ProxyEnable", 1);
        reg.WriteString("ProxyServer", request.Proxy);
    }
    reg.CloseKey();
    return true;
}

} // namespace

void FillStaticRequest(TIP& request, const std::function<std::string(const std::string&)>& field) {
    request.Adapter = Trim(field("Adapter"));
    request.Address = Trim(field("Address"));
    request.Gateway = Trim(field("Gateway"));
    request.Submask = Trim(field("Submask"));
    request.DNS = Trim(field("DNS1"));
    request.DHCP = false;
    const std::string secondDns = Trim(field("DNS2"));
    if (!secondDns.empty()) {
        if (!request.DNS.empty())
            request.DNS += ",";
        request.DNS += secondDns;
    }
    request.Proxy = Trim(field("Proxy"));
}

void FillDhcpRequest(TIP& request, const std::vector<std::string>& adapterList, int index) {
    if (index < 0 || static_cast<size_t>(index) >= adapterList.size())
        throw ListIndexError(index);
    request.Adapter = adapterList[static_cast<size_t>(index)];
    request.Gateway.clear();
    request.DNS.clear();
    request.DHCP = true;
}

void WriteMultiSz(TReg& reg, const std::string& name, const std::string& text) {
    reg.WriteRaw(name, RegMultiSz, text + std::string(2, '\0'));
}

bool NotifyIPChange(const TIP& request, INetServices& services) {
    if (!request.DHCP)
        return services.NotifyDhcpClient(request);
    // Exit codes are not looked at: a failed release must not stop the renew.
    services.RunAndWait(ReleaseCommand, HiddenWindow);
    services.RunAndWait(RenewCommand, HiddenWindow);
    return false;
}

bool SetIP(const TIP& request, IRegistryBackend& registry, INetServices& services) {
    // An empty identifier would name the parent key of every adapter's interface.
    if (request.Adapter.empty())
        throw TError("No adapter is given for this network setting; nothing was changed");
    TWaitCursor hourglass(services);
    TReg reg(registry);
    WriteAdapterValues(reg, request);
    if (WriteProxy(reg, request))
        services.NotifyProxyChanged(); // silent when it fails, as the DHCP notification is
    const bool notified = NotifyIPChange(request, services);
    std::string address;
    services.GetLocalIP(address);
    services.SetStatusText("Current IP is " + address);
    return notified;
}
