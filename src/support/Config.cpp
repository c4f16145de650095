#include "Config.h"

#include "Error.h"
#include "FileSystem.h"
#include "Files.h"
#include "IntegerText.h"
#include "Strings.h"

#include <algorithm>
#include <optional>

namespace {

using TLines = std::vector<std::string>;

// CR LF, a lone CR and a lone LF each end a line; the last line needs no terminator and a
// byte 0 ends the content.
TLines SplitLines(const std::string& content) {
    const std::string text = content.substr(0, content.find('\0'));
    TLines lines;
    size_t start = 0;
    while (start < text.size()) {
        const size_t end = text.find_first_of("\r\n", start);
        if (end == std::string::npos) {
            lines.push_back(text.substr(start));
            break;
        }
        lines.push_back(text.substr(start, end - start));
        const bool crLf = text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n';
        start = end + (crLf ? 2 : 1);
    }
    return lines;
}

// Every line followed by CR LF, the last one included; no lines give no bytes.
std::string JoinLines(const TLines& lines) {
    std::string text;
    for (const std::string& line : lines)
        text += line + "\r\n";
    return text;
}

std::string ReplaceAll(const std::string& text, const std::string& from, const std::string& to) {
    std::string result;
    size_t start = 0;
    for (size_t found; (found = text.find(from, start)) != std::string::npos;
         start = found + from.size())
        result += text.substr(start, found - start) + to;
    return result + text.substr(start);
}

// A line belongs to a name when the text before its first "=" is the name, in any letter
// case; a line without "=" belongs to no name.
bool LineBelongsTo(const std::string& line, const std::string& name) {
    const TSplit split = SplitNameValue(line);
    const bool hasSeparator = split.Left.size() < line.size();
    return hasSeparator && SameText(split.Left, name);
}

// The first line that belongs to name: the first one wins when several do.
template <typename Lines> auto FindLine(Lines& lines, const std::string& name) {
    return std::find_if(lines.begin(), lines.end(),
                        [&](const std::string& line) { return LineBelongsTo(line, name); });
}

// Replaces the name's line in place (now spelt as the caller spells it), or appends one;
// the empty text removes every line of the name, so that no later one comes back in its
// place.
void SetEntry(TLines& lines, const std::string& name, const std::string& text) {
    if (text.empty()) {
        std::erase_if(lines, [&](const std::string& line) { return LineBelongsTo(line, name); });
        return;
    }
    const auto found = FindLine(lines, name);
    const std::string line = name + "=" + text;
    if (found != lines.end())
        *found = line;
    else
        lines.push_back(line);
}

// A name with "=", a line break or a byte 0 would write a line that never reads back
// under that name (or splits into other settings), so it is refused up front; so is one
// that begins with the UTF-8 byte-order mark, which reading drops from the first line.
void CheckName(const std::string& name) {
    if (name.find_first_of(std::string("=\r\n\0", 4)) != std::string::npos)
        throw TError("Cannot store the setting \"" + name +
                     "\": a setting name must not contain \"=\", line breaks or byte 0");
    if (WithoutUtf8ByteOrderMark(name) != name)
        throw TError("Cannot store the setting \"" + name +
                     "\": a setting name must not begin with the UTF-8 byte-order mark");
}

// What is written must open again.
void CheckFileSize(const std::string& name, const TLines& lines) {
    if (JoinLines(lines).size() > MaxConfigFileBytes)
        throw TError("Cannot store the setting \"" + name + "\": the settings file would grow " +
                     "beyond " + std::to_string(MaxConfigFileBytes / 1024) +
                     " KB, more than it "
                     "may hold");
}

std::string TooLargeMessage(const std::string& fileName) {
    return "The settings file \"" + fileName + "\" is larger than " +
           std::to_string(MaxConfigFileBytes / 1024) +
           " KB, far more than Netvane keeps there, so it was not read and is left as it is. "
           "Netvane keeps no settings until the file is moved away or made smaller";
}

// The file's lines; a file too large for one of ours is refused, never cut.
TLines ReadLines(const std::string& fileName) {
    const TFileBytes content = ReadFileBytes(fileName, MaxConfigFileBytes);
    if (content.Truncated)
        throw TError(TooLargeMessage(fileName));
    // A mark put there by a text editor belongs to no line: it would hide the first one.
    return SplitLines(WithoutUtf8ByteOrderMark(content.Bytes));
}

// The marker as a plain value would read back as the side file's content, a byte 0
// would end the file there and lose every line after it, and the token's text would read
// back as a line break.
void CheckOneLineValue(const std::string& name, const std::string& value) {
    if (value == SideFileMarker)
        throw TError("Cannot store the setting \"" + name + "\": the value " + SideFileMarker +
                     " is reserved by the settings file");
    if (value.find('\0') != std::string::npos)
        throw TError("Cannot store the setting \"" + name +
                     "\": a value on one line must not contain byte 0");
    if (value.find(LineBreakToken) != std::string::npos)
        throw TError("Cannot store the setting \"" + name +
                     "\": a value on one line must not contain " + LineBreakToken +
                     ", which stands for a line break in the settings file");
}

// Reading a side file stops at a byte 26, as text files end there: the rest would be lost.
void CheckSideFileValue(const std::string& name, const std::string& value) {
    if (value.find(TextEndOfFile) != std::string::npos)
        throw TError(
            "Cannot store the setting \"" + name +
            "\": a value with line breaks must not contain byte 26, which ends its side file");
}

} // namespace

TConfig::TConfig(const std::string& fileName)
    : Folder(ExtractFilePath(fileName)), FileName(fileName) {
    if (Folder.empty())
        throw TError("Cannot create the folder of the settings file \"" + fileName +
                     "\": the path has no folder part");
    if (!DirectoryExists(Folder))
        ForceDirectories(Folder);
    if (FileExists(FileName))
        Lines = ReadLines(FileName);
}

std::string TConfig::ReadValue(const std::string& name) const {
    const auto found = FindLine(Lines, name);
    if (found == Lines.end())
        return {};
    const TSplit line = SplitNameValue(*found);
    // The line keeps the spelling the side file was written with.
    if (line.Right == SideFileMarker)
        return ReadFileText(SideFileName(line.Left));
    return ReplaceAll(line.Right, LineBreakToken, "\r\n");
}

void TConfig::WriteValue(const std::string& name, const std::string& value) {
    CheckName(name);
    // Changes go to a copy that becomes the store only once the file holds it.
    TLines updated = Lines;
    if (SideFiles && HasLineBreak(value)) {
        CheckSideFileValue(name, value);
        SetEntry(updated, name, SideFileMarker);
        CheckFileSize(name, updated);
        // The side file first: should it fail, the settings file still holds the old value
        // instead of a marker pointing at nothing.
        WriteFileText(SideFileName(name), value);
    } else {
        CheckOneLineValue(name, value);
        SetEntry(updated, name, EscapeLineBreaks(value));
        CheckFileSize(name, updated);
    }
    SaveLines(updated);
    Lines = std::move(updated);
}

bool TConfig::HasLineBreak(const std::string& value) {
    return value.find_first_of("\r\n") != std::string::npos;
}

std::string TConfig::EscapeLineBreaks(const std::string& value) {
    const std::string pairsDone = ReplaceAll(value, "\r\n", LineBreakToken);
    return ReplaceAll(ReplaceAll(pairsDone, "\r", LineBreakToken), "\n", LineBreakToken);
}

std::string TConfig::SideFileName(const std::string& name) const {
    return FileName + "." + name + ".cfg";
}

void TConfig::SaveLines(const std::vector<std::string>& lines) const {
    ReplaceFileContent(FileName, JoinLines(lines));
}

int SavedAdapterIndex(const TConfig& config) {
    return std::max(ParseIntDef(config.ReadValue("Index"), 0), 0);
}

std::string SavedAdapterId(const TConfig& config) {
    return Trim(config.ReadValue(AdapterIdSetting));
}

bool SavedNoAdapterSelected(const TConfig& config) {
    return ParseIntDef(config.ReadValue("Index"), 0) < 0;
}

namespace {

constexpr const char* RecentName = "Recent";

// A positive identity key written by RememberRecentSetting, or nothing.
std::optional<std::int64_t> RecentEntry(const std::string& text) {
    if (text.empty() || text.size() > 18 ||
        text.find_first_not_of("0123456789") != std::string::npos)
        return std::nullopt;
    const std::int64_t id = std::stoll(text);
    return id > 0 ? std::optional<std::int64_t>(id) : std::nullopt;
}

} // namespace

std::vector<std::int64_t> RecentSettings(const TConfig& config) {
    std::vector<std::int64_t> ids;
    const std::string value = config.ReadValue(RecentName);
    size_t start = 0;
    while (start <= value.size() && ids.size() < MaxRecentSettings) {
        const size_t end = std::min(value.find(',', start), value.size());
        const auto id = RecentEntry(Trim(value.substr(start, end - start)));
        if (id && std::find(ids.begin(), ids.end(), *id) == ids.end())
            ids.push_back(*id);
        start = end + 1;
    }
    return ids;
}

void RememberRecentSetting(TConfig& config, std::int64_t id) {
    std::vector<std::int64_t> ids = RecentSettings(config);
    std::erase(ids, id);
    ids.insert(ids.begin(), id);
    if (ids.size() > MaxRecentSettings)
        ids.resize(MaxRecentSettings);
    std::string value;
    for (const std::int64_t entry : ids) {
        if (!value.empty())
            value += ',';
        value += std::to_string(entry);
    }
    config.WriteValue(RecentName, value);
}

bool ReadSwitch(const TConfig& config, const std::string& name) {
    return Trim(config.ReadValue(name)) == "1";
}

void WriteSwitch(TConfig& config, const std::string& name, bool on) {
    config.WriteValue(name, on ? "1" : "0");
}

bool ReadSwitchFromFile(const std::string& fileName, const std::string& name) {
    try {
        return ReadSwitch(TConfig(fileName), name);
    } catch (const std::exception&) {
        return false;
    }
}
