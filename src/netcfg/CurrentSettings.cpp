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

std::string AddressOrEmpty(const std::string& text) {
    return IsValidIP(text) ? text : std::string();
}

// The editor's own proxy rule and the width of the Proxy field.
std::string ProxyOrEmpty(const std::string& text) {
    const size_t width = static_cast<size_t>(ProfileColumns()[8].Width);
    return text.size() <= width && CheckProxy(text) == TProxyCheck::Accepted ? text : std::string();
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
            registry.OpenKey(TRootKey::LocalMachine, BackendPath(InterfacesKey) + adapterId, false);
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
    }
    const std::unique_ptr<IRegistryKey> internet =
        registry.OpenKey(TRootKey::CurrentUser, BackendPath(InternetSettingsKey), false);
    if (DwordIsOne(internet.get(), "ProxyEnable"))
        settings.Proxy = ProxyOrEmpty(FirstString(internet.get(), "ProxyServer"));
    return settings;
}
