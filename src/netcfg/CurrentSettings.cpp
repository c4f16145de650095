#include "CurrentSettings.h"

#include "support/AddressRules.h"
#include "netcfg/SetIP.h"
#include "store/ProfileStore.h"
#include "support/Strings.h"

#include <memory>

namespace {

// The backend takes paths without the leading "\" that TReg's paths carry.
std::string BackendPath(const char* keyPath) {
    return std::string(keyPath).substr(1);
}

// A text value up to its first NUL: the whole text, or a multi-string's first string.
std::string FirstString(IRegistryKey* key, const char* name) {
    if (!key)
        return {};
    const auto value = key->QueryValue(name);
    if (!value || (value->Type != RegSz && value->Type != RegExpandSz && value->Type != RegMultiSz))
        return {};
    return Trim(value->Bytes.substr(0, value->Bytes.find('\0')));
}

bool DwordIsOne(IRegistryKey* key, const char* name) {
    if (!key)
        return false;
    const auto value = key->QueryValue(name);
    return value && value->Type == RegDword && value->Bytes == std::string("\x01\0\0\0", 4);
}

// Every non-empty string of a text or multi-string value, in order.
std::vector<std::string> AllStrings(IRegistryKey* key, const char* name) {
    std::vector<std::string> strings;
    if (!key)
        return strings;
    const auto value = key->QueryValue(name);
    if (!value || (value->Type != RegSz && value->Type != RegExpandSz && value->Type != RegMultiSz))
        return strings;
    const size_t end = value->Type == RegMultiSz ? value->Bytes.size() : value->Bytes.find('\0');
    const std::string bytes = value->Bytes.substr(0, end);
    size_t start = 0;
    while (start <= bytes.size()) {
        size_t stop = bytes.find('\0', start);
        if (stop == std::string::npos)
            stop = bytes.size();
        if (std::string entry = Trim(bytes.substr(start, stop - start)); !entry.empty())
            strings.push_back(std::move(entry));
        start = stop + 1;
    }
    return strings;
}

std::string AddressOrEmpty(const std::string& text) {
    return IsValidIP(text) ? text : std::string();
}

// The editor's own proxy rule and the width of the Proxy field.
std::string ProxyOrEmpty(const std::string& text) {
    const size_t width = static_cast<size_t>(ProfileColumns()[8].Width);
    return text.size() <= width && CheckProxy(text) == TProxyCheck::Accepted ? text : std::string();
}

// A registry metric as the setting keeps it: 0 (automatic) for one it cannot hold.
unsigned MetricOrAutomatic(const std::string& text) {
    unsigned metric = 0;
    return ParseMetric(text, metric) ? metric : 0;
}

// What a candidate adds is kept only when the whole still follows the setting's rules.
template <typename TAdd>
void AddIfAccepted(const TCurrentSettings& settings, TSettingExtras& extras, TAdd add) {
    TSettingExtras candidate = extras;
    add(candidate);
    if (CheckExtras(settings.Address, settings.Submask, settings.Gateway, candidate).Field ==
        TExtrasField::None)
        extras = std::move(candidate);
}

// The strings after the first of each list: address i goes with mask i, gateway i with
// metric i (a missing metric is automatic).
TSettingExtras ReadExtras(const TCurrentSettings& settings, IRegistryKey* adapter, bool dhcp) {
    const auto list = [&](const char* staticName, const char* dhcpName) {
        return AllStrings(adapter, dhcp ? dhcpName : staticName);
    };
    const std::vector<std::string> addresses = list("IPAddress", "DhcpIPAddress");
    const std::vector<std::string> masks = list("SubnetMask", "DhcpSubnetMask");
    const std::vector<std::string> gateways = list("DefaultGateway", "DhcpDefaultGateway");
    const std::vector<std::string> metrics =
        dhcp ? std::vector<std::string>{} : AllStrings(adapter, "DefaultGatewayMetric");
    const auto metricAt = [&](size_t i) {
        return i < metrics.size() ? MetricOrAutomatic(metrics[i]) : 0u;
    };
    TSettingExtras extras;
    if (!settings.Gateway.empty())
        AddIfAccepted(settings, extras, [&](TSettingExtras& e) { e.GatewayMetric = metricAt(0); });
    for (size_t i = 1; i < addresses.size() && i < masks.size(); ++i)
        AddIfAccepted(settings, extras, [&](TSettingExtras& e) {
            e.MoreAddresses.push_back({addresses[i], masks[i]});
        });
    for (size_t i = 1; i < gateways.size(); ++i)
        AddIfAccepted(settings, extras, [&](TSettingExtras& e) {
            e.MoreGateways.push_back({gateways[i], metricAt(i)});
        });
    return extras;
}

// A text the setting's rule accepts, trimmed; anything else reads as none.
std::string AcceptedOrEmpty(const std::string& text, std::string (*complaint)(const std::string&)) {
    const std::string trimmed = Trim(text);
    return complaint(trimmed).empty() ? trimmed : std::string();
}

} // namespace

TNameServers SplitNameServers(const std::string& value) {
    TNameServers servers;
    std::string* next = &servers.First;
    size_t start = 0;
    while (next && start < value.size()) {
        const size_t end = value.find_first_of(", ", start);
        const std::string entry = value.substr(start, end - start);
        if (!entry.empty()) {
            *next = entry;
            next = next == &servers.First ? &servers.Second : nullptr;
        }
        if (end == std::string::npos)
            break;
        start = end + 1;
    }
    return servers;
}

TCurrentSettings ReadCurrentSettings(IRegistryBackend& registry, const std::string& adapterId) {
    TCurrentSettings settings;
    // An empty identifier would name the parent key of every adapter's interface.
    if (!adapterId.empty()) {
        const std::unique_ptr<IRegistryKey> adapter =
            registry.OpenKeyReadOnly(TRootKey::LocalMachine, AdapterKeyPath(adapterId));
        const bool dhcp = DwordIsOne(adapter.get(), "EnableDHCP");
        const auto read = [&](const char* staticName, const char* dhcpName) {
            return FirstString(adapter.get(), dhcp ? dhcpName : staticName);
        };
        settings.Address = AddressOrEmpty(read("IPAddress", "DhcpIPAddress"));
        settings.Submask = AddressOrEmpty(read("SubnetMask", "DhcpSubnetMask"));
        settings.Gateway = AddressOrEmpty(read("DefaultGateway", "DhcpDefaultGateway"));
        const TNameServers dns = SplitNameServers(read("NameServer", "DhcpNameServer"));
        settings.DNS1 = AddressOrEmpty(dns.First);
        settings.DNS2 = AddressOrEmpty(dns.Second);
        // Without a first address there is no setting for further ones to stand beside.
        if (!settings.Address.empty() && !settings.Submask.empty())
            settings.Extras = ReadExtras(settings, adapter.get(), dhcp);
        std::string suffix = FirstString(adapter.get(), "Domain");
        if (suffix.empty() && dhcp)
            suffix = FirstString(adapter.get(), "DhcpDomain");
        settings.Extras.Options.DnsSuffix = AcceptedOrEmpty(suffix, DnsSuffixComplaint);
    }
    const std::unique_ptr<IRegistryKey> internet =
        registry.OpenKeyReadOnly(TRootKey::CurrentUser, ProxyKeyPath());
    if (DwordIsOne(internet.get(), "ProxyEnable"))
        settings.Proxy = ProxyOrEmpty(FirstString(internet.get(), "ProxyServer"));
    settings.Extras.Options.ProxyExceptions =
        AcceptedOrEmpty(FirstString(internet.get(), "ProxyOverride"), ProxyExceptionsComplaint);
    settings.Extras.Options.ProxyScript =
        AcceptedOrEmpty(FirstString(internet.get(), "AutoConfigURL"), ProxyScriptComplaint);
    return settings;
}

namespace {

std::vector<TKeptValue> KeepValues(IRegistryKey* key, const std::vector<std::string>& names) {
    std::vector<TKeptValue> kept;
    for (const std::string& name : names)
        kept.push_back({name, key ? key->QueryValue(name) : std::nullopt});
    return kept;
}

} // namespace

std::string AdapterKeyPath(const std::string& adapterId) {
    return BackendPath(InterfacesKey) + adapterId;
}

std::string ProxyKeyPath() {
    return BackendPath(InternetSettingsKey);
}

TAdapterValues ReadAdapterValues(IRegistryBackend& registry, const std::string& adapterId) {
    TAdapterValues values;
    if (adapterId.empty())
        return values;
    const std::unique_ptr<IRegistryKey> adapter =
        registry.OpenKeyReadOnly(TRootKey::LocalMachine, AdapterKeyPath(adapterId));
    values.Dhcp = DwordIsOne(adapter.get(), "EnableDHCP");
    values.Addresses = AllStrings(adapter.get(), "IPAddress");
    values.Submasks = AllStrings(adapter.get(), "SubnetMask");
    values.Gateways = AllStrings(adapter.get(), "DefaultGateway");
    values.GatewayMetrics = AllStrings(adapter.get(), "DefaultGatewayMetric");
    values.NameServers = SplitNameServers(FirstString(adapter.get(), "NameServer"));
    return values;
}

std::vector<TKeptValue> KeepAdapterValues(IRegistryBackend& registry, const std::string& adapterId,
                                          const std::vector<std::string>& names) {
    const std::unique_ptr<IRegistryKey> adapter =
        registry.OpenKeyReadOnly(TRootKey::LocalMachine, AdapterKeyPath(adapterId));
    return KeepValues(adapter.get(), names);
}

std::vector<TKeptValue> KeepProxyValues(IRegistryBackend& registry) {
    const std::unique_ptr<IRegistryKey> internet =
        registry.OpenKeyReadOnly(TRootKey::CurrentUser, ProxyKeyPath());
    return KeepValues(internet.get(),
                      {"ProxyEnable", "ProxyServer", "ProxyOverride", "AutoConfigURL"});
}

std::string ReadProxy(IRegistryBackend& registry) {
    return ReadCurrentSettings(registry, "").Proxy;
}

bool RestoreKeptValues(IRegistryBackend& registry, TRootKey root, const std::string& keyPath,
                       const std::vector<TKeptValue>& values) {
    const std::unique_ptr<IRegistryKey> key = registry.OpenKey(root, keyPath, false);
    if (!key)
        return false;
    bool changed = false;
    for (const TKeptValue& kept : values) {
        const auto now = key->QueryValue(kept.Name);
        const bool same = now.has_value() == kept.Value.has_value() &&
                          (!now || (now->Type == kept.Value->Type && now->Bytes == kept.Value->Bytes));
        if (same)
            continue;
        changed |= kept.Value ? key->SetValue(kept.Name, kept.Value->Type, kept.Value->Bytes)
                              : key->DeleteValue(kept.Name);
    }
    return changed;
}
