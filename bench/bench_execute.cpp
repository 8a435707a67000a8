// bench_execute: action statements through Database::Execute against the same statements run raw
// on the same libsqlcipher.a and the same tables (their checks and triggers included), so each
// ratio is what translation, caching and the engine's bookkeeping add. Reports ratios; asserts
// nothing.
#include <benchmark/benchmark.h>
#include <sqlcipher/sqlite3.h>
#include <unistd.h>

#include <chrono>
#include <ctime>
#include <cstdio>
#include <memory>
#include <string>

#include "jet/dao/database.h"
#include "jet/dao/database_files.h"
#include "jet/maintenance/database_maintenance.h"
#include "jet/base/engine_settings.h"
#include "jet/sqlite/connection.h"
#include "bench_files.h"

namespace {

constexpr int kRows = 100000;
using Clock = std::chrono::steady_clock;

double SecondsSince(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

struct Fixture {
  std::string path = "/tmp/qb_bench_execute_" + std::to_string(::getpid()) + ".mdb";
  std::shared_ptr<qb::jet::Database> database;

  Fixture() {
    std::remove(path.c_str());
    database = qb::jet::CreateDatabaseAt(path, "1033", 0, qb::jet::EngineSettings());
    database->Execute("CREATE TABLE T (Id COUNTER PRIMARY KEY, Name TEXT(50), Amount DOUBLE, Qty LONG)");
    database->Execute("CREATE TABLE T2 (Id COUNTER PRIMARY KEY, Name TEXT(50), Amount DOUBLE, Qty LONG)");
    Raw("BEGIN");
    Raw("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < " + std::to_string(kRows) +
        ") INSERT INTO T (Name, Amount, Qty) SELECT 'name ' || i, i * 0.5, i % 1000 FROM n");
    Raw("COMMIT");
  }
  ~Fixture() {
    database->Close();
    qb::bench::RemoveDatabaseFiles(path);
  }

  void Raw(const std::string& sql) { database->File()->EngineConnection(true).Exec(sql); }

  // Prepares, steps and finalizes SQL as a client of SQLite would.
  void RawStatement(const std::string& sql) {
    sqlite3* db = database->File()->EngineConnection(true).Handle();
    sqlite3_stmt* stmt = nullptr;
    if (sqlite3_prepare_v2(db, sql.c_str(), static_cast<int>(sql.size()), &stmt, nullptr) != SQLITE_OK ||
        sqlite3_step(stmt) != SQLITE_DONE) {
      std::fprintf(stderr, "raw statement failed: %s\n", sqlite3_errmsg(db));
    }
    sqlite3_finalize(stmt);
  }
};

Fixture& Shared() {
  static Fixture fixture;
  return fixture;
}

// This thread's CPU seconds so far: on a loaded shared machine wall time mostly measures the
// scheduler, CPU time what the work costs.
double CpuSeconds() {
  timespec now{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

struct Seconds {
  double wall = 0;
  double cpu = 0;
};

// Seconds of one timed run of WORK between SETUP and TEARDOWN (both untimed).
template <class Setup, class Work, class Teardown>
Seconds Timed(Setup setup, Work work, Teardown teardown) {
  setup();
  const auto start = Clock::now();
  const double cpu_start = CpuSeconds();
  work();
  const Seconds seconds{SecondsSince(start), CpuSeconds() - cpu_start};
  teardown();
  return seconds;
}

// Runs ENGINE and RAW alternately, timing each; reports the engine's time per iteration and
// the ratios engine / raw of wall time and of CPU time.
template <class Engine, class Raw>
void Compare(benchmark::State& state, Engine engine, Raw raw) {
  Seconds engine_total, raw_total;
  for (auto _ : state) {
    const Seconds engine_seconds = engine();
    const Seconds raw_seconds = raw();
    engine_total.wall += engine_seconds.wall;
    engine_total.cpu += engine_seconds.cpu;
    raw_total.wall += raw_seconds.wall;
    raw_total.cpu += raw_seconds.cpu;
    state.SetIterationTime(engine_seconds.wall);
  }
  state.counters["raw_s"] = raw_total.wall / static_cast<double>(state.iterations());
  state.counters["ratio_to_raw"] = engine_total.wall / raw_total.wall;
  state.counters["cpu_ratio_to_raw"] = engine_total.cpu / raw_total.cpu;
}

std::string InsertText(int i) {
  return "INSERT INTO T2 (Name, Amount, Qty) VALUES ('name " + std::to_string(i) + "', " + std::to_string(i) +
         ".5, " + std::to_string(i % 1000) + ")";
}

// 100,000 single-row INSERTs of one text in one transaction (the translation and the compiled
// statement are reused).
void BM_RepeatedInsert(benchmark::State& state) {
  Fixture& f = Shared();
  const std::string text = "INSERT INTO T2 (Name, Amount, Qty) VALUES ('same name', 2.5, 7)";
  auto clear = [&] { f.Raw("DELETE FROM T2"); };
  auto begin = [&] { f.Raw("BEGIN"); };
  auto commit = [&] {
    f.Raw("COMMIT");
    clear();
  };
  Compare(
      state,
      [&] { return Timed(begin, [&] { for (int i = 0; i < kRows; ++i) f.database->Execute(text); }, commit); },
      [&] { return Timed(begin, [&] { for (int i = 0; i < kRows; ++i) f.RawStatement(text); }, commit); });
}

// 100,000 single-row INSERTs, each with its own values written into the text (every one a new
// translation).
void BM_DistinctInsert(benchmark::State& state) {
  Fixture& f = Shared();
  auto begin = [&] { f.Raw("BEGIN"); };
  auto commit = [&] {
    f.Raw("COMMIT");
    f.Raw("DELETE FROM T2");
  };
  Compare(
      state,
      [&] { return Timed(begin, [&] { for (int i = 0; i < kRows; ++i) f.database->Execute(InsertText(i)); }, commit); },
      [&] { return Timed(begin, [&] { for (int i = 0; i < kRows; ++i) f.RawStatement(InsertText(i)); }, commit); });
}

void BM_InsertSelect(benchmark::State& state) {
  Fixture& f = Shared();
  auto none = [] {};
  auto clear = [&] { f.Raw("DELETE FROM T2"); };
  Compare(
      state,
      [&] {
        return Timed(none, [&] { f.database->Execute("INSERT INTO T2 (Name, Amount, Qty) SELECT Name, Amount, Qty FROM T"); },
                     clear);
      },
      [&] {
        return Timed(none, [&] { f.RawStatement("INSERT INTO T2 (Name, Amount, Qty) SELECT Name, Amount, Qty FROM T"); },
                     clear);
      });
}

// INSERT INTO ... SELECT computing each row with the engine's operators and functions against
// the same statement with SQLite's own operators.
void BM_InsertSelectWithOperators(benchmark::State& state) {
  Fixture& f = Shared();
  auto none = [] {};
  auto clear = [&] { f.Raw("DELETE FROM T2"); };
  Compare(
      state,
      [&] {
        return Timed(none, [&] {
          f.database->Execute("INSERT INTO T2 (Name, Amount, Qty) SELECT Name & Chr(65), CCur(Amount) * 2, "
                              "(Qty Mod 7) + (Qty \\ 3) FROM T");
        }, clear);
      },
      [&] {
        return Timed(none, [&] {
          f.RawStatement("INSERT INTO T2 (Name, Amount, Qty) SELECT Name || char(65), round(Amount, 4) * 2, "
                         "(Qty % 7) + (Qty / 3) FROM T");
        }, clear);
      });
}

void BM_Update(benchmark::State& state) {
  Fixture& f = Shared();
  auto none = [] {};
  Compare(
      state,
      [&] { return Timed(none, [&] { f.database->Execute("UPDATE T SET Qty = Qty + 1, Amount = Amount * 2"); }, none); },
      [&] { return Timed(none, [&] { f.RawStatement("UPDATE T SET Qty = Qty + 1, Amount = Amount * 2"); }, none); });
}

void BM_Delete(benchmark::State& state) {
  Fixture& f = Shared();
  auto fill = [&] { f.Raw("INSERT INTO T2 (Name, Amount, Qty) SELECT Name, Amount, Qty FROM T"); };
  auto none = [] {};
  Compare(
      state,
      [&] { return Timed(fill, [&] { f.database->Execute("DELETE FROM T2 WHERE Qty >= 0"); }, none); },
      [&] { return Timed(fill, [&] { f.RawStatement("DELETE FROM T2 WHERE Qty >= 0"); }, none); });
}

BENCHMARK(BM_RepeatedInsert)->UseManualTime()->Iterations(3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DistinctInsert)->UseManualTime()->Iterations(2)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_InsertSelect)->UseManualTime()->Iterations(3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_InsertSelectWithOperators)->UseManualTime()->Iterations(3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Update)->UseManualTime()->Iterations(3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Delete)->UseManualTime()->Iterations(3)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
