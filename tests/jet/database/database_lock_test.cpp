// Share modes through the lock file: exclusive, deny-write, shared and read-only opens between
// two Database objects of one process and between two processes (fork; the processes talk
// through pipes, never by waiting on time), and holds that vanish with their holder.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <functional>

#include "database_test_support.h"
#include "jet/maintenance/database_open.h"
#include "jet/dao/database_files.h"
#include "com/ole_exception.h"
#include "jet/base/errors.h"
#include "jet/locks/lock_file.h"

namespace qb::jet {
namespace {

using test::ErrorOf;

// A child process that opens a database, reports on a pipe, and keeps it open until told.
class HolderProcess {
 public:
  HolderProcess(const std::string& path, ShareMode share, bool read_only) {
    int up[2], down[2];
    if (::pipe(up) != 0 || ::pipe(down) != 0) throw std::runtime_error("pipe");
    pid_ = ::fork();
    if (pid_ == 0) {
      ::close(up[0]);
      ::close(down[1]);
      std::string report;
      std::shared_ptr<Database> database;
      try {
        database = OpenDatabaseAt(path, share, read_only, "", EngineSettings::ForTests());
        report = "0";
      } catch (const EOleException& e) {
        report = std::to_string(e.ErrorCode());
      }
      report += '\n';
      (void)!::write(up[1], report.data(), report.size());
      char go = 0;
      (void)!::read(down[0], &go, 1);
      database.reset();
      ::_exit(0);
    }
    ::close(up[1]);
    ::close(down[0]);
    from_child_ = up[0];
    to_child_ = down[1];
  }
  ~HolderProcess() { Finish(); }

  // The error number of the child's open (0: it opened), once it has tried.
  int Result() {
    std::string line;
    char c;
    while (::read(from_child_, &c, 1) == 1 && c != '\n') line += c;
    return line.empty() ? -1 : std::stoi(line);
  }
  // Lets the child close the database and end; waits for it.
  void Finish() {
    if (pid_ <= 0) return;
    char go = 1;
    (void)!::write(to_child_, &go, 1);
    Reap();
  }
  // Kills the child without letting it close anything.
  void Kill() {
    ::kill(pid_, SIGKILL);
    Reap();
  }

 private:
  void Reap() {
    int status = 0;
    ::waitpid(pid_, &status, 0);
    ::close(from_child_);
    ::close(to_child_);
    pid_ = -1;
  }
  pid_t pid_ = -1;
  int from_child_ = -1;
  int to_child_ = -1;
};

class DatabaseLockTest : public test::DatabaseTestBase {
 protected:
  void SetUp() override {
    test::DatabaseTestBase::SetUp();
    path_ = MakeFilled("shared.mdb", 1);
  }
  int OpenHere(ShareMode share, bool read_only, std::shared_ptr<Database>* keep = nullptr) {
    return ErrorOf([&] {
             auto database = OpenDatabaseAt(path_, share, read_only, "", EngineSettings::ForTests());
             if (keep) *keep = database;
           }).number;
  }
  std::string path_;
};

struct Conflict {
  ShareMode first;
  bool first_read_only;
  ShareMode second;
  bool second_read_only;
  bool second_opens;
};

// Each pair of opens, the first held while the second is tried.
const Conflict kConflicts[] = {
    {ShareMode::kShared, false, ShareMode::kShared, false, true},
    {ShareMode::kShared, true, ShareMode::kShared, false, true},
    {ShareMode::kExclusive, false, ShareMode::kShared, true, false},
    {ShareMode::kExclusive, true, ShareMode::kExclusive, true, false},
    {ShareMode::kShared, true, ShareMode::kExclusive, false, false},
    {ShareMode::kDenyWrite, false, ShareMode::kShared, false, false},
    {ShareMode::kDenyWrite, false, ShareMode::kShared, true, true},
    {ShareMode::kDenyWrite, true, ShareMode::kDenyWrite, true, true},
    {ShareMode::kShared, false, ShareMode::kDenyWrite, false, false},
    {ShareMode::kShared, false, ShareMode::kDenyWrite, true, false},
    {ShareMode::kShared, true, ShareMode::kDenyWrite, false, true},
};

TEST_F(DatabaseLockTest, TwoDatabaseObjectsOfOneProcess) {
  int n = 0;
  for (const Conflict& c : kConflicts) {
    std::shared_ptr<Database> first;
    ASSERT_EQ(OpenHere(c.first, c.first_read_only, &first), 0) << n;
    std::shared_ptr<Database> second;
    EXPECT_EQ(OpenHere(c.second, c.second_read_only, &second), c.second_opens ? 0 : err::kFileInUse) << "case " << n;
    second.reset();
    first->Close();
    // Once the first closes, the second open always works.
    EXPECT_EQ(OpenHere(c.second, c.second_read_only), 0) << "case " << n;
    ++n;
  }
  EXPECT_FALSE(std::filesystem::exists(LockFileHold::PathFor(path_))) << "the last holder removes the lock file";
}

TEST_F(DatabaseLockTest, TwoProcesses) {
  int n = 0;
  for (const Conflict& c : kConflicts) {
    HolderProcess holder(path_, c.first, c.first_read_only);
    ASSERT_EQ(holder.Result(), 0) << n;
    EXPECT_EQ(OpenHere(c.second, c.second_read_only), c.second_opens ? 0 : err::kFileInUse) << "case " << n;
    holder.Finish();
    EXPECT_EQ(OpenHere(c.second, c.second_read_only), 0) << "case " << n;
    ++n;
  }
  // And the other way round: the child is refused while this process holds the file.
  std::shared_ptr<Database> mine;
  ASSERT_EQ(OpenHere(ShareMode::kExclusive, false, &mine), 0);
  HolderProcess refused(path_, ShareMode::kShared, true);
  EXPECT_EQ(refused.Result(), err::kFileInUse);
}

TEST_F(DatabaseLockTest, HoldsVanishWhenTheirHolderDies) {
  HolderProcess holder(path_, ShareMode::kExclusive, false);
  ASSERT_EQ(holder.Result(), 0);
  EXPECT_EQ(OpenHere(ShareMode::kShared, false), err::kFileInUse);
  holder.Kill();
  EXPECT_EQ(OpenHere(ShareMode::kExclusive, false), 0);
}

TEST_F(DatabaseLockTest, OpenDatabaseReadsItsOptions) {
  auto exclusive = workspace_->OpenDatabase(path_, Variant(true));
  auto caught = ErrorOf([&] { workspace_->OpenDatabase(path_, Variant(false), true); });
  EXPECT_EQ(caught.number, err::kFileInUse);
  EXPECT_NE(caught.message.find("already in use"), std::string::npos) << caught.message;
  exclusive.reset();  // dropping the last reference closes it
  auto deny_write = workspace_->OpenDatabase(path_, Variant(kDenyWrite));
  EXPECT_EQ(ErrorOf([&] { workspace_->OpenDatabase(path_, Variant(0)); }).number, err::kFileInUse);
  EXPECT_EQ(ErrorOf([&] { workspace_->OpenDatabase(path_, Variant(0), true); }).number, 0);
  EXPECT_EQ(ErrorOf([&] { workspace_->OpenDatabase(path_, Variant(-1), true); }).number, err::kFileInUse);
}

}  // namespace
}  // namespace qb::jet
