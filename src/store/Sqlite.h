#pragma once
// Owners for SQLite's connection and statement handles, and the few calls the store makes
// through them. Texts here are UTF-8, as SQLite keeps them; failures raise TError with
// SQLite's own text.

#include <sqlite3.h>

#include <cstdint>
#include <optional>
#include <string>

class TSqliteConnection {
  public:
    TSqliteConnection() = default;
    // Opens the file (path in UTF-8) with the given SQLITE_OPEN_* flags; on failure raises
    // TError with context + ": " + SQLite's text.
    TSqliteConnection(const std::string& utf8Path, int flags, const std::string& context);
    ~TSqliteConnection();
    TSqliteConnection(TSqliteConnection&& other) noexcept;
    TSqliteConnection& operator=(TSqliteConnection&& other) noexcept;
    TSqliteConnection(const TSqliteConnection&) = delete;
    TSqliteConnection& operator=(const TSqliteConnection&) = delete;

    sqlite3* get() const { return db_; }
    explicit operator bool() const { return db_ != nullptr; }

    // How long a statement waits for another program's lock on the file before failing.
    void SetBusyTimeout(int milliseconds);
    // Runs statements without parameters or results (DDL, BEGIN, COMMIT).
    void Execute(const char* sql, const std::string& context);
    // Closes now and reports whether SQLite released the file (every statement must be
    // finalized before). The destructor closes quietly instead.
    bool Close();

    // SQLite's text of the last failure, with the system's reason when there is one.
    std::string ErrorText() const;

  private:
    sqlite3* db_ = nullptr;
};

// A URI (open with SQLITE_OPEN_URI) that reads the file as it lies: no locks, and no hot
// journal or WAL file beside it is rolled back or merged, so reading it changes nothing.
std::string ImmutableFileUri(const std::string& utf8Path);

class TSqliteStatement {
  public:
    TSqliteStatement() = default;
    TSqliteStatement(const TSqliteConnection& db, const char* sql, const std::string& context);
    ~TSqliteStatement();
    TSqliteStatement(TSqliteStatement&& other) noexcept;
    TSqliteStatement& operator=(TSqliteStatement&& other) noexcept;
    TSqliteStatement(const TSqliteStatement&) = delete;
    TSqliteStatement& operator=(const TSqliteStatement&) = delete;

    explicit operator bool() const { return stmt_ != nullptr; }

    // Parameters count from 1. Nothing binds NULL.
    void BindText(int index, const std::optional<std::string>& utf8);
    void BindInt64(int index, std::int64_t value);
    // One step: true with a row to read, false when done; TError with context on failure.
    bool Step(const std::string& context);
    // Ready to run again: the last run's locks are released and the parameters cleared.
    void Reset();

    bool IsNull(int column) const;
    std::string Text(int column) const;
    std::int64_t Int64(int column) const;

  private:
    sqlite3_stmt* stmt_ = nullptr;
    sqlite3* db_ = nullptr;
};

// Resets a statement when a scope ends, on every path: a statement left mid-run would keep
// its read lock on the file and block the other connection's writes.
class TStatementRun {
  public:
    explicit TStatementRun(TSqliteStatement& statement) : statement_(statement) {
        statement_.Reset();
    }
    ~TStatementRun() { statement_.Reset(); }
    TStatementRun(const TStatementRun&) = delete;
    TStatementRun& operator=(const TStatementRun&) = delete;

  private:
    TSqliteStatement& statement_;
};

// Whether the file has a table of that name (any case).
bool HasTable(const TSqliteConnection& db, const char* name, const std::string& context);

// Runs the statements that make a side table, with its indexes and triggers, in one
// transaction, unless the file has the table already: all of them or none.
void CreateTableOnce(TSqliteConnection& db, const char* name, const char* statements,
                     const std::string& context);
