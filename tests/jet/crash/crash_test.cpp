// A writer killed at random points never leaves a damaged file, a lost committed change, half a
// change, or a hold behind it: inside recordset updates and transactions, inside long action
// queries, inside compacting and repairing. The seed is printed with every failure and may be
// fixed with QB_CRASH_SEED; bench/bench_crash runs many more kills.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>

#include "crash_harness.h"
#include "jet/maintenance/database_maintenance.h"
#include "jet/dao/database_files.h"
#include "jet/maintenance/database_open.h"
#include "jet/dao/field.h"
#include "jet/locks/lock_file.h"
#include "jet/recordset/recordset.h"
#include "jet/base/recordset_types.h"
#include "support/test_support.h"

namespace qb::jet::crash {
namespace {

namespace fs = std::filesystem;

std::uint64_t BaseSeed() {
  if (const char* fixed = std::getenv("QB_CRASH_SEED")) return std::strtoull(fixed, nullptr, 10);
  return std::random_device{}();
}

std::string Joined(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) text += "\n  " + line;
  return text;
}

// Kills the writer of WORKLOAD RUNS times, each time in a fresh folder, after up to MAX_REPORTS
// committed changes.
void KillRepeatedly(Workload workload, int runs, int rows, int max_reports = 4) {
  const std::uint64_t base = BaseSeed();
  for (int run = 0; run < runs; ++run) {
    qb::test::TempDir dir;
    RunOptions options;
    options.workload = workload;
    options.seed = base + static_cast<std::uint64_t>(run);
    options.rows = rows;
    options.max_reports = max_reports;
    const RunOutcome outcome = RunOnce(options, dir.Path().string());
    EXPECT_TRUE(outcome.faults.empty()) << WorkloadName(workload) << ", QB_CRASH_SEED=" << options.seed
                                        << Joined(outcome.faults);
    if (workload == Workload::kRecordsetEdits || workload == Workload::kLongExecute) {
      // The writer died with the file open: the log and the lock file it left were recovered
      // and ignored by the checks above, not avoided.
      EXPECT_TRUE(outcome.left_log && outcome.left_lock_file) << "QB_CRASH_SEED=" << options.seed;
    }
    if (workload == Workload::kCompact || workload == Workload::kCompactInPlace) {
      // What the dead compact left went with the next compact.
      EXPECT_TRUE(outcome.leftovers.empty()) << "QB_CRASH_SEED=" << options.seed << Joined(outcome.leftovers);
    }
  }
}

TEST(CrashTest, WriterKilledInsideRecordsetUpdatesAndTransactions) {
  KillRepeatedly(Workload::kRecordsetEdits, 6, 100, 16);
}

TEST(CrashTest, WriterKilledInsideLongActionQueries) { KillRepeatedly(Workload::kLongExecute, 5, 800); }

TEST(CrashTest, WriterKilledWhileCompactingIntoNewFiles) { KillRepeatedly(Workload::kCompact, 3, 300); }

TEST(CrashTest, WriterKilledWhileCompactingInPlace) { KillRepeatedly(Workload::kCompactInPlace, 3, 300); }

TEST(CrashTest, WriterKilledWhileRepairing) { KillRepeatedly(Workload::kRepair, 3, 300); }

// The case the random kills reach only by chance, made certain: a change committed into the log
// (never checkpointed into the file) by a writer that then dies holding the file open.
TEST(CrashTest, TheNextOpenRecoversTheLogAndIgnoresTheDeadWritersLockFile) {
  qb::test::TempDir dir;
  const std::string path = dir.File("data.mdb");
  {
    auto db = CreateDatabaseAt(path, "1033", 0, EngineSettings::ForTests());
    db->Execute("CREATE TABLE T (Id COUNTER CONSTRAINT PK PRIMARY KEY, Txt TEXT(80), N LONG)");
    db->Close();
  }
  const auto size_before = fs::file_size(path);
  int up[2], down[2];
  ASSERT_EQ(::pipe(up), 0);
  ASSERT_EQ(::pipe(down), 0);
  const pid_t writer = ::fork();
  if (writer == 0) {
    ::close(up[0]);
    ::close(down[1]);
    char done = 0;
    try {
      auto db = OpenDatabaseAt(path, ShareMode::kDenyWrite, false, "", EngineSettings::ForTests());
      auto rs = db->OpenRecordset("T", kOpenTable);
      rs->AddNew();
      rs->Fields()->Item("Txt")->SetValue(Variant("committed"));
      rs->Update();
      rs->MoveFirst();
      rs->Edit();  // a pessimistic edit under way: a record lock held at the kill
      rs->Fields()->Item("N")->SetValue(Variant(5));
      done = 1;
      (void)!::write(up[1], &done, 1);
      (void)!::read(down[0], &done, 1);  // until killed
    } catch (const std::exception& e) {
      std::fprintf(stderr, "writer: %s\n", e.what());
    }
    ::_exit(1);
  }
  ::close(up[1]);
  ::close(down[0]);
  char done = 0;
  ASSERT_EQ(::read(up[0], &done, 1), 1);
  ::kill(writer, SIGKILL);
  ::waitpid(writer, nullptr, 0);
  ::close(up[0]);
  ::close(down[1]);

  EXPECT_GT(fs::file_size(path + "-wal"), 0u);
  EXPECT_EQ(fs::file_size(path), size_before) << "the change lives only in the log";
  EXPECT_TRUE(fs::exists(LockFileHold::PathFor(path)));
  {
    // Read-only first: recovery needs no writer.
    auto reader = OpenDatabaseAt(path, ShareMode::kShared, true, "", EngineSettings::ForTests());
    auto rs = reader->OpenRecordset("T", kOpenDynaset);
    ASSERT_FALSE(rs->Eof());
    EXPECT_EQ(rs->Fields()->Item("Txt")->Value(), Variant("committed"));
    EXPECT_TRUE(rs->Fields()->Item("N")->Value().IsNull()) << "the unfinished edit is not there";
    rs->Close();
    reader->Close();
  }
  {
    auto db = OpenDatabaseAt(path, ShareMode::kExclusive, false, "", EngineSettings::ForTests());
    auto rs = db->OpenRecordset("T", kOpenTable);
    rs->Edit();  // the dead writer's record lock is gone
    rs->Fields()->Item("N")->SetValue(Variant(6));
    rs->Update();
    rs->Close();
    db->Close();
  }
  EXPECT_FALSE(fs::exists(path + "-wal"));
  EXPECT_FALSE(fs::exists(path + "-shm"));
  EXPECT_FALSE(fs::exists(LockFileHold::PathFor(path)));
}

}  // namespace
}  // namespace qb::jet::crash
