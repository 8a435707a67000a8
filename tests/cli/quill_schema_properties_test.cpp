// quill schema and quill script carry what Jet DDL cannot say: defaults, validation rules and
// texts, AllowZeroLength and where an AutoNumber goes on, so a schema round-trips with its rules
// in force; SET PROPERTY statements fail like any other statement of a script.
#include "quill_test.h"

namespace qb::cli::test {
namespace {

class QuillSchemaPropertiesTest : public QuillTest {
 protected:
  void SetUp() override { Ok({"db", "create", File("a.mdb")}); }
};

constexpr const char* kStock =
    "CREATE TABLE Stock (Id COUNTER(100, 1) CONSTRAINT PrimaryKey PRIMARY KEY, Name TEXT(20) NOT NULL "
    "DEFAULT 'anon', Qty SHORT DEFAULT 0, Low LONG, High LONG, Note MEMO, Added DATETIME DEFAULT Now());\n"
    "SET PROPERTY [Stock].[Qty].ValidationRule = '>= 0 And <= 1000';\n"
    "SET PROPERTY [Stock].[Qty].ValidationText = 'Stock is 0 to 1000; isn''t it?';\n"
    "SET PROPERTY stock.note.AllowZeroLength = True;\n"
    "SET PROPERTY [Stock].ValidationRule = '[Low] <= [High]';\n"
    "SET PROPERTY [Stock].[Name].ValidationRule = 'Like ''a*'' Or Like ''b*''';\n";

TEST_F(QuillSchemaPropertiesTest, SchemaRoundTripsDefaultsRulesAndSeeds) {
  Ok({"script", File("a.mdb"), "-"}, {}, kStock);
  const std::string schema = Ok({"schema", File("a.mdb")});
  EXPECT_EQ(schema,
            "CREATE TABLE [Stock] (\n"
            "  [Id] COUNTER(100, 1),\n"
            "  [Name] TEXT(20) NOT NULL DEFAULT 'anon',\n"
            "  [Qty] SHORT DEFAULT 0,\n"
            "  [Low] LONG,\n"
            "  [High] LONG,\n"
            "  [Note] MEMO,\n"
            "  [Added] DATETIME DEFAULT Now()\n"
            ");\n"
            "CREATE INDEX [PrimaryKey] ON [Stock] ([Id]) WITH PRIMARY;\n"
            "SET PROPERTY [Stock].[Name].ValidationRule = 'Like ''a*'' Or Like ''b*''';\n"
            "SET PROPERTY [Stock].[Qty].ValidationRule = '>= 0 And <= 1000';\n"
            "SET PROPERTY [Stock].[Qty].ValidationText = 'Stock is 0 to 1000; isn''t it?';\n"
            "SET PROPERTY [Stock].[Note].AllowZeroLength = True;\n"
            "SET PROPERTY [Stock].ValidationRule = '[Low] <= [High]';\n");

  Ok({"db", "create", File("b.mdb")});
  Ok({"script", File("b.mdb"), "-"}, {}, schema);
  EXPECT_EQ(Ok({"schema", File("b.mdb")}), schema);
  // The copy numbers on from the same place and enforces what the original does.
  EXPECT_EQ(Ok({"sql", File("b.mdb"), "INSERT INTO Stock (Low, High, Note) VALUES (1, 2, '')"}), "1 records affected\n");
  EXPECT_NE(Ok({"schema", File("b.mdb"), "Stock"}).find("[Id] COUNTER(101, 1),\n"), std::string::npos);
  const struct {
    const char* statement;
    const char* rule;  // in the error line
  } refused[] = {{"INSERT INTO Stock (Id) VALUES (100)", "duplicate values"},
                 {"INSERT INTO Stock (Qty) VALUES (-1)", "Stock is 0 to 1000"},
                 {"INSERT INTO Stock (Name) VALUES ('zed')", "validation rule Like 'a*'"},
                 {"INSERT INTO Stock (Low, High) VALUES (2, 1)", "[Low] <= [High]"}};
  for (const auto& row : refused) {
    EXPECT_THAT(Fails({"sql", File("b.mdb"), row.statement}), HasSubstr(row.rule)) << row.statement;
  }
  EXPECT_EQ(Ok({"sql", File("b.mdb"), "SELECT Count(*) AS N FROM Stock"}), "N\n1\n");
}

TEST_F(QuillSchemaPropertiesTest, RelationshipsRoundTripAfterTheirTables) {
  // "Lines" sorts before "Orders", the table it references: its relationship waits for it.
  Ok({"script", File("a.mdb"), "-"}, {},
     "CREATE TABLE Orders (No LONG CONSTRAINT PrimaryKey PRIMARY KEY, Region TEXT(2), "
     "CONSTRAINT ByRegion UNIQUE (No, Region));\n"
     "CREATE TABLE Lines (OrderNo LONG CONSTRAINT LineOrder REFERENCES Orders, R TEXT(2), "
     "CONSTRAINT LineRegion FOREIGN KEY (OrderNo, R) REFERENCES Orders (No, Region));\n");
  const std::string schema = Ok({"schema", File("a.mdb")});
  const std::string relationships =
      "\nALTER TABLE [Lines] ADD CONSTRAINT [LineOrder] FOREIGN KEY ([OrderNo]) REFERENCES [Orders] ([No]);\n"
      "ALTER TABLE [Lines] ADD CONSTRAINT [LineRegion] FOREIGN KEY ([OrderNo], [R]) REFERENCES [Orders] ([No], "
      "[Region]);\n";
  ASSERT_GT(schema.size(), relationships.size());
  EXPECT_EQ(schema.substr(schema.size() - relationships.size()), relationships) << schema;
  Ok({"db", "create", File("b.mdb")});
  Ok({"script", File("b.mdb"), "-"}, {}, schema);
  EXPECT_EQ(Ok({"schema", File("b.mdb")}), schema);
  EXPECT_NE(Fails({"sql", File("b.mdb"), "DROP TABLE Orders"}).find("relationship"), std::string::npos);
}

TEST_F(QuillSchemaPropertiesTest, FailingPropertyStatementsUndoTheScript) {
  const std::string create = "CREATE TABLE T (A LONG, B TEXT(5));\n";
  struct Case {
    std::string statement;
    std::string fragment;  // of the error line
  };
  const Case cases[] = {
      {"SET PROPERTY [T].[Nope].ValidationRule = '> 1'", "Nope"},
      {"SET PROPERTY [T].[A].Nope = 1", "Nope"},
      {"SET PROPERTY [T].[A].ValidationRule = 'Like'", "expression"},
      {"SET PROPERTY [T].[B].ValidationRule = '> 1'", "mismatch"},
      {"SET PROPERTY [T].[A].AllowZeroLength = True", "Text and Memo"},
      {"SET PROPERTY [T] = 1", "SET PROPERTY statement at line 2, column 18"},
      {"SET PROPERTY [T].[A].Required = Maybe", "True, False or Null"},
      {"SET PROPERTY [T].[A].Required = True False", "end of the statement"},
  };
  for (const Case& c : cases) {
    const std::string err = Fails({"script", File("a.mdb"), "-"}, 1, {}, create + c.statement + ";\n");
    EXPECT_NE(err.find("line 2"), std::string::npos) << c.statement << ": " << err;
    EXPECT_NE(err.find(c.fragment), std::string::npos) << c.statement << ": " << err;
    EXPECT_EQ(Ok({"tables", File("a.mdb")}), "") << c.statement;
  }
  // quill sql runs Jet SQL only.
  Ok({"script", File("a.mdb"), "-"}, {}, create);
  EXPECT_NE(Fails({"sql", File("a.mdb"), "SET PROPERTY [T].[A].Required = True"}).find("SET"), std::string::npos);
}

}  // namespace
}  // namespace qb::cli::test
