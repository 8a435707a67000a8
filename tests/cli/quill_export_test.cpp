// quill run and quill export as a user runs them: saved queries with typed parameters, the
// export file with its separators, and a destination that a failed export leaves as it was.
#include "quill_rows_fixture.h"

namespace qb::cli::test {
namespace {

TEST_F(QuillRowsTest, RunShowsSelectRowsAndRunsActionQueries) {
  FillTable();
  Ok({"query", "create", Db(), "ByQty", "PARAMETERS [Min Amount] Currency; SELECT Id, Amount FROM T WHERE Amount >= [Min Amount] ORDER BY Id"});
  Ok({"query", "create", Db(), "Rename", "PARAMETERS k Long, n Text(20); UPDATE T SET Name = n WHERE Id = k"});
  EXPECT_EQ(Ok({"run", Db(), "ByQty", "--param", "min amount=3"}), "Id\tAmount\n1\t12.5\n2\t3\n");
  EXPECT_EQ(Ok({"run", Db(), "Rename", "--param", "k=3", "--param", "n=Cy"}), "1 records affected\n");
  EXPECT_EQ(Ok({"sql", Db(), "SELECT Name FROM T WHERE Id = 3"}), "Name\nCy\n");

  EXPECT_NE(Fails({"run", Db(), "ByQty"}).find("Too few parameters. Expected 1."), std::string::npos);
  EXPECT_NE(Fails({"run", Db(), "Rename", "--param", "k=3"}).find("Too few parameters"), std::string::npos);
  EXPECT_NE(Fails({"run", Db(), "ByQty", "--param", "Min Amount=lots"}, 2).find("'Min Amount'"), std::string::npos);
  EXPECT_NE(Fails({"run", Db(), "Nope"}).find("'Nope'"), std::string::npos);
}

TEST_F(QuillRowsTest, ExportWritesTheFileWithItsSeparators) {
  FillTable();
  EXPECT_EQ(Ok({"export", Db(), "T", "--out", File("t.txt")}), "3 records exported\n");
  std::string expected = std::string(kHeader) + kRows;
  std::string crlf;
  for (char c : expected) crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
  EXPECT_EQ(qb::test::ReadFileBytes(File("t.txt")), crlf);

  Ok({"export", Db(), "T", "--out", File("c.txt"), "--field-sep", "comma", "--record-sep", "lf"});
  EXPECT_EQ(qb::test::ReadFileBytes(File("c.txt")).substr(0, 40), "Id,Name,Notes,Qty,Tiny,Amount,Ratio,Big,");
  Ok({"sql", Db(), "CREATE TABLE E (A LONG, B TEXT(5))"});
  Ok({"export", Db(), "E", "--out", File("e.txt"), "--field-sep", " | ", "--record-sep", "crcr"});
  EXPECT_EQ(qb::test::ReadFileBytes(File("e.txt")), "A | B\r\r");
  Ok({"export", Db(), "E", "--out", File("e.txt"), "--field-sep=", "--record-sep", ";"});
  EXPECT_EQ(qb::test::ReadFileBytes(File("e.txt")), "AB;");
}

TEST_F(QuillRowsTest, ExportOfASavedSelectQuery) {
  FillTable();
  Ok({"query", "create", Db(), "Named", "PARAMETERS who Text(20); SELECT Id, Name FROM T WHERE Name = who"});
  EXPECT_EQ(Ok({"export", Db(), "named", "--out", File("q.txt"), "--param", "WHO=Ann", "--record-sep", "lf"}),
            "1 records exported\n");
  EXPECT_EQ(qb::test::ReadFileBytes(File("q.txt")), "Id\tName\n1\tAnn\n");
  Ok({"query", "create", Db(), "Wipe", "DELETE FROM T"});
  EXPECT_NE(Fails({"export", Db(), "Wipe", "--out", File("w.txt")}).find("action query"), std::string::npos);
  EXPECT_EQ(Ok({"sql", Db(), "SELECT Count(*) AS N FROM T"}), "N\n3\n");
}

TEST_F(QuillRowsTest, FailedExportLeavesTheDestinationAsItWas) {
  FillTable();
  Ok({"query", "create", Db(), "Needs", "PARAMETERS k Long; SELECT Id FROM T WHERE Id = k"});
  qb::test::WriteFileBytes(File("keep.txt"), "previous export");
  EXPECT_NE(Fails({"export", Db(), "Missing", "--out", File("keep.txt")}).find("'Missing'"), std::string::npos);
  EXPECT_NE(Fails({"export", Db(), "Needs", "--out", File("keep.txt")}).find("Too few parameters"), std::string::npos);
  EXPECT_NE(Fails({"export", Db(), "T", "--out", File("no/such/folder.txt")}).find("no/such/folder.txt"),
            std::string::npos);
  EXPECT_NE(Fails({"export", Db(), "T", "--out", dir_.Path().string()}).find("folder"), std::string::npos);
  EXPECT_NE(Fails({"export", Db(), "T", "--param", "k=1", "--out", File("keep.txt")}, 2).find("table"), std::string::npos);
  EXPECT_NE(Fails({"export", Db(), "T"}, 2).find("--out"), std::string::npos);
  EXPECT_EQ(qb::test::ReadFileBytes(File("keep.txt")), "previous export");
  EXPECT_EQ(FolderNames(dir_.Path()), (std::vector<std::string>{"a.mdb", "keep.txt"}));  // nothing half-written
}

TEST_F(QuillRowsTest, ProgressOnlyOnATerminal) {
  FillTable();
  // Not a terminal: nothing (every other test checks standard error is empty).
  EXPECT_EQ(Quill({"export", Db(), "T", "--out", File("a.txt")}).err, "");
  const std::string shown = RunQuillOnTerminal({"export", Db(), "T", "--out", File("b.txt")},
                                               {{"QUILL_TEST_FAST_HASH", "1"}, {"XDG_CONFIG_HOME", config_.Path().string()}});
  // The terminal turns the line feed into CR LF.
  EXPECT_EQ(shown, "\rExported 3 records\r\n");
  EXPECT_EQ(qb::test::ReadFileBytes(File("a.txt")), qb::test::ReadFileBytes(File("b.txt")));
}

TEST_F(QuillRowsTest, HelpTexts) {
  EXPECT_NE(Ok({"sql", "--help"}).find("--param NAME=VALUE"), std::string::npos);
  EXPECT_NE(Ok({"run", "--help"}).find("Usage: quill [global options] run FILE QUERY"), std::string::npos);
  const std::string help = Ok({"export", "--help"});
  for (const char* word : {"--out PATH", "--field-sep", "--record-sep", "crlf", "semicolon", "quoted"}) {
    EXPECT_NE(help.find(word), std::string::npos) << word;
  }
  const std::string top = Ok({"--help"});
  EXPECT_NE(top.find("run FILE QUERY"), std::string::npos);
  EXPECT_NE(top.find("export FILE TABLE_OR_QUERY"), std::string::npos);
  EXPECT_NE(Fails({"run", Db()}, 2).find("takes 2 arguments"), std::string::npos);
}

}  // namespace
}  // namespace qb::cli::test
