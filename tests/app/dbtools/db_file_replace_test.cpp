// Tests of how a rebuilt copy takes a database's place: the temporary names it avoids, and a
// process killed at any point between building the copy and the replacing rename leaves the
// original whole and openable.
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>

#include "app/dbtools/db_file_replace.h"
#include "app/dbtools/dbtools_test_support.h"

namespace qb::test {
namespace {

namespace fs = std::filesystem;

class DBFileReplaceTest : public DBToolsTest {};

TEST_F(DBFileReplaceTest, TemporaryNameSkipsTakenNamesAndTheirLogs) {
  const std::string database = dir_.File("db.mdb");
  EXPECT_EQ(MakeTempDBName(database), dir_.File("TempDB_1.mdb"));
  WriteFileBytes(dir_.File("TempDB_1.mdb"), "x");
  fs::create_directory(dir_.File("TempDB_2.mdb"));
  WriteFileBytes(dir_.File("TempDB_3.mdb-wal"), "a log a new file would pick up");
  WriteFileBytes(dir_.File("TempDB_4.mdb-journal"), "j");
  fs::create_symlink(dir_.File("nowhere"), dir_.File("TempDB_5.mdb"));
  EXPECT_EQ(MakeTempDBName(database), dir_.File("TempDB_6.mdb"));
  EXPECT_EQ(MakeTempDBName("relative.mdb"), "TempDB_1.mdb") << "no folder: the current one";
}

// A child process compacts the database and is killed at STEP of the replacement; the parent
// then finds the original as it was.
TEST_F(DBFileReplaceTest, AProcessKilledBeforeTheRenameLeavesTheOriginalIntact) {
  for (TReplaceStep step : {TReplaceStep::kBuilt, TReplaceStep::kBeforeRename}) {
    SCOPED_TRACE(step == TReplaceStep::kBuilt ? "built" : "before rename");
    const std::string path = MakeDatabase(step == TReplaceStep::kBuilt ? "a.mdb" : "b.mdb", "1033", 6);
    const std::string bytes = ReadFileBytes(path);
    const std::string copy = MakeTempDBName(path);

    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      auto engine = jet::CreateDBEngine(jet::EngineSettings::ForTests());
      engine->CompactDatabase(path, copy, {}, 2);  // encrypted: every byte differs
      TEST_SetReplaceHook([step](TReplaceStep reached) {
        if (reached == step) ::kill(::getpid(), SIGKILL);
      });
      ReplaceWithCompactedCopy(path, copy, "", engine->Settings());
      ::_exit(3);  // not reached
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL) << "status " << status;

    EXPECT_EQ(ReadFileBytes(path), bytes);
    EXPECT_EQ(SortedNames(path).size(), kSampleNames.size());
    EXPECT_TRUE(fs::exists(copy)) << "the dead process's copy stays until someone removes it";
    EXPECT_NE(MakeTempDBName(path), copy);
  }
}

TEST_F(DBFileReplaceTest, TheCopyMustOpenWithThePasswordItWasBuiltWith) {
  const std::string path = MakeDatabase("c.mdb");
  const std::string bytes = ReadFileBytes(path);
  const std::string copy = dir_.File("TempDB_1.mdb");
  checker_->CompactDatabase(path, copy, ";pwd=one");
  EXPECT_THROW(ReplaceWithCompactedCopy(path, copy, ";pwd=two", checker_->Settings()), Exception);
  EXPECT_EQ(ReadFileBytes(path), bytes);
  EXPECT_FALSE(fs::exists(copy));

  checker_->CompactDatabase(path, copy, ";pwd=one");
  ReplaceWithCompactedCopy(path, copy, ";pwd=one", checker_->Settings());
  EXPECT_FALSE(fs::exists(copy));
  EXPECT_EQ(OpenError(path, ";pwd=one"), 0);
  EXPECT_EQ(OpenError(path), jet::err::kBadPassword);
}

TEST_F(DBFileReplaceTest, TheCopyKeepsTheOriginalsPermissions) {
  const std::string path = MakeDatabase("e.mdb");
  fs::permissions(path, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
  const std::string copy = dir_.File("TempDB_1.mdb");
  checker_->CompactDatabase(path, copy);
  ReplaceWithCompactedCopy(path, copy, "", checker_->Settings());
  EXPECT_EQ(fs::status(path).permissions(), fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
}

TEST_F(DBFileReplaceTest, AMissingOrEmptyCopyNeverReplacesTheOriginal) {
  const std::string path = MakeDatabase("d.mdb");
  const std::string bytes = ReadFileBytes(path);
  for (const char* content : {static_cast<const char*>(nullptr), ""}) {
    const std::string copy = dir_.File("TempDB_1.mdb");
    if (content != nullptr) WriteFileBytes(copy, content);
    EXPECT_THROW(ReplaceWithCompactedCopy(path, copy, "", checker_->Settings()), Exception);
    EXPECT_EQ(ReadFileBytes(path), bytes);
    EXPECT_FALSE(fs::exists(copy));
  }
}

}  // namespace
}  // namespace qb::test
