#include "RawDatabase.h"

#include <filesystem>
#include <stdexcept>

TRawDatabase::TRawDatabase(const std::string& path, bool create) {
    const int flags = SQLITE_OPEN_READWRITE | (create ? SQLITE_OPEN_CREATE : 0);
    if (sqlite3_open_v2(path.c_str(), &db_, flags, nullptr) != SQLITE_OK) {
        const std::string text = sqlite3_errmsg(db_);
        sqlite3_close(db_);
        throw std::runtime_error("raw open " + path + ": " + text);
    }
}

TRawDatabase::~TRawDatabase() {
    sqlite3_close(db_);
}

void TRawDatabase::Exec(const std::string& sql) {
    ExecWith(sql, {});
}

void TRawDatabase::ExecWith(const std::string& sql, const std::vector<std::string>& values) {
    const char* rest = sql.c_str();
    while (*rest) {
        sqlite3_stmt* stmt = nullptr;
        if (sqlite3_prepare_v2(db_, rest, -1, &stmt, &rest) != SQLITE_OK)
            throw std::runtime_error(sql + ": " + sqlite3_errmsg(db_));
        if (!stmt)
            break;
        for (size_t i = 0;
             i < values.size() && i < static_cast<size_t>(sqlite3_bind_parameter_count(stmt)); ++i)
            sqlite3_bind_text(stmt, static_cast<int>(i + 1), values[i].data(),
                              static_cast<int>(values[i].size()), SQLITE_TRANSIENT);
        int rc;
        while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
        }
        sqlite3_finalize(stmt);
        if (rc != SQLITE_DONE)
            throw std::runtime_error(sql + ": " + sqlite3_errmsg(db_));
    }
}

std::vector<std::vector<std::string>> TRawDatabase::Rows(const std::string& sql) {
    sqlite3_stmt* stmt = nullptr;
    if (sqlite3_prepare_v2(db_, sql.c_str(), -1, &stmt, nullptr) != SQLITE_OK)
        throw std::runtime_error(sql + ": " + sqlite3_errmsg(db_));
    std::vector<std::vector<std::string>> rows;
    int rc;
    while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
        auto& row = rows.emplace_back();
        for (int c = 0; c < sqlite3_column_count(stmt); ++c) {
            const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt, c));
            row.push_back(
                text ? std::string(text, static_cast<size_t>(sqlite3_column_bytes(stmt, c)))
                     : "<null>");
        }
    }
    sqlite3_finalize(stmt);
    if (rc != SQLITE_DONE)
        throw std::runtime_error(sql + ": " + sqlite3_errmsg(db_));
    return rows;
}

std::vector<std::string> TRawDatabase::Column(const std::string& sql) {
    std::vector<std::string> column;
    for (auto& row : Rows(sql))
        column.push_back(row.at(0));
    return column;
}

std::vector<std::vector<std::string>> StoredSettings(const std::string& dbPath) {
    if (!std::filesystem::exists(dbPath))
        return {};
    return TRawDatabase(dbPath).Rows(
        "SELECT IFNULL(Adapter, ''), IFNULL(Title, ''), IFNULL(Address, ''), "
        "IFNULL(Submask, ''), IFNULL(Gateway, ''), IFNULL(DNS1, ''), IFNULL(DNS2, ''), "
        "IFNULL(Proxy, '') FROM IPInfo ORDER BY ID");
}
