#pragma once
// The settings file: a small name=value store kept in a text file, one line per setting.
// A value with line breaks goes to a side file of its own (or, with SideFiles off, has its
// line breaks replaced by a token), so the main file stays one line per setting.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

class TConfig {
  public:
    // Opens the store on the file at fileName, creating its folder when missing, and loads
    // the file's lines if it exists. A path without a folder part is an error, and so is a
    // file larger than MaxConfigFileBytes, which is left as it is.
    explicit TConfig(const std::string& fileName);

    // The setting's value; empty when the setting is missing.
    std::string ReadValue(const std::string& name) const;

    // Sets the value (the empty value removes the setting) and rewrites the whole file.
    // On failure the file and the store are left as they were and a TError is raised; a
    // write that would not read back is refused so (a name beginning with the UTF-8
    // byte-order mark, or a file that would outgrow MaxConfigFileBytes, among others).
    void WriteValue(const std::string& name, const std::string& value);

    // True when value holds any CR or LF.
    static bool HasLineBreak(const std::string& value);
    // Replaces every CR LF pair, then every lone CR, then every lone LF by the token.
    static std::string EscapeLineBreaks(const std::string& value);

    // Folder part of FileName, up to and including its last separator.
    std::string Folder;
    // The settings file's path as given.
    std::string FileName;
    // The file's lines; after construction this is the master copy.
    std::vector<std::string> Lines;
    // When true, a value with line breaks is kept in a side file.
    bool SideFiles = true;

  private:
    std::string SideFileName(const std::string& name) const;
    void SaveLines(const std::vector<std::string>& lines) const;
};

// The largest settings file read, far above what the program keeps there: a larger one is
// no settings file of ours.
inline constexpr std::uint64_t MaxConfigFileBytes = 64 * 1024;

// A settings line's value that means "the value is in the side file".
inline constexpr char SideFileMarker[] = "<#$%@KWZ*&^>";
// Stands for one line break inside a value when side files are off; plain characters.
inline constexpr char LineBreakToken[] = "<#\\r\\n#>";

// The adapter position the main window saved (setting "Index") when it was last closed;
// a missing or non-numeric value counts as 0, and so does a negative one, which is what
// closing without a selection writes.
int SavedAdapterIndex(const TConfig& config);

// The adapter's identifier, saved beside Index when the main window closes: Index stays a
// position, as it always was, and the identifier names the same adapter after others are
// added, removed or reordered. Empty when nothing was selected, or the file is older.
inline constexpr char AdapterIdSetting[] = "AdapterId";
std::string SavedAdapterId(const TConfig& config);

// True when the saved Index records that nothing was selected: a negative position, which
// closing without a selection writes ("-1").
bool SavedNoAdapterSelected(const TConfig& config);
// The stored settings applied most recently (setting "Recent"), most recent first, by their
// identity key: kept apart from Index, which it leaves alone. Entries that are no number
// are skipped; at most MaxRecentSettings are kept.
inline constexpr std::size_t MaxRecentSettings = 50;
std::vector<std::int64_t> RecentSettings(const TConfig& config);
// Puts id first in the list (once) and writes it.
void RememberRecentSetting(TConfig& config, std::int64_t id);

// An on/off setting of the settings file: "1" is on, anything else (or nothing) off.
bool ReadSwitch(const TConfig& config, const std::string& name);
void WriteSwitch(TConfig& config, const std::string& name, bool on);
// The switch as the settings file at fileName holds it; off when the file cannot be read,
// which whoever opens it for good reports.
bool ReadSwitchFromFile(const std::string& fileName, const std::string& name);

// Whether the adapter selector lists every adapter bound to TCP/IP, with its connection
// name, rather than the Ethernet adapters alone (the default).
inline constexpr char ShowAllAdaptersSetting[] = "ShowAllAdapters";
