// store_bench: the profile store's view operations against the same work done with bare
// SQLite calls (the floor), on a database of 10,000 rows spread over 20 adapters.
// Prints a Markdown table: median time of each operation, the floor's, and their ratio.
// Not a test: timings depend on the machine. Build it with the "bench" preset (release,
// no sanitizers): make bench.

#include "store/ProfileStore.h"

#include <sqlite3.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

constexpr int RowTotal = 10000;
constexpr int AdapterTotal = 20;

using Clock = std::chrono::steady_clock;

std::string AdapterId(int i) {
    char id[64];
    std::snprintf(id, sizeof id, "{%08X-1111-2222-3333-444455556666}", 0x4D36E972 + i);
    return id;
}

void Check(int rc, sqlite3* db, const char* what) {
    if (rc != SQLITE_OK && rc != SQLITE_DONE && rc != SQLITE_ROW)
        throw std::runtime_error(std::string(what) + ": " + sqlite3_errmsg(db));
}

// The bare floor's own minimal handles: what any SQLite program writes.
struct TBareDb {
    sqlite3* Db = nullptr;
    explicit TBareDb(const std::string& path, int flags = SQLITE_OPEN_READWRITE) {
        Check(sqlite3_open_v2(path.c_str(), &Db, flags | SQLITE_OPEN_NOMUTEX, nullptr), Db, "open");
    }
    ~TBareDb() { sqlite3_close_v2(Db); }
};

struct TBareStmt {
    sqlite3_stmt* Stmt = nullptr;
    TBareStmt(sqlite3* db, const char* sql) {
        Check(sqlite3_prepare_v3(db, sql, -1, SQLITE_PREPARE_PERSISTENT, &Stmt, nullptr), db, sql);
    }
    ~TBareStmt() { sqlite3_finalize(Stmt); }
};

std::string ColumnText(sqlite3_stmt* stmt, int c) {
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt, c));
    return text ? std::string(text, static_cast<size_t>(sqlite3_column_bytes(stmt, c)))
                : std::string();
}

using TBareRow = std::vector<std::string>;

std::vector<TBareRow> ReadRows(sqlite3_stmt* stmt) {
    std::vector<TBareRow> rows;
    while (sqlite3_step(stmt) == SQLITE_ROW) {
        TBareRow& row = rows.emplace_back();
        row.reserve(9);
        for (int c = 0; c < 9; ++c)
            row.push_back(ColumnText(stmt, c));
    }
    sqlite3_reset(stmt);
    return rows;
}

void FillDatabase(const std::string& path) {
    CreateProfileDatabase(path);
    TBareDb db(path);
    Check(sqlite3_exec(db.Db, "BEGIN", nullptr, nullptr, nullptr), db.Db, "begin");
    TBareStmt insert(db.Db, "INSERT INTO IPInfo(Adapter, Title, Address, Submask, Gateway, DNS1, "
                            "DNS2, Proxy) VALUES(?, ?, ?, ?, ?, ?, ?, ?)");
    std::mt19937 random(42);
    for (int n = 0; n < RowTotal; ++n) {
        const int a = static_cast<int>(random() % AdapterTotal);
        const std::string values[8] = {
            AdapterId(a),
            "profile " + std::to_string(n),
            "10." + std::to_string(a) + "." + std::to_string(n / 250) + "." +
                std::to_string(n % 250),
            "255.255.255.0",
            "10." + std::to_string(a) + ".0.1",
            "192.168." + std::to_string(random() % 8) + ".53",
            n % 3 ? "8.8.4.4" : "",
            n % 5 ? "" : "proxy.example:8080",
        };
        for (int i = 0; i < 8; ++i)
            sqlite3_bind_text(insert.Stmt, i + 1, values[i].data(),
                              static_cast<int>(values[i].size()), SQLITE_TRANSIENT);
        Check(sqlite3_step(insert.Stmt), db.Db, "insert");
        sqlite3_reset(insert.Stmt);
    }
    Check(sqlite3_exec(db.Db, "COMMIT", nullptr, nullptr, nullptr), db.Db, "commit");
}

// One timed piece of work, with an untimed setup before each run.
struct TWork {
    std::function<void()> Setup;
    std::function<void()> Run;
};

double Micros(const TWork& work) {
    if (work.Setup)
        work.Setup();
    const auto start = Clock::now();
    work.Run();
    return std::chrono::duration<double, std::micro>(Clock::now() - start).count();
}

double Median(std::vector<double> times) {
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

struct TResult {
    const char* Operation;
    double Ours;
    double Floor;
};

// Medians of both, their runs interleaved so that a disturbance of the machine (a sync
// stalling, another program) falls on both alike.
TResult Compare(const char* operation, int runs, const TWork& ours, const TWork& floor) {
    std::vector<double> oursTimes, floorTimes;
    for (int i = 0; i < runs; ++i) {
        oursTimes.push_back(Micros(ours));
        floorTimes.push_back(Micros(floor));
    }
    return {operation, Median(oursTimes), Median(floorTimes)};
}

std::string Format(double micros) {
    char text[32];
    if (micros >= 1000)
        std::snprintf(text, sizeof text, "%.2f ms", micros / 1000);
    else if (micros < 10)
        std::snprintf(text, sizeof text, "%.2f µs", micros);
    else
        std::snprintf(text, sizeof text, "%.1f µs", micros);
    return text;
}

// Keeps the optimizer from dropping work whose result is otherwise unused.
volatile size_t Sink = 0;

const char* const SelectAll =
    "SELECT ID, Adapter, Title, Address, Submask, Gateway, DNS1, DNS2, Proxy FROM IPInfo";

std::vector<TResult> Measure(const std::string& path) {
    std::vector<TResult> results;

    // Open and load every row; both keep their connection open afterwards, as the view does.
    {
        std::unique_ptr<TProfileTable> table;
        std::unique_ptr<TBareDb> db;
        std::vector<TBareRow> rows;
        results.push_back(Compare(
            "open and load all 10,000 rows", 21,
            {[&] { table = std::make_unique<TProfileTable>(); }, [&] { table->Open(path); }},
            {[&] { db.reset(); },
             [&] {
                 db = std::make_unique<TBareDb>(path);
                 TBareStmt select(db->Db, (std::string(SelectAll) + " ORDER BY ID").c_str());
                 rows = ReadRows(select.Stmt);
             }}));
    }

    TProfileTable table;
    table.Open(path);
    TBareDb db(path);

    // The view switches its restriction; the floor selects that adapter's rows.
    {
        TBareStmt select(db.Db,
                         (std::string(SelectAll) + " WHERE Adapter = ? ORDER BY ID").c_str());
        int next = 0;
        results.push_back(
            Compare("switch the restriction to another adapter", 201,
                    {nullptr, [&] { table.SetAdapterFilter(AdapterId(next++ % AdapterTotal)); }},
                    {nullptr, [&] {
                         const std::string id = AdapterId(next++ % AdapterTotal);
                         sqlite3_bind_text(select.Stmt, 1, id.data(), static_cast<int>(id.size()),
                                           SQLITE_TRANSIENT);
                         Sink = Sink + ReadRows(select.Stmt).size();
                     }}));
    }

    // Row count under the restriction.
    {
        const std::string id = AdapterId(3);
        table.SetAdapterFilter(id);
        TBareStmt count(db.Db, "SELECT count(*) FROM IPInfo WHERE Adapter = ?");
        results.push_back(
            Compare("row count under the restriction", 1001,
                    {nullptr, [&] { Sink = Sink + static_cast<size_t>(table.RowCount()); }},
                    {nullptr, [&] {
                         sqlite3_bind_text(count.Stmt, 1, id.data(), static_cast<int>(id.size()),
                                           SQLITE_TRANSIENT);
                         sqlite3_step(count.Stmt);
                         Sink = Sink + static_cast<size_t>(sqlite3_column_int(count.Stmt, 0));
                         sqlite3_reset(count.Stmt);
                     }}));
    }

    // Distinct DNS1 over all rows, each query on a connection of its own.
    {
        TProfileQuery query;
        query.SetDatabasePath(path);
        results.push_back(
            Compare("distinct DNS1 (own connection)", 101,
                    {nullptr, [&] { Sink = Sink + query.DistinctValues("DNS1").size(); }},
                    {nullptr, [&] {
                         TBareDb own(path, SQLITE_OPEN_READONLY);
                         TBareStmt distinct(own.Db, "select distinct DNS1 from IPInfo ");
                         std::vector<std::string> values;
                         while (sqlite3_step(distinct.Stmt) == SQLITE_ROW)
                             if (sqlite3_column_bytes(distinct.Stmt, 0) > 0)
                                 values.push_back(ColumnText(distinct.Stmt, 0));
                         Sink = Sink + values.size();
                     }}));
    }

    // Store one new row: it reaches the file, a commit with its syncs.
    {
        const char* names[8] = {"Adapter", "Title", "Address", "Submask",
                                "Gateway", "DNS1",  "DNS2",    "Proxy"};
        const std::string values[8] = {AdapterId(3), "new profile", "10.3.9.9", "255.255.255.0",
                                       "10.3.0.1",   "1.1.1.1",     "",         "proxy:3128"};
        TBareStmt insert(db.Db, "INSERT INTO IPInfo(Adapter, Title, Address, Submask, Gateway, "
                                "DNS1, DNS2, Proxy) VALUES(?, ?, ?, ?, ?, ?, ?, ?)");
        results.push_back(Compare("store one new row", 101,
                                  {nullptr,
                                   [&] {
                                       table.Insert();
                                       for (int i = 0; i < 8; ++i)
                                           table.SetFieldText(names[i], values[i]);
                                       table.Post();
                                   }},
                                  {nullptr, [&] {
                                       for (int i = 0; i < 8; ++i)
                                           sqlite3_bind_text(insert.Stmt, i + 1, values[i].data(),
                                                             static_cast<int>(values[i].size()),
                                                             SQLITE_TRANSIENT);
                                       Check(sqlite3_step(insert.Stmt), db.Db, "insert");
                                       sqlite3_reset(insert.Stmt);
                                   }}));
    }

    // Delete one row: the view its current row, the floor the row of the lowest ID.
    {
        table.ClearFilter();
        TBareStmt erase(db.Db, "DELETE FROM IPInfo WHERE ID = ?");
        TBareStmt first(db.Db, "SELECT min(ID) FROM IPInfo");
        results.push_back(
            Compare("delete one row", 101,
                    {[&] { table.MoveTo(table.RowCount() / 2); }, [&] { table.DeleteCurrent(); }},
                    {[&] {
                         sqlite3_step(first.Stmt);
                         sqlite3_bind_int64(erase.Stmt, 1, sqlite3_column_int64(first.Stmt, 0));
                         sqlite3_reset(first.Stmt);
                     },
                     [&] {
                         Check(sqlite3_step(erase.Stmt), db.Db, "delete");
                         sqlite3_reset(erase.Stmt);
                     }}));
    }
    return results;
}

} // namespace

int main() {
    namespace fs = std::filesystem;
    const fs::path folder =
        fs::temp_directory_path() / ("netvane-bench-" + std::to_string(std::random_device()()));
    fs::create_directories(folder);
    std::vector<TResult> results;
    try {
        const std::string path = (folder / "db").string();
        FillDatabase(path);
        results = Measure(path);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "store_bench: %s\n", e.what());
        fs::remove_all(folder);
        return 1;
    }
    fs::remove_all(folder);

    std::printf("| operation (10,000 rows, 20 adapters) | view | bare SQLite | ratio |\n");
    std::printf("|---|---:|---:|---:|\n");
    for (const TResult& r : results)
        std::printf("| %s | %s | %s | %.2f |\n", r.Operation, Format(r.Ours).c_str(),
                    Format(r.Floor).c_str(), r.Ours / r.Floor);
    return 0;
}
