// A full disk is a full disk, never damage: writes fail with the disk-full error and leave the
// transaction state sound, a file is still read on a full disk, and repair neither judges a
// file it could not read nor touches one whose repaired copy it could not write. Write
// failures come from the full-disk VFS; a really full disk from a small tmpfs in a private
// mount namespace (skipped where the system allows none).
#include <gtest/gtest.h>

#include "../support/full_disk_vfs.h"
#include "database_test_support.h"
#include "jet/maintenance/database_maintenance.h"
#include "jet/base/errors.h"
#include "jet/recordset/recordset.h"
#include "support/isolated_process.h"

namespace qb::jet {
namespace {

using test::ErrorOf;
using test::FullDiskVfs;

constexpr std::size_t kPage = 4096;

int CountRows(Database& database) {
  auto rows = database.OpenRecordset("SELECT Id FROM T");
  int count = 0;
  for (; !rows->Eof(); rows->MoveNext()) ++count;
  return count;
}

class FullDiskTest : public test::DatabaseTestBase {};

TEST_F(FullDiskTest, AWriteOnAFullDiskFailsAsSuchAndTheTransactionCanStillBeEnded) {
  const std::string path = MakeFilled("writes.mdb", 200);
  FullDiskVfs disk;
  {
    auto database = workspace_->OpenDatabase(path);
    // A commit that cannot be written undoes the whole transaction.
    database->BeginTrans();
    database->Execute("INSERT INTO T (Id, Txt) VALUES (10001, 'a')");
    disk.FillAfter(0);
    auto caught = ErrorOf([&] { database->CommitTrans(); });
    EXPECT_EQ(caught.number, err::kDiskFull) << caught.message;
    EXPECT_NE(caught.message.find("disk is full"), std::string::npos) << caught.message;
    caught = ErrorOf([&] { database->Rollback(); });
    EXPECT_EQ(caught.number, 0) << caught.message;
    EXPECT_EQ(database->TransactionDepth(), 0);

    // A statement whose changes no longer fit in memory fails inside the transaction.
    disk.Free();
    database->TEST_ExecuteSql("PRAGMA cache_size = 2");
    database->BeginTrans();
    disk.FillAfter(0);
    caught = ErrorOf([&] {
      database->Execute("INSERT INTO T (Id, Txt) SELECT Id + 1000, Txt & Txt & Txt FROM T");
      database->Execute("INSERT INTO T (Id, Txt) SELECT Id + 2000, Txt & Txt & Txt FROM T");
      database->CommitTrans();
    });
    EXPECT_EQ(caught.number, err::kDiskFull) << caught.message;
    caught = ErrorOf([&] { database->Rollback(); });
    EXPECT_EQ(caught.number, 0) << caught.message;
    EXPECT_EQ(database->TransactionDepth(), 0);

    // A single statement outside a transaction.
    caught = ErrorOf([&] { database->Execute("INSERT INTO T (Id, Txt) VALUES (10002, 'b')"); });
    EXPECT_EQ(caught.number, err::kDiskFull) << caught.message;

    disk.Free();
    database->Execute("INSERT INTO T (Id, Txt) VALUES (10003, 'c')");
    EXPECT_EQ(CountRows(*database), 201);
  }
  EXPECT_GT(disk.Failures(), 0);
}

TEST_F(FullDiskTest, ACommitRolledBackByTheDiskSaysSo) {
  const std::string path = MakeFilled("commit.mdb", 5);
  FullDiskVfs disk;
  auto database = workspace_->OpenDatabase(path);
  database->BeginTrans();
  database->BeginTrans();
  database->Execute("INSERT INTO T (Id, Txt) VALUES (101, 'a')");
  database->CommitTrans();
  disk.FillAfter(0);
  EXPECT_EQ(ErrorOf([&] { database->CommitTrans(); }).number, err::kDiskFull);
  disk.Free();
  // The transaction is gone: a second commit says that nothing of it was saved.
  auto caught = ErrorOf([&] { database->CommitTrans(); });
  EXPECT_EQ(caught.number, err::kNoTransaction) << caught.message;
  EXPECT_EQ(database->TransactionDepth(), 0);
  EXPECT_EQ(CountRows(*database), 5);
}

TEST_F(FullDiskTest, AnOpenThatNeedsRoomForItsIndexSaysTheDiskIsFull) {
  const std::string path = MakeFilled("index.mdb", 5);
  FullDiskVfs disk;
  disk.FillIndexGrowth();
  auto caught = ErrorOf([&] { workspace_->OpenDatabase(path); });
  EXPECT_EQ(caught.number, err::kDiskFull) << caught.message;
  EXPECT_NE(caught.message.find("disk is full"), std::string::npos) << caught.message;
}

TEST_F(FullDiskTest, RepairOnAFullDiskNeverJudgesNorTouchesTheFile) {
  // A sound file that cannot even be read for want of room: no verdict.
  const std::string sound = MakeFilled("sound.mdb", 30);
  const auto sound_before = test::Snapshot(sound);
  {
    FullDiskVfs disk;
    disk.FillIndexGrowth();
    disk.FillAfter(0);
    auto caught = ErrorOf([&] { engine_->RepairDatabase(sound); });
    EXPECT_EQ(caught.number, err::kDiskFull) << caught.message;
  }
  EXPECT_EQ(test::Snapshot(sound), sound_before);

  // A damaged file whose repaired copy cannot be written: said so, and left as it was.
  const std::string damaged = MakeFilled("damaged.mdb", 600);
  std::string bytes = qb::test::ReadFileBytes(damaged);
  const std::size_t page = bytes.size() / kPage / 2;
  std::fill(bytes.begin() + static_cast<std::ptrdiff_t>(page * kPage),
            bytes.begin() + static_cast<std::ptrdiff_t>((page + 1) * kPage), '\0');
  qb::test::WriteFileBytes(damaged, bytes);
  const auto listing = test::Listing(dir_.Path());
  {
    FullDiskVfs disk;
    disk.FillAfter(0);
    auto caught = ErrorOf([&] { engine_->RepairDatabase(damaged); });
    EXPECT_EQ(caught.number, err::kDiskFull) << caught.message;
    EXPECT_NE(caught.message.find("repaired copy"), std::string::npos) << caught.message;
    EXPECT_NE(caught.message.find("left as it was"), std::string::npos) << caught.message;
    EXPECT_NE(caught.message.find("disk is full"), std::string::npos) << caught.message;
  }
  EXPECT_EQ(qb::test::ReadFileBytes(damaged), bytes);
  EXPECT_EQ(test::Listing(dir_.Path()), listing);
  engine_->RepairDatabase(damaged);  // with room again it is repaired
  EXPECT_TRUE(std::filesystem::exists(damaged + ".damaged"));
}

// A really full disk: the database is read, a write says the disk is full, nothing is left
// beside the file, and repair finds the file sound.
TEST_F(FullDiskTest, AFileOnAFullDiskIsStillRead) {
  const std::string disk = dir_.File("disk");
  std::filesystem::create_directory(disk);
  const std::string workgroup = dir_.File("system.mdw");
  const std::string why = qb::test::RunWithSmallDisk(disk, 4 << 20, [&] {
    auto engine = CreateDBEngine(EngineSettings::ForTests());
    engine->SetSystemDB(workgroup);
    auto workspace = engine->CreateWorkspace("w", "Admin", "");
    const std::string path = disk + "/full.mdb";
    {
      auto database = engine->CreateDatabase(path, "1033", 0);
      database->Execute("CREATE TABLE T (Id LONG PRIMARY KEY, Txt TEXT(50))");
      for (int id = 1; id <= 40; ++id) database->Execute("INSERT INTO T (Id, Txt) VALUES (" + std::to_string(id) + ", 'x')");
    }
    qb::test::FillDisk(disk);
    const auto before = test::Listing(disk);
    {
      auto database = workspace->OpenDatabase(path);
      EXPECT_EQ(CountRows(*database), 40);
      EXPECT_FALSE(database->Updatable());
      auto caught = ErrorOf([&] { database->Execute("INSERT INTO T (Id, Txt) VALUES (99, 'y')"); });
      EXPECT_EQ(caught.number, err::kDiskFull) << caught.message;
    }
    EXPECT_EQ(test::Listing(disk), before);
    auto caught = ErrorOf([&] { engine->RepairDatabase(path); });
    EXPECT_EQ(caught.number, 0) << caught.message;
    EXPECT_EQ(test::Listing(disk), before);
  });
  if (!why.empty()) GTEST_SKIP() << "no small disk for the test: " << why;
}

}  // namespace
}  // namespace qb::jet
