// Side files of new files (creating, compacting into a new file): a builder that dies leaves
// its side file behind, and the next builder of the same file (or an exclusive holder that
// cleans up) removes it with its companions; a live builder's file is never touched, and names
// that only look alike are left alone.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>

#include "database_test_support.h"
#include "jet/maintenance/database_maintenance.h"
#include "jet/base/errors.h"
#include "jet/storage/side_file.h"

namespace qb::jet {
namespace {

using test::ErrorOf;
using test::IdsFromOneTo;
using test::IntactRowIds;

namespace fs = std::filesystem;

class SideFileTest : public test::DatabaseTestBase {
 protected:
  void Plant(const std::string& name) { qb::test::WriteFileBytes(dir_.File(name), "partial"); }
  bool Present(const std::string& name) { return fs::exists(dir_.File(name)); }
  // The side files of NAME now in the folder.
  std::set<std::string> SidesOf(const std::string& name) {
    std::set<std::string> found;
    for (const std::string& entry : test::Listing(dir_.Path())) {
      if (entry.rfind(name + ".new-", 0) == 0) found.insert(entry);
    }
    return found;
  }
  // A side file of PATH made by a child process that then dies without letting it go.
  static std::string SideOfADeadBuilder(const std::string& path) {
    int up[2];
    if (::pipe(up) != 0) return {};
    const pid_t child = ::fork();
    if (child == 0) {
      ::close(up[0]);
      auto* claim = new SideFile(path);  // never destroyed: the process dies holding it
      (void)!::write(up[1], claim->Path().data(), claim->Path().size());
      ::_exit(0);
    }
    ::close(up[1]);
    std::string side;
    char buffer[256];
    for (ssize_t got; (got = ::read(up[0], buffer, sizeof buffer)) > 0;) {
      side.append(buffer, static_cast<std::size_t>(got));
    }
    ::close(up[0]);
    ::waitpid(child, nullptr, 0);
    return side;
  }
};

TEST_F(SideFileTest, OnlySideFilesNobodyHoldsAreRemoved) {
  const std::string target = dir_.File("new.mdb");
  const std::string dead = SideOfADeadBuilder(target);
  ASSERT_TRUE(fs::exists(dead));
  qb::test::WriteFileBytes(dead + "-wal", "log");
  Plant("new.mdb.new-00112233445566ff");        // from before side files were held: nobody holds it
  Plant("new.mdb.new-00112233445566ff-shm");
  Plant("new.mdb.new-a0a1a2a3a4a5a6a7-journal");  // its side file already gone
  const std::vector<std::string> bystanders = {"new.mdb.new-notes", "new.mdb.new-00112233445566ff.bak",
                                               "new.mdb.newer", "old.mdb.new-00112233445566ff",
                                               "new.mdb.new-00112233445566ff-walrus"};
  for (const std::string& name : bystanders) Plant(name);
  {
    const SideFile live(target);  // a builder under way, here held through another descriptor
    RemoveAbandonedSideFiles(target);
    EXPECT_TRUE(fs::exists(live.Path()));
    EXPECT_EQ(SidesOf("new.mdb"), (std::set<std::string>{fs::path(live.Path()).filename().string(),
                                                         "new.mdb.new-00112233445566ff.bak",
                                                         "new.mdb.new-00112233445566ff-walrus", "new.mdb.new-notes"}));
    ::unlink(live.Path().c_str());
  }
  for (const std::string& name : bystanders) EXPECT_TRUE(Present(name)) << name;
}

TEST_F(SideFileTest, ASecondNameOfTheFinishedFileLosesOnlyThatName) {
  const std::string path = MakeFilled("done.mdb", 4);
  // A builder killed between linking its side file into place and removing it.
  ASSERT_EQ(::link(path.c_str(), dir_.File("done.mdb.new-0123456789abcdef").c_str()), 0);
  auto open = workspace_->OpenDatabase(path);  // a connection of this process to the same file
  RemoveAbandonedSideFiles(path);
  EXPECT_EQ(SidesOf("done.mdb"), std::set<std::string>{});
  open->TEST_ExecuteSql("INSERT INTO T (Id, Txt) VALUES (5, '" + test::RowText(5) + "')");  // still sound
  open->Close();
  EXPECT_EQ(IntactRowIds(path), IdsFromOneTo(5));
}

TEST_F(SideFileTest, TheNextCompactIntoTheSameFileAndTheNextExclusiveCleanupRemoveThem) {
  const std::string source = MakeFilled("source.mdb", 5);
  const std::string copy = dir_.File("copy.mdb");
  SideOfADeadBuilder(copy);
  SideOfADeadBuilder(copy);
  ASSERT_EQ(SidesOf("copy.mdb").size(), 2u);
  engine_->CompactDatabase(source, copy);
  EXPECT_EQ(SidesOf("copy.mdb"), std::set<std::string>{});
  EXPECT_EQ(IntactRowIds(copy), IdsFromOneTo(5));
  // A compact refused because the file exists still clears them.
  SideOfADeadBuilder(copy);
  EXPECT_EQ(ErrorOf([&] { engine_->CompactDatabase(source, copy); }).number, err::kFileExists);
  EXPECT_EQ(SidesOf("copy.mdb"), std::set<std::string>{});
  // So does an in-place compact of the file itself, which holds it exclusively.
  SideOfADeadBuilder(copy);
  CompactDatabaseInPlace(copy, "", 0, "", EngineSettings::ForTests());
  EXPECT_EQ(SidesOf("copy.mdb"), std::set<std::string>{});
  EXPECT_EQ(IntactRowIds(copy), IdsFromOneTo(5));
}

}  // namespace
}  // namespace qb::jet
