// bench_schema: adding a field to a table of 1,000,000 rows through the schema objects, against
// a raw SQLite copy of the same table on the same libsqlcipher.a (the baseline a rebuild costs).
// Also renaming a field, which copies the table. Reports each as a ratio to the raw copy; it
// asserts nothing.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <memory>
#include <string>

#include "jet/dao/database.h"
#include "jet/dao/database_files.h"
#include "jet/maintenance/database_maintenance.h"
#include "jet/base/engine_settings.h"
#include "jet/sqlite/connection.h"
#include "jet/dao/tabledef.h"
#include "bench_files.h"

namespace {

constexpr int kRows = 1000000;

struct Fixture {
  std::string path = "/tmp/qb_bench_schema_" + std::to_string(::getpid()) + ".mdb";
  std::shared_ptr<qb::jet::Database> database;
  double raw_copy_seconds = 0;
  int next_field = 0;

  Fixture() {
    std::remove(path.c_str());
    database = qb::jet::CreateDatabaseAt(path, "1033", 0, qb::jet::EngineSettings());
    database->Execute("CREATE TABLE T (Id COUNTER CONSTRAINT PrimaryKey PRIMARY KEY, Name TEXT(50), Amount DOUBLE, Qty LONG)");
    qb::jet::Connection& sql = database->File()->EngineConnection(true);
    sql.Exec("BEGIN");
    sql.Exec("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < " + std::to_string(kRows) +
             ") INSERT INTO T (Name, Amount, Qty) SELECT 'name ' || i, i * 0.5, i % 1000 FROM n");
    sql.Exec("COMMIT");
    raw_copy_seconds = RawCopySeconds();
  }
  ~Fixture() {
    database->Close();
    qb::bench::RemoveDatabaseFiles(path);
  }

  // A plain SQLite copy of T's rows into a new table of the same columns (checks left out).
  double RawCopySeconds() {
    qb::jet::Connection& sql = database->File()->EngineConnection(true);
    const auto start = std::chrono::steady_clock::now();
    sql.Exec("BEGIN");
    sql.Exec("CREATE TABLE RawCopy (Id INTEGER PRIMARY KEY AUTOINCREMENT, Name TEXT, Amount REAL, Qty INTEGER, Extra INTEGER)");
    sql.Exec("INSERT INTO RawCopy (Id, Name, Amount, Qty) SELECT Id, Name, Amount, Qty FROM T");
    sql.Exec("COMMIT");
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    sql.Exec("DROP TABLE RawCopy");
    return seconds;
  }
};

Fixture& Shared() {
  static Fixture fixture;
  return fixture;
}

void Report(benchmark::State& state, double total_seconds) {
  const double per_iteration = total_seconds / static_cast<double>(state.iterations());
  state.counters["raw_copy_s"] = Shared().raw_copy_seconds;
  state.counters["ratio_to_raw_copy"] = per_iteration / Shared().raw_copy_seconds;
}

void BM_RawTableCopy(benchmark::State& state) {
  double total = 0;
  for (auto _ : state) {
    const double seconds = Shared().RawCopySeconds();
    state.SetIterationTime(seconds);
    total += seconds;
  }
  Report(state, total);
}

void BM_AppendField(benchmark::State& state) {
  double total = 0;
  for (auto _ : state) {
    auto table = Shared().database->TableDefs()->Item(std::string_view("T"));
    auto field = table->CreateField("Extra" + std::to_string(Shared().next_field++), 4);
    const auto start = std::chrono::steady_clock::now();
    table->Fields()->Append(field);
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    state.SetIterationTime(seconds);
    total += seconds;
  }
  Report(state, total);
}

void BM_RenameFieldCopiesTable(benchmark::State& state) {
  double total = 0;
  int round = 0;
  for (auto _ : state) {
    auto table = Shared().database->TableDefs()->Item(std::string_view("T"));
    auto field = table->Fields()->Item(std::string_view("Qty"));
    const auto start = std::chrono::steady_clock::now();
    field->SetName("Qty" + std::to_string(++round));
    field->SetName("Qty");
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count() / 2;
    state.SetIterationTime(seconds);
    total += seconds;
  }
  Report(state, total);
}

BENCHMARK(BM_RawTableCopy)->UseManualTime()->Iterations(2)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_AppendField)->UseManualTime()->Iterations(5)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RenameFieldCopiesTable)->UseManualTime()->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
