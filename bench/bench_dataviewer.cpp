// bench_dataviewer: the data viewer on a 1,000,000-row, ten-column table (QB_BENCH_ROWS sets
// another count), offscreen, against a plain SQLite walk of the same table in the same run:
// opening the viewer and painting its first screen, jumping to the last record and painting it
// (each as a share of the walk), scrolling page by page through 10,000 rows (rows per second),
// the process's peak resident memory, and the viewer's export worker against `quill export` of
// the same table (by the clock and by CPU time). Reports the figures; asserts nothing. The
// notes column is a text column: the dataset reads memo values through blob streams, which the
// recordset does not open yet.
#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <unistd.h>

#include <QApplication>
#include <QKeyEvent>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <sqlcipher/sqlite3.h>
#include <string>
#include <vector>

#include "app/dataviewer/data_export.h"
#include "app/dataviewer/data_viewer_form.h"
#include "bench_files.h"
#include "bench_process.h"
#include "engine/dao_database.h"
#include "engine/dao_engine.h"
#include "framework/controls/db_grid.h"
#include "jet/base/engine_settings.h"
#include "jet/dao/database.h"
#include "jet/dao/database_files.h"
#include "jet/query/database_file.h"
#include "jet/dao/dbengine.h"
#include "jet/maintenance/database_maintenance.h"
#include "jet/sqlite/connection.h"
#include "recordset/dao_recordset.h"

namespace {

using Clock = std::chrono::steady_clock;

int Rows() {
  const char* text = std::getenv("QB_BENCH_ROWS");
  return text ? std::atoi(text) : 1000000;
}

double SecondsSince(Clock::time_point start) { return std::chrono::duration<double>(Clock::now() - start).count(); }

double PeakRssMb() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return static_cast<double>(usage.ru_maxrss) / 1024.0;
}

// The CPU time this process used so far (on a loaded machine a steadier measure than the clock).
double ProcessCpuSeconds() {
  timespec now{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
}

struct Fixture {
  std::string folder = "/tmp/qb_bench_dataviewer_" + std::to_string(::getpid());
  std::string path = folder + "/data.mdb";
  std::string workgroup = folder + "/system.mdw";
  std::shared_ptr<qb::jet::Database> database;
  std::unique_ptr<qb::TDAOEngine> engine;
  std::unique_ptr<qb::TDAODataBase> component;
  double walk_seconds = 0;

  Fixture() {
    std::filesystem::create_directories(folder + "/config");
    qb::jet::CreateDBEngine(qb::jet::EngineSettings())->CreateWorkgroup(workgroup);
    database = qb::jet::CreateDatabaseAt(path, "1033", 0, qb::jet::EngineSettings());
    database->Execute(
        "CREATE TABLE T (Id COUNTER PRIMARY KEY, Name TEXT(50), Notes TEXT(60), Qty SHORT, Total LONG, "
        "Amount CURRENCY, Ratio SINGLE, Big DOUBLE, Placed DATETIME, Paid BIT)");
    qb::jet::Connection& sql = database->File()->EngineConnection(true);
    sql.Exec("BEGIN");
    sql.Exec("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < " + std::to_string(Rows()) +
             ") INSERT INTO T (Name, Notes, Qty, Total, Amount, Ratio, Big, Placed, Paid) SELECT 'name ' || i, "
             "CASE WHEN i % 3 = 0 THEN NULL ELSE 'a longer note about record ' || i END, i % 30000, i * 7, "
             "i * 3700, i % 1000 * 0.25, i / 7.0, 36526 + i % 9000 + (i % 86400) / 86400.0, -(i % 2) FROM n");
    sql.Exec("COMMIT");
    walk_seconds = Walk();
    database->Close();
    database.reset();
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
    std::filesystem::remove_all(folder);
  }

  // A plain SQLite walk of every row and column of the table.
  double Walk() {
    sqlite3* db = database->File()->EngineConnection(false).Handle();
    const auto start = Clock::now();
    sqlite3_stmt* statement = nullptr;
    sqlite3_prepare_v2(db, "SELECT * FROM T", -1, &statement, nullptr);
    long long sink = 0;
    while (sqlite3_step(statement) == SQLITE_ROW) {
      for (int i = 0; i < sqlite3_column_count(statement); ++i) {
        sink += sqlite3_column_bytes(statement, i) + sqlite3_column_type(statement, i);
      }
    }
    sqlite3_finalize(statement);
    benchmark::DoNotOptimize(sink);
    return SecondsSince(start);
  }
};

Fixture& Shared() {
  static Fixture fixture;
  return fixture;
}

void Key(QWidget* widget, int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
  QKeyEvent press(QEvent::KeyPress, key, modifiers);
  QApplication::sendEvent(widget, &press);
}

void BM_Viewer(benchmark::State& state) {
  Fixture& f = Shared();
  for (auto _ : state) {
    auto start = Clock::now();
    qb::ShowDataViewerWindow(f.component.get(), "T");
    qb::TFormDataViewer* viewer = qb::DataViewerInstance();
    viewer->repaint();
    const double open = SecondsSince(start);

    qb::TDBGrid* grid = viewer->Grid();
    start = Clock::now();
    Key(grid, Qt::Key_End, Qt::ControlModifier);
    viewer->repaint();
    const double end = SecondsSince(start);

    Key(grid, Qt::Key_Home, Qt::ControlModifier);
    start = Clock::now();
    int rows = 0;
    while (rows < 10000) {
      Key(grid, Qt::Key_PageDown);
      grid->viewport()->repaint();
      rows += grid->VisibleRows();
    }
    const double scroll = SecondsSince(start);
    state.SetIterationTime(open);
    state.counters["walk_s"] = f.walk_seconds;
    state.counters["open_share_of_walk"] = open / f.walk_seconds;
    state.counters["end_share_of_walk"] = end / f.walk_seconds;
    state.counters["scroll_rows_per_s"] = rows / scroll;
    state.counters["peak_rss_mb"] = PeakRssMb();
    viewer->close();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  }
}

void BM_Export(benchmark::State& state) {
  Fixture& f = Shared();
  const std::string quill =
      (std::filesystem::read_symlink("/proc/self/exe").parent_path() / "quill").string();
  for (auto _ : state) {
    qb::TDAORecordset recordset;
    recordset.SetDAODatabase(f.component.get());
    recordset.SetTableName("T");
    recordset.Open();
    auto start = Clock::now();
    const double cpu_start = ProcessCpuSeconds();
    qb::TDataExport exporter(nullptr, "Exporting");
    exporter.Export(recordset, f.folder + "/viewer.txt", nullptr);
    const double seconds = SecondsSince(start);
    const double cpu_seconds = ProcessCpuSeconds() - cpu_start;
    recordset.Close();
    state.SetIterationTime(seconds);
    const qb::bench::ProcessRun quill_run =
        qb::bench::RunProcess({quill, "--workgroup", f.workgroup, "export", f.path, "T", "--out", f.folder + "/quill.txt"},
                              "", {"XDG_CONFIG_HOME=" + f.folder + "/config"});
    const double quill_seconds = quill_run.seconds;
    state.counters["records"] = exporter.Exported();
    state.counters["failed"] = exporter.Failed();
    state.counters["quill_s"] = quill_seconds;
    state.counters["ratio_to_quill"] = quill_seconds > 0 ? seconds / quill_seconds : -1;
    state.counters["cpu_s"] = cpu_seconds;
    state.counters["quill_cpu_s"] = quill_run.cpu_seconds;
    state.counters["cpu_ratio_to_quill"] =
        quill_seconds > 0 && quill_run.cpu_seconds > 0 ? cpu_seconds / quill_run.cpu_seconds : -1;
  }
}

BENCHMARK(BM_Viewer)->UseManualTime()->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Export)->UseManualTime()->Iterations(1)->Unit(benchmark::kSecond);

}  // namespace

#include "bench_qt_main.h"
