// DDL through Database.Execute: the catalog it leaves matches the object calls', each
// statement is all or nothing, and its failures carry Jet's numbers.
#include <gtest/gtest.h>

#include <tuple>

#include "jet/catalog/ddl_executor.h"
#include "jet/catalog/schema_model.h"
#include "schema_test_support.h"

namespace qb::jet::test {
namespace {

class DdlTest : public SchemaTest {};

TEST_F(DdlTest, DdlAndObjectCallsLeaveTheSameCatalog) {
  db_->Execute(
      "CREATE TABLE Orders (Id COUNTER CONSTRAINT PrimaryKey PRIMARY KEY, Customer TEXT(30) NOT NULL, "
      "Amount CURRENCY, Placed DATETIME, Paid YESNO, Notes MEMO, Code GUID, Qty SHORT, Tiny BYTE, Pic OLEOBJECT, "
      "Raw BINARY(8), Ratio SINGLE, Big DOUBLE, CONSTRAINT ByCustomer UNIQUE (Customer, Placed))");
  db_->Execute("CREATE INDEX ByAmount ON Orders (Amount DESC, Qty) WITH IGNORE NULL");
  db_->Execute("ALTER TABLE Orders ADD COLUMN Region CHAR(4)");
  db_->Execute("ALTER TABLE Orders DROP COLUMN Big");
  const std::string by_ddl = DumpCatalog(Sql());

  // The same table through the objects, in a second file.
  auto other = engine_->CreateDatabase(dir_.File("objects.mdb"), "1033", 0);
  auto table = other->CreateTableDef("Orders");
  struct Column {
    const char* name;
    int type, size;
  };
  for (Column column : {Column{"Id", 4, 0}, Column{"Customer", 10, 30}, Column{"Amount", 5, 0}, Column{"Placed", 8, 0},
                    Column{"Paid", 1, 0}, Column{"Notes", 12, 0}, Column{"Code", 15, 0}, Column{"Qty", 3, 0},
                    Column{"Tiny", 2, 0}, Column{"Pic", 11, 0}, Column{"Raw", 9, 8}, Column{"Ratio", 6, 0},
                    Column{"Big", 7, 0}}) {
    auto field = table->CreateField(column.name, column.type, column.size);
    if (std::string(column.name) == "Id") field->SetAttributes(kAutoIncrField);
    if (std::string(column.name) == "Customer") field->SetRequired(true);
    table->Fields()->Append(field);
  }
  auto primary = table->CreateIndex("PrimaryKey");
  primary->SetFields("Id");
  primary->SetPrimary(true);
  table->Indexes()->Append(primary);
  auto unique = table->CreateIndex("ByCustomer");
  unique->SetFields("Customer;Placed");
  unique->SetUnique(true);
  table->Indexes()->Append(unique);
  other->TableDefs()->Append(table);
  auto by_amount = table->CreateIndex("ByAmount");
  by_amount->SetFields("-Amount;+Qty");
  by_amount->SetIgnoreNulls(true);
  table->Indexes()->Append(by_amount);
  table->Fields()->Append(table->CreateField("Region", 10, 4));
  table->Fields()->Delete("Big");
  EXPECT_EQ(DumpCatalog(other->File()->EngineConnection(false)), by_ddl);
  EXPECT_NE(by_ddl.find("I|Orders|PrimaryKey|+Id|1|1|0|1|0|0|0"), std::string::npos) << by_ddl;
  EXPECT_EQ(db_->RecordsAffected(), 0);
}

TEST_F(DdlTest, DefaultsFromStatementsMatchTheObjectCalls) {
  db_->Execute("CREATE TABLE D (A TEXT(5) DEFAULT 'x' NOT NULL, N LONG DEFAULT 2 * 3, F BIT DEFAULT True)");
  auto other = engine_->CreateDatabase(dir_.File("objects.mdb"), "1033", 0);
  auto table = other->CreateTableDef("D");
  for (auto [name, type, size, value] : {std::tuple{"A", 10, 5, "'x'"}, std::tuple{"N", 4, 0, "2 * 3"},
                                         std::tuple{"F", 1, 0, "True"}}) {
    auto field = table->CreateField(name, type, size);
    field->SetDefaultValue(Variant(value));
    field->SetRequired(std::string(name) == "A");
    table->Fields()->Append(field);
  }
  other->TableDefs()->Append(table);
  EXPECT_EQ(DumpCatalog(other->File()->EngineConnection(false)), DumpCatalog(Sql()));

  Exec("INSERT INTO D (N) VALUES (1)");
  // A new column's default fills the rows already there; an ALTER COLUMN may change it.
  db_->Execute("ALTER TABLE D ADD COLUMN C TEXT(3) DEFAULT 'new'");
  db_->Execute("ALTER TABLE D ALTER COLUMN N LONG DEFAULT -1");
  Exec("INSERT INTO D (F) VALUES (0)");
  EXPECT_EQ(Select("SELECT A, N, F, C FROM D ORDER BY N DESC"), "x|1|-1|new\nx|-1|0|new\n");
  EXPECT_EQ(Table("D")->Fields()->Item("N")->DefaultValue().ToString(), "-1");
  // A default that names a field, or does not read, fails and changes nothing.
  const std::string before = DumpCatalog(Sql());
  EXPECT_EQ(ErrorOf([&] { db_->Execute("ALTER TABLE D ADD COLUMN E LONG DEFAULT [N]"); }).number, 3070);
  EXPECT_EQ(ErrorOf([&] { db_->Execute("ALTER TABLE D ADD COLUMN E LONG DEFAULT (1"); }).number, 3292);
  EXPECT_EQ(ErrorOf([&] { db_->Execute("CREATE TABLE E (A LONG DEFAULT Nope(1))"); }).number, 3085);
  EXPECT_EQ(DumpCatalog(Sql()), before);
}

TEST_F(DdlTest, AlterColumnConvertsRowsOrRefusesThem) {
  db_->Execute("CREATE TABLE T (A TEXT(10), B LONG)");
  Exec("INSERT INTO T VALUES ('12', 1), ('7', 2)");
  db_->Execute("ALTER TABLE T ALTER COLUMN A SHORT");
  EXPECT_EQ(Select("SELECT A, typeof(A) FROM T"), "12|integer\n7|integer\n");
  EXPECT_EQ(Table("T")->Fields()->Item("A")->Type(), 3);
  Exec("INSERT INTO T VALUES (30000, 3)");
  EXPECT_EQ(ErrorOf([&] { db_->Execute("ALTER TABLE T ALTER COLUMN A BYTE"); }).number, err::kNumericOverflow);
  Exec("UPDATE T SET B = 123456 WHERE A = 7");
  EXPECT_EQ(ErrorOf([&] { db_->Execute("ALTER TABLE T ALTER COLUMN B TEXT(3)"); }).number, err::kFieldTooSmall);
  EXPECT_EQ(Table("T")->Fields()->Item("B")->Type(), 4);
  db_->Execute("ALTER TABLE T ALTER COLUMN B TEXT(6)");
  EXPECT_EQ(Select("SELECT B FROM T"), "1\n123456\n3\n");
}

TEST_F(DdlTest, ConstraintsAndIndexesFromStatements) {
  db_->Execute("CREATE TABLE P (K LONG, V TEXT)");
  Exec("INSERT INTO P VALUES (1, 'a'), (1, 'b')");
  EXPECT_EQ(ErrorOf([&] { db_->Execute("ALTER TABLE P ADD CONSTRAINT PK PRIMARY KEY (K)"); }).number,
            err::kDuplicateValues);
  Exec("INSERT INTO P VALUES (NULL, 'c')");
  EXPECT_EQ(ErrorOf([&] { db_->Execute("CREATE INDEX NotNull ON P (K) WITH DISALLOW NULL"); }).number,
            err::kIndexNullKey);
  Exec("DELETE FROM P WHERE V <> 'a'");
  db_->Execute("ALTER TABLE P ADD CONSTRAINT PK PRIMARY KEY (K)");
  EXPECT_EQ(ErrorOf([&] { db_->Execute("CREATE UNIQUE INDEX Two ON P (V) WITH PRIMARY"); }).number, err::kPrimaryExists);
  EXPECT_EQ(ErrorOf([&] { db_->Execute("CREATE INDEX pk ON P (V)"); }).number, err::kIndexExists);
  EXPECT_EQ(ErrorOf([&] { db_->Execute("ALTER TABLE P DROP COLUMN K"); }).number, err::kFieldInIndex);
  EXPECT_EQ(ErrorOf([&] { Exec("INSERT INTO P VALUES (NULL, 'n')"); }).number, err::kIndexNullKey);
  db_->Execute("ALTER TABLE P DROP CONSTRAINT PK");
  db_->Execute("ALTER TABLE P DROP COLUMN K");
  EXPECT_EQ(Table("P")->Fields()->Count(), 1);
  EXPECT_EQ(Select("SELECT V FROM P"), "a\n");
  db_->Execute("CREATE UNIQUE INDEX ByV ON P (V)");
  EXPECT_TRUE(Table("P")->Indexes()->Item("ByV")->Unique());
  db_->Execute("DROP INDEX ByV ON P");
  EXPECT_EQ(Table("P")->Indexes()->Count(), 0);
}

TEST_F(DdlTest, FailuresCarryJetNumbersAndChangeNothing) {
  db_->Execute("CREATE TABLE T (A LONG)");
  const std::string before = DumpCatalog(Sql());
  struct Case {
    const char* sql;
    int number;
  };
  const Case cases[] = {
      {"CREATE TABLE T (B LONG)", err::kTableExists},
      {"CREATE TABLE U (A LONG, a TEXT)", err::kFieldDefinedTwice},
      {"CREATE TABLE U (A COUNTER, B AUTOINCREMENT)", err::kTooManyAutoNumbers},
      {"CREATE TABLE U (A COUNTER(1, 2))", err::kNotForThisObject},  // AutoNumbers count up by 1
      {"CREATE TABLE U (A TEXT(300))", 3292},
      {"CREATE TABLE U (A LONG, CONSTRAINT X PRIMARY KEY (Nope))", err::kItemNotFound},
      {"CREATE TABLE U (A LONG CONSTRAINT F REFERENCES T (A))", err::kNoUniqueIndex},
      {"CREATE TABLE U (A LONG", 3290},
      {"CREATE TABLE U (A NOSUCHTYPE)", 3292},
      {"ALTER TABLE Missing ADD COLUMN B LONG", err::kTableNotFound},
      {"ALTER TABLE T ADD COLUMN a TEXT", err::kFieldDefinedTwice},
      {"ALTER TABLE T DROP COLUMN Nope", err::kItemNotFound},
      {"ALTER TABLE T DROP CONSTRAINT Nope", err::kConstraintNotFound},
      {"DROP TABLE Missing", err::kTableNotFound},
      {"DROP TABLE MSysObjects", err::kNoPermission},
      {"DROP INDEX Nope ON T", err::kIndexNotFound},
      {"CREATE INDEX I ON T (Nope)", err::kItemNotFound},
      {"CREATE INDEX I ON Missing (A)", err::kTableNotFound},
      {"SELECT * FROM T", 3065},  // a select query is not executable
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ErrorOf([&] { db_->Execute(c.sql); }).number, c.number) << c.sql;
  }
  EXPECT_EQ(DumpCatalog(Sql()), before);
  EXPECT_EQ(db_->TransactionDepth(), 0);
}

TEST_F(DdlTest, StatementsJoinTheCallersTransaction) {
  db_->BeginTrans();
  db_->Execute("CREATE TABLE T (A LONG)");
  db_->Execute("CREATE INDEX ByA ON T (A)");
  db_->Rollback();
  EXPECT_EQ(ErrorOf([&] { Table("T"); }).number, err::kItemNotFound);
  EXPECT_EQ(Select("SELECT count(*) FROM MSysObjects WHERE Name = 'T'"), "0\n");
}

TEST_F(DdlTest, CounterSeedAndReadOnlyOpen) {
  db_->Execute("CREATE TABLE S (N COUNTER(100, 1), V TEXT(5))");
  Exec("INSERT INTO S (V) VALUES ('a')");
  EXPECT_EQ(Select("SELECT N FROM S"), "100\n");
  db_->Close();
  db_ = workspace_->OpenDatabase(path_, Variant(false), true);
  EXPECT_EQ(ErrorOf([&] { db_->Execute("DROP TABLE S"); }).number, err::kReadOnly);
}

}  // namespace
}  // namespace qb::jet::test
