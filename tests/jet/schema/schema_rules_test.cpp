// Validation rules on real files: field rules written without their field ("> 0", "Like 'x*' Or
// Like 'f*'"), table rules comparing fields, rules refused when they are set, and comparisons of
// a field with a literal of the other kind.
#include <gtest/gtest.h>

#include <vector>

#include "jet/catalog/schema_model.h"
#include "schema_test_support.h"

namespace qb::jet::test {
namespace {

constexpr int kSyntax = 3075;
constexpr int kNotAField = 3070;
constexpr int kCriteriaMismatch = 3464;

class SchemaRulesTest : public SchemaTest {
 protected:
  void SetUp() override {
    SchemaTest::SetUp();
    db_->Execute("CREATE TABLE T (Id COUNTER, Code TEXT(10), Score LONG, Low LONG, High LONG)");
    Table("T")->Fields()->Item("Code")->SetAllowZeroLength(true);
  }
  // The error number of inserting VALUE (SQL literal) into FIELD; 0 when it is stored.
  int Insert(const std::string& field, const std::string& value) {
    return ErrorOf([&] { Exec("INSERT INTO T (" + field + ") VALUES (" + value + ")"); }).number;
  }
};

struct RuleCase {
  const char* field;
  const char* rule;
  std::vector<const char*> accepted;  // SQL literals the rule lets in
  std::vector<const char*> refused;   // SQL literals it keeps out
};

TEST_F(SchemaRulesTest, FieldRulesWithoutTheirFieldCompareTheField) {
  const std::vector<RuleCase> cases = {
      {"Code", "Like 'x*' Or Like 'f*'", {"'xa'", "'FOO'", "NULL"}, {"'abc'", "''"}},
      {"Code", "Not Like 'a*'", {"'b'"}, {"'ABC'"}},
      {"Code", "<> ''", {"'a'", "NULL"}, {"''"}},
      {"Code", "In ('a', 'b')", {"'A'", "'b'"}, {"'c'"}},
      {"Code", "Not In ('a', 'b')", {"'c'"}, {"'a'"}},
      {"Code", "Is Not Null", {"'a'"}, {"NULL"}},
      {"Code", "[Code] Like 'x*' Or Like '#'", {"'x1'", "'7'"}, {"'77'"}},
      {"Score", ">= 0 And <= 100", {"0", "100", "NULL"}, {"-1", "101"}},
      {"Score", "Between 1 And 5", {"1", "5"}, {"0", "6"}},
      {"Score", "Not Between 1 And 5", {"0"}, {"3"}},
      {"Score", "(> 10 Or < 0) And <> 99", {"11", "-5"}, {"5", "99"}},
      {"Score", "= 3 Or Is Null", {"3", "NULL"}, {"4"}},
      {"Score", "> 2 * 3", {"7"}, {"6"}},
  };
  for (const RuleCase& c : cases) {
    SCOPED_TRACE(std::string(c.field) + ": " + c.rule);
    auto field = Table("T")->Fields()->Item(c.field);
    field->SetValidationRule(c.rule);
    EXPECT_EQ(field->ValidationRule(), c.rule);
    for (const char* value : c.accepted) EXPECT_EQ(Insert(c.field, value), 0) << value;
    for (const char* value : c.refused) EXPECT_EQ(Insert(c.field, value), err::kFieldRule) << value;
    // Updates are checked as inserts are.
    if (!c.refused.empty()) {
      Exec(std::string("INSERT INTO T (Id, ") + c.field + ") VALUES (1000, " + c.accepted.front() + ")");
      EXPECT_EQ(ErrorOf([&] { Exec(std::string("UPDATE T SET ") + c.field + " = " + c.refused.front() + " WHERE Id = 1000"); })
                    .number,
                err::kFieldRule);
    }
    Exec("DELETE FROM T");
    field->SetValidationRule("");
  }
}

TEST_F(SchemaRulesTest, RulesThatCannotHoldAreRefusedWhenSetAndChangeNothing) {
  const std::string before = DumpCatalog(Sql());
  auto fields = Table("T")->Fields();
  EXPECT_EQ(ErrorOf([&] { fields->Item("Score")->SetValidationRule("> "); }).number, kSyntax);
  EXPECT_EQ(ErrorOf([&] { fields->Item("Score")->SetValidationRule("Like"); }).number, kSyntax);
  EXPECT_EQ(ErrorOf([&] { fields->Item("Score")->SetValidationRule("> [Low]"); }).number, kNotAField);
  // A Text field against a number, a number field against text that is no number.
  EXPECT_EQ(ErrorOf([&] { fields->Item("Code")->SetValidationRule("> 5"); }).number, kCriteriaMismatch);
  EXPECT_EQ(ErrorOf([&] { fields->Item("Code")->SetValidationRule("In ('a', -1)"); }).number, kCriteriaMismatch);
  EXPECT_EQ(ErrorOf([&] { fields->Item("Score")->SetValidationRule("<> ''"); }).number, kCriteriaMismatch);
  EXPECT_EQ(ErrorOf([&] { fields->Item("Score")->SetValidationRule("Between 'a' And 'z'"); }).number,
            kCriteriaMismatch);
  EXPECT_EQ(ErrorOf([&] { Table("T")->SetValidationRule("[Nope] > 1"); }).number, kNotAField);
  EXPECT_EQ(ErrorOf([&] { Table("T")->SetValidationRule("[Low] <"); }).number, kSyntax);
  EXPECT_EQ(ErrorOf([&] { Table("T")->SetValidationRule("[Code] = 1"); }).number, kCriteriaMismatch);
  EXPECT_EQ(DumpCatalog(Sql()), before);
  EXPECT_EQ(fields->Item("Score")->ValidationRule(), "");

  // Text that reads as a number compares with a number field; so do expressions over the field.
  fields->Item("Score")->SetValidationRule("<> '13'");
  EXPECT_EQ(Insert("Score", "13"), err::kFieldRule);
  fields->Item("Code")->SetValidationRule("Len([Code]) < 3");
  EXPECT_EQ(Insert("Code", "'abc'"), err::kFieldRule);
  EXPECT_EQ(Insert("Code", "'ab'"), 0);

  // A definition not yet appended checks its rule as it is set, and keeps none that fails.
  auto loose = db_->CreateTableDef("Loose")->CreateField("A", 10, 5);
  EXPECT_EQ(ErrorOf([&] { loose->SetValidationRule("Like"); }).number, kSyntax);
  EXPECT_EQ(ErrorOf([&] { loose->SetValidationRule("= 1"); }).number, kCriteriaMismatch);
  EXPECT_EQ(loose->ValidationRule(), "");
}

TEST_F(SchemaRulesTest, TableRulesCompareFieldsOnEveryWrite) {
  auto table = Table("T");
  table->SetValidationRule("[Low] <= [High] Or [Low] Is Null Or [High] Is Null");
  table->SetValidationText("Low may not pass High.");
  EXPECT_EQ(ErrorOf([&] { Exec("INSERT INTO T (Low, High) VALUES (1, 2), (2, 2), (NULL, 1)"); }).number, 0);
  const CaughtError refused = ErrorOf([&] { Exec("INSERT INTO T (Low, High) VALUES (3, 2)"); });
  EXPECT_EQ(refused.number, err::kTableRule);
  EXPECT_EQ(refused.message, "Low may not pass High.");
  EXPECT_EQ(ErrorOf([&] { Exec("UPDATE T SET High = 0 WHERE Low = 1"); }).number, err::kTableRule);
  EXPECT_EQ(Select("SELECT Low, High FROM T ORDER BY Id"), "1|2\n2|2\n<null>|1\n");

  // A rule given before the table is appended holds once it is; its syntax is checked at once,
  // its names on append.
  auto spans = db_->CreateTableDef("Spans");
  EXPECT_EQ(ErrorOf([&] { spans->SetValidationRule("[A] <"); }).number, kSyntax);
  EXPECT_EQ(spans->ValidationRule(), "");
  spans->Fields()->Append(spans->CreateField("A", 4));
  spans->Fields()->Append(spans->CreateField("B", 4));
  spans->SetValidationRule("[A] < [B]");
  auto broken = db_->CreateTableDef("Broken");
  broken->Fields()->Append(broken->CreateField("A", 4));
  broken->SetValidationRule("[Nope] > 1");
  EXPECT_EQ(ErrorOf([&] { db_->TableDefs()->Append(broken); }).number, kNotAField);
  db_->TableDefs()->Append(spans);
  EXPECT_EQ(ErrorOf([&] { Exec("INSERT INTO Spans VALUES (2, 1)"); }).number, err::kTableRule);
  EXPECT_EQ(ErrorOf([&] { Exec("INSERT INTO Spans VALUES (1, 2)"); }).number, 0);
}

TEST_F(SchemaRulesTest, RulesReadFromTheFileAfterReopening) {
  Table("T")->Fields()->Item("Code")->SetValidationRule("Like 'x*' Or Like 'f*'");
  db_->Close();
  db_ = workspace_->OpenDatabase(path_);
  EXPECT_EQ(Table("T")->Fields()->Item("Code")->ValidationRule(), "Like 'x*' Or Like 'f*'");
  EXPECT_EQ(Insert("Code", "'q'"), err::kFieldRule);
  // A later change to the table rebuilds it with the rule still in force.
  Table("T")->Fields()->Item("Score")->SetName("Points");
  EXPECT_EQ(Insert("Code", "'q'"), err::kFieldRule);
  EXPECT_EQ(Insert("Code", "'fx'"), 0);
}

}  // namespace
}  // namespace qb::jet::test
