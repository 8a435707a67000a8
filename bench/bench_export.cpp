// bench_export: "quill export" of a 1,000,000-row table of ten columns of mixed types, against
// the SQLite shell printing the same columns of the same file with -separator (a peer figure:
// the sqlcipher shell when installed, else sqlite3). Both run as processes writing a file, so
// the figures include what a user waits for. Reports the ratio; asserts nothing. Skips the
// comparison when no shell is installed.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "bench_process.h"
#include "jet/dao/database.h"
#include "jet/dao/database_files.h"
#include "jet/maintenance/database_maintenance.h"
#include "jet/base/engine_settings.h"
#include "jet/sqlite/connection.h"

namespace {

constexpr int kRows = 1000000;
constexpr const char* kColumns = "Id, Name, Notes, Qty, Total, Amount, Ratio, Big, Placed, Paid";

// Runs ARGS with standard output into OUT_PATH and ENV added; returns the seconds it took, or
// a negative number when it could not start or failed.
double RunSeconds(const std::vector<std::string>& args, const std::string& out_path,
                  const std::vector<std::string>& env = {}) {
  return qb::bench::RunProcess(args, out_path, env).seconds;
}

using qb::bench::FindShell;

struct Fixture {
  std::string folder = "/tmp/qb_bench_export_" + std::to_string(::getpid());
  std::string path = folder + "/data.mdb";
  std::string quill = (std::filesystem::read_symlink("/proc/self/exe").parent_path() / "quill").string();
  std::string shell = FindShell();
  double shell_seconds = -1;

  Fixture() {
    std::filesystem::create_directories(folder + "/config");
    auto database = qb::jet::CreateDatabaseAt(path, "1033", 0, qb::jet::EngineSettings());
    database->Execute(
        "CREATE TABLE T (Id COUNTER PRIMARY KEY, Name TEXT(50), Notes MEMO, Qty SHORT, Total LONG, Amount CURRENCY, "
        "Ratio SINGLE, Big DOUBLE, Placed DATETIME, Paid BIT)");
    qb::jet::Connection& sql = database->File()->EngineConnection(true);
    sql.Exec("BEGIN");
    // Raw SQL writes Currency in its stored form, ten-thousandths.
    sql.Exec("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < " + std::to_string(kRows) +
             ") INSERT INTO T (Name, Notes, Qty, Total, Amount, Ratio, Big, Placed, Paid) SELECT 'name ' || i, "
             "CASE WHEN i % 3 = 0 THEN NULL ELSE 'a longer note about record ' || i END, i % 30000, i * 7, "
             "i * 3700, i % 1000 * 0.25, i / 7.0, 36526 + i % 9000 + (i % 86400) / 86400.0, "
             "-(i % 2) FROM n");
    sql.Exec("COMMIT");
    database->Close();
  }
  ~Fixture() { std::filesystem::remove_all(folder); }

  std::vector<std::string> QuillEnv() const {
    return {"XDG_CONFIG_HOME=" + folder + "/config", "QUILL_TEST_FAST_HASH=1"};
  }
  double ShellSeconds() {
    return RunSeconds({shell, "-header", "-separator", "\t", path, std::string("SELECT ") + kColumns + " FROM T"},
                      folder + "/shell.txt");
  }
  double QuillSeconds() {
    return RunSeconds({quill, "export", path, "T", "--out", folder + "/quill.txt"}, folder + "/quill.log", QuillEnv());
  }
};

Fixture& Shared() {
  static Fixture fixture;
  return fixture;
}

void BM_ShellSeparatorOutput(benchmark::State& state) {
  if (Shared().shell.empty()) {
    state.SkipWithError("no sqlcipher or sqlite3 shell installed");
    return;
  }
  double total = 0;
  for (auto _ : state) {
    const double seconds = Shared().ShellSeconds();
    if (seconds < 0) {
      state.SkipWithError("the shell failed");
      return;
    }
    state.SetIterationTime(seconds);
    total += seconds;
  }
  Shared().shell_seconds = total / static_cast<double>(state.iterations());
  state.counters["rows"] = kRows;
}

void BM_QuillExport(benchmark::State& state) {
  double total = 0;
  for (auto _ : state) {
    const double seconds = Shared().QuillSeconds();
    if (seconds < 0) {
      state.SkipWithError("quill export failed (see quill.log)");
      return;
    }
    state.SetIterationTime(seconds);
    total += seconds;
  }
  const double per_iteration = total / static_cast<double>(state.iterations());
  state.counters["rows"] = kRows;
  if (Shared().shell_seconds > 0) state.counters["ratio_to_shell"] = per_iteration / Shared().shell_seconds;
}

BENCHMARK(BM_ShellSeparatorOutput)->UseManualTime()->Iterations(3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_QuillExport)->UseManualTime()->Iterations(3)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
