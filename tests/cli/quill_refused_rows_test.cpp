// Rows a rule refuses, as quill reports them: by default the statement fails whole, naming the
// rule and the record; with --skip-failing the others are written and the skipped ones are
// counted on standard error; a script is all or nothing.
#include "quill_test.h"

namespace qb::cli::test {
namespace {

class QuillRefusedRowsTest : public QuillTest {
 protected:
  void SetUp() override {
    Ok({"db", "create", Db()});
    Ok({"script", Db(), "-"}, {},
       "CREATE TABLE T (Id LONG CONSTRAINT PK PRIMARY KEY, Name TEXT(3), Code LONG NOT NULL);\n"
       "INSERT INTO T VALUES (1, 'a', 10);\n"
       "INSERT INTO T VALUES (2, 'bb', 20);\n"
       "INSERT INTO T VALUES (3, 'ccc', 30);\n"
       "CREATE TABLE Src (K LONG CONSTRAINT SrcKey PRIMARY KEY, Name TEXT(10));\n"
       "INSERT INTO Src VALUES (4, 'd');\n"
       "INSERT INTO Src VALUES (5, 'toolong');\n");
  }
  std::string Db() const { return File("a.mdb"); }
  std::string Rows() { return Ok({"sql", Db(), "SELECT Id, Name FROM T ORDER BY Id"}); }
};

constexpr const char* kUntouched = "Id\tName\n1\ta\n2\tbb\n3\tccc\n";

TEST_F(QuillRefusedRowsTest, ARefusedRowFailsTheWholeStatement) {
  const struct {
    const char* statement;
    const char* rule;
    const char* record;  // "" where the message cannot name one
  } cases[] = {
      {"UPDATE T SET Name = Name & 'x' WHERE Id >= 1", "at most 3 characters", "(the record with Id = 3)"},
      {"UPDATE T SET Id = 3 WHERE Id = 1", "duplicate values", "(the record with Id = 1)"},
      {"UPDATE T SET Code = Null WHERE Id = 2", "Code", "(the record with Id = 2)"},
      {"INSERT INTO T (Id, Name, Code) SELECT K, Name, 1 FROM Src", "at most 3 characters",
       "(the source record in 'Src' with K = 5)"},
      {"INSERT INTO T (Id, Name, Code) VALUES (9, 'long', 1)", "at most 3 characters", ""},
  };
  for (const auto& c : cases) {
    const std::string err = Fails({"sql", Db(), c.statement});
    EXPECT_THAT(err, HasSubstr(c.rule)) << c.statement;
    EXPECT_THAT(err, HasSubstr(c.record)) << c.statement;
    EXPECT_EQ(Rows(), kUntouched) << c.statement;
  }
  EXPECT_EQ(Ok({"sql", Db(), "SELECT Count(*) AS N FROM T WHERE Id > 3"}), "N\n0\n");
  // A saved action query is all or nothing too.
  Ok({"query", "create", Db(), "Grow", "UPDATE T SET Name = Name & 'x'"});
  EXPECT_THAT(Fails({"run", Db(), "Grow"}), HasSubstr("at most 3 characters"));
  EXPECT_EQ(Rows(), kUntouched);
}

TEST_F(QuillRefusedRowsTest, SkipFailingWritesTheOthersAndSaysWhatWasSkipped) {
  QuillRun run = Quill({"sql", Db(), "UPDATE T SET Name = Name & 'x'", "--skip-failing"});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out, "2 records affected\n");
  EXPECT_EQ(run.err,
            "quill: 1 record was skipped:\n"
            "  1: The field 'Name' is too small for the text: it holds at most 3 characters (the record with Id = 3).\n");
  EXPECT_EQ(Rows(), "Id\tName\n1\tax\n2\tbbx\n3\tccc\n");

  // Two reasons, each counted; the append keeps the row that fits.
  run = Quill({"sql", Db(), "INSERT INTO T (Id, Name, Code) SELECT IIf(K = 4, 1, K), Name, 1 FROM Src",
               "--skip-failing"});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out, "0 records affected\n");
  EXPECT_THAT(run.err, HasSubstr("quill: 2 records were skipped:\n"));
  EXPECT_THAT(run.err, HasSubstr("  1: The change would create duplicate values"));
  EXPECT_THAT(run.err, HasSubstr("  1: The field 'Name' is too small"));

  Ok({"query", "create", Db(), "Add", "INSERT INTO T (Id, Name, Code) SELECT K, Name, 1 FROM Src"});
  run = Quill({"run", Db(), "Add", "--skip-failing"});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out, "1 records affected\n");
  EXPECT_THAT(run.err, HasSubstr("quill: 1 record was skipped:\n"));
  // Nothing skipped: nothing said.
  EXPECT_EQ(Ok({"sql", Db(), "DELETE FROM T WHERE Id = 4", "--skip-failing"}), "1 records affected\n");
}

TEST_F(QuillRefusedRowsTest, AScriptWithARefusedRowChangesNothing) {
  const std::string err = Fails({"script", Db(), "-"}, 1, {},
                                "INSERT INTO T VALUES (7, 'g', 70);\n"
                                "UPDATE T SET Name = Name & 'x';\n");
  EXPECT_THAT(err, HasSubstr("line 2"));
  EXPECT_THAT(err, HasSubstr("at most 3 characters"));
  EXPECT_EQ(Rows(), kUntouched);
}

TEST_F(QuillRefusedRowsTest, HelpTellsOfSkipFailing) {
  for (const char* command : {"sql", "run"}) {
    EXPECT_THAT(Ok({command, "--help"}), HasSubstr("--skip-failing")) << command;
  }
  EXPECT_THAT(Ok({"sql", "--help"}), HasSubstr("a failing statement changes nothing"));
}

}  // namespace
}  // namespace qb::cli::test
