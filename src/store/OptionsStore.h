#pragma once
// A setting's DNS suffix and proxy parts in the database file, as name and value pairs in a
// table of their own beside IPInfo and IPExtras, both left as they are: an older program
// reads and changes the file as before, and a trigger removes the pairs with their setting
// whichever program deletes it. Only values that are set have a row.

#include "support/AddressLists.h"

#include <cstdint>
#include <map>
#include <string>

class TSqliteConnection;

// Adds the table and its trigger to a writable file that lacks them; nothing otherwise.
void EnsureOptionsTable(TSqliteConnection& db, const std::string& context);

// Every setting's values, put into extras beside what is there (a setting that has values
// and no other extras gets an entry); nothing without the table. Names this program does not
// know are passed over; the texts are kept as stored, for the apply's rules to judge.
void LoadOptions(const TSqliteConnection& db, std::map<std::int64_t, TSettingExtras>& extras,
                 const std::string& context);

// Replaces the setting's values with these. Runs inside the caller's transaction.
void StoreOptions(const TSqliteConnection& db, std::int64_t settingId, const TNetOptions& options,
                  const std::string& context);
