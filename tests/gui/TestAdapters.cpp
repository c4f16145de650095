#include "TestAdapters.h"

#include "store/ProfileStore.h"
#include "support/FileSystem.h"

#include <windows.h>

#include <stdexcept>

const char* const TestAdapterClassKey =
    "SYSTEM\\CurrentControlSet\\Control\\Class\\{4D36E972-E325-11CE-BFC1-08002bE10318}";

namespace {

constexpr const char* InterfacesKey = "SYSTEM\\CurrentControlSet\\Services\\Tcpip\\Parameters\\"
                                      "Interfaces\\";

void SetText(const std::string& key, const char* name, const std::string& value) {
    HKEY handle = nullptr;
    if (::RegCreateKeyExA(HKEY_LOCAL_MACHINE, key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                          &handle, nullptr) != ERROR_SUCCESS)
        throw std::runtime_error("cannot create HKLM\\" + key);
    if (name)
        ::RegSetValueExA(handle, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                         static_cast<DWORD>(value.size() + 1));
    ::RegCloseKey(handle);
}

} // namespace

TTestAdapters::TTestAdapters() { RemoveAll(); }

TTestAdapters::~TTestAdapters() { RemoveAll(); }

void TTestAdapters::RemoveAll() {
    ::RegDeleteTreeA(HKEY_LOCAL_MACHINE, TestAdapterClassKey);
    ::RegDeleteKeyA(HKEY_LOCAL_MACHINE, TestAdapterClassKey);
    for (const std::string& key : interfaceKeys_) {
        ::RegDeleteTreeA(HKEY_LOCAL_MACHINE, key.c_str());
        ::RegDeleteKeyA(HKEY_LOCAL_MACHINE, key.c_str());
    }
    interfaceKeys_.clear();
    next_ = 0;
}

void TTestAdapters::Add(const std::string& id, const std::string& description) {
    char subkey[8];
    wsprintfA(subkey, "%04d", next_++);
    const std::string adapterKey = std::string(TestAdapterClassKey) + "\\" + subkey;
    SetText(adapterKey, "NetCfgInstanceID", id);
    SetText(adapterKey, "DriverDesc", description);
    SetText(adapterKey + "\\Ndi\\Interfaces", "LowerRange", "ethernet");
    interfaceKeys_.push_back(InterfacesKey + id);
    SetText(interfaceKeys_.back(), nullptr, "");
}

void StoreSettings(const std::string& dbPath, const std::vector<TStoredSetting>& settings) {
    if (!FileExists(dbPath))
        CreateProfileDatabase(dbPath);
    TProfileTable table;
    table.Open(dbPath);
    for (const TStoredSetting& s : settings) {
        table.Insert();
        const std::pair<const char*, const std::string*> fields[] = {
            {"Adapter", &s.Adapter}, {"Title", &s.Title},     {"Address", &s.Address},
            {"Submask", &s.Submask}, {"Gateway", &s.Gateway}, {"DNS1", &s.DNS1},
            {"DNS2", &s.DNS2},       {"Proxy", &s.Proxy}};
        for (const auto& [name, value] : fields)
            table.SetFieldText(name, *value);
        table.Post();
    }
}
