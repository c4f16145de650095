#include "Adapters.h"

#include "support/AddressRules.h"
#include "support/Error.h"

#include <cstdint>

const char* const AdapterClassKey =
    "\\SYSTEM\\CurrentControlSet\\Control\\Class\\{4D36E972-E325-11CE-BFC1-08002bE10318}\\";
const char* const InterfacesKey =
    "\\SYSTEM\\CurrentControlSet\\Services\\Tcpip\\Parameters\\Interfaces\\";
const char* const NetworkConnectionsKey =
    "\\SYSTEM\\CurrentControlSet\\Control\\Network\\{4D36E972-E325-11CE-BFC1-08002BE10318}\\";

namespace {

constexpr std::uint32_t HiddenCharacteristic = 0x8; // NCF_HIDDEN

bool IsEthernetBinding(TReg& reg, const std::string& adapterPath) {
    // A value stored as anything but text leaves its adapter out, as a key that does
    // not open does: one odd driver entry must not hide the adapters after it.
    if (!reg.OpenKeyReadOnly(adapterPath + "Ndi\\Interfaces") || !reg.ValueExists("LowerRange"))
        return false;
    // Exactly "ethernet": no trimming, no case folding, no search in a list of media.
    return reg.ReadTextValue("LowerRange") == "ethernet";
}

// Characteristics is a REG_DWORD; a value of another size or type hides nothing.
bool IsHidden(IRegistryBackend& backend, const std::string& adapterPath) {
    const auto key = backend.OpenKeyReadOnly(TRootKey::LocalMachine, adapterPath.substr(1));
    const auto value = key ? key->QueryValue("Characteristics") : std::nullopt;
    if (!value || value->Type != RegDword || value->Bytes.size() != 4)
        return false;
    return (static_cast<unsigned char>(value->Bytes[0]) & HiddenCharacteristic) != 0;
}

bool IsBoundToTcpIp(IRegistryBackend& backend, const std::string& id) {
    if (!IsPlainAdapterId(id))
        return false;
    const std::string path = std::string(InterfacesKey).substr(1) + id;
    return backend.OpenKeyReadOnly(TRootKey::LocalMachine, path) != nullptr;
}

} // namespace

std::vector<TDiscoveredAdapter> DiscoverAdapters(IRegistryBackend& backend, TAdapterScope scope) {
    std::vector<TDiscoveredAdapter> adapters;
    // The wrapper and the name list are locals: released on every path, errors included.
    TReg reg(backend);
    reg.SetRootKey(TRootKey::LocalMachine);
    // Read access alone: a standard user may not open these keys for writing.
    if (!reg.OpenKeyReadOnly(AdapterClassKey))
        return adapters;
    const std::vector<std::string> names = reg.GetKeyNames();
    for (const std::string& name : names) {
        const std::string adapterPath = AdapterClassKey + name + "\\";
        const bool ethernet = IsEthernetBinding(reg, adapterPath);
        if (!ethernet && scope == TAdapterScope::Ethernet)
            continue;
        if (!reg.OpenKeyReadOnly(adapterPath))
            continue;
        const auto id = reg.ReadTextValue("NetCfgInstanceID");
        const auto description = reg.ReadTextValue("DriverDesc");
        if (!id || id->empty() || !description)
            continue;
        if (!ethernet && (IsHidden(backend, adapterPath) || !IsBoundToTcpIp(backend, *id)))
            continue;
        adapters.push_back({*id, *description});
    }
    reg.CloseKey();
    return adapters;
}

std::optional<std::string> DiscoveredDescription(IRegistryBackend& backend,
                                                 const std::string& adapterId) {
    for (const TDiscoveredAdapter& found : DiscoverAdapters(backend, TAdapterScope::AllWithTcpIp))
        if (found.Id == adapterId)
            return found.Description.empty() ? adapterId : found.Description;
    return std::nullopt;
}

void GetAdapters(IRegistryBackend& backend, std::vector<std::string>& list, TAdapterScope scope) {
    for (const TDiscoveredAdapter& adapter : DiscoverAdapters(backend, scope))
        list.push_back(adapter.Id + "=" + adapter.Description);
}

bool IsPlainAdapterId(const std::string& adapter) {
    return !adapter.empty() && adapter.size() <= MaxAdapterIdLength &&
           adapter.find_first_of("\\/") == std::string::npos;
}

std::optional<std::string> ConnectionName(TReg& reg, const std::string& adapter) {
    reg.SetRootKey(TRootKey::LocalMachine);
    if (!IsPlainAdapterId(adapter) ||
        !reg.OpenKeyReadOnly(NetworkConnectionsKey + adapter + "\\Connection"))
        return std::nullopt;
    std::optional<std::string> name;
    try {
        name = reg.ReadString("Name");
    } catch (const TError&) {
        // A value of another type names nothing we could pass on.
    }
    reg.CloseKey();
    if (!name || name->empty())
        return std::nullopt;
    return name;
}

std::string AdapterCaption(const std::string& description,
                           const std::optional<std::string>& connectionName) {
    if (!connectionName)
        return description;
    std::string caption = description;
    caption += " (";
    caption += *connectionName;
    caption += ")";
    return caption;
}
