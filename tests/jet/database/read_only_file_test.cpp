// Files that cannot be written: on a read-only file system or without write permission a
// database and its workgroup open for reading, a write says why it is refused, and nothing is
// left beside the files; a database in a folder shared by several users stays usable by each
// of them. Other users come from forked children (as root), read-only file systems from a bind
// mount in a private mount namespace; each test says why it skips where the system has neither.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "database_test_support.h"
#include "jet/base/errors.h"
#include "jet/recordset/recordset.h"
#include "jet/dao/user.h"
#include "jet/dao/users.h"
#include "support/isolated_process.h"

namespace qb::jet {
namespace {

using test::ErrorOf;
using test::Listing;

constexpr unsigned kReader = 65534;  // a user who may only read the files
constexpr unsigned kOwner = 65533;   // the user who owns them

int CountRows(Database& database) {
  auto rows = database.OpenRecordset("SELECT Id FROM T");
  int count = 0;
  for (; !rows->Eof(); rows->MoveNext()) ++count;
  return count;
}

class ReadOnlyFileTest : public test::DatabaseTestBase {
 protected:
  // A folder FOLDER below the test folder holding a database of ROWS rows and a workgroup.
  std::string MakeFolder(const std::string& folder, int rows) {
    const std::string path = dir_.File(folder);
    std::filesystem::create_directory(path);
    engine_->CreateWorkgroup(path + "/team.mdw");
    auto database = engine_->CreateDatabase(path + "/data.mdb", "1033", 0);
    database->Execute("CREATE TABLE T (Id LONG PRIMARY KEY, Txt TEXT(50))");
    for (int id = 1; id <= rows; ++id) database->Execute("INSERT INTO T (Id, Txt) VALUES (" + std::to_string(id) + ", 'x')");
    return path;
  }

  // In a child: logs in with FOLDER's workgroup, opens its database asking to write, reads it,
  // and expects a write to fail with NUMBER and a message holding SAYS.
  static void ExpectReadOnlyUse(const std::string& folder, int rows, int number, const std::string& says) {
    auto engine = CreateDBEngine(EngineSettings::ForTests());
    engine->SetSystemDB(folder + "/team.mdw");
    auto workspace = engine->CreateWorkspace("w", "Admin", "");
    auto database = workspace->OpenDatabase(folder + "/data.mdb");
    EXPECT_FALSE(database->Updatable());
    EXPECT_EQ(CountRows(*database), rows);
    auto caught = ErrorOf([&] { database->Execute("INSERT INTO T (Id, Txt) VALUES (1000, 'y')"); });
    EXPECT_EQ(caught.number, number) << caught.message;
    EXPECT_NE(caught.message.find(says), std::string::npos) << caught.message;
    caught = ErrorOf([&] { workspace->Users()->Append(workspace->CreateUser("Pat", "pid-of-pat-1", "secret")); });
    EXPECT_EQ(caught.number, err::kReadOnly) << "the workgroup file cannot be written either: " << caught.message;
  }
};

// Leaves a copy of FOLDER's database as "crashed.mdb" whose writer died with changes in its log,
// and whose index is gone too.
void LeaveACrashedWriter(const std::string& folder) {
  const std::string path = folder + "/crashed.mdb";
  std::filesystem::copy_file(folder + "/data.mdb", path);
  const pid_t writer = ::fork();
  if (writer == 0) {
    try {
      Connection connection(path, OpenMode::kReadWrite, CipherKey::None(), EngineSettings::ForTests());
      connection.Exec("PRAGMA wal_autocheckpoint = 0; CREATE TABLE Late (a)");
      ::_exit(0);  // never closes: the log keeps the change
    } catch (...) {
      ::_exit(1);
    }
  }
  int status = 0;
  ::waitpid(writer, &status, 0);
  std::filesystem::remove(path + "-shm");
  ASSERT_GT(std::filesystem::file_size(path + "-wal"), 0u);
}

TEST_F(ReadOnlyFileTest, ADatabaseOnAReadOnlyFileSystemIsReadAndLeavesNothingBehind) {
  const std::string folder = MakeFolder("mounted", 12);
  LeaveACrashedWriter(folder);
  const auto before = Listing(folder);
  const std::string why = qb::test::RunWithReadOnlyFolder(folder, [&] {
    ExpectReadOnlyUse(folder, 12, err::kReadOnly, "read-only file system");
    // Changes a dead writer left in the log cannot be merged here: said so, never misread.
    auto caught = ErrorOf([&] {
      auto engine = CreateDBEngine(EngineSettings::ForTests());
      engine->SetSystemDB(folder + "/team.mdw");
      engine->CreateWorkspace("w", "Admin", "")->OpenDatabase(folder + "/crashed.mdb");
    });
    EXPECT_EQ(caught.number, err::kCannotOpenFile) << caught.message;
    EXPECT_NE(caught.message.find("merged"), std::string::npos) << caught.message;
    EXPECT_EQ(Listing(folder), before);
  });
  if (!why.empty()) GTEST_SKIP() << "no read-only file system for the test: " << why;
  EXPECT_EQ(Listing(folder), before);
}

TEST_F(ReadOnlyFileTest, AnotherUsersFileIsReadWithoutLockingItsOwnerOut) {
  const std::string folder = MakeFolder("shared", 7);
  const auto before = Listing(folder);
  if (::geteuid() != 0) {
    // Without root there is no other user: the test user's own file, made read-only, serves.
    for (const auto& entry : std::filesystem::directory_iterator(folder)) ::chmod(entry.path().c_str(), 0444);
    ExpectReadOnlyUse(folder, 7, err::kReadOnly, "no permission");
    EXPECT_EQ(Listing(folder), before);
    return;
  }
  // The owner's files in a folder everyone may write: the reader may create files there, and
  // must not, or the owner meets files that are not theirs to write.
  ASSERT_EQ(::chmod(dir_.Path().c_str(), 0755), 0);
  ASSERT_EQ(::chmod(folder.c_str(), 0777), 0);
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    ASSERT_EQ(::chown(entry.path().c_str(), kOwner, kOwner), 0);
    ASSERT_EQ(::chmod(entry.path().c_str(), 0644), 0);
  }
  qb::test::RunAsUser(kReader, [&] {
    ExpectReadOnlyUse(folder, 7, err::kReadOnly, "no permission");
    EXPECT_EQ(Listing(folder), before);
  });
  EXPECT_EQ(Listing(folder), before);
  qb::test::RunAsUser(kOwner, [&] {
    auto engine = CreateDBEngine(EngineSettings::ForTests());
    engine->SetSystemDB(folder + "/team.mdw");
    auto database = engine->CreateWorkspace("w", "Admin", "")->OpenDatabase(folder + "/data.mdb");
    database->Execute("INSERT INTO T (Id, Txt) VALUES (100, 'mine')");
    EXPECT_EQ(CountRows(*database), 8);
  });
  EXPECT_EQ(Listing(folder), before);
}

// A user who may only read the file while its owner has it open for writing: the reader sees
// what the owner committed, through the owner's log and index, and writes nothing.
TEST_F(ReadOnlyFileTest, AReaderSeesWhatTheWriterCommitted) {
  const std::string folder = MakeFolder("live", 6);
  const auto before = Listing(folder);
  if (::geteuid() != 0) GTEST_SKIP() << "no other user for the test: switching users needs root";
  ASSERT_EQ(::chmod(dir_.Path().c_str(), 0755), 0);
  ASSERT_EQ(::chmod(folder.c_str(), 0777), 0);
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    ASSERT_EQ(::chown(entry.path().c_str(), kOwner, kOwner), 0);
    ASSERT_EQ(::chmod(entry.path().c_str(), 0644), 0);
  }
  std::shared_ptr<Database> writer;
  qb::test::RunAsUser(
      kOwner,
      [&] {
        auto engine = CreateDBEngine(EngineSettings::ForTests());
        engine->SetSystemDB(folder + "/team.mdw");
        writer = engine->CreateWorkspace("w", "Admin", "")->OpenDatabase(folder + "/data.mdb");
        writer->Execute("INSERT INTO T (Id, Txt) VALUES (100, 'committed')");
      },
      [&] { qb::test::RunAsUser(kReader, [&] { ExpectReadOnlyUse(folder, 7, err::kReadOnly, "no permission"); }); },
      [&] {
        writer->Execute("INSERT INTO T (Id, Txt) VALUES (101, 'after')");
        writer.reset();
      });
  EXPECT_EQ(Listing(folder), before);
}

// What a reader of another user left beside the database with earlier versions: an empty log
// and its index, theirs to write only. The owner writes the database all the same.
TEST_F(ReadOnlyFileTest, AnotherUsersLeftoversDoNotLockTheOwnerOut) {
  const std::string folder = MakeFolder("left", 4);
  const auto before = Listing(folder);
  if (::geteuid() != 0) GTEST_SKIP() << "no other user for the test: switching users needs root";
  ASSERT_EQ(::chmod(dir_.Path().c_str(), 0755), 0);
  ASSERT_EQ(::chmod(folder.c_str(), 0777), 0);
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    ASSERT_EQ(::chown(entry.path().c_str(), kOwner, kOwner), 0);
  }
  const std::string path = folder + "/data.mdb";
  qb::test::WriteFileBytes(path + "-wal", "");
  qb::test::WriteFileBytes(path + "-shm", std::string(32768, '\0'));
  for (const char* suffix : {"-wal", "-shm"}) {
    ASSERT_EQ(::chown((path + suffix).c_str(), kReader, kReader), 0);
    ASSERT_EQ(::chmod((path + suffix).c_str(), 0644), 0);
  }
  qb::test::RunAsUser(kOwner, [&] {
    auto engine = CreateDBEngine(EngineSettings::ForTests());
    engine->SetSystemDB(folder + "/team.mdw");
    auto database = engine->CreateWorkspace("w", "Admin", "")->OpenDatabase(path);
    EXPECT_TRUE(database->Updatable());
    auto caught = ErrorOf([&] { database->Execute("INSERT INTO T (Id, Txt) VALUES (100, 'mine')"); });
    EXPECT_EQ(caught.number, 0) << caught.message;
  });
  EXPECT_EQ(Listing(folder), before);
}

// Two users writing one database in a shared folder at the same time: the files beside it that
// the first one makes (lock file, log and index) are the second one's to use as well.
TEST_F(ReadOnlyFileTest, UsersOfASharedFolderWriteOneDatabaseTogether) {
  const std::string folder = MakeFolder("team", 3);
  const auto before = Listing(folder);
  ASSERT_EQ(::chmod(dir_.Path().c_str(), 0755), 0);
  ASSERT_EQ(::chmod(folder.c_str(), 0777), 0);
  for (const auto& entry : std::filesystem::directory_iterator(folder)) ::chmod(entry.path().c_str(), 0666);
  std::shared_ptr<Database> held;
  const std::string why = qb::test::RunAsUser(
      kReader,
      [&] {
        auto engine = CreateDBEngine(EngineSettings::ForTests());
        engine->SetSystemDB(folder + "/team.mdw");
        held = engine->CreateWorkspace("w", "Admin", "")->OpenDatabase(folder + "/data.mdb");
        held->Execute("INSERT INTO T (Id, Txt) VALUES (100, 'first')");
      },
      [&] {
        qb::test::RunAsUser(kOwner, [&] {
          auto engine = CreateDBEngine(EngineSettings::ForTests());
          engine->SetSystemDB(folder + "/team.mdw");
          auto database = engine->CreateWorkspace("w", "Admin", "")->OpenDatabase(folder + "/data.mdb");
          EXPECT_TRUE(database->Updatable());
          auto caught = ErrorOf([&] { database->Execute("INSERT INTO T (Id, Txt) VALUES (200, 'second')"); });
          EXPECT_EQ(caught.number, 0) << caught.message;
          EXPECT_EQ(CountRows(*database), 5);
        });
      },
      [&] {
        EXPECT_EQ(CountRows(*held), 5);
        held.reset();
      });
  if (!why.empty()) GTEST_SKIP() << "no second user for the test: " << why;
  EXPECT_EQ(Listing(folder), before);
}

}  // namespace
}  // namespace qb::jet
