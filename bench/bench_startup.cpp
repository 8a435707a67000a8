// bench_startup: a quill command that does almost nothing ("quill sql FILE" counting a 10-row
// table) against the SQLite shell doing the same (the sqlcipher shell when installed, else
// sqlite3): what a user pays per process, in wall time and in peak resident memory. Both run as
// processes; the first workgroup use happens before the timing. Reports ratios; asserts nothing.
#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

#include "bench_process.h"
#include "jet/base/engine_settings.h"
#include "jet/dao/database.h"
#include "jet/dao/database_files.h"
#include "jet/maintenance/database_maintenance.h"

namespace {

constexpr int kRuns = 20;

using Run = qb::bench::ProcessRun;
using qb::bench::FindShell;
using qb::bench::RunProcess;



struct Fixture {
  std::string folder = "/tmp/qb_bench_startup_" + std::to_string(::getpid());
  std::string path = folder + "/data.mdb";
  std::string quill = (std::filesystem::read_symlink("/proc/self/exe").parent_path() / "quill").string();
  std::string shell = FindShell();
  Run shell_run;

  Fixture() {
    std::filesystem::create_directories(folder + "/config");
    auto database = qb::jet::CreateDatabaseAt(path, "1033", 0, qb::jet::EngineSettings());
    database->Execute("CREATE TABLE T (Id LONG PRIMARY KEY, Name TEXT(20))");
    for (int i = 1; i <= 10; ++i) database->Execute("INSERT INTO T VALUES (" + std::to_string(i) + ", 'n')");
    database->Close();
    QuillRun();  // makes the per-user workgroup, as a user's first command does
  }
  ~Fixture() { std::filesystem::remove_all(folder); }

  Run QuillRun() const {
    return RunProcess({quill, "sql", path, "SELECT Count(*) FROM T"}, folder + "/quill.txt",
                      {"XDG_CONFIG_HOME=" + folder + "/config"});
  }
  Run ShellRun() const { return RunProcess({shell, path, "SELECT count(*) FROM T"}, folder + "/shell.txt", {}); }
};

Fixture& Shared() {
  static Fixture fixture;
  return fixture;
}

// Times RUNS runs of ONE; returns their mean, with the largest peak resident memory.
template <class One>
bool Measure(benchmark::State& state, One one, Run* mean) {
  double total = 0;
  long rss = 0;
  for (auto _ : state) {
    const Run run = one();
    if (run.seconds < 0) {
      state.SkipWithError("the program failed");
      return false;
    }
    state.SetIterationTime(run.seconds);
    total += run.seconds;
    rss = std::max(rss, run.max_rss_kb);
  }
  mean->seconds = total / static_cast<double>(state.iterations());
  mean->max_rss_kb = rss;
  state.counters["rss_mb"] = static_cast<double>(rss) / 1024.0;
  return true;
}

void BM_ShellCount(benchmark::State& state) {
  if (Shared().shell.empty()) {
    state.SkipWithError("no sqlcipher or sqlite3 shell installed");
    return;
  }
  Measure(state, [] { return Shared().ShellRun(); }, &Shared().shell_run);
}

void BM_QuillCount(benchmark::State& state) {
  Run quill;
  if (!Measure(state, [] { return Shared().QuillRun(); }, &quill)) return;
  const Run& shell = Shared().shell_run;
  if (shell.seconds > 0) state.counters["ratio_to_shell"] = quill.seconds / shell.seconds;
  if (shell.max_rss_kb > 0) {
    state.counters["rss_ratio_to_shell"] = static_cast<double>(quill.max_rss_kb) / static_cast<double>(shell.max_rss_kb);
  }
}

BENCHMARK(BM_ShellCount)->UseManualTime()->Iterations(kRuns)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_QuillCount)->UseManualTime()->Iterations(kRuns)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
