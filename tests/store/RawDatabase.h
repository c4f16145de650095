#pragma once
// A second, plain SQLite connection to a database file: how the tests see what really is
// in the file, independent of the store under test.

#include <sqlite3.h>

#include <string>
#include <vector>

class TRawDatabase {
  public:
    // Opens an existing file (or creates one when create is true).
    explicit TRawDatabase(const std::string& path, bool create = false);
    ~TRawDatabase();
    TRawDatabase(const TRawDatabase&) = delete;
    TRawDatabase& operator=(const TRawDatabase&) = delete;

    void Exec(const std::string& sql);
    // Every row of the result, each value as text ("<null>" for NULL).
    std::vector<std::vector<std::string>> Rows(const std::string& sql);
    // The first column of every row.
    std::vector<std::string> Column(const std::string& sql);
    // Runs sql with the given texts bound to its parameters.
    void ExecWith(const std::string& sql, const std::vector<std::string>& values);

  private:
    sqlite3* db_ = nullptr;
};

// Adapter, Title .. Proxy of every stored setting in key order, NULL read as empty: what the
// file holds, for tests that check it after driving the program. No file: no rows.
std::vector<std::vector<std::string>> StoredSettings(const std::string& dbPath);
