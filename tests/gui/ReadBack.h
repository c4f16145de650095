#pragma once
// What the program left behind, read back the test's own way: registry values through
// advapi32 directly, stored settings through a plain SQLite connection; never through the
// program's code.

#include "TestAdapters.h"

#include <windows.h>

#include <iosfwd>
#include <optional>
#include <string>
#include <utility>
#include <vector>

// The TCP/IP key of an adapter, under HKEY_LOCAL_MACHINE.
std::string AdapterKey(const std::string& id);
// The user's Internet settings, under HKEY_CURRENT_USER: where the proxy is kept.
extern const char* const ProxyKey;

// A registry value as stored: its type and its bytes, terminating NULs included.
struct TRawValue {
    DWORD Type = 0;
    std::string Bytes;
    bool operator==(const TRawValue&) const = default;
};
void PrintTo(const TRawValue& value, std::ostream* out);
TRawValue Sz(const std::string& text);
// A list of one string.
TRawValue MultiSz(const std::string& text);
TRawValue Dword(DWORD value);

bool KeyExists(HKEY root, const std::string& key);
std::optional<TRawValue> ReadValue(HKEY root, const std::string& key, const char* name);
std::vector<std::string> ValueNames(HKEY root, const std::string& key);
// Every value of the key, by name in the registry's order; with the proxy's two values after
// them, what a switch of the adapter leaves behind.
using TKeyValues = std::vector<std::pair<std::string, std::optional<TRawValue>>>;
TKeyValues SwitchedValues(const std::string& adapterId);
// Whether values hold the name with that value.
bool Holds(const TKeyValues& values, const std::string& name, const TRawValue& value);
// Takes every value the adapter's key holds, and the proxy's two, away: the state before any
// switch.
void ForgetSwitchedValues(const std::string& adapterId);
// The value's bytes up to the first NUL (a list's first string); "(none)" when missing.
std::string RegText(HKEY root, const std::string& key, const char* name);

// The lines of a text file with CR LF line ends; none when there is no file.
std::vector<std::string> FileLines(const std::string& path);

// Every stored setting in key order, NULL read as empty. No file: none.
std::vector<TStoredSetting> RowsInFile(const std::string& dbPath);
void PrintTo(const TStoredSetting& setting, std::ostream* out);
