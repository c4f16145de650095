#include "BenchData.h"

#include "store/ProfileStore.h"

#include <sqlite3.h>

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <exception>

std::vector<std::string> BenchAdapterIds() {
    std::vector<std::string> ids;
    for (int i = 0; i < BenchAdapters; ++i) {
        char id[64];
        std::snprintf(id, sizeof id, "{BE0C0000-0000-0000-0000-%012d}", i);
        ids.push_back(id);
    }
    return ids;
}

void RegisterBenchAdapters(TTestAdapters& adapters) {
    adapters.RemoveAll();
    const auto ids = BenchAdapterIds();
    for (size_t i = 0; i < ids.size(); ++i)
        adapters.Add(ids[i], "Bench Ethernet " + std::to_string(i));
}

void CreateBenchDatabase(const std::string& folder, int settings) {
    const std::string path = folder + "db";
    ::DeleteFileA(path.c_str());
    CreateProfileDatabase(path);
    // One transaction for all rows: the benchmark measures reading them, not storing.
    sqlite3* db = nullptr;
    sqlite3_open(path.c_str(), &db);
    sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);
    sqlite3_stmt* insert = nullptr;
    sqlite3_prepare_v2(db,
                       "INSERT INTO IPInfo (Adapter, Title, Address, Submask, Gateway, DNS1, "
                       "DNS2, Proxy) VALUES (?, ?, ?, ?, ?, ?, ?, ?)",
                       -1, &insert, nullptr);
    const auto ids = BenchAdapterIds();
    for (int i = 0; i < settings; ++i) {
        const auto texts = BenchRowTexts(i);
        sqlite3_bind_text(insert, 1, ids[static_cast<size_t>(i % BenchAdapters)].c_str(), -1,
                          SQLITE_TRANSIENT);
        for (int c = 0; c < 7; ++c)
            sqlite3_bind_text(insert, c + 2, texts[static_cast<size_t>(c)].c_str(), -1,
                              SQLITE_TRANSIENT);
        sqlite3_step(insert);
        sqlite3_reset(insert);
    }
    sqlite3_finalize(insert);
    sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
    sqlite3_close(db);
}

TTimes Summarise(std::vector<double> ms) {
    std::sort(ms.begin(), ms.end());
    if (ms.empty())
        return {};
    return {ms[ms.size() / 2], ms[std::min(ms.size() - 1, ms.size() * 95 / 100)]};
}

long long Now() {
    LARGE_INTEGER counter;
    ::QueryPerformanceCounter(&counter);
    return counter.QuadPart;
}

double MillisecondsSince(long long start) {
    LARGE_INTEGER frequency;
    ::QueryPerformanceFrequency(&frequency);
    return static_cast<double>(Now() - start) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

int RunBenchmark(const std::function<int()>& body) {
    try {
        return body();
    } catch (const std::exception& e) {
        std::fprintf(stderr, "benchmark stopped: %s\n", e.what());
        return 1;
    }
}
