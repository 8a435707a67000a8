// The tests' private servers: the folder of a run that was killed is removed at the next start
// (its server then shuts itself down), while folders of live runs, and any without an owner,
// stay.
#include "support/private_postgres.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>

#include "support/test_support.h"

namespace qb::test {
namespace {

TEST(PrivatePostgresTest, FoldersOfRunsThatAreGoneAreRemoved) {
  TempDir tmp;
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) ::_exit(0);
  ASSERT_EQ(::waitpid(child, nullptr, 0), child);  // a process id that is gone
  const std::filesystem::path& root = tmp.Path();
  const struct {
    const char* name;
    long owner;  // 0: no owner file
    bool stays;
  } folders[] = {{"qb-odbc-pg-gone", child, false},
                 {"qb-odbc-pg-live", static_cast<long>(::getpid()), true},
                 {"qb-odbc-pg-older", 0, true},
                 {"other-gone", child, true}};
  for (const auto& folder : folders) {
    std::filesystem::create_directories(root / folder.name / "data");
    if (folder.owner != 0) std::ofstream(root / folder.name / "owner") << folder.owner << "\n";
  }
  PostgresProcess::RemoveOrphans(root);
  for (const auto& folder : folders) EXPECT_EQ(std::filesystem::exists(root / folder.name), folder.stays) << folder.name;
}

}  // namespace
}  // namespace qb::test
