// quill on a really full disk (a small tmpfs in a private mount namespace; skipped where the
// system allows none): reading works, a write says the disk is full instead of an internal
// fault, repair finds the file sound, and nothing is left beside the database.
#include "quill_test.h"
#include "support/isolated_process.h"

namespace qb::cli::test {
namespace {

using QuillFullDiskTest = QuillTest;

TEST_F(QuillFullDiskTest, ReadsWorkAndWritesSayTheDiskIsFull) {
  const std::string disk = File("disk");
  std::filesystem::create_directory(disk);
  const std::string why = qb::test::RunWithSmallDisk(disk, 4 << 20, [&] {
    const std::string path = disk + "/a.mdb";
    Ok({"db", "create", path});
    Ok({"script", path, "-"}, {}, "CREATE TABLE T (Id LONG, Txt TEXT(20));\nINSERT INTO T (Id, Txt) VALUES (1, 'kept');\n");
    qb::test::FillDisk(disk);
    const std::vector<std::string> before = FolderNames(disk);

    EXPECT_THAT(Ok({"sql", path, "SELECT Txt FROM T"}), HasSubstr("kept"));
    for (const char* command : {"script", "sql"}) {
      SCOPED_TRACE(command);
      const std::string statement = "INSERT INTO T (Id, Txt) VALUES (2, 'lost')";
      const std::string said = std::string(command) == "script" ? Fails({"script", path, "-"}, 1, {}, statement + ";\n")
                                                                : Fails({"sql", path, statement});
      EXPECT_THAT(said, HasSubstr("disk is full"));
      EXPECT_THAT(said, ::testing::Not(HasSubstr("internal fault")));
    }
    EXPECT_EQ(Ok({"db", "repair", path}), "The database is sound; nothing was changed.\n");
    EXPECT_EQ(FolderNames(disk), before);
  });
  if (!why.empty()) GTEST_SKIP() << "no small disk for the test: " << why;
}

}  // namespace
}  // namespace qb::cli::test
