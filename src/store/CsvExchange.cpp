#include "CsvExchange.h"

#include "support/AddressRules.h"
#include "store/ProfileStore.h"
#include "store/StorePlatform.h"
#include "support/AddressLists.h"
#include "support/Error.h"
#include "support/FileSystem.h"
#include "support/Strings.h"
#include "support/UseWhenText.h"

#include <algorithm>
#include <optional>

namespace {

constexpr std::array<const char*, CsvColumnCount> Columns = {
    "Title",     "Address",         "Submask",       "Gateway",        "DNS1",
    "DNS2",      "Proxy",           "MoreAddresses", "MoreGateways",   "GatewayMetric",
    "DnsSuffix", "ProxyExceptions", "ProxyScript",   "ProxyAutoDetect", "UseWhen"};
constexpr size_t FirstAddressColumn = 1; // Address .. DNS2 are dotted quads
constexpr size_t LastAddressColumn = 5;
constexpr size_t SubmaskColumn = 2;
constexpr size_t GatewayColumn = 3;
constexpr size_t ProxyColumn = 6;
constexpr size_t MoreAddressesColumn = 7;
constexpr size_t MoreGatewaysColumn = 8;
constexpr size_t GatewayMetricColumn = 9;
constexpr size_t DnsSuffixColumn = 10;
constexpr size_t ProxyExceptionsColumn = 11;
constexpr size_t ProxyScriptColumn = 12;
constexpr size_t AutoDetectColumn = 13;
constexpr size_t UseWhenColumn = 14;

// 10000 as 10,000.
std::string Thousands(size_t n) {
    std::string digits = std::to_string(n);
    for (size_t i = digits.size(); i > 3; i -= 3)
        digits.insert(i - 3, ",");
    return digits;
}

TError LineError(int line, const std::string& reason) {
    return TError("Line " + std::to_string(line) + ": " + reason);
}

// ---- spreadsheet formulas -----------------------------------------------------------------

// A spreadsheet computes a cell that begins with one of these instead of showing its text.
bool IsFormulaStart(char c) {
    return c == '=' || c == '+' || c == '-' || c == '@';
}

// Apostrophes (none or several), then a formula's first character. Export puts one more
// apostrophe before such a value, which a spreadsheet shows as text; import takes exactly
// that one away again. Counting the apostrophes already there keeps a value typed as
// "'=x" apart from one exported from "=x", so every value reads back as it was.
bool BeginsLikeFormula(const std::string& value) {
    const size_t first = value.find_first_not_of('\'');
    return first != std::string::npos && IsFormulaStart(value[first]);
}

std::string AsSpreadsheetText(const std::string& value) {
    return BeginsLikeFormula(value) ? "'" + value : value;
}

std::string WithoutSpreadsheetMark(const std::string& value) {
    return value.starts_with('\'') && BeginsLikeFormula(value) ? value.substr(1) : value;
}

// ---- writing ----------------------------------------------------------------------------

std::string Quoted(const std::string& value) {
    if (value.find_first_of(",\"\r\n") == std::string::npos)
        return value;
    std::string quoted = "\"";
    for (const char c : value) {
        quoted += c;
        if (c == '"')
            quoted += '"';
    }
    return quoted + "\"";
}

template <typename Values> std::string CsvLine(const Values& values) {
    // Appended piece by piece: GCC 12 misreads "," + std::string&& as an overlapping copy.
    std::string line;
    for (size_t i = 0; i < values.size(); ++i) {
        if (i > 0)
            line += ',';
        line += Quoted(values[i]);
    }
    line += "\r\n";
    return line;
}

// ---- checking the bytes -----------------------------------------------------------------

// The line of the byte at offset, with the line ends the parser takes: CR LF, a lone CR
// or a lone LF.
int LineOf(const std::string& bytes, size_t offset) {
    int line = 1;
    for (size_t i = 0; i < offset; ++i)
        if (bytes[i] == '\n' ||
            (bytes[i] == '\r' && (i + 1 >= bytes.size() || bytes[i + 1] != '\n')))
            ++line;
    return line;
}

// Length of the UTF-8 sequence at i, or 0 when it is not one (overlong forms, surrogates
// and code points above U+10FFFF included).
size_t Utf8SequenceLength(const std::string& s, size_t i) {
    const auto byte = [&](size_t k) { return static_cast<unsigned char>(s[k]); };
    const unsigned char lead = byte(i);
    if (lead < 0x80)
        return 1;
    size_t length = 0;
    unsigned char low = 0x80, high = 0xBF; // range of the second byte
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        low = lead == 0xE0 ? 0xA0 : 0x80;
        high = lead == 0xED ? 0x9F : 0xBF;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        low = lead == 0xF0 ? 0x90 : 0x80;
        high = lead == 0xF4 ? 0x8F : 0xBF;
    } else {
        return 0;
    }
    if (i + length > s.size() || byte(i + 1) < low || byte(i + 1) > high)
        return 0;
    for (size_t k = 2; k < length; ++k)
        if (byte(i + k) < 0x80 || byte(i + k) > 0xBF)
            return 0;
    return length;
}

void CheckIsUtf8Text(const std::string& bytes) {
    if (bytes.rfind("\xFF\xFE", 0) == 0 || bytes.rfind("\xFE\xFF", 0) == 0)
        throw TError("The file is UTF-16 text; save it as UTF-8 and import it again");
    const size_t nul = bytes.find('\0');
    if (nul != std::string::npos)
        throw LineError(LineOf(bytes, nul), "the file holds a NUL byte, so it is no settings "
                                            "file (a settings file is UTF-8 text)");
    for (size_t i = 0; i < bytes.size();) {
        const size_t length = Utf8SequenceLength(bytes, i);
        if (length == 0)
            throw LineError(LineOf(bytes, i), "the file is not UTF-8 text; save it as UTF-8 "
                                              "and import it again");
        i += length;
    }
}

// ---- parsing (RFC 4180; CR LF, LF or CR end a line) ---------------------------------------

struct TRecord {
    int Line = 0; // where the record starts
    std::vector<std::string> Values;
};

class TCsvParser {
  public:
    explicit TCsvParser(const std::string& text) : text_(text) {}

    bool AtEnd() const { return pos_ >= text_.size(); }

    TRecord NextRecord() {
        TRecord record;
        record.Line = line_;
        do
            record.Values.push_back(NextValue(record.Line));
        while (TakeIf(','));
        EndLine();
        return record;
    }

  private:
    bool TakeIf(char c) {
        if (AtEnd() || text_[pos_] != c)
            return false;
        ++pos_;
        return true;
    }
    bool AtLineEnd() const { return AtEnd() || text_[pos_] == '\r' || text_[pos_] == '\n'; }
    // CR LF, a lone CR or a lone LF.
    void EndLine() {
        TakeIf('\r');
        TakeIf('\n');
        ++line_;
    }

    std::string NextValue(int recordLine) {
        if (TakeIf('"'))
            return QuotedValue();
        std::string value;
        while (!AtLineEnd() && text_[pos_] != ',') {
            if (text_[pos_] == '"')
                throw LineError(recordLine, "a quote inside a value that does not start with "
                                            "one (quote the whole value and double the quote)");
            value += text_[pos_++];
        }
        return value;
    }

    std::string QuotedValue() {
        const int startLine = line_;
        std::string value;
        for (;;) {
            if (AtEnd())
                throw LineError(startLine, "a quoted value is not closed");
            const char c = text_[pos_++];
            if (c == '"') {
                if (!TakeIf('"'))
                    break;
            } else if (c == '\n' || (c == '\r' && (AtEnd() || text_[pos_] != '\n'))) {
                ++line_;
            }
            value += c;
        }
        if (!AtLineEnd() && text_[pos_] != ',')
            throw LineError(line_, "text after the closing quote of a value");
        return value;
    }

    const std::string& text_;
    size_t pos_ = 0;
    int line_ = 1;
};

bool IsBlank(const TRecord& record) {
    return record.Values.size() == 1 && record.Values[0].empty();
}

// For each column of the file, its position in Columns.
std::vector<size_t> ReadHeader(const TRecord& header) {
    std::string known;
    for (const char* name : Columns)
        known += std::string(known.empty() ? "" : ", ") + name;
    std::vector<size_t> order;
    for (const std::string& value : header.Values) {
        const std::string name = Trim(value);
        const auto found = std::find_if(Columns.begin(), Columns.end(),
                                        [&](const char* c) { return SameText(name, c); });
        if (found == Columns.end())
            throw LineError(header.Line,
                            "unknown column \"" + name + "\"; the columns are " + known);
        const size_t column = static_cast<size_t>(found - Columns.begin());
        if (std::find(order.begin(), order.end(), column) != order.end())
            throw LineError(header.Line, std::string("the column ") + *found + " appears twice");
        order.push_back(column);
    }
    return order;
}

// ---- checking a setting -------------------------------------------------------------------

size_t WidthOf(const char* column) {
    // Room for every entry at its longest, the separators included.
    if (SameText(column, Columns[MoreAddressesColumn]))
        return MaxMoreAddresses * 32;
    if (SameText(column, Columns[MoreGatewaysColumn]))
        return MaxMoreGateways * 21;
    if (SameText(column, Columns[GatewayMetricColumn]))
        return 9;
    if (SameText(column, Columns[UseWhenColumn]))
        return MaxConditionsLength;
    if (SameText(column, Columns[DnsSuffixColumn]))
        return MaxDnsSuffixLength;
    if (SameText(column, Columns[ProxyExceptionsColumn]))
        return MaxProxyExceptionsLength;
    if (SameText(column, Columns[ProxyScriptColumn]))
        return MaxProxyScriptLength;
    if (SameText(column, Columns[AutoDetectColumn]))
        return 9; // room for a word, so that the fault names the values it takes
    for (const TColumnDef& def : ProfileColumns())
        if (SameText(def.Name, column))
            return static_cast<size_t>(def.Width);
    return 0;
}

std::optional<std::string> ProxyFault(const std::string& proxy) {
    switch (CheckProxy(proxy)) {
    case TProxyCheck::NoPort:
        return "Proxy needs a port, such as 202.111.123.11:8080";
    case TProxyCheck::NoHost:
        return "Proxy needs a host before the colon";
    case TProxyCheck::BadPort:
        return "Proxy port must be a number above 0";
    case TProxyCheck::PortOutOfRange:
        return "Proxy port must be a number from 1 to " + std::to_string(MaxPort);
    case TProxyCheck::Empty:
    case TProxyCheck::Accepted:
        break;
    }
    return std::nullopt;
}

std::string ColumnFault(size_t column, const std::string& fault) {
    std::string text = Columns[column];
    text += ' ';
    text += fault;
    return text;
}

// The extras' columns by the rules of the editor's Advanced dialog.
void CheckExtrasColumns(int line, const TCsvSetting& setting) {
    const TSettingExtras extras = CsvExtras(setting);
    const auto addresses = ParseAddressList(setting[MoreAddressesColumn]);
    if (!addresses.Complaint.empty())
        throw LineError(line, ColumnFault(MoreAddressesColumn, addresses.Complaint));
    const auto gateways = ParseGatewayList(setting[MoreGatewaysColumn]);
    if (!gateways.Complaint.empty())
        throw LineError(line, ColumnFault(MoreGatewaysColumn, gateways.Complaint));
    unsigned metric = 0;
    if (!ParseMetric(setting[GatewayMetricColumn], metric))
        throw LineError(line, ColumnFault(GatewayMetricColumn, "must be blank (automatic) or 1 to 9999"));
    const TExtrasFault fault = CheckExtras(CanonicalIP(Trim(setting[FirstAddressColumn])),
                                           CanonicalIP(Trim(setting[SubmaskColumn])),
                                           CanonicalIP(Trim(setting[GatewayColumn])), extras);
    const size_t column = fault.Field == TExtrasField::GatewayMetric   ? GatewayMetricColumn
                          : fault.Field == TExtrasField::MoreAddresses ? MoreAddressesColumn
                                                                       : MoreGatewaysColumn;
    if (fault.Field != TExtrasField::None)
        throw LineError(line, ColumnFault(column, fault.Text));
}

// The DNS suffix and the proxy's parts by the same rules.
void CheckOptionColumns(int line, const TCsvSetting& setting) {
    const std::string detect = Trim(setting[AutoDetectColumn]);
    if (!detect.empty() && detect != "0" && detect != "1")
        throw LineError(line, ColumnFault(AutoDetectColumn, "must be 1, 0 or blank"));
    const TNetOptionsFault fault = CheckNetOptions(CsvExtras(setting).Options);
    const size_t column = fault.Field == TNetOptionsField::DnsSuffix         ? DnsSuffixColumn
                          : fault.Field == TNetOptionsField::ProxyExceptions ? ProxyExceptionsColumn
                                                                             : ProxyScriptColumn;
    if (fault.Field != TNetOptionsField::None)
        throw LineError(line, ColumnFault(column, fault.Text.substr(fault.Text.find("] ") + 2)));
}

// The setting in ANSI, or the first fault: what the editor would refuse or could not hold.
TCsvSetting CheckedSetting(const TRecord& record, const std::vector<size_t>& order) {
    TCsvSetting setting;
    for (size_t i = 0; i < order.size(); ++i) {
        const std::string utf8 = WithoutSpreadsheetMark(record.Values[i]);
        const char* name = Columns[order[i]];
        if (std::any_of(utf8.begin(), utf8.end(),
                        [](char c) { return static_cast<unsigned char>(c) < 32; }))
            throw LineError(record.Line,
                            std::string(name) + " holds a line break or another control character");
        const std::string ansi = Utf8ToAnsi(utf8);
        if (AnsiToUtf8(ansi) != utf8)
            throw LineError(record.Line, LacksCodePageComplaint(name));
        if (ansi.size() > WidthOf(name))
            throw LineError(record.Line, std::string(name) + " is longer than " +
                                             std::to_string(WidthOf(name)) + " characters");
        setting[order[i]] = ansi;
    }
    for (size_t column = FirstAddressColumn; column <= LastAddressColumn; ++column) {
        const std::string address = Trim(setting[column]);
        if (!address.empty() && !IsValidIP(address))
            throw LineError(record.Line, std::string(Columns[column]) + " is not a valid address");
    }
    // The editor's rule too: a mask whose bits are not contiguous is no mask.
    const std::string mask = Trim(setting[SubmaskColumn]);
    if (!mask.empty() && !IsSubnetMask(mask))
        throw LineError(record.Line, "Submask is not a valid subnet mask");
    if (const auto fault = ProxyFault(setting[ProxyColumn]))
        throw LineError(record.Line, *fault);
    CheckExtrasColumns(record.Line, setting);
    const TConditionsParse conditions = ParseConditions(setting[UseWhenColumn]);
    if (!conditions.Error.empty())
        throw LineError(record.Line, ColumnFault(UseWhenColumn, conditions.Error));
    CheckOptionColumns(record.Line, setting);
    return setting;
}

} // namespace

std::string LacksCodePageComplaint(const std::string& field) {
    std::string complaint = field;
    complaint += " holds characters this system's code page lacks";
    return complaint;
}

const std::array<const char*, CsvColumnCount>& CsvColumns() {
    return Columns;
}

TSettingExtras CsvExtras(const TCsvSetting& setting) {
    TSettingExtras extras;
    extras.MoreAddresses = ParseAddressList(setting[MoreAddressesColumn]).Entries;
    extras.MoreGateways = ParseGatewayList(setting[MoreGatewaysColumn]).Entries;
    if (!ParseMetric(setting[GatewayMetricColumn], extras.GatewayMetric))
        extras.GatewayMetric = 0;
    extras.Options =
        TrimmedNetOptions({setting[DnsSuffixColumn], setting[ProxyExceptionsColumn],
                           setting[ProxyScriptColumn], Trim(setting[AutoDetectColumn]) == "1"});
    extras.UseWhen = FormatConditions(ParseConditions(setting[UseWhenColumn]).Conditions);
    return extras;
}

void SetCsvExtras(TCsvSetting& setting, const TSettingExtras& extras) {
    setting[MoreAddressesColumn] = FormatAddressList(extras.MoreAddresses);
    setting[MoreGatewaysColumn] = FormatGatewayList(extras.MoreGateways);
    setting[GatewayMetricColumn] = extras.GatewayMetric == 0 ? "" : std::to_string(extras.GatewayMetric);
    setting[DnsSuffixColumn] = extras.Options.DnsSuffix;
    setting[ProxyExceptionsColumn] = extras.Options.ProxyExceptions;
    setting[ProxyScriptColumn] = extras.Options.ProxyScript;
    setting[AutoDetectColumn] = extras.Options.ProxyAutoDetect ? "1" : "";
    setting[UseWhenColumn] = extras.UseWhen;
}

std::string WriteSettingsCsv(const std::vector<TCsvSetting>& settings) {
    // The first gateway's metric, the DNS suffix and the proxy's parts, and the conditions are
    // rare: each column comes only with a setting that has a value in it (the four of the
    // options together), so that a file without them still imports into an older program,
    // which refuses columns it does not know.
    const auto anyHas = [&settings](size_t first, size_t last) {
        return std::any_of(settings.begin(), settings.end(), [=](const TCsvSetting& s) {
            return std::any_of(s.begin() + static_cast<long>(first),
                               s.begin() + static_cast<long>(last) + 1,
                               [](const std::string& value) { return !value.empty(); });
        });
    };
    const bool withOptions = anyHas(DnsSuffixColumn, AutoDetectColumn);
    std::vector<size_t> columns;
    for (size_t column = 0; column < CsvColumnCount; ++column)
        if (column < GatewayMetricColumn ||
            (column >= DnsSuffixColumn && column <= AutoDetectColumn ? withOptions
                                                                     : anyHas(column, column)))
            columns.push_back(column);
    std::vector<const char*> header;
    for (size_t column : columns)
        header.push_back(Columns[column]);
    std::string bytes = CsvLine(header);
    for (const TCsvSetting& setting : settings) {
        std::vector<std::string> utf8;
        for (size_t column : columns)
            utf8.push_back(column == AutoDetectColumn && setting[column].empty()
                               ? std::string("0")
                               : AsSpreadsheetText(AnsiToUtf8(setting[column])));
        bytes += CsvLine(utf8);
    }
    return bytes;
}

std::vector<TCsvSetting> ReadSettingsCsv(const std::string& bytes) {
    CheckIsUtf8Text(bytes);
    const std::string text = WithoutUtf8ByteOrderMark(bytes);
    TCsvParser parser(text);
    if (parser.AtEnd()) {
        // The columns every setting has; the extras' are optional.
        const std::string line = CsvLine(std::vector(Columns.begin(), Columns.begin() + 7));
        throw TError("The file is empty; a settings file begins with the line " +
                     line.substr(0, line.size() - 2));
    }
    const TRecord header = parser.NextRecord();
    const std::vector<size_t> order = ReadHeader(header);
    std::vector<TCsvSetting> settings;
    while (!parser.AtEnd()) {
        const TRecord record = parser.NextRecord();
        if (IsBlank(record))
            continue;
        if (settings.size() == MaxImportSettings)
            throw TError("The file brings more than " + Thousands(MaxImportSettings) +
                         " settings; import at most that many at a time");
        if (record.Values.size() != order.size())
            throw LineError(record.Line, std::to_string(record.Values.size()) +
                                             " values where the header names " +
                                             std::to_string(order.size()) + " columns");
        settings.push_back(CheckedSetting(record, order));
    }
    return settings;
}

std::vector<TCsvSetting> ReadSettingsFile(const std::string& path) {
    if (!FindEntrySize(path))
        throw TError("Cannot import \"" + path + "\": the file does not exist");
    const TFileBytes content = ReadFileBytes(path, MaxImportFileBytes);
    if (content.Truncated)
        throw TError("Cannot import \"" + path + "\": the file is larger than " +
                     std::to_string(MaxImportFileBytes / MegaByte) +
                     " MB, far more than any settings file");
    return ReadSettingsCsv(content.Bytes);
}

void WriteSettingsFile(const std::string& path, const std::vector<TCsvSetting>& settings) {
    // Without the mark a spreadsheet reads the file in the local code page, and every
    // letter beyond ASCII shows as two odd characters.
    std::string bytes = Utf8ByteOrderMark;
    bytes += WriteSettingsCsv(settings);
    ReplaceFileContent(path, bytes);
}
