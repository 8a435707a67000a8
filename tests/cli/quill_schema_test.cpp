// quill's statement commands as a user runs them: sql, script (where statements end, one
// transaction, the failing line named) and schema printed as DDL that script takes back.
#include "quill_test.h"

namespace qb::cli::test {
namespace {

class QuillSchemaTest : public QuillTest {
 protected:
  void SetUp() override { Ok({"db", "create", File("a.mdb")}); }
};

TEST_F(QuillSchemaTest, SqlRunsOneStatement) {
  EXPECT_EQ(Ok({"sql", File("a.mdb"), "CREATE TABLE T (A LONG, B TEXT(10))"}), "0 records affected\n");
  EXPECT_EQ(Ok({"tables", File("a.mdb")}), "T\n");
  const std::string err = Fails({"sql", File("a.mdb"), "CREATE TABLE U (A LONG"});
  EXPECT_NE(err.find("CREATE TABLE"), std::string::npos) << err;
  EXPECT_NE(err.find("column"), std::string::npos) << err;
  EXPECT_NE(Fails({"sql", File("a.mdb"), "CREATE TABLE T (A LONG)"}).find("already exists"), std::string::npos);
}

TEST_F(QuillSchemaTest, ScriptEndsStatementsOnlyAtTheirOwnSemicolons) {
  const std::string ok = Script("ok.sql",
                                "CREATE TABLE [a;b] (x TEXT(5));\n"
                                "\n"
                                "CREATE INDEX [i;1] ON [a;b] (x);;\n"
                                "ALTER TABLE [a;b] ADD COLUMN y LONG");
  EXPECT_EQ(Ok({"script", File("a.mdb"), ok}), "0 records affected\n");
  EXPECT_EQ(Ok({"tables", File("a.mdb")}), "a;b\n");

  // A ';' inside a string, or after a PARAMETERS declaration, does not end the statement: each
  // reaches Execute whole (which refuses select queries) instead of failing to parse.
  for (const std::string& text :
       {std::string("CREATE TABLE Z (q LONG);\nSELECT 'x;y', #1/2/2003# FROM [a;b];\n"),
        std::string("CREATE TABLE Z (q LONG);\nPARAMETERS p Long;\nSELECT * FROM [a;b] WHERE y = p;\n")}) {
    const std::string err = Fails({"script", File("a.mdb"), "-"}, 1, {}, text);
    EXPECT_NE(err.find("line 2"), std::string::npos) << err;
    EXPECT_NE(err.find("select query"), std::string::npos) << err;
  }
  // The failing script changed nothing: table Z was rolled back.
  EXPECT_EQ(Ok({"tables", File("a.mdb")}), "a;b\n");
  const std::string err = Fails({"script", File("a.mdb"), Script("bad.sql", "CREATE TABLE N (q LONG);\n\n\nDROP TABLE Nope;\n")});
  EXPECT_NE(err.find("line 4"), std::string::npos) << err;
  EXPECT_EQ(Ok({"tables", File("a.mdb")}), "a;b\n");
}

TEST_F(QuillSchemaTest, SchemaRoundTripsThroughScript) {
  const std::string source = Script("s.sql",
                                    "CREATE TABLE Orders (Id COUNTER, Customer TEXT(30) NOT NULL, Amount CURRENCY, "
                                    "Placed DATETIME, Paid BIT, Notes MEMO, Code GUID, Qty SHORT, Tiny BYTE, "
                                    "Pic LONGBINARY, Raw BINARY(8), Ratio SINGLE, Big DOUBLE, Total LONG, "
                                    "CONSTRAINT PrimaryKey PRIMARY KEY (Id));\n"
                                    "CREATE UNIQUE INDEX ByCustomer ON Orders (Customer, Placed DESC);\n"
                                    "CREATE INDEX Known ON Orders (Qty) WITH DISALLOW NULL IGNORE NULL;\n"
                                    "CREATE TABLE [Order Lines] ([Order] LONG NOT NULL, Line SHORT);\n");
  Ok({"script", File("a.mdb"), source});
  const std::string schema = Ok({"schema", File("a.mdb")});
  EXPECT_NE(schema.find("CREATE TABLE [Order Lines] (\n  [Order] LONG NOT NULL,\n  [Line] SHORT\n);\n"),
            std::string::npos)
      << schema;
  EXPECT_NE(schema.find("CREATE INDEX [PrimaryKey] ON [Orders] ([Id]) WITH PRIMARY;\n"), std::string::npos) << schema;
  EXPECT_NE(schema.find("CREATE UNIQUE INDEX [ByCustomer] ON [Orders] ([Customer], [Placed] DESC);\n"),
            std::string::npos)
      << schema;

  Ok({"db", "create", File("b.mdb")});
  Ok({"script", File("b.mdb"), "-"}, {}, schema);
  EXPECT_EQ(Ok({"schema", File("b.mdb")}), schema);
  EXPECT_EQ(Ok({"schema", File("b.mdb"), "order lines"}),
            "CREATE TABLE [Order Lines] (\n  [Order] LONG NOT NULL,\n  [Line] SHORT\n);\n");
  EXPECT_NE(Fails({"schema", File("b.mdb"), "Nope"}).find("Nope"), std::string::npos);
}

}  // namespace
}  // namespace qb::cli::test
