// bench_memory: what recordsets hold in memory while walking a large table, as growth of this
// process's resident memory and, steadier, of the bytes malloc has handed out (resident memory
// does not grow while freed memory is reused). SQLite's page cache is set to a known size and
// filled by a raw scan first, so the growth measured is the recordset's own. Tables: T of
// 1,000,000 rows (QB_BENCH_ROWS sets another count), S of a tenth of that, and G as many as T
// with every other rowid missing (rowids no stretch can hold); all of 10 mixed columns.
// Counters (rss_ resident memory, heap_ malloc's bytes in use):
//   dynaset_*_per_row       a dynaset over T walked to its end (kept open), per row of T
//   gaps_*_per_row          the same over G
//   movelast_*_per_row      a dynaset over T after MoveLast (its keys only), per row
//   table_small_*, table_large_*
//                           a table-type recordset walked to the end of S and of T: equal when
//                           its memory does not grow with the table
//   index_small_*, index_large_*
//                           the same in the order of an index on Name, then Seek and bookmark
//                           lookups spread over the table (as many for S as for T)
// Asserts nothing.
#include <benchmark/benchmark.h>
#include <malloc.h>
#include <sqlcipher/sqlite3.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
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

using qb::jet::Recordset;

constexpr int kPageCacheKib = 8192;

int Rows() {
  const char* text = std::getenv("QB_BENCH_ROWS");
  return text ? std::atoi(text) : 1000000;
}

// Resident memory now, in bytes.
double ResidentBytes() {
  std::ifstream statm("/proc/self/statm");
  long long size = 0, resident = 0;
  statm >> size >> resident;
  return static_cast<double>(resident) * static_cast<double>(::sysconf(_SC_PAGESIZE));
}

struct Fixture {
  std::string path = "/tmp/qb_bench_memory_" + std::to_string(::getpid()) + ".mdb";
  std::shared_ptr<qb::jet::Database> database;
  const int rows = Rows();

  Fixture() {
    std::remove(path.c_str());
    database = qb::jet::CreateDatabaseAt(path, "1033", 0, qb::jet::EngineSettings());
    for (const auto& [name, count] : {std::pair<const char*, int>{"T", rows}, {"S", rows / 10}, {"G", rows}}) {
      database->Execute(std::string("CREATE TABLE ") + name +
                        " (Id COUNTER PRIMARY KEY, Code LONG, Name TEXT(50), Amount DOUBLE, Price CURRENCY, "
                        "Day DATETIME, Flag YESNO, Qty SHORT, Ratio SINGLE, Notes MEMO)");
      database->Execute(std::string("CREATE INDEX ByName ON ") + name + " (Name)");
      Raw("BEGIN");
      // Raw SQL writes Currency in its stored form, ten-thousandths.
      Raw("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < " + std::to_string(count) +
          ") INSERT INTO " + name + " (Id, Code, Name, Amount, Price, Day, Flag, Qty, Ratio, Notes) SELECT " +
          (std::string(name) == "G" ? "i * 2" : "i") + ", i * 3, "
          "'name ' || i, i * 0.5, i * 2500, 36000 + i % 5000, -(i % 2), i % 30000, i % 100 * 0.5, "
          "'some notes for row ' || i FROM n");
      Raw("COMMIT");
    }
    Raw("PRAGMA cache_size = -" + std::to_string(kPageCacheKib));
  }
  ~Fixture() {
    database->Close();
    qb::bench::RemoveDatabaseFiles(path);
  }

  void Raw(const std::string& sql) { database->File()->EngineConnection(true).Exec(sql); }

  // Reads every page of both tables so the page cache holds all it will hold.
  void FillPageCache() {
    sqlite3* db = database->File()->EngineConnection(false).Handle();
    for (const char* sql : {"SELECT * FROM S", "SELECT Name FROM S ORDER BY Name", "SELECT * FROM T",
                            "SELECT Name FROM T ORDER BY Name", "SELECT * FROM G"}) {
      sqlite3_stmt* stmt = nullptr;
      sqlite3_prepare_v2(db, sql, -1, &stmt, nullptr);
      while (sqlite3_step(stmt) == SQLITE_ROW) {
      }
      sqlite3_finalize(stmt);
    }
  }
};

Fixture& Shared() {
  static Fixture fixture;
  return fixture;
}

void WalkToEnd(Recordset& rs) {
  auto name = rs.Fields()->Item("Name");
  while (!rs.Eof()) {
    benchmark::DoNotOptimize(name->Value());
    rs.MoveNext();
  }
}

constexpr int kLookups = 2000;

// Walks in Name order to the end, then Seeks names spread over the table and goes back to each
// record found by its bookmark.
void WalkInIndexOrder(Recordset& rs) {
  rs.SetIndex("ByName");
  rs.MoveFirst();
  WalkToEnd(rs);
  const std::int64_t rows = rs.RecordCount();
  auto name = rs.Fields()->Item("Name");
  std::vector<qb::Variant> marks;
  marks.reserve(kLookups);
  for (int i = 0; i < kLookups; ++i) {
    rs.Seek("=", {qb::Variant("name " + std::to_string(1 + (i * 7919LL) % rows))});
    marks.push_back(rs.Bookmark());
  }
  for (const qb::Variant& mark : marks) {
    rs.SetBookmark(mark);
    benchmark::DoNotOptimize(name->Value());
  }
}

double HeapBytes() { return static_cast<double>(mallinfo2().uordblks); }

struct Growth {
  double rss = 0, heap = 0;
};

// Growth while SOURCE's recordset is opened and WORKed, the recordset still open when measured.
template <class Work>
Growth Measure(const char* source, int type, Work work) {
  Fixture& f = Shared();
  f.FillPageCache();
  const double rss = ResidentBytes(), heap = HeapBytes();
  auto rs = f.database->OpenRecordset(source, type);
  work(*rs);
  const Growth growth{ResidentBytes() - rss, HeapBytes() - heap};
  rs->Close();
  return growth;
}

void Report(benchmark::State& state, const std::string& name, const Growth& growth, double rows) {
  state.counters["rss_" + name] = growth.rss / rows;
  state.counters["heap_" + name] = growth.heap / rows;
}

// Table-type first, while the heap has the least freed memory to reuse.
void BM_TableTypeAgainstTableSize(benchmark::State& state) {
  Growth small, large;
  for (auto _ : state) {
    small = Measure("S", qb::jet::kOpenTable, WalkToEnd);
    large = Measure("T", qb::jet::kOpenTable, WalkToEnd);
  }
  Report(state, "table_small_bytes", small, 1);
  Report(state, "table_large_bytes", large, 1);
}

void BM_TableInIndexOrderAgainstTableSize(benchmark::State& state) {
  Growth small, large;
  for (auto _ : state) {
    small = Measure("S", qb::jet::kOpenTable, WalkInIndexOrder);
    large = Measure("T", qb::jet::kOpenTable, WalkInIndexOrder);
  }
  Report(state, "index_small_bytes", small, 1);
  Report(state, "index_large_bytes", large, 1);
}

void BM_DynasetWalkedToItsEnd(benchmark::State& state) {
  const double rows = Shared().rows;
  for (auto _ : state) {
    Report(state, "dynaset_bytes_per_row", Measure("T", qb::jet::kOpenDynaset, WalkToEnd), rows);
    Report(state, "gaps_bytes_per_row", Measure("G", qb::jet::kOpenDynaset, WalkToEnd), rows);
  }
}

void BM_DynasetAfterMoveLast(benchmark::State& state) {
  const double rows = Shared().rows;
  for (auto _ : state) {
    Report(state, "movelast_bytes_per_row", Measure("SELECT * FROM T", qb::jet::kOpenDynaset, [](Recordset& rs) {
             rs.MoveLast();
             benchmark::DoNotOptimize(rs.RecordCount());
           }), rows);
  }
}

BENCHMARK(BM_TableTypeAgainstTableSize)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TableInIndexOrderAgainstTableSize)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DynasetWalkedToItsEnd)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DynasetAfterMoveLast)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
