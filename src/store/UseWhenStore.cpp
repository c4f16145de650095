#include "UseWhenStore.h"

#include "store/Sqlite.h"
#include "store/StorePlatform.h"
#include "support/UseWhenText.h"

namespace {

const std::string CreateStatements =
    "CREATE TABLE IF NOT EXISTS IPUseWhen("
    "SettingID INTEGER PRIMARY KEY, "
    "Conditions TEXT NOT NULL CONSTRAINT \"Conditions are limited to " +
    std::to_string(MaxConditionsLength) +
    " characters\" CHECK(length(Conditions) <= " + std::to_string(MaxConditionsLength) + ")); " +
    "CREATE TRIGGER IF NOT EXISTS IPUseWhenOfDeletedSetting AFTER DELETE ON IPInfo "
    "BEGIN DELETE FROM IPUseWhen WHERE SettingID = old.ID; END;";

} // namespace

bool HasUseWhenTable(const TSqliteConnection& db, const std::string& context) {
    return HasTable(db, "IPUseWhen", context);
}

void EnsureUseWhenTable(TSqliteConnection& db, const std::string& context) {
    CreateTableOnce(db, "IPUseWhen", CreateStatements.c_str(), context);
}

std::map<std::int64_t, std::string> LoadUseWhen(const TSqliteConnection& db,
                                                const std::string& context) {
    std::map<std::int64_t, std::string> conditions;
    if (!HasUseWhenTable(db, context))
        return conditions;
    TSqliteStatement select(db, "SELECT SettingID, Conditions FROM IPUseWhen", context);
    while (select.Step(context))
        if (std::string text = Utf8ToAnsi(select.Text(1)); !text.empty())
            conditions[select.Int64(0)] = std::move(text);
    return conditions;
}

void StoreUseWhen(const TSqliteConnection& db, std::int64_t settingId,
                  const std::string& conditions, const std::string& context) {
    TSqliteStatement erase(db, "DELETE FROM IPUseWhen WHERE SettingID = ?", context);
    erase.BindInt64(1, settingId);
    erase.Step(context);
    if (conditions.empty())
        return;
    TSqliteStatement insert(db, "INSERT INTO IPUseWhen(SettingID, Conditions) VALUES(?, ?)",
                            context);
    insert.BindInt64(1, settingId);
    insert.BindText(2, AnsiToUtf8(conditions));
    insert.Step(context);
}
