#pragma once
// Applying a network setting to an adapter: its TCP/IP values in the registry, the user's
// proxy, then the DHCP client service (static) or a release and renew (automatic).

#include "netcfg/Adapters.h"
#include "netcfg/Registry.h"
#include "support/AddressLists.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

class IAdapterSwitch;
class ILiveStateReader;
class IProxyConnection;
class ISwitchSystem;
struct TSwitchResult;
class INetworkFactsReader;

// The apply request.
struct TIP {
    std::string Adapter; // the adapter's NetCfgInstanceID
    std::string Address;
    std::string Gateway; // empty: none
    std::string Submask;
    std::string DNS;   // "", "a" or "a,b"
    std::string Proxy; // host:port, or empty for no proxy
    bool DHCP = false; // true: switch to automatic addressing
    // A static setting's further values, in order; empty for a setting of one address and
    // one gateway, which is written exactly as without them.
    unsigned GatewayMetric = 0; // the first gateway's metric; 0: automatic
    std::vector<TAddressEntry> MoreAddresses;
    std::vector<TGatewayEntry> MoreGateways;
    // The DNS suffix (static only: an empty one removes the adapter's) and the proxy's
    // further parts, each left as the user has it while empty.
    TNetOptions Options = {};
};

// What SetIP needs of the system besides the registry, so that tests can record it.
class INetServices {
  public:
    virtual ~INetServices() = default;
    // Tells the DHCP client service of the request's new static address; 0 on success,
    // otherwise the error code of the failure.
    virtual std::uint32_t NotifyDhcpClient(const TIP& request) = 0;
    // Runs a program of the system folder and waits for it: the command line begins with
    // the program's bare file name, which is never searched for elsewhere. Its exit code,
    // or -1 when it cannot start.
    virtual int RunSystemProgram(const std::string& commandLine, std::uint16_t showState) = 0;
    // The machine's IPv4 address as text; false (text untouched) when unknown.
    virtual bool GetLocalIP(std::string& text) = 0;
    virtual void SetStatusText(const std::string& text) = 0;
    // The hourglass while true, the normal cursor again when false.
    virtual void SetWaitCursor(bool waiting) = 0;
    // A plain message to the user, waited for.
    virtual void ShowMessage(const std::string& text) = 0;
    // Tells running programs, browsers included, that the user's proxy values changed, so
    // that they take them at once instead of at their next start; true when the system
    // took both the change and the refresh.
    virtual bool NotifyProxyChanged() = 0;
    // Whether the user's proxy settings (HKEY_CURRENT_USER) are those of the user at the
    // desktop: not when the program was started with another account's credentials.
    virtual bool MayWriteUserProxy() { return true; }
    // The user's connection flags, where automatic detection is turned on; null: not here.
    virtual IProxyConnection* ProxyConnection() { return nullptr; }
    // What a switch is checked with against what Windows uses now; without both, a switch
    // is judged by the notification's answer alone.
    virtual ILiveStateReader* LiveStateReader() { return nullptr; }
    virtual ISwitchSystem* SwitchSystem() { return nullptr; }
    // What the adapter's network looks like beyond the live state (the gateways' hardware
    // addresses, the DHCP server, the SSID), read without sending anything; null: unknown.
    virtual INetworkFactsReader* NetworkFactsReader() { return nullptr; }
    // Who writes the adapter's values when this process may not: the adapter's part of every
    // switch goes there, and only the proxy is written here. Null: this process writes all.
    virtual IAdapterSwitch* AdapterSwitch() { return nullptr; }
};

// Where the user's proxy settings live (HKEY_CURRENT_USER); the adapters' keys are in
// netcfg/Adapters.h.
extern const char* const InternetSettingsKey;

// The child commands of a switch to DHCP, run in this order where the adapter's interface
// index is unknown; alone they act on every adapter, so they run only with the adapter's
// connection name after them.
extern const char* const ReleaseCommand;
extern const char* const RenewCommand;

// The value under the adapter's interface key that a switch to DHCP removes.
extern const char* const DisableDhcpOnConnectValue;

// The gateways' metrics, parallel to DefaultGateway ("0": automatic); written only for a
// setting with a metric, removed by every other switch.
extern const char* const GatewayMetricValue;

// The adapter's connection-specific DNS suffix; a static switch writes it, or removes it
// when the setting has none.
extern const char* const DnsSuffixValue;
// The user's proxy exceptions and configuration script, beside ProxyServer.
extern const char* const ProxyExceptionsValue;
extern const char* const ProxyScriptValue;

// The refusal of a static request without a valid address and subnet mask.
extern const char* const NoValidAddressMessage;

// What is wrong with a static request's fields by the editor's rules, naming the field
// ("[Gateway] "x" is not a valid IP"); empty when every field would have been accepted.
// The Address and the Submask must be dotted quads, the Submask a contiguous mask; the
// further addresses and gateways follow ExtrasComplaint.
std::string RequestComplaint(const TIP& request);

// What the user is told when the DHCP client service did not take a static setting.
std::string NotAppliedMessage(std::uint32_t error);

// Whether the adapter's TCP/IP key opens as SetIP opens it to write the adapter's values.
bool AdapterKeyOpens(IRegistryBackend& registry, const std::string& adapter);

// Whether the adapter's TCP/IP key opens as the switch will need it: for writing where this
// process writes it, for reading where the services' adapter switch writes it.
bool AdapterKeyReachable(IRegistryBackend& registry, INetServices& services,
                         const std::string& adapter);

// The error of a request whose adapter key could not be opened: nothing of the adapter
// was changed (the proxy, the notification and the status line still were).
std::string AdapterKeyMessage(const std::string& adapter);

// Fills the request from a stored setting (field looks a column up by name) and its extras:
// every value trimmed, the DNS servers joined by ",", DHCP off. Title plays no part.
void FillStaticRequest(TIP& request, const std::function<std::string(const std::string&)>& field,
                       const TSettingExtras& extras = {});

// Fills the request for automatic addressing of the adapter at position index of
// adapterList; Proxy and the proxy's parts in Options keep what the last static request put
// there (a DHCP switch writes no DNS suffix).
// A position that is not in the list raises the list error.
void FillDhcpRequest(TIP& request, const std::vector<std::string>& adapterList, int index);

// Writes text as a one-element REG_MULTI_SZ on the open key: the bytes, then two NULs.
// A failure is silent.
void WriteMultiSz(TReg& reg, const std::string& name, const std::string& text);

// Writes the texts in order as one REG_MULTI_SZ: each with its NUL, then one more NUL.
// A failure is silent.
void WriteMultiSzList(TReg& reg, const std::string& name, const std::vector<std::string>& texts);

// The command for the named connection alone: command + the name quoted. Nothing when the
// name is unknown, holds one of ipconfig's wildcards ("*", "?": it would match other
// adapters too), or would make the line longer than a child's command line may be.
std::optional<std::string> AddressToolCommand(const char* command,
                                              const std::optional<std::string>& connection);

// How a switch to DHCP renews the lease of its one adapter: by interface index through the
// IP helper when the index is known (non-zero), else through ipconfig with the connection
// name (both lines, or neither), else not at all.
struct TLeaseRenewal {
    std::uint32_t InterfaceIndex = 0;
    std::vector<std::string> Commands; // ReleaseCommand's line, then RenewCommand's
    bool Renews() const { return InterfaceIndex != 0 || !Commands.empty(); }
};
TLeaseRenewal PlanLeaseRenewal(std::uint32_t interfaceIndex,
                               const std::optional<std::string>& connection);

// What the user is told when a switch to DHCP could renew no lease of that adapter alone.
std::string LeaseNotRenewedMessage(const std::string& adapter);

// What the notification came to.
struct TNotifyResult {
    bool Applied = false;        // a static setting's notification succeeded
    std::uint32_t Error = 0;     // a static setting's failed notification: its error code
    bool LeaseUntouched = false; // DHCP: no lease was renewed, since no way named the adapter alone
};

// Static: the DHCP client service notification. DHCP: the release and renew of
// PlanLeaseRenewal (by index through the services' switch system; the ipconfig lines each
// waited for); never Applied, never an Error.
TNotifyResult NotifyIPChange(const TIP& request, INetServices& services,
                             const std::optional<std::string>& connection = std::nullopt,
                             std::uint32_t interfaceIndex = 0);

// Applies the request; true only when the notification of a static setting succeeded.
// Refused with an error before anything is written: an empty adapter, one that is not among
// the discovered adapters (or whose identifier holds a "\\"), a static request whose Address
// or Submask is empty or no dotted quad, and one whose fields RequestComplaint refuses. Running
// programs are told of the proxy right after its values are written (never when a write failed, nor
// when the proxy key could not be opened). When the DHCP client service does not take static values
// that were written, the user is told so, last. When the adapter's key cannot be opened,
// every other step still runs, and then the error AdapterKeyMessage is raised. A proxy the
// services say is not the desktop user's is left alone, and ProxyNotSetMessage says so.
// With the services' live-state reader and switch system, every switch whose adapter values
// were written is then checked (CheckSwitch), and its message, if any, is the last thing
// said, in place of the notification's; checked, when given, receives the outcome (Applied
// when nothing was checked). A switch to DHCP also removes DisableDhcpOnConnect, and renews
// the lease of that adapter alone (by the interface index the live state gives, else by
// connection name), or tells the user that it was not renewed.
// With the services' adapter switch, the adapter's part runs there (the request is checked
// here first all the same), and the proxy is written here once that part has run; a failure
// to reach it raises with nothing written. checked's Route says which way it went.
bool SetIP(const TIP& request, IRegistryBackend& registry, INetServices& services,
           TSwitchResult* checked = nullptr);
