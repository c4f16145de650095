#include "ReadBack.h"

#include "store/RawDatabase.h"
#include "support/Files.h"
#include "support/WinHandles.h"

#include <algorithm>
#include <ostream>

std::string AdapterKey(const std::string& id) {
    return "SYSTEM\\CurrentControlSet\\Services\\Tcpip\\Parameters\\Interfaces\\" + id;
}

const char* const ProxyKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings";

void PrintTo(const TRawValue& value, std::ostream* out) {
    *out << "type " << value.Type << ", " << value.Bytes.size() << " bytes:";
    for (unsigned char c : value.Bytes)
        *out << ' ' << static_cast<int>(c);
}

TRawValue Sz(const std::string& text) {
    return {REG_SZ, text + std::string(1, '\0')};
}

TRawValue MultiSz(const std::string& text) {
    return {REG_MULTI_SZ, text + std::string(2, '\0')};
}

TRawValue Dword(DWORD value) {
    return {REG_DWORD, std::string(reinterpret_cast<const char*>(&value), sizeof value)};
}

namespace {
UniqueKey OpenForReading(HKEY root, const std::string& key) {
    HKEY handle = nullptr;
    if (::RegOpenKeyExA(root, key.c_str(), 0, KEY_READ, &handle) != ERROR_SUCCESS)
        return UniqueKey();
    return UniqueKey(handle);
}
} // namespace

bool KeyExists(HKEY root, const std::string& key) {
    return static_cast<bool>(OpenForReading(root, key));
}

std::optional<TRawValue> ReadValue(HKEY root, const std::string& key, const char* name) {
    const UniqueKey handle = OpenForReading(root, key);
    if (!handle)
        return std::nullopt;
    TRawValue value;
    DWORD size = 0;
    LONG rc = ::RegQueryValueExA(handle.get(), name, nullptr, &value.Type, nullptr, &size);
    if (rc == ERROR_SUCCESS) {
        value.Bytes.resize(size);
        rc = ::RegQueryValueExA(handle.get(), name, nullptr, &value.Type,
                                reinterpret_cast<BYTE*>(value.Bytes.data()), &size);
    }
    if (rc != ERROR_SUCCESS)
        return std::nullopt;
    return value;
}

std::vector<std::string> ValueNames(HKEY root, const std::string& key) {
    std::vector<std::string> names;
    const UniqueKey handle = OpenForReading(root, key);
    for (DWORD i = 0; handle; ++i) {
        char name[256];
        DWORD length = sizeof name;
        if (::RegEnumValueA(handle.get(), i, name, &length, nullptr, nullptr, nullptr, nullptr) !=
            ERROR_SUCCESS)
            break;
        names.emplace_back(name, length);
    }
    return names;
}

TKeyValues SwitchedValues(const std::string& adapterId) {
    TKeyValues values;
    for (const std::string& name : ValueNames(HKEY_LOCAL_MACHINE, AdapterKey(adapterId)))
        values.emplace_back(name,
                            ReadValue(HKEY_LOCAL_MACHINE, AdapterKey(adapterId), name.c_str()));
    for (const char* name : {"ProxyEnable", "ProxyServer"})
        values.emplace_back(name, ReadValue(HKEY_CURRENT_USER, ProxyKey, name));
    return values;
}

bool Holds(const TKeyValues& values, const std::string& name, const TRawValue& value) {
    return std::find(values.begin(), values.end(), TKeyValues::value_type(name, value)) !=
           values.end();
}

void ForgetSwitchedValues(const std::string& adapterId) {
    for (const std::string& name : ValueNames(HKEY_LOCAL_MACHINE, AdapterKey(adapterId)))
        ::RegDeleteKeyValueA(HKEY_LOCAL_MACHINE, AdapterKey(adapterId).c_str(), name.c_str());
    for (const char* name : {"ProxyEnable", "ProxyServer"})
        ::RegDeleteKeyValueA(HKEY_CURRENT_USER, ProxyKey, name);
}

std::string RegText(HKEY root, const std::string& key, const char* name) {
    const std::optional<TRawValue> value = ReadValue(root, key, name);
    return value ? value->Bytes.c_str() : "(none)";
}

std::vector<std::string> FileLines(const std::string& path) {
    const std::string text = ReadFileText(path);
    std::vector<std::string> lines;
    for (size_t at = 0, end; (end = text.find("\r\n", at)) != std::string::npos; at = end + 2)
        lines.push_back(text.substr(at, end - at));
    return lines;
}

std::vector<TStoredSetting> RowsInFile(const std::string& dbPath) {
    std::vector<TStoredSetting> rows;
    for (const std::vector<std::string>& v : StoredSettings(dbPath))
        rows.push_back({v.at(0), v.at(1), v.at(2), v.at(3), v.at(4), v.at(5), v.at(6), v.at(7)});
    return rows;
}

void PrintTo(const TStoredSetting& s, std::ostream* out) {
    *out << '{' << s.Adapter << ", " << s.Title << ", " << s.Address << ", " << s.Submask << ", "
         << s.Gateway << ", " << s.DNS1 << ", " << s.DNS2 << ", " << s.Proxy << '}';
}
