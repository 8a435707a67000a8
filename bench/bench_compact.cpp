// bench_compact: CompactDatabase of a file against SQLite's VACUUM of the same file on the
// engine's own connection (its collations registered). Reports the ratio; asserts nothing.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "jet/base/engine_settings.h"
#include "jet/dao/database.h"
#include "jet/dao/database_files.h"
#include "jet/sqlite/connection.h"
#include "bench_files.h"

namespace {

using Clock = std::chrono::steady_clock;

int Rows() {
  const char* text = std::getenv("QB_BENCH_ROWS");
  return text ? std::atoi(text) : 1000000;
}

double SecondsSince(Clock::time_point start) { return std::chrono::duration<double>(Clock::now() - start).count(); }

void BM_CompactAgainstVacuum(benchmark::State& state) {
  const std::string path = "/tmp/qb_bench_compact_" + std::to_string(::getpid()) + ".mdb";
  const std::string compacted = path + ".compacted.mdb";
  for (auto _ : state) {
    std::remove(path.c_str());
    qb::bench::RemoveDatabaseFiles(compacted);
    auto database = qb::jet::CreateDatabaseAt(path, "1033", 0, qb::jet::EngineSettings());
    database->Execute(
        "CREATE TABLE T (Id COUNTER PRIMARY KEY, Code LONG, Name TEXT(50), Amount DOUBLE, Price CURRENCY, "
        "Day DATETIME, Flag YESNO, Qty SHORT, Ratio SINGLE, Notes MEMO)");
    database->Execute("CREATE INDEX ByName ON T (Name)");
    auto& connection = database->File()->EngineConnection(true);
    connection.Exec("BEGIN");
    connection.Exec("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < " +
                    std::to_string(Rows()) +
                    ") INSERT INTO T (Code, Name, Amount, Price, Day, Flag, Qty, Ratio, Notes) SELECT i, 'name ' || i, "
                    "i * 0.5, i * 2500, 36000 + i % 5000, -(i % 2), i % 30000, i % 100 * 0.5, "
                    "'some notes for row ' || i FROM n");
    connection.Exec("COMMIT");
    auto start = Clock::now();
    connection.Exec("VACUUM");
    const double vacuum = SecondsSince(start);
    database->Close();
    database.reset();
    start = Clock::now();
    qb::jet::CompactDatabaseFile(path, compacted, "", 0, "", qb::jet::EngineSettings());
    const double compact = SecondsSince(start);
    state.SetIterationTime(compact);
    state.counters["vacuum_s"] = vacuum;
    state.counters["ratio_to_vacuum"] = compact / vacuum;
  }
  qb::bench::RemoveDatabaseFiles(path);
  qb::bench::RemoveDatabaseFiles(compacted);
}

BENCHMARK(BM_CompactAgainstVacuum)->UseManualTime()->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
