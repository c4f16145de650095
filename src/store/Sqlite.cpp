#include "Sqlite.h"

#include "support/Error.h"
#include "support/FileSystem.h"

#include <utility>

namespace {

// SQLite's system error number is the platform's own: a Windows error code or errno.
std::string SystemReason(int code) {
    return code == 0 ? std::string() : SystemErrorText(code);
}

} // namespace

TSqliteConnection::TSqliteConnection(const std::string& utf8Path, int flags,
                                     const std::string& context) {
    sqlite3* db = nullptr;
    const int rc = sqlite3_open_v2(utf8Path.c_str(), &db, flags, nullptr);
    db_ = db;
    if (rc != SQLITE_OK) {
        const std::string text = db ? ErrorText() : std::string(sqlite3_errstr(rc));
        // SQLite hands out a handle even on failure, and no destructor runs for an object
        // whose constructor throws: close it here.
        sqlite3_close_v2(std::exchange(db_, nullptr));
        throw TError(context + ": " + text);
    }
    sqlite3_extended_result_codes(db_, 1);
}

TSqliteConnection::~TSqliteConnection() {
    if (db_)
        sqlite3_close_v2(db_);
}

TSqliteConnection::TSqliteConnection(TSqliteConnection&& other) noexcept
    : db_(std::exchange(other.db_, nullptr)) {}

TSqliteConnection& TSqliteConnection::operator=(TSqliteConnection&& other) noexcept {
    if (this != &other) {
        if (db_)
            sqlite3_close_v2(db_);
        db_ = std::exchange(other.db_, nullptr);
    }
    return *this;
}

void TSqliteConnection::SetBusyTimeout(int milliseconds) {
    sqlite3_busy_timeout(db_, milliseconds);
}

void TSqliteConnection::Execute(const char* sql, const std::string& context) {
    if (sqlite3_exec(db_, sql, nullptr, nullptr, nullptr) != SQLITE_OK)
        throw TError(context + ": " + ErrorText());
}

bool TSqliteConnection::Close() {
    if (!db_)
        return true;
    const bool closed = sqlite3_close(db_) == SQLITE_OK;
    if (closed)
        db_ = nullptr;
    return closed;
}

std::string TSqliteConnection::ErrorText() const {
    if (!db_)
        return "no database connection";
    std::string text = sqlite3_errmsg(db_);
    const int code = sqlite3_errcode(db_) & 0xFF;
    // The system's reason says why a file could not be opened or written.
    if (code == SQLITE_CANTOPEN || code == SQLITE_IOERR || code == SQLITE_READONLY ||
        code == SQLITE_PERM) {
        const std::string reason = SystemReason(sqlite3_system_errno(db_));
        if (!reason.empty())
            text += " (" + reason + ")";
    }
    return text;
}

std::string ImmutableFileUri(const std::string& utf8Path) {
    std::string uri = "file:";
    for (size_t i = 0; i < utf8Path.size(); ++i) {
        const char c = utf8Path[i];
        // What a URI would read as query, fragment or escape, and a leading "//" that it
        // would read as an authority, are escaped; everything else is the path as it is.
        const bool escape =
            c == '%' || c == '?' || c == '#' || (i == 0 && utf8Path.compare(0, 2, "//") == 0);
        if (escape) {
            static const char hex[] = "0123456789ABCDEF";
            const auto byte = static_cast<unsigned char>(c);
            uri += {'%', hex[byte >> 4], hex[byte & 0xF]};
        } else {
            uri += c;
        }
    }
    return uri + "?immutable=1";
}

TSqliteStatement::TSqliteStatement(const TSqliteConnection& db, const char* sql,
                                   const std::string& context)
    : db_(db.get()) {
    if (sqlite3_prepare_v3(db_, sql, -1, SQLITE_PREPARE_PERSISTENT, &stmt_, nullptr) != SQLITE_OK) {
        const std::string text = db.ErrorText();
        sqlite3_finalize(stmt_);
        stmt_ = nullptr;
        throw TError(context + ": " + text);
    }
}

TSqliteStatement::~TSqliteStatement() {
    sqlite3_finalize(stmt_);
}

TSqliteStatement::TSqliteStatement(TSqliteStatement&& other) noexcept
    : stmt_(std::exchange(other.stmt_, nullptr)), db_(std::exchange(other.db_, nullptr)) {}

TSqliteStatement& TSqliteStatement::operator=(TSqliteStatement&& other) noexcept {
    if (this != &other) {
        sqlite3_finalize(stmt_);
        stmt_ = std::exchange(other.stmt_, nullptr);
        db_ = std::exchange(other.db_, nullptr);
    }
    return *this;
}

void TSqliteStatement::BindText(int index, const std::optional<std::string>& utf8) {
    const int rc = utf8 ? sqlite3_bind_text(stmt_, index, utf8->data(),
                                            static_cast<int>(utf8->size()), SQLITE_TRANSIENT)
                        : sqlite3_bind_null(stmt_, index);
    if (rc != SQLITE_OK)
        throw TError(sqlite3_errstr(rc));
}

void TSqliteStatement::BindInt64(int index, std::int64_t value) {
    const int rc = sqlite3_bind_int64(stmt_, index, value);
    if (rc != SQLITE_OK)
        throw TError(sqlite3_errstr(rc));
}

bool TSqliteStatement::Step(const std::string& context) {
    const int rc = sqlite3_step(stmt_);
    if (rc == SQLITE_ROW)
        return true;
    if (rc == SQLITE_DONE)
        return false;
    // The connection's text of the failure; stepping again or resetting would change it.
    std::string text = sqlite3_errmsg(db_);
    // A width check names its rule in the constraint's own name: that alone is the message.
    const std::string checkPrefix = "CHECK constraint failed: ";
    if (rc == SQLITE_CONSTRAINT_CHECK && text.compare(0, checkPrefix.size(), checkPrefix) == 0)
        text.erase(0, checkPrefix.size());
    if ((rc & 0xFF) == SQLITE_CANTOPEN || (rc & 0xFF) == SQLITE_IOERR ||
        (rc & 0xFF) == SQLITE_READONLY) {
        const std::string reason = SystemReason(sqlite3_system_errno(db_));
        if (!reason.empty())
            text += " (" + reason + ")";
    }
    throw TError(context.empty() ? text : context + ": " + text);
}

void TSqliteStatement::Reset() {
    if (!stmt_)
        return;
    sqlite3_reset(stmt_);
    sqlite3_clear_bindings(stmt_);
}

bool TSqliteStatement::IsNull(int column) const {
    return sqlite3_column_type(stmt_, column) == SQLITE_NULL;
}

std::string TSqliteStatement::Text(int column) const {
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt_, column));
    if (!text)
        return {};
    return std::string(text, static_cast<size_t>(sqlite3_column_bytes(stmt_, column)));
}

std::int64_t TSqliteStatement::Int64(int column) const {
    return sqlite3_column_int64(stmt_, column);
}

bool HasTable(const TSqliteConnection& db, const char* name, const std::string& context) {
    TSqliteStatement table(
        db, "SELECT 1 FROM sqlite_master WHERE type = 'table' AND name = ?1 COLLATE NOCASE",
        context);
    table.BindText(1, std::string(name));
    return table.Step(context);
}

void CreateTableOnce(TSqliteConnection& db, const char* name, const char* statements,
                     const std::string& context) {
    if (HasTable(db, name, context))
        return;
    const std::string sql = std::string("BEGIN IMMEDIATE; ") + statements + " COMMIT;";
    try {
        db.Execute(sql.c_str(), context);
    } catch (...) {
        sqlite3_exec(db.get(), "ROLLBACK", nullptr, nullptr, nullptr);
        throw;
    }
}
