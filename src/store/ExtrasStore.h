#pragma once
// A setting's further addresses and gateways in the database file, in a table of their own
// beside IPInfo, which stays as it is so that an older program still reads every setting's
// first address and gateway. Rows are keyed by the setting's ID and kept in order; a trigger
// removes them with their setting, whichever program deletes it.

#include "support/AddressLists.h"

#include <cstdint>
#include <map>
#include <string>

class TSqliteConnection;

// Whether the file has the table (an older program's file has not).
bool HasExtrasTable(const TSqliteConnection& db, const std::string& context);

// Adds the table and its trigger to a writable file that lacks them, and the conditions'
// table (store/UseWhenStore) too; nothing otherwise.
void EnsureExtrasTable(TSqliteConnection& db, const std::string& context);

// Every setting's extras by its ID, only for settings that have any (conditions included);
// none without the tables.
// A stored metric that is no number reads as one the rules refuse, so it never reaches
// Windows unnoticed.
std::map<std::int64_t, TSettingExtras> LoadExtras(const TSqliteConnection& db,
                                                  const std::string& context);

// Replaces the setting's extras and conditions with these (none: removes them). Runs inside
// the caller's transaction.
void StoreExtras(const TSqliteConnection& db, std::int64_t settingId, const TSettingExtras& extras,
                 const std::string& context);
