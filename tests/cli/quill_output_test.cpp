// Where quill's output goes: every command fails when standard output cannot be written, and
// export never writes over the files it works from, writes through links, streams to standard
// output with '-', and quotes CSV as spreadsheets read it.
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "quill_rows_fixture.h"

namespace qb::cli::test {
namespace {

TEST_F(QuillRowsTest, EveryCommandFailsWhenStandardOutputCannotBeWritten) {
  FillTable();
  Ok({"query", "create", Db(), "Q", "SELECT Id FROM T"});
  const std::vector<std::vector<std::string>> commands = {
      {"tables", Db()},
      {"schema", Db()},
      {"queries", Db()},
      {"query", "list", Db()},
      {"query", "show", Db(), "Q"},
      {"db", "info", Db()},
      {"sql", Db(), "SELECT * FROM T"},
      {"sql", Db(), "UPDATE T SET Qty = 2 WHERE Id = 1"},
      {"run", Db(), "Q"},
      {"export", Db(), "T", "--out", "-"},
      {"user", "list"},
      {"--help"},
      {"export", "--help"},
  };
  for (const auto& command : commands) {
    const QuillRun run = QuillWritingTo("/dev/full", command);
    EXPECT_EQ(run.status, 1) << ::testing::PrintToString(command);
    EXPECT_THAT(run.err, HasSubstr("standard output cannot be written")) << ::testing::PrintToString(command);
  }
  // An export file on a full device fails the same way. (Through a link of the test's own: a
  // quill that replaced what it was given would replace the link, not the device.)
  ASSERT_EQ(::symlink("/dev/full", File("full").c_str()), 0);
  EXPECT_THAT(Fails({"export", Db(), "T", "--out", File("full")}), HasSubstr("No space left on device"));
}

TEST_F(QuillRowsTest, ExportNeverWritesOverTheDatabaseOrTheWorkgroup) {
  FillTable();
  const std::string database = qb::test::ReadFileBytes(Db());
  ASSERT_EQ(::symlink(Db().c_str(), File("link.mdb").c_str()), 0);
  ASSERT_EQ(::link(Db().c_str(), File("hard.mdb").c_str()), 0);
  for (const std::string& out : {Db(), File("link.mdb"), File("hard.mdb"), File("./a.mdb")}) {
    EXPECT_THAT(Fails({"export", Db(), "T", "--out", out}, 2), HasSubstr("is the database being exported")) << out;
  }
  EXPECT_EQ(qb::test::ReadFileBytes(Db()), database);
  EXPECT_EQ(Ok({"sql", Db(), "SELECT Count(*) AS N FROM T"}), "N\n3\n");

  const std::string workgroup = File("work.mdw");
  Ok({"workgroup", "create", workgroup});
  const std::string account = qb::test::ReadFileBytes(workgroup);
  EXPECT_THAT(Fails({"--workgroup", workgroup, "export", Db(), "T", "--out", workgroup}, 2),
              HasSubstr("is the workgroup file"));
  EXPECT_EQ(qb::test::ReadFileBytes(workgroup), account);
  Ok({"--workgroup", workgroup, "user", "list"});
}

TEST_F(QuillRowsTest, ExportWritesThroughSymbolicLinks) {
  FillTable();
  std::filesystem::create_directory(File("real"));
  qb::test::WriteFileBytes(File("real/t.txt"), "old");
  ASSERT_EQ(::symlink("real/t.txt", File("t.txt").c_str()), 0);   // relative, to an existing file
  ASSERT_EQ(::symlink(File("real/new.txt").c_str(), File("new.txt").c_str()), 0);  // to none yet
  for (const char* name : {"t.txt", "new.txt"}) {
    EXPECT_EQ(Ok({"export", Db(), "T", "--out", File(name), "--record-sep", "lf"}), "3 records exported\n");
    struct stat link {};
    ASSERT_EQ(::lstat(File(name).c_str(), &link), 0);
    EXPECT_TRUE(S_ISLNK(link.st_mode)) << name;
    EXPECT_EQ(qb::test::ReadFileBytes(File(std::string("real/") + name)), std::string(kHeader) + kRows) << name;
  }
  EXPECT_EQ(FolderNames(File("real")), (std::vector<std::string>{"new.txt", "t.txt"}));
}

TEST_F(QuillRowsTest, ExportToStandardOutput) {
  FillTable();
  const std::string lines = std::string(kHeader) + kRows;
  // The records alone: no count line among them.
  EXPECT_EQ(Ok({"export", Db(), "T", "--out", "-", "--record-sep", "lf"}), lines);
  // A path that leads to standard output is standard output.
  ASSERT_EQ(::symlink("/dev/stdout", File("out").c_str()), 0);
  EXPECT_EQ(Ok({"export", Db(), "T", "--out", File("out"), "--record-sep", "lf"}), lines);
  EXPECT_EQ(FolderNames(dir_.Path()), (std::vector<std::string>{"a.mdb", "out"}));
}

TEST_F(QuillRowsTest, CsvQuotesWhatASpreadsheetWouldMisread) {
  Ok({"sql", Db(), "CREATE TABLE [Odd, Names] ([Plain] LONG, [Say \"hi\"] TEXT(40))"});
  for (const char* value : {"'plain'", "'a,b'", "'He said \"no\"'", "'two' & Chr(13) & Chr(10) & 'lines'", "Null"}) {
    Ok({"sql", Db(), std::string("INSERT INTO [Odd, Names] VALUES (1, ") + value + ")"});
  }
  EXPECT_EQ(Ok({"export", Db(), "Odd, Names", "--out", "-", "--csv"}),
            "Plain,\"Say \"\"hi\"\"\"\r\n"
            "1,plain\r\n"
            "1,\"a,b\"\r\n"
            "1,\"He said \"\"no\"\"\"\r\n"
            "1,\"two\r\nlines\"\r\n"
            "1,\r\n");
  // Another separator is quoted for; without --csv nothing is.
  EXPECT_THAT(Ok({"export", Db(), "Odd, Names", "--out", "-", "--csv", "--field-sep", "semicolon", "--record-sep", "lf"}),
              ::testing::StartsWith("Plain;\"Say \"\"hi\"\"\"\n1;plain\n1;a,b\n"));
  EXPECT_THAT(Ok({"export", Db(), "Odd, Names", "--out", "-", "--field-sep", "comma", "--record-sep", "lf"}),
              ::testing::StartsWith("Plain,Say \"hi\"\n1,plain\n1,a,b\n"));
  EXPECT_THAT(Ok({"export", "--help"}), HasSubstr("--csv"));
}

TEST_F(QuillRowsTest, DoublesPrintInFull) {
  Ok({"sql", Db(), "INSERT INTO T (Big, Ratio) VALUES (1000000, 2500000)"});
  EXPECT_EQ(Ok({"sql", Db(), "SELECT Big, Ratio, Big * 1000 AS Milliard FROM T"}),
            "Big\tRatio\tMilliard\n1000000\t2500000\t1000000000\n");
}

}  // namespace
}  // namespace qb::cli::test
