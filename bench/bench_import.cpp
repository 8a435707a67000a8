// bench_import: importing the largest table of the genuine sample files (found by importing each
// file once before timing) through the engine's import, reader process included, against the
// reader library's own export tool printing the same table in the same run. Reports rows per
// second and the ratio to the tool's time; asserts nothing. Skips the comparison when the tool
// is not installed.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "bench_process.h"
#include "jet/base/engine_settings.h"
#include "jet/import/import_database.h"

namespace {

constexpr const char* kExportTool = "/usr/bin/mdb-export";

struct Fixture {
  std::string folder = "/tmp/qb_bench_import_" + std::to_string(::getpid());
  std::string source;  // the file holding the largest table
  std::string table;
  std::int64_t rows = 0;
  double tool_seconds = -1;
  int runs = 0;

  Fixture() {
    std::filesystem::create_directories(folder);
    for (const char* name : {"nwind.mdb", "DateTestDatabase.mdb", "ASampleDatabase.accdb"}) {
      const std::string path = std::string(QB_TESTDATA_DIR) + "/jet/" + name;
      const std::string destination = folder + "/survey.mdb";
      std::filesystem::remove(destination);
      const qb::jet::ImportSummary summary =
          qb::jet::ImportGenuineDatabase(path, destination, 0, {}, qb::jet::EngineSettings());
      for (const auto& imported : summary.tables) {
        if (imported.rows > rows) source = path, table = imported.name, rows = imported.rows;
      }
    }
  }
  ~Fixture() { std::filesystem::remove_all(folder); }

  // Seconds for one import of the table into a new file, or a negative number on failure.
  double ImportSeconds() {
    const std::string destination = folder + "/run" + std::to_string(++runs) + ".mdb";
    const auto start = std::chrono::steady_clock::now();
    try {
      qb::jet::ImportGenuineDatabase(source, destination, 0, {table}, qb::jet::EngineSettings());
    } catch (...) {
      return -1;
    }
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::filesystem::remove(destination);
    return seconds;
  }
  double ToolSeconds() { return qb::bench::RunProcess({kExportTool, source, table}, folder + "/tool.csv", {}).seconds; }
};

Fixture& Shared() {
  static Fixture fixture;
  return fixture;
}

void BM_ExportToolOfTheTable(benchmark::State& state) {
  if (::access(kExportTool, X_OK) != 0) {
    state.SkipWithError("the reader's export tool is not installed");
    return;
  }
  double total = 0;
  for (auto _ : state) {
    const double seconds = Shared().ToolSeconds();
    if (seconds < 0) {
      state.SkipWithError("the export tool failed");
      return;
    }
    state.SetIterationTime(seconds);
    total += seconds;
  }
  Shared().tool_seconds = total / static_cast<double>(state.iterations());
  state.counters["rows"] = static_cast<double>(Shared().rows);
}

void BM_ImportTheTable(benchmark::State& state) {
  if (Shared().rows == 0) {
    state.SkipWithError("no sample table could be imported");
    return;
  }
  double total = 0;
  for (auto _ : state) {
    const double seconds = Shared().ImportSeconds();
    if (seconds < 0) {
      state.SkipWithError("the import failed");
      return;
    }
    state.SetIterationTime(seconds);
    total += seconds;
  }
  const double per_iteration = total / static_cast<double>(state.iterations());
  state.SetLabel(Shared().table);
  state.counters["rows"] = static_cast<double>(Shared().rows);
  state.counters["rows_per_second"] = static_cast<double>(Shared().rows) / per_iteration;
  if (Shared().tool_seconds > 0) state.counters["ratio_to_tool"] = per_iteration / Shared().tool_seconds;
}

BENCHMARK(BM_ExportToolOfTheTable)->UseManualTime()->Iterations(5)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ImportTheTable)->UseManualTime()->Iterations(5)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
