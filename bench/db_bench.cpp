// The watch list's save (50 rows) and load, as the page does them: each on a connection of
// its own, on SQLite and, when the PG* variables name a server (run it through
// pg_virtualenv), on PostgreSQL over loopback.
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include <benchmark/benchmark.h>

#include "db/recordsets.h"
#include "db/watch_table.h"
#include "platform/odbc/database.h"
#include "setup/schema.h"
#include "support/temp_dir.h"

namespace {

std::vector<db::WatchRow> FiftyRows() {
    std::vector<db::WatchRow> rows;
    for (int i = 0; i < 50; ++i)
        rows.push_back({"Company " + std::to_string(i) + " Ltd", i % 2 ? "BSE" : "NSE",
                        "SYM" + std::to_string(i), i % 3 == 0, 90.5, 110.25});
    return rows;
}

void Save(benchmark::State& state, const std::string& connect) {
    const std::vector<db::WatchRow> rows = FiftyRows();
    for (auto _ : state) {
        CDatabase db;
        db.Open(connect);
        CSelCompanyListset rs(&db);
        db::ReplaceWatchList(rs, rows);
    }
}

void Load(benchmark::State& state, const std::string& connect) {
    {
        CDatabase db;
        db.Open(connect);
        CSelCompanyListset rs(&db);
        db::ReplaceWatchList(rs, FiftyRows());
    }
    for (auto _ : state) {
        CDatabase db;
        db.Open(connect);
        CSelCompanyListset rs(&db);
        const std::vector<db::WatchRow> rows = db::ReadWatchList(rs);
        if (rows.size() != 50)
            state.SkipWithError("the list did not come back whole");
    }
}

// Makes the tables; false (with a message) when the database cannot be reached.
bool Prepare(const std::string& connect) {
    try {
        CDatabase db;
        db.Open(connect);
        setup::CreateTables(db);
        return true;
    } catch (const CDBException& e) {
        std::fprintf(stderr, "db_bench: %s: %s\n", connect.c_str(), e.m_strError.c_str());
        return false;
    }
}

} // namespace

int main(int argc, char** argv) {
    testsupport::TempDir dir;
    const std::string sqlite =
        "DRIVER=SQLite3;Database=" + dir.file("lists.db") + ";Timeout=5000;SyncPragma=FULL";
    if (Prepare(sqlite)) {
        benchmark::RegisterBenchmark("SaveWatchList50/sqlite", Save, sqlite)
            ->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark("LoadWatchList50/sqlite", Load, sqlite)
            ->Unit(benchmark::kMillisecond);
    }
    const char* host = std::getenv("PGHOST");
    if (host && *host) {
        std::string postgres = std::string("DRIVER={PostgreSQL Unicode};Servername=") + host;
        for (const auto& [key, variable] :
             {std::pair{"Port", "PGPORT"}, std::pair{"Database", "PGDATABASE"},
              std::pair{"Username", "PGUSER"}})
            if (const char* value = std::getenv(variable); value && *value)
                postgres += std::string(";") + key + "=" + value;
        if (Prepare(postgres)) {
            benchmark::RegisterBenchmark("SaveWatchList50/postgresql", Save, postgres)
                ->Unit(benchmark::kMillisecond);
            benchmark::RegisterBenchmark("LoadWatchList50/postgresql", Load, postgres)
                ->Unit(benchmark::kMillisecond);
        }
    } else {
        std::fprintf(stderr, "db_bench: no PostgreSQL server named (PGHOST); for one, run "
                             "pg_virtualenv -t build/bin/db_bench\n");
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
