// INSERT ... VALUES of constants: statements differing only in their constants share one
// translation and compiled statement, with the constants bound; each must write, refuse and
// report exactly what its own translation does.
#include <gtest/gtest.h>

#include "../engine_test_support.h"
#include "../schema/schema_test_support.h"
#include "jet/base/recordset_types.h"
#include "jet/query/database_file.h"
#include "jet/query/query_execution.h"
#include "jet/sql/translate/memory_schema.h"
#include "jet/sql/translate/translation_cache.h"

namespace qb::jet::test {
namespace {

constexpr int kFailOnError = recordset_option::kFailOnError;

constexpr const char* kDesign =
    " (id COUNTER PRIMARY KEY, t TEXT(10), m MEMO, l LONG, i INTEGER, b BYTE, d DOUBLE, s SINGLE, "
    "c CURRENCY, dt DATETIME, y YESNO)";

// A field list, the values written into it and what follows the statement.
struct InsertCase {
  const char* fields;
  const char* values;
  const char* tail = "";
};

const InsertCase kInserts[] = {
    {"(t, l, d)", "'it''s', 5, 2.5"},
    {"(t, m)", "\"say \"\"hi\"\"\", 'a''b''c'"},
    {"(t)", "'longer than ten'"},
    {"(t)", "''"},
    {"(t, l)", "Null, Null"},
    {"(t, dt, y)", "5, 5, 1"},
    {"(t, m)", "#2001-02-28#, True"},
    {"(l)", "'abc'"},
    {"(l)", "'12'"},
    {"(l, i, b)", "-5, +7, -0"},
    {"(l)", "-2147483648"},
    {"(l)", "2147483647"},
    {"(i)", "40000"},
    {"(b)", "-1"},
    {"(b)", "256"},
    {"(d, s)", "1e300, 1.5E-3"},
    {"(d, s)", "-.5, 3.4e39"},
    {"(d)", "0.1"},
    {"(d)", "-0.0"},
    {"(d)", "123456789012345678"},
    {"(c)", "12.3456"},
    {"(c)", "-0.00005"},
    {"(c)", "'12.5'"},
    {"(c)", "'12-34'"},
    {"(c)", "Null"},
    {"(dt)", "#2001-02-28 12:30#"},
    {"(dt)", "#1/2/2003#"},
    {"(dt)", "'2001-02-28'"},
    {"(dt)", "'2001-02-30'"},
    {"(dt)", "'someday'"},
    {"(y, y)", "True, False"},
    {"(y)", "yes"},
    {"(y)", "NO"},
    {"(y)", "'abc'"},
    {"(y)", "'True'"},
    {"(id, t)", "100, 'first'"},
    {"(id, t)", "100, 'again'"},
    {"(nosuch)", "1"},
    {"(t, l)", "'x'"},
    {"(t)", "'x',"},
    {"(t)", "x"},
    {"(t)", "Null + 1"},
    {"(t)", "-'x'"},
    {"", "1000, 'all', 'memo', 1, 2, 3, 4.5, 5.5, 6.25, #2020-01-01#, Yes"},
    {"(t)", "'semicolon'", ";"},
    {"(t)", "'trailing'", " WHERE"},
};

class ConstantInsertTest : public SchemaTest {};

// Each statement runs into table A of this database through Execute's own path, and into table A
// of another database through the translation of its text alone: the records written, the
// error and the rows must agree.
TEST_F(ConstantInsertTest, SharedTranslationWritesAndRefusesAsItsOwnText) {
  std::shared_ptr<Database> other = engine_->CreateDatabase(dir_.File("other.mdb"), "1033", 0);
  db_->Execute(std::string("CREATE TABLE A") + kDesign);
  other->Execute(std::string("CREATE TABLE A") + kDesign);
  for (const int options : {kFailOnError, 0}) {
    for (const InsertCase& c : kInserts) {
      const std::string text = std::string("INSERT INTO A ") + c.fields + " VALUES (" + c.values + ")" + c.tail;
      SCOPED_TRACE(text + " options " + std::to_string(options));
      int shared = -1, own = -1;
      const CaughtError shared_error = ErrorOf([&] { shared = ExecuteStatement(*db_->File(), text, {}, options); });
      const CaughtError own_error = ErrorOf([&] {
        DatabaseFile& file = *other->File();
        own = ExecuteAction(file, *file.Translate(text), {}, options);
      });
      EXPECT_EQ(shared_error.number, own_error.number);
      EXPECT_EQ(shared_error.message, own_error.message);
      EXPECT_EQ(shared, own);
    }
  }
  const std::string columns = "SELECT quote(id), quote(t), quote(m), quote(l), quote(i), quote(b), quote(d), "
                              "quote(s), quote(c), quote(dt), quote(y) FROM A ORDER BY id";
  const std::string rows = Select(columns);
  EXPECT_EQ(rows, Query(other->File()->EngineConnection(false), columns));
  EXPECT_NE(rows.find("'it''s'|NULL|5|NULL|NULL|2.5"), std::string::npos) << rows;
  EXPECT_NE(rows.find("'say \"hi\"'|'a''b''c'"), std::string::npos) << rows;
  other->Close();
}

// The shared translation follows the table's design and the transaction it was made in.
TEST_F(ConstantInsertTest, SharedTranslationFollowsDesignChangesAndRollback) {
  db_->Execute("CREATE TABLE C (id COUNTER PRIMARY KEY, f TEXT(10))");
  db_->Execute("INSERT INTO C (f) VALUES ('12')");
  db_->Execute("ALTER TABLE C ALTER COLUMN f LONG");
  EXPECT_EQ(ErrorOf([&] { db_->Execute("INSERT INTO C (f) VALUES ('xyz')"); }).number, 3464);
  db_->Execute("INSERT INTO C (f) VALUES ('13')");
  EXPECT_EQ(Select("SELECT quote(f), 1 FROM C ORDER BY id"), "12|1\n13|1\n");

  db_->BeginTrans();
  db_->Execute("CREATE TABLE D (f TEXT(10))");
  db_->Execute("INSERT INTO D (f) VALUES ('one')");
  db_->Rollback();
  EXPECT_EQ(ErrorOf([&] { db_->Execute("INSERT INTO D (f) VALUES ('two')"); }).number, 3078);
  db_->Execute("CREATE TABLE D (f DATETIME)");
  db_->Execute("INSERT INTO D (f) VALUES ('2001-02-28')");
  EXPECT_EQ(Select("SELECT quote(f), 1 FROM D"), "36950.0|1\n");
}

// A single row that fails leaves the rows before it and the transaction around it, in or out
// of a transaction, and a relationship's check refuses the row before anything is written.
TEST_F(ConstantInsertTest, FailingRowLeavesTheTransactionAndEarlierRows) {
  db_->Execute("CREATE TABLE P (id LONG PRIMARY KEY)");
  db_->Execute("CREATE TABLE K (id COUNTER PRIMARY KEY, p LONG, t TEXT(3), "
               "CONSTRAINT fk FOREIGN KEY (p) REFERENCES P (id))");
  db_->Execute("INSERT INTO P (id) VALUES (1)");
  db_->BeginTrans();
  db_->Execute("INSERT INTO K (p, t) VALUES (1, 'a')");
  EXPECT_EQ(ErrorOf([&] { db_->Execute("INSERT INTO K (p, t) VALUES (1, 'long')", kFailOnError); }).number, 3163);
  EXPECT_EQ(ErrorOf([&] { db_->Execute("INSERT INTO K (p, t) VALUES (2, 'b')", kFailOnError); }).number, 3201);
  db_->Execute("INSERT INTO K (p, t) VALUES (Null, 'c')");
  EXPECT_EQ(db_->TransactionDepth(), 1);
  db_->CommitTrans();
  EXPECT_EQ(ErrorOf([&] { db_->Execute("INSERT INTO K (p, t) VALUES (3, 'd')", kFailOnError); }).number, 3201);
  db_->Execute("INSERT INTO K (p, t) VALUES (3, 'e')");  // skipped without dbFailOnError
  EXPECT_EQ(db_->RecordsAffected(), 0);
  EXPECT_EQ(Select("SELECT quote(p), quote(t) FROM K ORDER BY id"), "1|'a'\nNULL|'c'\n");
}

// The cache shares one translation per shape and gives each statement its own constants; the
// statements it cannot share come back null, for the caller to translate as themselves.
TEST(ConstantShapeCacheTest, SharesOneTranslationPerShape) {
  sql::MemorySchema schema;
  schema.AddTable("T", {{"Name", 10, 50}, {"Qty", 4, 0}, {"Price", 5, 0}, {"When", 8, 0}});
  sql::TranslationCache cache;
  std::vector<Variant> constants;
  const auto first = cache.GetShared("INSERT INTO T (Name, Qty) VALUES ('a', -1)", schema, {}, &constants);
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(first->sql.find("'a'"), std::string::npos) << first->sql;
  const auto second = cache.GetShared("INSERT INTO T (Name, Qty) VALUES ('it''s', -20)", schema, {}, &constants);
  EXPECT_EQ(second, first);
  EXPECT_EQ(cache.misses(), 1u);
  ASSERT_EQ(constants.size(), 2u);
  EXPECT_EQ(constants[0].ToString(), "it's");
  EXPECT_EQ(constants[1].Type(), VarType::Int32);
  EXPECT_EQ(constants[1].ToInt64(), -20);

  struct Unshared {
    const char* text;
  };
  const Unshared kUnshared[] = {
      {"INSERT INTO T (Name, Qty) VALUES ('a', 'many')"},  // refused: its own translation says where
      {"INSERT INTO T (Price) VALUES (2.5)"},              // Currency: the exact amount is in the SQL
      {"INSERT INTO T (Name) VALUES ('a' & 'b')"},
      {"INSERT INTO T (Name) SELECT Name FROM T"},
      {"INSERT INTO T (Qty) VALUES (- -1)"},
      {"INSERT INTO T (When) VALUES (-#2001-01-01#)"},
      {"INSERT INTO Nowhere (Qty) VALUES (1)"},
      {"INSERT INTO T (Name) VALUES ('unterminated)"},
      {"UPDATE T SET Qty = 1"},
  };
  for (const Unshared& u : kUnshared) {
    EXPECT_EQ(cache.GetShared(u.text, schema, {}, &constants), nullptr) << u.text;
  }
  // A shape refused for one constant still serves the same shape with a good one.
  EXPECT_NE(cache.GetShared("INSERT INTO T (Name, Qty) VALUES ('a', '7')", schema, {}, &constants), nullptr);
  schema.AddTable("T", {{"Name", 10, 50}, {"Qty", 10, 20}});
  const auto after_change = cache.GetShared("INSERT INTO T (Name, Qty) VALUES ('b', 2)", schema, {}, &constants);
  ASSERT_NE(after_change, nullptr);
  EXPECT_NE(after_change, first);
}

}  // namespace
}  // namespace qb::jet::test
