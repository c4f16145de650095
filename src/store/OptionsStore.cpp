#include "OptionsStore.h"

#include "store/Sqlite.h"
#include "store/StorePlatform.h"

#include <utility>

namespace {

const char* const CreateStatements =
    "CREATE TABLE IF NOT EXISTS IPNetOptions("
    "SettingID INTEGER NOT NULL, "
    "Name TEXT NOT NULL, "
    "Value TEXT NOT NULL CONSTRAINT \"A value is limited to 2048 characters\" "
    "CHECK(length(Value) <= 2048), "
    "PRIMARY KEY(SettingID, Name)); "
    "CREATE TRIGGER IF NOT EXISTS IPNetOptionsOfDeletedSetting AFTER DELETE ON IPInfo "
    "BEGIN DELETE FROM IPNetOptions WHERE SettingID = old.ID; END;";

const char* const DnsSuffixName = "DnsSuffix";
const char* const ExceptionsName = "ProxyExceptions";
const char* const ScriptName = "ProxyScript";
const char* const AutoDetectName = "ProxyAutoDetect";

bool HasOptionsTable(const TSqliteConnection& db, const std::string& context) {
    return HasTable(db, "IPNetOptions", context);
}

void Put(TNetOptions& options, const std::string& name, const std::string& value) {
    if (name == DnsSuffixName)
        options.DnsSuffix = value;
    else if (name == ExceptionsName)
        options.ProxyExceptions = value;
    else if (name == ScriptName)
        options.ProxyScript = value;
    else if (name == AutoDetectName)
        options.ProxyAutoDetect = value == "1";
}

} // namespace

void EnsureOptionsTable(TSqliteConnection& db, const std::string& context) {
    CreateTableOnce(db, "IPNetOptions", CreateStatements, context);
}

void LoadOptions(const TSqliteConnection& db, std::map<std::int64_t, TSettingExtras>& extras,
                 const std::string& context) {
    if (!HasOptionsTable(db, context))
        return;
    TSqliteStatement select(db, "SELECT SettingID, Name, Value FROM IPNetOptions", context);
    while (select.Step(context)) {
        TSettingExtras& setting = extras[select.Int64(0)];
        Put(setting.Options, select.Text(1), Utf8ToAnsi(select.Text(2)));
        if (setting.Empty()) // a name passed over, or a detection stored as off
            extras.erase(select.Int64(0));
    }
}

void StoreOptions(const TSqliteConnection& db, std::int64_t settingId, const TNetOptions& options,
                  const std::string& context) {
    TSqliteStatement erase(db, "DELETE FROM IPNetOptions WHERE SettingID = ?", context);
    erase.BindInt64(1, settingId);
    erase.Step(context);
    const std::pair<const char*, std::string> values[] = {
        {DnsSuffixName, options.DnsSuffix},
        {ExceptionsName, options.ProxyExceptions},
        {ScriptName, options.ProxyScript},
        {AutoDetectName, options.ProxyAutoDetect ? "1" : ""}};
    TSqliteStatement insert(db, "INSERT INTO IPNetOptions(SettingID, Name, Value) VALUES(?, ?, ?)",
                            context);
    for (const auto& [name, value] : values) {
        if (value.empty())
            continue;
        TStatementRun run(insert);
        insert.BindInt64(1, settingId);
        insert.BindText(2, std::string(name));
        insert.BindText(3, AnsiToUtf8(value));
        insert.Step(context);
    }
}
