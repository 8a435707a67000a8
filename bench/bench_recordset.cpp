// bench_recordset: recordsets against raw loops over the same libsqlcipher.a and the same table
// (1,000,000 rows of 10 mixed columns; QB_BENCH_ROWS sets another count). Each ratio is what
// the recordset adds to the plain SQLite work: stepping every row and reading every value,
// reaching the first record, counting to the end, Seek and FindFirst; a table-type recordset
// in an index's order against SQLite reading through that index. Reports ratios of wall
// time (ratio_to_raw) and of this thread's CPU time (cpu_ratio_to_raw: steadier on a busy
// machine, where waiting for a core lands in one side's wall time); asserts nothing.
#include <benchmark/benchmark.h>
#include <sqlcipher/sqlite3.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <ctime>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "jet/dao/database.h"
#include "jet/dao/database_files.h"
#include "jet/maintenance/database_maintenance.h"
#include "jet/base/engine_settings.h"
#include "jet/recordset/recordset.h"
#include "jet/sqlite/connection.h"
#include "bench_files.h"

namespace {

using Clock = std::chrono::steady_clock;
using qb::Variant;
using qb::jet::Recordset;

int Rows() {
  const char* text = std::getenv("QB_BENCH_ROWS");
  return text ? std::atoi(text) : 1000000;
}

double SecondsSince(Clock::time_point start) { return std::chrono::duration<double>(Clock::now() - start).count(); }

double ThreadCpuSeconds() {
  timespec now{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

struct Fixture {
  std::string path = "/tmp/qb_bench_recordset_" + std::to_string(::getpid()) + ".mdb";
  std::shared_ptr<qb::jet::Database> database;
  const int rows = Rows();

  Fixture() {
    std::remove(path.c_str());
    database = qb::jet::CreateDatabaseAt(path, "1033", 0, qb::jet::EngineSettings());
    database->Execute(
        "CREATE TABLE T (Id COUNTER PRIMARY KEY, Code LONG, Name TEXT(50), Amount DOUBLE, Price CURRENCY, "
        "Day DATETIME, Flag YESNO, Qty SHORT, Ratio SINGLE, Notes MEMO)");
    database->Execute("CREATE UNIQUE INDEX ByCode ON T (Code)");
    database->Execute("CREATE INDEX ByName ON T (Name)");
    Raw("BEGIN");
    // Raw SQL writes Currency in its stored form, ten-thousandths.
    Raw("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < " + std::to_string(rows) +
        ") INSERT INTO T (Code, Name, Amount, Price, Day, Flag, Qty, Ratio, Notes) SELECT (i * 7919) % " +
        std::to_string(rows) + ", 'name ' || i, i * 0.5, i * 2500, 36000 + i % 5000, -(i % 2), i % 30000, "
        "i % 100 * 0.5, 'some notes for row ' || i FROM n");
    Raw("COMMIT");
  }
  ~Fixture() {
    database->Close();
    qb::bench::RemoveDatabaseFiles(path);
  }

  void Raw(const std::string& sql) { database->File()->EngineConnection(true).Exec(sql); }
  sqlite3* Handle() { return database->File()->EngineConnection(false).Handle(); }
};

Fixture& Shared() {
  static Fixture fixture;
  return fixture;
}

// Runs ENGINE and RAW alternately, timing each; reports the engine's time per iteration and the
// ratios engine / raw, of wall and of CPU time.
template <class Engine, class Raw>
void Compare(benchmark::State& state, Engine engine, Raw raw) {
  double engine_total = 0, raw_total = 0, engine_cpu = 0, raw_cpu = 0;
  for (auto _ : state) {
    auto start = Clock::now();
    double cpu = ThreadCpuSeconds();
    engine();
    const double engine_seconds = SecondsSince(start);
    engine_cpu += ThreadCpuSeconds() - cpu;
    start = Clock::now();
    cpu = ThreadCpuSeconds();
    raw();
    raw_total += SecondsSince(start);
    raw_cpu += ThreadCpuSeconds() - cpu;
    engine_total += engine_seconds;
    state.SetIterationTime(engine_seconds);
  }
  state.counters["raw_s"] = raw_total / static_cast<double>(state.iterations());
  state.counters["ratio_to_raw"] = engine_total / raw_total;
  state.counters["cpu_ratio_to_raw"] = engine_cpu / raw_cpu;
}

// Steps SQL to its end, reading every column as its stored kind, as a client of SQLite would.
long long RawScan(sqlite3* db, const std::string& sql, bool read_columns) {
  sqlite3_stmt* stmt = nullptr;
  sqlite3_prepare_v2(db, sql.c_str(), -1, &stmt, nullptr);
  long long sink = 0;
  while (sqlite3_step(stmt) == SQLITE_ROW) {
    if (!read_columns) {
      sink += sqlite3_column_int64(stmt, 0);
      continue;
    }
    const int count = sqlite3_column_count(stmt);
    for (int c = 0; c < count; ++c) {
      switch (sqlite3_column_type(stmt, c)) {
        case SQLITE_INTEGER: sink += sqlite3_column_int64(stmt, c); break;
        case SQLITE_FLOAT: sink += static_cast<long long>(sqlite3_column_double(stmt, c)); break;
        case SQLITE_TEXT: sink += std::string(reinterpret_cast<const char*>(sqlite3_column_text(stmt, c)),
                                              static_cast<std::size_t>(sqlite3_column_bytes(stmt, c))).size(); break;
        default: break;
      }
    }
  }
  sqlite3_finalize(stmt);
  return sink;
}

long long ReadAll(Recordset& rs) {
  auto fields = rs.Fields();
  std::vector<std::shared_ptr<qb::jet::RecordsetField>> items;
  for (int i = 0; i < fields->Count(); ++i) items.push_back(fields->Item(i));
  long long sink = 0;
  while (!rs.Eof()) {
    for (const auto& field : items) sink += static_cast<long long>(field->Value().Type());
    rs.MoveNext();
  }
  return sink;
}

void BM_MoveNextReadingEveryValue(benchmark::State& state, int type) {
  Fixture& f = Shared();
  Compare(
      state, [&] { benchmark::DoNotOptimize(ReadAll(*f.database->OpenRecordset("T", type))); },
      [&] { benchmark::DoNotOptimize(RawScan(f.Handle(), "SELECT * FROM T", true)); });
}

// A table-type recordset in the order of the index on Name, against SQLite reading the table in
// that order through the same index.
void BM_MoveNextInIndexOrder(benchmark::State& state) {
  Fixture& f = Shared();
  Compare(
      state,
      [&] {
        auto rs = f.database->OpenRecordset("T", qb::jet::kOpenTable);
        rs->SetIndex("ByName");
        benchmark::DoNotOptimize(ReadAll(*rs));
      },
      [&] { benchmark::DoNotOptimize(RawScan(f.Handle(), "SELECT * FROM T ORDER BY Name", true)); });
}

void BM_FirstRecordOfDynaset(benchmark::State& state, const char* sql) {
  Fixture& f = Shared();
  Compare(
      state,
      [&] {
        auto rs = f.database->OpenRecordset(sql, qb::jet::kOpenDynaset);
        benchmark::DoNotOptimize(rs->Fields()->Item(2)->Value());
      },
      [&] { benchmark::DoNotOptimize(RawScan(f.Handle(), sql, true)); });
}

// The raw side reads the keys the dynaset holds, in its order: the table's rowids from the
// table itself. (SQLite would answer a bare "SELECT rowid FROM T" from the smallest index that
// holds the rowids, in that index's order; that scan is reported as index_scan_s.)
void BM_MoveLastAndRecordCount(benchmark::State& state) {
  Fixture& f = Shared();
  Compare(
      state,
      [&] {
        auto rs = f.database->OpenRecordset("SELECT * FROM T", qb::jet::kOpenDynaset);
        rs->MoveLast();
        benchmark::DoNotOptimize(rs->RecordCount());
      },
      [&] { benchmark::DoNotOptimize(RawScan(f.Handle(), "SELECT rowid FROM T NOT INDEXED", false)); });
  const auto start = Clock::now();
  benchmark::DoNotOptimize(RawScan(f.Handle(), "SELECT rowid FROM T", false));
  state.counters["index_scan_s"] = SecondsSince(start);
}

constexpr int kLookups = 20000;

void BM_Seek(benchmark::State& state) {
  Fixture& f = Shared();
  auto rs = f.database->OpenRecordset("T", qb::jet::kOpenTable);
  rs->SetIndex("ByCode");
  auto name = rs->Fields()->Item("Name");
  sqlite3_stmt* stmt = nullptr;
  sqlite3_prepare_v2(f.Handle(), "SELECT * FROM T WHERE Code = ?1", -1, &stmt, nullptr);
  Compare(
      state,
      [&] {
        for (int i = 0; i < kLookups; ++i) {
          rs->Seek("=", {Variant((i * 37) % f.rows)});
          benchmark::DoNotOptimize(name->Value());
        }
      },
      [&] {
        for (int i = 0; i < kLookups; ++i) {
          sqlite3_bind_int(stmt, 1, (i * 37) % f.rows);
          if (sqlite3_step(stmt) == SQLITE_ROW) {
            benchmark::DoNotOptimize(std::string(reinterpret_cast<const char*>(sqlite3_column_text(stmt, 2))));
          }
          sqlite3_reset(stmt);
        }
      });
  sqlite3_finalize(stmt);
}

void BM_FindFirst(benchmark::State& state) {
  Fixture& f = Shared();
  const std::string target = std::to_string(f.rows / 2);
  Compare(
      state,
      [&] {
        auto rs = f.database->OpenRecordset("SELECT * FROM T", qb::jet::kOpenDynaset);
        rs->FindFirst("Amount = " + target + " * 0.5");
        benchmark::DoNotOptimize(rs->Fields()->Item(2)->Value());
      },
      [&] {
        benchmark::DoNotOptimize(RawScan(f.Handle(), "SELECT * FROM T WHERE Amount = " + target + " * 0.5 LIMIT 1", true));
      });
}

// Like with a "contains" pattern over the whole text column against SQLite's own LIKE.
void BM_LikeContains(benchmark::State& state) {
  Fixture& f = Shared();
  Compare(
      state,
      [&] {
        auto rs = f.database->OpenRecordset("SELECT Count(*) AS N FROM T WHERE Name Like '*e 12*'",
                                            qb::jet::kOpenSnapshot);
        benchmark::DoNotOptimize(rs->Fields()->Item(0)->Value());
      },
      [&] { benchmark::DoNotOptimize(RawScan(f.Handle(), "SELECT count(*) FROM T WHERE Name LIKE '%e 12%'", false)); });
}

BENCHMARK_CAPTURE(BM_MoveNextReadingEveryValue, table, qb::jet::kOpenTable)
    ->UseManualTime()->Iterations(2)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_MoveNextReadingEveryValue, dynaset, qb::jet::kOpenDynaset)
    ->UseManualTime()->Iterations(2)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MoveNextInIndexOrder)->UseManualTime()->Iterations(2)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_FirstRecordOfDynaset, unordered, "SELECT * FROM T")
    ->UseManualTime()->Iterations(3)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_FirstRecordOfDynaset, by_index, "SELECT * FROM T ORDER BY Name")
    ->UseManualTime()->Iterations(3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MoveLastAndRecordCount)->UseManualTime()->Iterations(3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Seek)->UseManualTime()->Iterations(3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FindFirst)->UseManualTime()->Iterations(3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LikeContains)->UseManualTime()->Iterations(3)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
