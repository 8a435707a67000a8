// Object names match with case ignored the same way wherever they are looked up: the catalog
// collections, DDL, the SQL translator, saved queries, parameters and a recordset's Fields,
// for letters beyond ASCII too.
#include <gtest/gtest.h>

#include "jet/dao/querydef.h"
#include "jet/recordset/recordset.h"
#include "jet/base/unicode_text.h"
#include "schema_test_support.h"

namespace qb::jet::test {
namespace {

TEST(NameComparison, IgnoresCaseBeyondAsciiAndNothingElse) {
  struct Case {
    const char* a;
    const char* b;
    bool same;
  };
  for (const Case& c : {Case{"Äpfel", "äPFEL", true}, Case{"ÖL", "öl", true}, Case{"Straße", "STRASSE", true},
                        Case{"Name", "NAME", true}, Case{"Name", "Names", false}, Case{"Apfel", "Äpfel", false},
                        Case{"a b", "ab", false}, Case{"", "", true}, Case{"Σίσυφος", "ΣΊΣΥΦΟΣ", true}}) {
    SCOPED_TRACE(std::string(c.a) + " / " + c.b);
    EXPECT_EQ(SameName(c.a, c.b), c.same);
    EXPECT_EQ(!NameLess()(c.a, c.b) && !NameLess()(c.b, c.a), c.same);
  }
}

class NamesTest : public SchemaTest {
 protected:
  void SetUp() override {
    SchemaTest::SetUp();
    db_->Execute("CREATE TABLE [Öl] (Id LONG, [Äpfel] LONG, [Größe] TEXT(10))");
    db_->Execute("INSERT INTO [Öl] VALUES (1, 5, 'klein')");
  }

  std::string Rows(const std::string& sql, const std::vector<Variant>& parameters = {}) {
    auto query = db_->CreateQueryDef("", sql);
    for (std::size_t i = 0; i < parameters.size(); ++i) query->Parameters()->Item(static_cast<int>(i))->SetValue(parameters[i]);
    auto rs = query->OpenRecordset(kOpenSnapshot);
    std::string text;
    for (; !rs->Eof(); rs->MoveNext()) {
      for (int i = 0; i < rs->Fields()->Count(); ++i) {
        text += (i ? "|" : (text.empty() ? "" : "; ")) + rs->Fields()->Item(i)->Value().ToStringOrEmpty();
      }
    }
    return text;
  }
};

TEST_F(NamesTest, TheTranslatorFindsWhatTheCatalogFinds) {
  EXPECT_EQ(Rows("SELECT [äpfel], [GRÖSSE] FROM [öl]"), "5|klein");
  EXPECT_EQ(Rows("SELECT [ÖL].[ÄPFEL] FROM [ÖL] WHERE [öl].[größe] = 'klein'"), "5");
  db_->Execute("UPDATE [öl] SET [äpfel] = [ÄPFEL] + 1");
  db_->Execute("INSERT INTO [ÖL] (id, [äpfel]) VALUES (2, 7)");
  EXPECT_EQ(Rows("SELECT Sum([äpfel]) AS n FROM [Öl]"), "13");
  // A parameter spelt two ways is one parameter.
  EXPECT_EQ(Rows("PARAMETERS [Mindestgröße] Long; SELECT Id FROM [Öl] WHERE [Äpfel] >= [MINDESTGRÖSSE]",
                 {Variant(7)}),
            "2");
  EXPECT_EQ(ErrorOf([&] { db_->Execute("PARAMETERS [Maß] Long, [MASS] Long; SELECT 1"); }).number, 3139);
  // A name is taken whatever its case.
  EXPECT_EQ(ErrorOf([&] { db_->Execute("CREATE TABLE [öL] (x LONG)"); }).number, 3010);
  EXPECT_EQ(ErrorOf([&] { db_->Execute("ALTER TABLE [Öl] ADD COLUMN [ÄPFEL] LONG"); }).number, 3191);
  db_->Execute("ALTER TABLE [öl] DROP COLUMN [größe]");
  EXPECT_EQ(Rows("SELECT * FROM [Öl] WHERE Id = 1"), "1|6");
}

TEST_F(NamesTest, SavedQueriesAndRecordsetFieldsMatchTheSameWay) {
  db_->CreateQueryDef("Übersicht", "SELECT [Äpfel] FROM [Öl]");
  EXPECT_EQ(db_->QueryDefs()->Item("ÜBERSICHT")->Name(), "Übersicht");
  EXPECT_EQ(Rows("SELECT [äpfel] FROM [übersicht]"), "5");
  EXPECT_EQ(ErrorOf([&] { db_->CreateQueryDef("übersicht", "SELECT 1"); }).number, err::kObjectExists);
  auto rs = db_->OpenRecordset("übersicht", kOpenDynaset);
  EXPECT_EQ(rs->Fields()->Item("ÄPFEL")->Value().ToString(), "5");
  auto table = db_->OpenRecordset("öl", kOpenTable);
  EXPECT_EQ(table->Fields()->Item("äpfel")->Name(), "Äpfel");
  EXPECT_EQ(table->Fields()->Item("GRÖSSE")->Value().ToString(), "klein");
}

}  // namespace
}  // namespace qb::jet::test
