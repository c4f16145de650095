#include "TestAdapters.h"

#include "store/ProfileStore.h"
#include "support/FileSystem.h"
#include "support/WinHandles.h"

#include <windows.h>

#include <algorithm>
#include <stdexcept>

const char* const TestAdapterClassKey =
    "SYSTEM\\CurrentControlSet\\Control\\Class\\{4D36E972-E325-11CE-BFC1-08002bE10318}";

namespace {

constexpr const char* InterfacesKey = "SYSTEM\\CurrentControlSet\\Services\\Tcpip\\Parameters\\"
                                      "Interfaces\\";
constexpr const char* NetworkConnectionsKey =
    "SYSTEM\\CurrentControlSet\\Control\\Network\\{4D36E972-E325-11CE-BFC1-08002BE10318}\\";
// The value that marks an adapter class key as made by these helpers.
constexpr const char* MadeByTestsMark = "NetvaneTestAdapters";

UniqueKey CreateKey(const std::string& key) {
    HKEY handle = nullptr;
    if (::RegCreateKeyExA(HKEY_LOCAL_MACHINE, key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                          &handle, nullptr) != ERROR_SUCCESS)
        throw std::runtime_error("cannot create HKLM\\" + key);
    return UniqueKey(handle);
}

void SetText(const std::string& key, const char* name, const std::string& value) {
    const UniqueKey handle = CreateKey(key);
    if (name && ::RegSetValueExA(handle.get(), name, 0, REG_SZ,
                                 reinterpret_cast<const BYTE*>(value.c_str()),
                                 static_cast<DWORD>(value.size() + 1)) != ERROR_SUCCESS)
        throw std::runtime_error("cannot write " + std::string(name) + " in HKLM\\" + key);
}

// Whether the class key exists, and if so whether it carries our mark.
enum class TClassKeyState { Missing, Ours, NotOurs };

TClassKeyState ClassKeyState() {
    HKEY handle = nullptr;
    if (::RegOpenKeyExA(HKEY_LOCAL_MACHINE, TestAdapterClassKey, 0, KEY_READ, &handle) !=
        ERROR_SUCCESS)
        return TClassKeyState::Missing;
    const UniqueKey key(handle);
    return ::RegQueryValueExA(key.get(), MadeByTestsMark, nullptr, nullptr, nullptr, nullptr) ==
                   ERROR_SUCCESS
               ? TClassKeyState::Ours
               : TClassKeyState::NotOurs;
}

void DeleteTree(const std::string& key) {
    ::RegDeleteTreeA(HKEY_LOCAL_MACHINE, key.c_str());
    ::RegDeleteKeyA(HKEY_LOCAL_MACHINE, key.c_str());
}

} // namespace

TTestAdapters::TTestAdapters() {
    if (ClassKeyState() == TClassKeyState::NotOurs)
        throw std::runtime_error(
            std::string("HKEY_LOCAL_MACHINE\\") + TestAdapterClassKey +
            " exists and was not made by a test: it holds this machine's own network adapters. "
            "These tests and benchmarks run only in a Wine prefix of their own (make test, make "
            "bench); nothing was changed.");
    RemoveAll();
}

TTestAdapters::~TTestAdapters() {
    RemoveAll();
}

void TTestAdapters::RemoveAll() {
    // Only a key with our mark: one made by a test earlier, or by this object.
    if (ClassKeyState() == TClassKeyState::Ours)
        DeleteTree(TestAdapterClassKey);
    for (const std::string& key : interfaceKeys_)
        DeleteTree(key);
    interfaceKeys_.clear();
    for (const std::string& key : connectionKeys_)
        DeleteTree(key);
    connectionKeys_.clear();
    next_ = 0;
}

void TTestAdapters::Add(const std::string& id, const std::string& description,
                        const std::string& lowerRange) {
    if (ClassKeyState() == TClassKeyState::Missing)
        SetText(TestAdapterClassKey, MadeByTestsMark, "made by a test; removed when it ends");
    char subkey[8];
    wsprintfA(subkey, "%04d", next_++);
    const std::string adapterKey = std::string(TestAdapterClassKey) + "\\" + subkey;
    SetText(adapterKey, "NetCfgInstanceID", id);
    SetText(adapterKey, "DriverDesc", description);
    SetText(adapterKey + "\\Ndi\\Interfaces", "LowerRange", lowerRange);
    interfaceKeys_.push_back(InterfacesKey + id);
    SetText(interfaceKeys_.back(), nullptr, "");
}

void TTestAdapters::SetConnectionName(const std::string& id, const std::string& name) {
    // Only for an adapter made here: a real adapter's name is never touched.
    if (std::find(interfaceKeys_.begin(), interfaceKeys_.end(), InterfacesKey + id) ==
        interfaceKeys_.end())
        throw std::runtime_error("no test adapter " + id);
    const std::string adapterKey = std::string(NetworkConnectionsKey) + id;
    connectionKeys_.push_back(adapterKey);
    SetText(adapterKey + "\\Connection", "Name", name);
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
