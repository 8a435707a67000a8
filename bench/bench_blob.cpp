// bench_blob: a 50 MB long binary value (QB_BENCH_BLOB_MB sets another size) through the blob
// stream: read in 64 KB chunks against one read of the whole value (chunk_ratio, at most 2),
// and stored from a file with StoreFile against the engine setting and updating the same bytes
// directly (store_ratio, at most 2); and a memo of the same size in UTF-8 bytes read in 64 KB
// chunks against one read of the whole text (memo_chunk_ratio). Asserts nothing.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "bench_files.h"
#include "engine/dao_database.h"
#include "engine/dao_engine.h"
#include "fields/dao_blob_stream.h"
#include "fields/dao_field_registration.h"
#include "jet/base/engine_settings.h"
#include "jet/dao/database.h"
#include "jet/dao/dbengine.h"
#include "jet/recordset/recordset.h"
#include "recordset/dao_recordset.h"

namespace {

using Clock = std::chrono::steady_clock;

size_t Bytes() {
  const char* text = std::getenv("QB_BENCH_BLOB_MB");
  return static_cast<size_t>(text ? std::atoi(text) : 50) << 20;
}

double SecondsSince(Clock::time_point start) { return std::chrono::duration<double>(Clock::now() - start).count(); }

struct Fixture {
  std::string stem = "/tmp/qb_bench_blob_" + std::to_string(::getpid());
  std::string path = stem + ".mdb";
  std::string workgroup = stem + ".mdw";
  std::string file = stem + ".avi";
  std::vector<std::uint8_t> bytes = std::vector<std::uint8_t>(Bytes());
  std::unique_ptr<qb::TDAOEngine> engine;
  std::unique_ptr<qb::TDAODataBase> component;

  Fixture() {
    for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<std::uint8_t>(i * 131 % 251);
    if (std::FILE* out = std::fopen(file.c_str(), "wb")) {
      std::fwrite(bytes.data(), 1, bytes.size(), out);
      std::fclose(out);
    }
    qb::jet::CreateDBEngine(qb::jet::EngineSettings())->CreateWorkgroup(workgroup);
    qb::RegisterDAOFieldClasses();
    engine = std::make_unique<qb::TDAOEngine>();
    engine->SetSystemDB(workgroup);
    engine->Open();
    engine->CreateDatabase(path, "1033");
    component = std::make_unique<qb::TDAODataBase>();
    component->SetDatabaseFile(path);
    component->Open();
    component->Execute("CREATE TABLE Media (Id COUNTER PRIMARY KEY, Film LONGBINARY, Script MEMO)");
    component->Execute("INSERT INTO Media (Id) VALUES (1)");
  }
  ~Fixture() {
    component.reset();
    engine.reset();
    qb::bench::RemoveDatabaseFiles(path);
    std::remove(workgroup.c_str());
    std::remove(file.c_str());
  }

  // Gives the record a memo of about the benchmark's size: characters of one to four UTF-8
  // bytes. Answers its size in bytes.
  size_t StoreMemo() {
    const std::string unit = "a\xC3\xBC\xE6\x97\xA5\xF0\x9F\x98\x80 ";
    std::string text;
    text.reserve(bytes.size() + unit.size());
    while (text.size() < bytes.size()) text += unit;
    auto rs = component->DatabaseObject()->OpenRecordset("Media", 1);
    rs->Edit();
    rs->Fields()->Item(2)->SetValue(qb::Variant(text));
    rs->Update();
    return text.size();
  }

  std::unique_ptr<qb::TDAORecordset> Open() {
    auto rs = std::make_unique<qb::TDAORecordset>();
    rs->SetDAODatabase(component.get());
    rs->SetTableName("Media");
    rs->Open();
    return rs;
  }
};

Fixture& Shared() {
  static Fixture fixture;
  return fixture;
}

void BM_StoreFile(benchmark::State& state) {
  Fixture& f = Shared();
  double stream_total = 0, engine_total = 0;
  for (auto _ : state) {
    auto rs = f.Open();
    auto start = Clock::now();
    {
      auto stream = rs->CreateBlobStream(rs->FieldByName("Film"), qb::bmRead);
      dynamic_cast<qb::TDAOBlobStream&>(*stream).StoreFile(f.file);
    }
    rs->Post();
    const double seconds = SecondsSince(start);
    stream_total += seconds;
    start = Clock::now();
    {
      // The engine writing the same bytes: one Edit, one value, one Update.
      auto engine_rs = f.component->DatabaseObject()->OpenRecordset("Media", 1);
      engine_rs->Edit();
      std::vector<std::uint8_t> value(f.bytes.size() + 4);
      value[0] = 3;
      std::copy(f.bytes.begin(), f.bytes.end(), value.begin() + 4);
      engine_rs->Fields()->Item(1)->SetValue(qb::Variant::FromBytes(std::move(value)));
      engine_rs->Update();
    }
    engine_total += SecondsSince(start);
    state.SetIterationTime(seconds);
  }
  state.counters["engine_s"] = engine_total / static_cast<double>(state.iterations());
  state.counters["store_ratio"] = stream_total / engine_total;
}

// Reads FIELD of the open row whole and then in 64 KiB pieces each iteration; the pieces are
// timed, and RATIO_NAME is their time over the whole reads'.
template <typename Recordset>
void ReadWholeThenInChunks(benchmark::State& state, Recordset& rs, const char* field,
                           std::size_t size, const char* ratio_name) {
  std::vector<char> buffer(size + 4);
  double chunked_total = 0, whole_total = 0;
  for (auto _ : state) {
    auto start = Clock::now();
    {
      auto stream = rs.CreateBlobStream(rs.FieldByName(field), qb::bmRead);
      stream->Read(buffer.data(), static_cast<std::int64_t>(buffer.size()));
    }
    whole_total += SecondsSince(start);
    start = Clock::now();
    {
      auto stream = rs.CreateBlobStream(rs.FieldByName(field), qb::bmRead);
      std::int64_t at = 0;
      for (std::int64_t n; (n = stream->Read(buffer.data() + at, 65536)) > 0;) at += n;
      benchmark::DoNotOptimize(at);
    }
    const double seconds = SecondsSince(start);
    chunked_total += seconds;
    state.SetIterationTime(seconds);
  }
  state.counters["whole_s"] = whole_total / static_cast<double>(state.iterations());
  state.counters[ratio_name] = chunked_total / whole_total;
}

void BM_ReadInChunks(benchmark::State& state) {
  Fixture& f = Shared();
  auto rs = f.Open();
  ReadWholeThenInChunks(state, *rs, "Film", f.bytes.size(), "chunk_ratio");
}

void BM_ReadMemoInChunks(benchmark::State& state) {
  Fixture& f = Shared();
  const size_t size = f.StoreMemo();
  auto rs = f.Open();
  ReadWholeThenInChunks(state, *rs, "Script", size, "memo_chunk_ratio");
}

BENCHMARK(BM_StoreFile)->UseManualTime()->Iterations(3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadInChunks)->UseManualTime()->Iterations(5)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadMemoInChunks)->UseManualTime()->Iterations(5)->Unit(benchmark::kMillisecond);

}  // namespace

#include "bench_qt_main.h"
