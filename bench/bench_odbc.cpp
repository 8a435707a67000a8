// bench_odbc: reading a data source's rows through the engine's recordsets (forward-only: the
// rows streamed from the driver's statement; snapshot: the rows copied into the connection's
// scratch file, then walked), every field read,
// against a plain ODBC fetch loop of the same statement on the same connection, over the SQLite
// ODBC driver (no server needed) and over PostgreSQL (a private server the bench starts on a
// Unix socket in a temporary folder and stops). Reports the ratio; asserts nothing.
#include <benchmark/benchmark.h>
#include <sql.h>
#include <sqlext.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "jet/dao/database.h"
#include "jet/dao/dbengine.h"
#include "jet/dao/workspace.h"
#include "jet/odbc/data_source.h"
#include "jet/recordset/recordset.h"
#include "support/private_postgres.h"
#include "bench_process.h"
#include "jet/dao/database_files.h"
#include "jet/query/database_file.h"
#include "jet/sqlite/connection.h"

namespace {

constexpr int kRows = 100000;
using Clock = std::chrono::steady_clock;

double SecondsSince(Clock::time_point start) { return std::chrono::duration<double>(Clock::now() - start).count(); }

struct Fixture {
  std::string path = "/tmp/qb_bench_odbc_" + std::to_string(::getpid()) + ".db";
  std::shared_ptr<qb::jet::DBEngine> engine = qb::jet::CreateDBEngine(qb::jet::EngineSettings());
  std::shared_ptr<qb::jet::Database> database;
  const std::string select = "SELECT id, name, amount, qty FROM t";

  // The SQLite ODBC driver over a file.
  explicit Fixture(const std::string& driver) {
    std::remove(path.c_str());
    auto workspace = engine->CreateWorkspace("bench", "admin", "", qb::jet::kUseOdbc);
    database = workspace->OpenDatabase("", qb::Variant(1), false, "ODBC;DRIVER={" + driver + "};Database=" + path);
    database->Execute("CREATE TABLE t (id INTEGER PRIMARY KEY, name VARCHAR(50), amount DOUBLE, qty INTEGER)");
    database->Execute("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < " +
                      std::to_string(kRows) + ") INSERT INTO t SELECT i, 'name ' || i, i * 0.5, i % 1000 FROM n");
  }
  // A PostgreSQL server through CONNECT; the same rows, made on the server.
  Fixture(const std::string& connect, bool) {
    auto workspace = engine->CreateWorkspace("bench", "admin", "", qb::jet::kUseOdbc);
    database = workspace->OpenDatabase("", qb::Variant(1), false, connect);
    database->Execute("CREATE TABLE t (id INTEGER PRIMARY KEY, name VARCHAR(50), amount DOUBLE PRECISION, qty INTEGER)");
    database->Execute("INSERT INTO t SELECT i, 'name ' || i, i * 0.5, i % 1000 FROM generate_series(1, " +
                      std::to_string(kRows) + ") AS g(i)");
  }
  ~Fixture() {
    database->Close();
    std::remove(path.c_str());
  }

  // The rows fetched with SQLFetch and read with SQLGetData, as a plain client does.
  double Raw() {
    const auto start = Clock::now();
    SQLHSTMT statement = SQL_NULL_HANDLE;
    SQLAllocHandle(SQL_HANDLE_STMT, database->Source()->Handle(), &statement);
    std::string text = select;
    SQLExecDirect(statement, reinterpret_cast<SQLCHAR*>(text.data()), static_cast<SQLINTEGER>(text.size()));
    long long sum = 0;
    while (SQLFetch(statement) == SQL_SUCCESS) {
      SQLINTEGER id = 0, qty = 0;
      double amount = 0;
      SQLWCHAR name[64];
      SQLLEN indicator = 0;
      SQLGetData(statement, 1, SQL_C_SLONG, &id, 0, &indicator);
      SQLGetData(statement, 2, SQL_C_WCHAR, name, sizeof name, &indicator);
      SQLGetData(statement, 3, SQL_C_DOUBLE, &amount, 0, &indicator);
      SQLGetData(statement, 4, SQL_C_SLONG, &qty, 0, &indicator);
      sum += id + qty;
    }
    SQLFreeHandle(SQL_HANDLE_STMT, statement);
    benchmark::DoNotOptimize(sum);
    return SecondsSince(start);
  }

  // The rows through a recordset of TYPE, every field's value read.
  double Engine(int type) {
    const auto start = Clock::now();
    auto rows = database->OpenRecordset(select, type);
    auto fields = rows->Fields();
    long long sum = 0;
    for (; !rows->Eof(); rows->MoveNext()) {
      for (int i = 0; i < 4; ++i) benchmark::DoNotOptimize(fields->Item(i)->Value());
      ++sum;
    }
    benchmark::DoNotOptimize(sum);
    return SecondsSince(start);
  }
};

Fixture* Shared() {
  static std::unique_ptr<Fixture> fixture;
  if (!fixture) {
    const std::string driver = qb::test::OdbcDriverPath("libsqlite3odbc.so");
    if (driver.empty()) return nullptr;
    fixture = std::make_unique<Fixture>(driver);
  }
  return fixture.get();
}

std::string& PgConnect() {
  static std::string text;
  return text;
}

std::string PsqlPath() {
  for (const char* path : {"/usr/bin/psql", "/usr/local/bin/psql"}) {
    if (std::filesystem::exists(path)) return path;
  }
  return "psql";
}

// The private server (started on first use, stopped at exit) and its fixture; null with WHY set.
Fixture* SharedPostgres(std::string* why) {
  static std::unique_ptr<qb::test::PostgresProcess> server;
  static std::unique_ptr<Fixture> fixture;
  static std::string why_not;
  static bool tried = false;
  if (!tried) {
    tried = true;
    const std::string driver = qb::test::OdbcDriverPath("psqlodbcw.so");
    if (driver.empty()) {
      why_not = "the PostgreSQL ODBC driver (psqlodbcw.so) is not installed";
    } else {
      // psql \copy reads the same password from PGPASSWORD.
      server = std::make_unique<qb::test::PostgresProcess>("quill", "bench-pw");
      if (server->Start(&why_not)) {
        PgConnect() = server->Connect(driver);
        fixture = std::make_unique<Fixture>(PgConnect(), true);
      }
    }
  }
  *why = why_not;
  return fixture.get();
}

void Measure(benchmark::State& state, Fixture* f, int type) {
  double engine_total = 0, raw_total = 0;
  for (auto _ : state) {
    const double engine_seconds = f->Engine(type);
    raw_total += f->Raw();
    engine_total += engine_seconds;
    state.SetIterationTime(engine_seconds);
  }
  state.counters["raw_s"] = raw_total / static_cast<double>(state.iterations());
  state.counters["ratio_to_raw"] = engine_total / raw_total;
}

void Compare(benchmark::State& state, int type) {
  Fixture* f = Shared();
  if (!f) {
    state.SkipWithError("the SQLite ODBC driver (libsqlite3odbc.so) is not installed");
    return;
  }
  Measure(state, f, type);
}

void ComparePostgres(benchmark::State& state, int type) {
  std::string why;
  Fixture* f = SharedPostgres(&why);
  if (!f) {
    state.SkipWithError(("PostgreSQL skipped: " + why).c_str());
    return;
  }
  Measure(state, f, type);
}

// 100,000 rows of four columns read forward once.
void BM_ForwardOnlyRead(benchmark::State& state) { Compare(state, qb::jet::kOpenForwardOnly); }
// The same rows as a snapshot (every row held, so it can move back).
void BM_SnapshotRead(benchmark::State& state) { Compare(state, qb::jet::kOpenSnapshot); }

// The same rows from a private PostgreSQL server over its Unix socket.
void BM_PgForwardOnlyRead(benchmark::State& state) { ComparePostgres(state, qb::jet::kOpenForwardOnly); }
void BM_PgSnapshotRead(benchmark::State& state) { ComparePostgres(state, qb::jet::kOpenSnapshot); }

// `quill upsize` of a table of N rows (four typed columns, every third name Null) to the private
// server, against `psql \copy` of the same rows from a text file into a table of the same shape.
void BM_PgUpsize(benchmark::State& state) {
  std::string why;
  Fixture* f = SharedPostgres(&why);
  if (!f) {
    state.SkipWithError(("PostgreSQL skipped: " + why).c_str());
    return;
  }
  const long long rows = state.range(0);
  const std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe").parent_path();
  const std::string folder = "/tmp/qb_bench_upsize_" + std::to_string(::getpid());
  std::filesystem::create_directories(folder);
  const std::string file = folder + "/data.mdb", workgroup = folder + "/system.mdw", text = folder + "/rows.txt";
  qb::jet::CreateDBEngine(qb::jet::EngineSettings())->CreateWorkgroup(workgroup);
  {
    auto database = qb::jet::CreateDatabaseAt(file, "1033", 0, qb::jet::EngineSettings());
    database->Execute("CREATE TABLE U" + std::to_string(rows) +
                      " (Id LONG PRIMARY KEY, Name TEXT(50), Amount DOUBLE, Qty LONG)");
    qb::jet::Connection& sql = database->File()->EngineConnection(true);
    sql.Exec("BEGIN");
    sql.Exec("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < " + std::to_string(rows) +
             ") INSERT INTO U" + std::to_string(rows) +
             " SELECT i, CASE WHEN i % 3 = 0 THEN NULL ELSE 'name ' || i END, i * 0.5, i % 1000 FROM n");
    sql.Exec("COMMIT");
    database->Close();
  }
  {
    std::ofstream out(text);
    for (long long i = 1; i <= rows; ++i) {
      out << i << '\t' << (i % 3 == 0 ? std::string("\\N") : "name " + std::to_string(i)) << '\t' << i * 0.5 << '\t'
          << i % 1000 << '\n';
    }
  }
  const std::string connect = PgConnect();
  const std::string socket = connect.substr(connect.find("Servername=") + 11);
  const std::string host = socket.substr(0, socket.find(';'));
  const std::string target = "copy_" + std::to_string(rows);
  f->database->Execute("CREATE TABLE " + target +
                       " (id INTEGER PRIMARY KEY, name VARCHAR(50), amount DOUBLE PRECISION, qty INTEGER)");
  double quill_seconds = -1, copy_seconds = -1;
  for (auto _ : state) {
    const auto copy = qb::bench::RunProcess(
        {PsqlPath(), "-h", host, "-U", "quill", "-d", "postgres", "-q", "-c",
         "\\copy " + target + " FROM '" + text + "'"},
        folder + "/psql.out", {"PGPASSWORD=bench-pw"});
    copy_seconds = copy.seconds;
    const auto upsize = qb::bench::RunProcess({(exe / "quill").string(), "--workgroup", workgroup, "upsize", file, connect},
                                              folder + "/quill.out", {});
    quill_seconds = upsize.seconds;
    state.SetIterationTime(quill_seconds > 0 ? quill_seconds : 0);
  }
  std::error_code ec;
  std::filesystem::remove_all(folder, ec);
  if (quill_seconds < 0 || copy_seconds < 0) {
    state.SkipWithError("quill upsize or psql \\copy failed");
    return;
  }
  state.counters["copy_s"] = copy_seconds;
  state.counters["ratio_to_copy"] = quill_seconds / copy_seconds;
}

BENCHMARK(BM_ForwardOnlyRead)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_SnapshotRead)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_PgForwardOnlyRead)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_PgSnapshotRead)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_PgUpsize)->Arg(100000)->Arg(1000000)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace

BENCHMARK_MAIN();
