#include "ExtrasStore.h"

#include "store/Sqlite.h"
#include "store/StorePlatform.h"
#include "store/UseWhenStore.h"
#include "support/IntegerText.h"
#include "support/Strings.h"

namespace {

// Kind "address": Position 1.. are the further addresses, Detail their masks. Kind
// "gateway": Position 0 is the setting's own gateway (Address empty; it lives in IPInfo),
// 1.. the further ones; Detail is each one's metric, "0" for automatic.
const char* const CreateStatements =
    "CREATE TABLE IF NOT EXISTS IPExtras("
    "SettingID INTEGER NOT NULL, "
    "Kind TEXT NOT NULL CHECK(Kind IN ('address', 'gateway')), "
    "Position INTEGER NOT NULL CHECK(Position BETWEEN 0 AND 15), "
    "Address varchar(15) NOT NULL CONSTRAINT \"Address is limited to 15 characters\" "
    "CHECK(length(Address) <= 15), "
    "Detail varchar(15) NOT NULL CONSTRAINT \"Submask is limited to 15 characters\" "
    "CHECK(length(Detail) <= 15), "
    "PRIMARY KEY(SettingID, Kind, Position)); "
    "CREATE TRIGGER IF NOT EXISTS IPExtrasOfDeletedSetting AFTER DELETE ON IPInfo "
    "BEGIN DELETE FROM IPExtras WHERE SettingID = old.ID; END;";

constexpr int AddressKind = 0;
constexpr int GatewayKind = 1;
const char* const KindNames[] = {"address", "gateway"};

unsigned StoredMetric(const std::string& text) {
    const int value = ParseIntDef(Trim(text), -1);
    return value < 0 ? MaxGatewayMetric + 1 : static_cast<unsigned>(value);
}

void InsertEntry(TSqliteStatement& insert, std::int64_t id, int kind, std::size_t position,
                 const std::string& address, const std::string& detail,
                 const std::string& context) {
    TStatementRun run(insert);
    insert.BindInt64(1, id);
    insert.BindText(2, std::string(KindNames[kind]));
    insert.BindInt64(3, static_cast<std::int64_t>(position));
    insert.BindText(4, AnsiToUtf8(address));
    insert.BindText(5, AnsiToUtf8(detail));
    insert.Step(context);
}

} // namespace

bool HasExtrasTable(const TSqliteConnection& db, const std::string& context) {
    return HasTable(db, "IPExtras", context);
}

void EnsureExtrasTable(TSqliteConnection& db, const std::string& context) {
    CreateTableOnce(db, "IPExtras", CreateStatements, context);
}

std::map<std::int64_t, TSettingExtras> LoadExtras(const TSqliteConnection& db,
                                                  const std::string& context) {
    std::map<std::int64_t, TSettingExtras> extras;
    for (auto& [id, conditions] : LoadUseWhen(db, context))
        extras[id].UseWhen = std::move(conditions);
    if (!HasExtrasTable(db, context))
        return extras;
    TSqliteStatement select(db,
                            "SELECT SettingID, Kind, Position, Address, Detail FROM IPExtras "
                            "ORDER BY SettingID, Kind, Position",
                            context);
    while (select.Step(context)) {
        TSettingExtras& setting = extras[select.Int64(0)];
        const std::string address = Utf8ToAnsi(select.Text(3));
        const std::string detail = Utf8ToAnsi(select.Text(4));
        if (select.Text(1) == KindNames[AddressKind])
            setting.MoreAddresses.push_back({address, detail});
        else if (select.Int64(2) == 0)
            setting.GatewayMetric = StoredMetric(detail);
        else
            setting.MoreGateways.push_back({address, StoredMetric(detail)});
    }
    return extras;
}

void StoreExtras(const TSqliteConnection& db, std::int64_t settingId, const TSettingExtras& extras,
                 const std::string& context) {
    StoreUseWhen(db, settingId, extras.UseWhen, context);
    TSqliteStatement erase(db, "DELETE FROM IPExtras WHERE SettingID = ?", context);
    erase.BindInt64(1, settingId);
    erase.Step(context);
    TSqliteStatement insert(
        db,
        "INSERT INTO IPExtras(SettingID, Kind, Position, Address, Detail) VALUES(?, ?, ?, ?, ?)",
        context);
    if (extras.GatewayMetric != 0)
        InsertEntry(insert, settingId, GatewayKind, 0, "", std::to_string(extras.GatewayMetric),
                    context);
    for (std::size_t i = 0; i < extras.MoreAddresses.size(); ++i)
        InsertEntry(insert, settingId, AddressKind, i + 1, extras.MoreAddresses[i].Address,
                    extras.MoreAddresses[i].Submask, context);
    for (std::size_t i = 0; i < extras.MoreGateways.size(); ++i)
        InsertEntry(insert, settingId, GatewayKind, i + 1, extras.MoreGateways[i].Gateway,
                    std::to_string(extras.MoreGateways[i].Metric), context);
}
