// bench_import: importing the largest table of the genuine sample files (found by importing each
// file once before timing) through the engine's import, reader process included, against the
// reader library's own export tool printing the same table in the same run. Reports rows per
// second and the ratio to the tool's time; asserts nothing. Skips the comparison when the tool
// is not installed. BM_RowCopyOfTheTable times the writing of the rows alone: the table's frames
// as the reader sent them, imported with and without their rows (no genuine file read either
// time); the difference is the row copy. Those recorded frames are sent by a forked copy of this
// process, whose cost the genuine import (a reader program of its own) does not pay: its fixed
// costs are larger than the import's.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "bench_process.h"
#include "jet/base/engine_settings.h"
#include "jet/import/genuine_reader.h"
#include "jet/import/import_database.h"
#include "jet/import/import_stream.h"

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
  // The frames the reader sends for the table, and the same without its rows.
  std::string frames, frames_without_rows;
  void RecordFrames() {
    if (!frames.empty()) return;
    const std::string path = folder + "/frames.bin";
    std::FILE* out = std::fopen(path.c_str(), "wb");
    if (!out) return;
    qb::jet::import::ReadGenuineFile(source, {table}, ::fileno(out));
    std::fclose(out);
    std::ifstream in(path, std::ios::binary);
    frames.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    for (std::size_t at = 0; at + 5 <= frames.size();) {
      std::uint32_t size = 0;
      for (int i = 4; i >= 1; --i) size = (size << 8) | static_cast<unsigned char>(frames[at + static_cast<std::size_t>(i)]);
      const auto kind = static_cast<qb::jet::import::FrameKind>(frames[at]);
      if (kind == qb::jet::import::FrameKind::kTableEnd) {
        qb::jet::import::FrameWriter none;
        none.U32(0);
        frames_without_rows += none.Frame(kind);
      } else if (kind != qb::jet::import::FrameKind::kRow) {
        frames_without_rows.append(frames, at, 5 + size);
      }
      at += 5 + size;
    }
  }
  // Seconds for one import of STREAM into a new file, or a negative number on failure.
  double StreamSeconds(const std::string& stream) {
    const std::string destination = folder + "/frames" + std::to_string(++runs) + ".mdb";
    const auto start = std::chrono::steady_clock::now();
    try {
      qb::jet::ImportFromReader(
          source, [&](int fd) { return qb::jet::import::WriteAll(fd, stream) ? 0 : 1; }, destination, 0,
          qb::jet::EngineSettings(), 30);
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

void BM_RowCopyOfTheTable(benchmark::State& state) {
  Shared().RecordFrames();
  if (Shared().rows == 0 || Shared().frames.empty()) {
    state.SkipWithError("no sample table could be read");
    return;
  }
  double rows_total = 0, empty_total = 0;
  for (auto _ : state) {
    const double with_rows = Shared().StreamSeconds(Shared().frames);
    const double without_rows = Shared().StreamSeconds(Shared().frames_without_rows);
    if (with_rows < 0 || without_rows < 0) {
      state.SkipWithError("the import of the recorded frames failed");
      return;
    }
    state.SetIterationTime(with_rows);
    rows_total += with_rows;
    empty_total += without_rows;
  }
  const double iterations = static_cast<double>(state.iterations());
  const double copy = std::max(1e-6, (rows_total - empty_total) / iterations);
  state.SetLabel(Shared().table);
  state.counters["fixed_ms"] = 1000 * empty_total / iterations;
  state.counters["row_copy_ms"] = 1000 * copy;
  state.counters["row_copy_rows_per_second"] = static_cast<double>(Shared().rows) / copy;
}

BENCHMARK(BM_ExportToolOfTheTable)->UseManualTime()->Iterations(5)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ImportTheTable)->UseManualTime()->Iterations(5)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RowCopyOfTheTable)->UseManualTime()->Iterations(5)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
