#pragma once
// When each setting is used by itself, in the database file: a table of its own, IPUseWhen,
// one row a setting that has conditions, made on demand as the extras' table is, so that an
// older file opens unchanged and an older program reads a file of this one. A trigger removes
// a setting's row with the setting, whichever program deletes it.

#include <cstdint>
#include <map>
#include <string>

class TSqliteConnection;

bool HasUseWhenTable(const TSqliteConnection& db, const std::string& context);

// Adds the table and its trigger to a writable file that lacks them; nothing otherwise.
void EnsureUseWhenTable(TSqliteConnection& db, const std::string& context);

// Every setting's conditions by its ID, only for settings that have any; none without the
// table.
std::map<std::int64_t, std::string> LoadUseWhen(const TSqliteConnection& db,
                                                const std::string& context);

// Replaces the setting's conditions (""; removes them). Runs inside the caller's transaction.
void StoreUseWhen(const TSqliteConnection& db, std::int64_t settingId,
                  const std::string& conditions, const std::string& context);
