#pragma once
// Network settings exchanged as a CSV file: UTF-8, a header line naming the columns,
// values quoted as RFC 4180 quotes them, CR LF line ends. A value a spreadsheet would take
// for a formula (one beginning with "=", "+", "-" or "@", after any apostrophes) is written
// with one more apostrophe before it, which reading takes away again. The program's texts are ANSI;
// they are converted at this boundary, as the store converts them.

#include "support/AddressLists.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

// Title, Address, Submask, Gateway, DNS1, DNS2, Proxy, MoreAddresses, MoreGateways,
// GatewayMetric, DnsSuffix, ProxyExceptions, ProxyScript, ProxyAutoDetect, UseWhen: the order
// export writes. MoreAddresses holds "address/mask" entries and MoreGateways "gateway" or
// "gateway/metric" entries, separated by ";" (FormatAddressList, FormatGatewayList);
// GatewayMetric is the first gateway's, blank for automatic, and its column is written only
// when a setting of the file has one. DnsSuffix to ProxyAutoDetect are written only when a
// setting of the file has any of them; ProxyAutoDetect is 1 or 0 (blank: 0). UseWhen holds the
// conditions under which the setting is used by itself (support/UseWhenText), written only
// when a setting of the file has some.
constexpr size_t CsvColumnCount = 15;
const std::array<const char*, CsvColumnCount>& CsvColumns();

// One setting's values in the order of CsvColumns(), ANSI.
using TCsvSetting = std::array<std::string, CsvColumnCount>;

// Why a field is refused whose text the ANSI code page cannot hold: the import and the
// editor say the same.
std::string LacksCodePageComplaint(const std::string& field);

// The most settings one file may bring.
constexpr size_t MaxImportSettings = 10000;
// Larger files are refused; no more than this is read of them.
constexpr std::uint64_t MegaByte = std::uint64_t{1024} * 1024;
constexpr std::uint64_t MaxImportFileBytes = 16 * MegaByte;

// A setting's extras from its columns (entries a check would refuse are left out), and
// the other way round.
TSettingExtras CsvExtras(const TCsvSetting& setting);
void SetCsvExtras(TCsvSetting& setting, const TSettingExtras& extras);

// The file's bytes: the header line, then one line per setting.
std::string WriteSettingsCsv(const std::vector<TCsvSetting>& settings);

// Reads a file's bytes (UTF-8, with or without a byte order mark; the header's columns in
// any order and any case, a missing column read as empty) and checks every setting with
// the editor's rules and the store's column widths. The first fault raises TError naming
// it, "Line 4: DNS1 is not a valid address" for one, or names the column and the entry
// (`Line 4: MoreGateways entry "10.1.0.1": ...`); so does a file that is not UTF-8,
// holds a NUL byte or brings more than MaxImportSettings settings.
std::vector<TCsvSetting> ReadSettingsCsv(const std::string& bytes);

// The file at path, refused when larger than MaxImportFileBytes, then as ReadSettingsCsv.
std::vector<TCsvSetting> ReadSettingsFile(const std::string& path);

// Writes the file atomically, the UTF-8 byte-order mark first for spreadsheets: a failure
// leaves any earlier file whole.
void WriteSettingsFile(const std::string& path, const std::vector<TCsvSetting>& settings);
