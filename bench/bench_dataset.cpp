// bench_dataset: walking a table of 1,000,000 rows (QB_BENCH_ROWS sets another count) through
// the recordset component, record by record with every field's value read, against the same
// walk through the engine's own table-type recordset. Reports the ratio of wall time
// (ratio_to_engine) and of this thread's CPU time, Last then First on the component as a share
// of the engine's walk (last_first_share_of_walk), and the memory the component's walk added
// (peak_rss_growth_mb: the component must keep no more than the engine's keyset and its
// buffers, however many rows it passes). Asserts nothing.
#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <memory>
#include <string>

#include "bench_files.h"
#include "engine/dao_database.h"
#include "engine/dao_engine.h"
#include "framework/data/field.h"
#include "jet/dao/database.h"
#include "jet/dao/database_files.h"
#include "jet/dao/dbengine.h"
#include "jet/base/engine_settings.h"
#include "jet/recordset/recordset.h"
#include "jet/sqlite/connection.h"
#include "recordset/dao_recordset.h"

namespace {

using Clock = std::chrono::steady_clock;

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

double PeakRssMb() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return static_cast<double>(usage.ru_maxrss) / 1024.0;
}

struct Fixture {
  std::string path = "/tmp/qb_bench_dataset_" + std::to_string(::getpid()) + ".mdb";
  std::string workgroup = "/tmp/qb_bench_dataset_" + std::to_string(::getpid()) + ".mdw";
  std::shared_ptr<qb::jet::Database> database;
  std::unique_ptr<qb::TDAOEngine> engine;
  std::unique_ptr<qb::TDAODataBase> component;
  const int rows = Rows();

  Fixture() {
    std::remove(path.c_str());
    std::remove(workgroup.c_str());
    qb::jet::CreateDBEngine(qb::jet::EngineSettings())->CreateWorkgroup(workgroup);
    database = qb::jet::CreateDatabaseAt(path, "1033", 0, qb::jet::EngineSettings());
    database->Execute(
        "CREATE TABLE T (Id COUNTER PRIMARY KEY, Code LONG, Name TEXT(50), Amount DOUBLE, Price CURRENCY, "
        "Day DATETIME, Flag YESNO, Qty SHORT)");
    database->File()->EngineConnection(true).Exec("BEGIN");
    database->File()->EngineConnection(true).Exec(
        "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < " + std::to_string(rows) +
        ") INSERT INTO T (Code, Name, Amount, Price, Day, Flag, Qty) SELECT i * 3, 'name ' || i, i * 0.5, "
        "i * 2500, 36000 + i % 5000, -(i % 2), i % 30000 FROM n");
    database->File()->EngineConnection(true).Exec("COMMIT");
    engine = std::make_unique<qb::TDAOEngine>();
    engine->SetSystemDB(workgroup);
    engine->Open();
    component = std::make_unique<qb::TDAODataBase>();
    component->SetDatabaseFile(path);
    component->Open();
  }
  ~Fixture() {
    component.reset();
    engine.reset();
    database->Close();
    qb::bench::RemoveDatabaseFiles(path);
    std::remove(workgroup.c_str());
  }
};

Fixture& Shared() {
  static Fixture fixture;
  return fixture;
}

long long WalkEngine(qb::jet::Recordset& rs) {
  auto fields = rs.Fields();
  long long sink = 0;
  while (!rs.Eof()) {
    for (int i = 0; i < fields->Count(); ++i) sink += static_cast<long long>(fields->Item(i)->Value().Type());
    rs.MoveNext();
  }
  return sink;
}

long long WalkComponent(qb::TDAORecordset& rs) {
  long long sink = 0;
  rs.First();
  while (!rs.Eof()) {
    for (qb::TField* field : rs.Fields()) sink += field->IsNull() ? 0 : 1;
    rs.Next();
  }
  return sink;
}

void BM_WalkEveryRecord(benchmark::State& state, qb::TRecordSetTypes type) {
  Fixture& f = Shared();
  double component_total = 0, engine_total = 0, component_cpu = 0, engine_cpu = 0, ends_total = 0;
  const double rss_before = PeakRssMb();
  for (auto _ : state) {
    auto start = Clock::now();
    double cpu = ThreadCpuSeconds();
    double ends = 0;
    {
      qb::TDAORecordset rs;
      rs.SetDAODatabase(f.component.get());
      rs.SetRecordSetType(type);
      if (type == qb::rtTable)
        rs.SetTableName("T");
      else
        rs.SetSQLText("SELECT * FROM T");
      rs.SetAutoFillUpRecordSet(false);
      rs.Open();
      benchmark::DoNotOptimize(WalkComponent(rs));
      // Last and First on the open recordset, as a share of the walk below.
      const auto ends_start = Clock::now();
      rs.Last();
      rs.First();
      ends = SecondsSince(ends_start);
    }
    const double seconds = SecondsSince(start) - ends;
    ends_total += ends;
    component_cpu += ThreadCpuSeconds() - cpu;
    start = Clock::now();
    cpu = ThreadCpuSeconds();
    benchmark::DoNotOptimize(WalkEngine(*f.database->OpenRecordset("T", qb::EngineRecordsetType(type))));
    engine_total += SecondsSince(start);
    engine_cpu += ThreadCpuSeconds() - cpu;
    component_total += seconds;
    state.SetIterationTime(seconds);
  }
  state.counters["engine_s"] = engine_total / static_cast<double>(state.iterations());
  state.counters["ratio_to_engine"] = component_total / engine_total;
  state.counters["cpu_ratio_to_engine"] = component_cpu / engine_cpu;
  state.counters["peak_rss_growth_mb"] = PeakRssMb() - rss_before;
  state.counters["last_first_share_of_walk"] = ends_total / engine_total;
}

BENCHMARK_CAPTURE(BM_WalkEveryRecord, table, qb::rtTable)->UseManualTime()->Iterations(1)->Unit(benchmark::kSecond);
BENCHMARK_CAPTURE(BM_WalkEveryRecord, dynaset, qb::rtQuery)->UseManualTime()->Iterations(1)->Unit(benchmark::kSecond);

}  // namespace

#include "bench_qt_main.h"
