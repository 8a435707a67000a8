// bench_recordset_search: searching through the recordset component against the engine's own
// calls on a table of 1,000,000 rows (QB_BENCH_ROWS sets another count), and a master scrolled
// through 1,000 records with a detail that follows it after a delay.
//   locate_table: Locate on an indexed field of a table recordset against the engine's Seek on
//     the same index (target: ratio_to_engine at most 3).
//   locate_query: Locate on a dynaset recordset against the engine's FindFirst with the same
//     criteria (target: ratio_to_engine at most 2).
//   master_scroll: 1,000 master moves with DetailUpdateDelay 50; reexecutions counts how often
//     the detail ran its statement (target: 1), ratio_to_one_reexecution the time of the whole
//     scroll against one re-execution.
// Asserts nothing.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QEventLoop>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "bench_files.h"
#include "engine/dao_database.h"
#include "engine/dao_engine.h"
#include "framework/data/data_source.h"
#include "jet/base/engine_settings.h"
#include "jet/dao/database.h"
#include "jet/dao/dbengine.h"
#include "jet/query/database_file.h"
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

struct Fixture {
  std::string path = "/tmp/qb_bench_search_" + std::to_string(::getpid()) + ".mdb";
  std::string workgroup = "/tmp/qb_bench_search_" + std::to_string(::getpid()) + ".mdw";
  std::unique_ptr<qb::TDAOEngine> engine;
  std::unique_ptr<qb::TDAODataBase> component;
  std::shared_ptr<qb::jet::Database> database;  // the component's engine database
  const int rows = Rows();

  Fixture() {
    std::remove(path.c_str());
    std::remove(workgroup.c_str());
    qb::jet::CreateDBEngine(qb::jet::EngineSettings())->CreateWorkgroup(workgroup);
    engine = std::make_unique<qb::TDAOEngine>();
    engine->SetSystemDB(workgroup);
    engine->Open();
    engine->CreateDatabase(path, "1033");
    component = std::make_unique<qb::TDAODataBase>();
    component->SetDatabaseFile(path);
    component->Open();
    database = component->DatabaseObject();
    database->Execute("CREATE TABLE T (Id COUNTER PRIMARY KEY, Code LONG, Name TEXT(50))");
    database->Execute("CREATE INDEX ByCode ON T (Code)");
    database->Execute("CREATE TABLE Lines (OrderId LONG, LineNo LONG, CONSTRAINT PK PRIMARY KEY (OrderId, LineNo))");
    qb::jet::Connection& connection = database->File()->EngineConnection(true);
    connection.Exec("BEGIN");
    connection.Exec("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < " + std::to_string(rows) +
                    ") INSERT INTO T (Code, Name) SELECT i * 3, 'name ' || i FROM n");
    connection.Exec("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 2000) "
                    "INSERT INTO Lines (OrderId, LineNo) SELECT (i + 1) / 2, i FROM n");
    connection.Exec("COMMIT");
  }
  ~Fixture() {
    database.reset();
    component.reset();
    engine.reset();
    qb::bench::RemoveDatabaseFiles(path);
    std::remove(workgroup.c_str());
  }
};

Fixture& Shared() {
  static Fixture fixture;
  return fixture;
}

// The codes searched: spread over the whole table, every one present.
int CodeAt(int i, int searches, int rows) { return static_cast<int>((static_cast<long long>(i) * rows / searches + 1) * 3); }

void BM_LocateTable(benchmark::State& state) {
  Fixture& f = Shared();
  const int searches = 2000;
  double component_total = 0, engine_total = 0;
  for (auto _ : state) {
    qb::TDAORecordset rs;
    rs.SetDAODatabase(f.component.get());
    rs.SetRecordSetType(qb::rtTable);
    rs.SetTableName("T");
    rs.SetIndex("ByCode");
    rs.Open();
    auto start = Clock::now();
    for (int i = 0; i < searches; ++i) benchmark::DoNotOptimize(rs.Locate("Code", qb::Variant(CodeAt(i, searches, f.rows)), 0));
    const double seconds = SecondsSince(start);
    std::shared_ptr<qb::jet::Recordset> raw = f.database->OpenRecordset("T", 1);
    raw->SetIndex("ByCode");
    start = Clock::now();
    for (int i = 0; i < searches; ++i) {
      raw->Seek("=", {qb::Variant(CodeAt(i, searches, f.rows))});
      benchmark::DoNotOptimize(raw->NoMatch());
    }
    engine_total += SecondsSince(start);
    component_total += seconds;
    state.SetIterationTime(seconds);
  }
  state.counters["engine_s"] = engine_total / static_cast<double>(state.iterations());
  state.counters["ratio_to_engine"] = component_total / engine_total;
}

void BM_LocateQuery(benchmark::State& state) {
  Fixture& f = Shared();
  const int searches = 20;
  double component_total = 0, engine_total = 0;
  for (auto _ : state) {
    qb::TDAORecordset rs;
    rs.SetDAODatabase(f.component.get());
    rs.SetRecordSetType(qb::rtQuery);
    rs.SetSQLText("SELECT * FROM T");
    rs.SetAutoFillUpRecordSet(false);
    rs.Open();
    auto start = Clock::now();
    for (int i = 0; i < searches; ++i) benchmark::DoNotOptimize(rs.Locate("Code", qb::Variant(CodeAt(i, searches, f.rows)), 0));
    const double seconds = SecondsSince(start);
    std::shared_ptr<qb::jet::Recordset> raw = f.database->OpenRecordset("SELECT * FROM T", 2);
    start = Clock::now();
    for (int i = 0; i < searches; ++i) {
      raw->FindFirst("([Code] = " + std::to_string(CodeAt(i, searches, f.rows)) + ")");
      benchmark::DoNotOptimize(raw->NoMatch());
    }
    engine_total += SecondsSince(start);
    component_total += seconds;
    state.SetIterationTime(seconds);
  }
  state.counters["engine_s"] = engine_total / static_cast<double>(state.iterations());
  state.counters["ratio_to_engine"] = component_total / engine_total;
}

class RefillCounter : public qb::TDataLink {
 public:
  int refills = 0;

 protected:
  void DataSetChanged() override { ++refills; }
};

void BM_MasterScroll(benchmark::State& state) {
  Fixture& f = Shared();
  double reexecutions = 0, scroll_total = 0, one_total = 0;
  for (auto _ : state) {
    qb::TDAORecordset master;
    master.SetDAODatabase(f.component.get());
    master.SetRecordSetType(qb::rtQuery);
    master.SetSQLText("SELECT Id AS OrderId FROM T WHERE Id <= 1000 ORDER BY Id");
    qb::TDataSource source;
    source.SetDataSet(&master);
    master.Open();
    qb::TDAORecordset detail;
    detail.SetDAODatabase(f.component.get());
    detail.SetRecordSetType(qb::rtQuery);
    detail.SetSQLText("SELECT * FROM Lines WHERE OrderId = :OrderId");
    detail.SetMasterSource(&source);
    detail.SetDetailUpdateDelay(50);
    qb::TDataSource detail_source;
    detail_source.SetDataSet(&detail);
    RefillCounter counter;
    counter.SetDataSource(&detail_source);
    detail.Open();
    counter.refills = 0;
    auto start = Clock::now();
    for (int i = 1; i < 1000; ++i) master.Next();
    while (detail.DetailUpdatePending()) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    // The delay itself is waiting, not work: it is left out.
    const double seconds = SecondsSince(start) - 0.050;
    reexecutions += counter.refills;
    start = Clock::now();
    detail.ReexecuteQuery();
    one_total += SecondsSince(start);
    scroll_total += seconds;
    state.SetIterationTime(seconds);
    counter.SetDataSource(nullptr);
  }
  state.counters["reexecutions"] = reexecutions / static_cast<double>(state.iterations());
  state.counters["ratio_to_one_reexecution"] = scroll_total / one_total;
}

BENCHMARK(BM_LocateTable)->UseManualTime()->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LocateQuery)->UseManualTime()->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MasterScroll)->UseManualTime()->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace

#include "bench_qt_main.h"
