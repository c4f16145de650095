#include "SetIP.h"

#include "netcfg/AdapterSwitch.h"
#include "netcfg/Adapters.h"
#include "netcfg/CurrentSettings.h"
#include "netcfg/ProxyConnection.h"
#include "netcfg/SwitchCheck.h"
#include "support/AccessRules.h"
#include "support/AddressRules.h"
#include "support/CommandLine.h"
#include "support/Error.h"
#include "support/Strings.h"

const char* const InternetSettingsKey =
    "\\Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings\\";
const char* const ReleaseCommand = "ipconfig.exe /release ";
const char* const RenewCommand = "ipconfig.exe /renew ";
const char* const DisableDhcpOnConnectValue = "DisableDhcpOnConnect";
const char* const GatewayMetricValue = "DefaultGatewayMetric";
const char* const DnsSuffixValue = "Domain";
const char* const ProxyExceptionsValue = "ProxyOverride";
const char* const ProxyScriptValue = "AutoConfigURL";
const char* const NoValidAddressMessage =
    "This setting has no valid address and subnet mask; nothing was changed";

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

bool HasExtras(const TIP& request) {
    return request.GatewayMetric != 0 || !request.MoreAddresses.empty() ||
           !request.MoreGateways.empty();
}

// Windows pairs DefaultGatewayMetric with DefaultGateway entry by entry: a value left from an
// earlier setting would give this one's gateways metrics it never asked for.
void RemoveGatewayMetrics(TReg& reg) {
    if (reg.ValueExists(GatewayMetricValue))
        reg.DeleteValue(GatewayMetricValue);
}

// Every address with its mask in order, every gateway in order, and their metrics beside
// them when any has one ("0": automatic).
void WriteAddressLists(TReg& reg, const TIP& request) {
    std::vector<std::string> addresses = {request.Address}, masks = {request.Submask};
    for (const TAddressEntry& entry : request.MoreAddresses) {
        addresses.push_back(entry.Address);
        masks.push_back(entry.Submask);
    }
    std::vector<std::string> gateways, metrics;
    if (!request.Gateway.empty()) {
        gateways.push_back(request.Gateway);
        metrics.push_back(std::to_string(request.GatewayMetric));
    }
    bool anyMetric = request.GatewayMetric != 0;
    for (const TGatewayEntry& entry : request.MoreGateways) {
        gateways.push_back(entry.Gateway);
        metrics.push_back(std::to_string(entry.Metric));
        anyMetric = anyMetric || entry.Metric != 0;
    }
    WriteMultiSzList(reg, "IPAddress", addresses);
    WriteMultiSzList(reg, "DefaultGateway", gateways.empty() ? std::vector<std::string>{""} : gateways);
    WriteMultiSzList(reg, "SubnetMask", masks);
    if (anyMetric)
        WriteMultiSzList(reg, GatewayMetricValue, metrics);
    else
        RemoveGatewayMetrics(reg);
}

// The connection-specific suffix belongs to the static setting: one without it leaves none
// behind (a missing value stays missing, so such a switch writes what it always wrote).
void WriteDnsSuffix(TReg& reg, const std::string& suffix) {
    if (!suffix.empty())
        reg.WriteString(DnsSuffixValue, suffix);
    else if (reg.ValueExists(DnsSuffixValue))
        reg.DeleteValue(DnsSuffixValue);
}

// True when the adapter's key opened and its values were written.
bool WriteAdapterValues(TReg& reg, const TIP& request) {
    reg.SetRootKey(TRootKey::LocalMachine);
    if (!reg.OpenKey(InterfacesKey + request.Adapter, false))
        return false; // an adapter without a key, or one the user may not change
    if (request.DHCP) {
        WriteMultiSz(reg, "DefaultGateway", "");
        reg.WriteString("NameServer", "");
        reg.WriteInteger("EnableDHCP", 1);
        // Set by Windows when a static setting met an unplugged cable; while it stays, the
        // DHCP client ignores the adapter's requests.
        if (reg.ValueExists(DisableDhcpOnConnectValue))
            reg.DeleteValue(DisableDhcpOnConnectValue);
        RemoveGatewayMetrics(reg);
    } else if (!HasExtras(request)) {
        WriteMultiSz(reg, "IPAddress", request.Address);
        WriteMultiSz(reg, "DefaultGateway", request.Gateway);
        WriteMultiSz(reg, "SubnetMask", request.Submask);
        reg.WriteString("NameServer", request.DNS);
        reg.WriteInteger("EnableDHCP", 0);
        RemoveGatewayMetrics(reg);
    } else {
        WriteAddressLists(reg, request);
        reg.WriteString("NameServer", request.DNS);
        reg.WriteInteger("EnableDHCP", 0);
    }
    if (!request.DHCP)
        WriteDnsSuffix(reg, request.Options.DnsSuffix);
    reg.CloseKey();
    return true;
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
        // Exceptions mean nothing without a proxy; empty ones leave the user's own.
        if (!request.Options.ProxyExceptions.empty())
            reg.WriteString(ProxyExceptionsValue, request.Options.ProxyExceptions);
    }
    if (!request.Options.ProxyScript.empty())
        reg.WriteString(ProxyScriptValue, request.Options.ProxyScript);
    reg.CloseKey();
    return true;
}

// A text in quotes, whole when it is short enough to be shown in a message, else its start.
// Appended piece by piece: GCC 12 misreads "x" + std::string&& as an overlapping copy.
std::string Shown(const std::string& text) {
    constexpr std::size_t Longest = 40;
    std::string shown = "\"";
    shown.append(text, 0, Longest);
    shown += text.size() <= Longest ? "\"" : "...\"";
    return shown;
}

std::string FieldComplaint(const char* field, const std::string& complaint) {
    std::string message = "[";
    message += field;
    message += "] ";
    message += complaint;
    return message;
}

// An optional address: empty, or a dotted quad.
std::string AddressComplaint(const char* field, const std::string& text) {
    if (text.empty() || IsValidIP(text))
        return {};
    return FieldComplaint(field, Shown(text) + " is not a valid IP");
}

std::string DnsComplaint(const std::string& dns) {
    if (dns.empty())
        return {};
    const TSplit servers = SplitAt(dns, ",");
    if (std::string c = AddressComplaint("DNS1", Trim(servers.Left)); !c.empty())
        return c;
    if (dns.find(',') == std::string::npos)
        return {};
    if (servers.Right.find(',') != std::string::npos)
        return FieldComplaint("DNS2", "holds more than one server");
    if (servers.Right.empty())
        return FieldComplaint("DNS2", "is empty after a \",\"");
    return AddressComplaint("DNS2", servers.Right);
}

std::string ProxyComplaint(const std::string& proxy) {
    if (proxy.size() > MaxProxyLength)
        return FieldComplaint("Proxy", "is longer than " + std::to_string(MaxProxyLength) +
                                           " characters");
    switch (CheckProxy(proxy)) {
    case TProxyCheck::Empty:
    case TProxyCheck::Accepted:
        return {};
    case TProxyCheck::PortOutOfRange: {
        std::string port = "port ";
        port += Shown(CopyFrom(proxy, CharPosFrom(':', proxy, 1) + 1));
        port += " is outside 1 to " + std::to_string(MaxPort);
        return FieldComplaint("Proxy", port);
    }
    default:
        return FieldComplaint("Proxy", Shown(proxy) + " is not host:port");
    }
}

// Only what the editor would have stored reaches Windows, whatever wrote the database, and
// only for an adapter that Windows has.
// The adapter's description, for what the user is told.
std::string RequireUsableRequest(const TIP& request, IRegistryBackend& registry) {
    if (request.Adapter.empty())
        throw TError("No adapter is given for this network setting; nothing was changed");
    if (!request.DHCP) {
        if (!IsValidIP(request.Address) || !IsValidIP(request.Submask))
            throw TError(NoValidAddressMessage);
        if (const std::string complaint = RequestComplaint(request); !complaint.empty())
            throw TError("This setting cannot be applied: " + complaint + "; nothing was changed");
    }
    std::optional<std::string> description;
    if (IsPlainAdapterId(request.Adapter))
        description = DiscoveredDescription(registry, request.Adapter);
    if (!description)
        throw TError("This setting belongs to the adapter " + Shown(request.Adapter) +
                     ", which is not one of this computer's network adapters; nothing was "
                     "changed");
    return *description;
}

} // namespace

std::string RequestComplaint(const TIP& request) {
    if (!IsSubnetMask(request.Submask))
        return FieldComplaint("Submask", Shown(request.Submask) + " is not a subnet mask");
    for (std::string c : {AddressComplaint("Address", request.Address),
                          AddressComplaint("Gateway", request.Gateway), DnsComplaint(request.DNS),
                          ProxyComplaint(request.Proxy)})
        if (!c.empty())
            return c;
    const TSettingExtras extras{request.GatewayMetric, request.MoreAddresses, request.MoreGateways};
    if (std::string c = ExtrasComplaint(request.Address, request.Submask, request.Gateway, extras);
        !c.empty())
        return c;
    return CheckNetOptions(request.Options).Text;
}

bool AdapterKeyOpens(IRegistryBackend& registry, const std::string& adapter) {
    TReg reg(registry);
    reg.SetRootKey(TRootKey::LocalMachine);
    return reg.OpenKey(InterfacesKey + adapter, false);
}

bool AdapterKeyReachable(IRegistryBackend& registry, INetServices& services,
                         const std::string& adapter) {
    if (!services.AdapterSwitch())
        return AdapterKeyOpens(registry, adapter);
    TReg reg(registry);
    reg.SetRootKey(TRootKey::LocalMachine);
    return reg.OpenKeyReadOnly(InterfacesKey + adapter);
}

std::string AdapterKeyMessage(const std::string& adapter) {
    return "The network adapter's settings were not changed: its key "
           "\"HKEY_LOCAL_MACHINE" +
           std::string(InterfacesKey) + adapter +
           "\" cannot be opened. The adapter may have been removed, or Netvane may be running "
           "without administrator rights";
}

std::string NotAppliedMessage(std::uint32_t error) {
    return "The settings are saved, but Windows did not apply them now (error " +
           std::to_string(error) + "). They take effect when the adapter restarts.";
}

void FillStaticRequest(TIP& request, const std::function<std::string(const std::string&)>& field,
                       const TSettingExtras& extras) {
    // The stored text stays as typed; Windows is given each address in the one form it
    // reads as the program does.
    const auto address = [&field](const char* name) { return CanonicalIP(Trim(field(name))); };
    request.Adapter = Trim(field("Adapter"));
    request.Address = address("Address");
    request.Gateway = address("Gateway");
    request.Submask = address("Submask");
    request.DNS = address("DNS1");
    request.DHCP = false;
    const std::string secondDns = address("DNS2");
    if (!secondDns.empty()) {
        if (!request.DNS.empty())
            request.DNS += ",";
        request.DNS += secondDns;
    }
    request.Proxy = Trim(field("Proxy"));
    request.GatewayMetric = extras.GatewayMetric;
    request.MoreAddresses.clear();
    for (const TAddressEntry& entry : extras.MoreAddresses)
        request.MoreAddresses.push_back(
            {CanonicalIP(Trim(entry.Address)), CanonicalIP(Trim(entry.Submask))});
    request.MoreGateways.clear();
    for (const TGatewayEntry& entry : extras.MoreGateways)
        request.MoreGateways.push_back({CanonicalIP(Trim(entry.Gateway)), entry.Metric});
    request.Options = TrimmedNetOptions(extras.Options);
}

void FillDhcpRequest(TIP& request, const std::vector<std::string>& adapterList, int index) {
    if (index < 0 || static_cast<size_t>(index) >= adapterList.size())
        throw ListIndexError(index);
    request.Adapter = adapterList[static_cast<size_t>(index)];
    request.Gateway.clear();
    request.DNS.clear();
    request.DHCP = true;
    request.GatewayMetric = 0;
    request.MoreAddresses.clear();
    request.MoreGateways.clear();
}

void WriteMultiSz(TReg& reg, const std::string& name, const std::string& text) {
    reg.WriteRaw(name, RegMultiSz, text + std::string(2, '\0'));
}

void WriteMultiSzList(TReg& reg, const std::string& name, const std::vector<std::string>& texts) {
    std::string bytes;
    for (const std::string& text : texts) {
        bytes += text;
        bytes += '\0';
    }
    bytes += '\0';
    reg.WriteRaw(name, RegMultiSz, bytes);
}

std::optional<std::string> AddressToolCommand(const char* command,
                                              const std::optional<std::string>& connection) {
    if (!connection || connection->empty() || connection->find_first_of("*?") != std::string::npos)
        return std::nullopt;
    std::string line = command + QuoteArgument(*connection);
    // A line the child cannot be given would run nothing at all.
    if (line.size() > MaxCommandLineLength)
        return std::nullopt;
    return line;
}

TLeaseRenewal PlanLeaseRenewal(std::uint32_t interfaceIndex,
                               const std::optional<std::string>& connection) {
    if (interfaceIndex != 0)
        return {interfaceIndex, {}};
    const auto release = AddressToolCommand(ReleaseCommand, connection);
    const auto renew = AddressToolCommand(RenewCommand, connection);
    if (!release || !renew)
        return {};
    return {0, {*release, *renew}};
}

std::string LeaseNotRenewedMessage(const std::string& adapter) {
    return "DHCP is set for " + adapter +
           ", but its address was not renewed now: Netvane found no way to reach that adapter "
           "alone, and renews no other. It takes an address from the DHCP server when it "
           "restarts.";
}

TNotifyResult NotifyIPChange(const TIP& request, INetServices& services,
                             const std::optional<std::string>& connection,
                             std::uint32_t interfaceIndex) {
    if (!request.DHCP) {
        const std::uint32_t error = services.NotifyDhcpClient(request);
        return {error == 0, error};
    }
    ISwitchSystem* system = services.SwitchSystem();
    const TLeaseRenewal plan = PlanLeaseRenewal(system ? interfaceIndex : 0, connection);
    TNotifyResult result;
    result.LeaseUntouched = !plan.Renews();
    if (plan.InterfaceIndex != 0)
        system->RenewLease(plan.InterfaceIndex); // the check judges what came of it
    // Exit codes are not looked at: a failed release must not stop the renew.
    for (const std::string& line : plan.Commands)
        services.RunSystemProgram(line, HiddenWindow);
    return result;
}

namespace {

// The proxy step of a switch, in the user's own settings: false when the services say they
// are not the desktop user's, and nothing was written.
bool SetUserProxy(TReg& reg, const TIP& request, INetServices& services) {
    if (!services.MayWriteUserProxy())
        return false;
    if (WriteProxy(reg, request)) {
        // The documented way, after the values it sits beside; only a setting that asks for
        // detection turns it on, and none turns it off.
        if (IProxyConnection* connection = services.ProxyConnection();
            connection && request.Options.ProxyAutoDetect)
            SetConnectionFlags(*connection, request);
        services.NotifyProxyChanged(); // silent when it fails, as the DHCP notification is
    }
    return true;
}

void ShowLocalAddress(INetServices& services) {
    std::string address;
    services.GetLocalIP(address);
    services.SetStatusText("Current IP is " + address);
}

// The whole switch in this process; the proxy only when writeProxy.
bool SetIPHere(const TAdapterRequest& adapterRequest, IRegistryBackend& registry,
               INetServices& services, TSwitchResult* checked, bool writeProxy) {
    const TIP& request = adapterRequest.Request;
    const std::string description = RequireUsableRequest(request, registry);
    ILiveStateReader* reader = services.LiveStateReader();
    ISwitchSystem* system = services.SwitchSystem();
    const bool checking = reader && system;
    const TLiveState before = checking ? reader->Read(request.Adapter) : TLiveState{};
    TSwitchResult result;
    result.Outcome = TSwitchOutcome::Applied; // unless the check says otherwise
    TNotifyResult notified;
    bool adapterWritten = false;
    bool proxyAllowed = true;
    {
        TWaitCursor hourglass(services);
        TReg reg(registry);
        adapterWritten = WriteAdapterValues(reg, request);
        if (writeProxy)
            proxyAllowed = SetUserProxy(reg, request, services);
        const auto connection =
            request.DHCP ? ConnectionName(reg, request.Adapter) : std::optional<std::string>();
        notified = NotifyIPChange(request, services, connection,
                                  before.Present ? before.InterfaceIndex : 0);
        if (checking && adapterWritten)
            result = CheckSwitch(request, description, before, *reader, *system);
        if (adapterWritten)
            RestoreKeptValues(registry, TRootKey::LocalMachine, AdapterKeyPath(request.Adapter),
                              adapterRequest.KeptValues);
        ShowLocalAddress(services);
    }
    // Every other step has run, as it would have; the cursor is back to normal while the
    // user reads this. An adapter left as it was is a failure, never a silent one.
    if (!proxyAllowed)
        services.ShowMessage(ProxyNotSetMessage);
    if (!adapterWritten)
        throw TError(AdapterKeyMessage(request.Adapter));
    result.Route = "directly";
    if (checked)
        *checked = result;
    // What Windows uses now says more than the notification's answer; without a check, only
    // values that reached the registry wait for the adapter's restart.
    if (checking && !result.Message.empty())
        services.ShowMessage(result.Message);
    else if (!checking && notified.Error != 0)
        services.ShowMessage(NotAppliedMessage(notified.Error));
    else if (!checking && notified.LeaseUntouched)
        services.ShowMessage(LeaseNotRenewedMessage(description));
    return notified.Applied;
}

// The adapter's part elsewhere, the proxy here once that part has run: a request refused
// there, or a way there that failed, leaves the proxy as it was too.
bool SetIPThrough(IAdapterSwitch& elsewhere, const TAdapterRequest& adapterRequest,
                  IRegistryBackend& registry, INetServices& services, TSwitchResult* checked) {
    const TIP& request = adapterRequest.Request;
    RequireUsableRequest(request, registry);
    TAdapterReply reply;
    bool proxyAllowed = true;
    {
        TWaitCursor hourglass(services);
        reply = elsewhere.Apply(adapterRequest);
        if (reply.Stage == TAdapterStage::Refused)
            throw TError(reply.Error);
        TReg reg(registry);
        proxyAllowed = SetUserProxy(reg, request, services);
        ShowLocalAddress(services);
    }
    if (!proxyAllowed)
        services.ShowMessage(ProxyNotSetMessage);
    if (reply.Stage == TAdapterStage::KeyMissing)
        throw TError(reply.Error);
    reply.Result.Route = elsewhere.Route();
    if (checked)
        *checked = reply.Result;
    for (const std::string& text : reply.Said)
        services.ShowMessage(text);
    return reply.Applied;
}

} // namespace

bool SetIP(const TAdapterRequest& request, IRegistryBackend& registry, INetServices& services,
           TSwitchResult* checked) {
    if (IAdapterSwitch* elsewhere = services.AdapterSwitch())
        return SetIPThrough(*elsewhere, request, registry, services, checked);
    return SetIPHere(request, registry, services, checked, true);
}

bool SetIP(const TIP& request, IRegistryBackend& registry, INetServices& services,
           TSwitchResult* checked) {
    return SetIP(TAdapterRequest{request, {}}, registry, services, checked);
}

bool SetAdapterPart(const TAdapterRequest& request, IRegistryBackend& registry,
                    INetServices& services, TSwitchResult* checked) {
    return SetIPHere(request, registry, services, checked, false);
}
