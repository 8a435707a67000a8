// Field definitions and values through the recordset component: the engine's column types
// and the field types, sizes and classes made for them, names that differ only in case, Null
// values, numbers of another kind, and the record-buffer layout.
#include <gtest/gtest.h>

#include "framework/data/field.h"
#include "recordset/recordset_fixture.h"

namespace qb::test {
namespace {

class FieldsTest : public RecordsetTest {
 protected:
  void SetUp() override {
    RecordsetTest::SetUp();
    Exec("CREATE TABLE Kinds (Id COUNTER CONSTRAINT PK PRIMARY KEY, Flag YESNO, Tiny BYTE, Small SHORT, Big LONG, "
         "Money CURRENCY, Single1 SINGLE, Double1 DOUBLE, Stamp DATETIME, Txt TEXT(12), Notes MEMO, Pic LONGBINARY, "
         "G GUID)");
    Exec("INSERT INTO Kinds (Flag, Tiny, Small, Big, Money, Single1, Double1, Stamp, Txt, Notes) VALUES "
         "(True, 200, -5, 70000, 12.3456, 1.5, 2.25, #2/3/2020 10:00#, 'hello', 'long text')");
    Exec("INSERT INTO Kinds (Txt) VALUES (Null)");
  }
};

// The recordset alone makes the framework's classes for the currency, date-time, memo and blob
// kinds; the fields layer's own classes, once installed, are tested with that layer.
TEST_F(FieldsTest, EachColumnTypeGetsItsFieldTypeSizeAndClass) {
  auto rs = Make(rtTable, "Kinds");
  rs->Open();
  struct Case {
    const char* name;
    TFieldType type;
    int size;
    const char* cls;
  } cases[] = {
      {"Id", ftAutoInc, 0, "TAutoIncField"},        {"Flag", ftBoolean, 0, "TBooleanField"},
      {"Tiny", ftSmallint, 0, "TSmallintField"},    {"Small", ftSmallint, 0, "TSmallintField"},
      {"Big", ftInteger, 0, "TIntegerField"},       {"Money", ftCurrency, 0, "TCurrencyField"},
      {"Single1", ftFloat, 0, "TFloatField"},       {"Double1", ftFloat, 0, "TFloatField"},
      {"Stamp", ftDateTime, 0, "TDateTimeField"}, {"Txt", ftString, 12, "TStringField"},
      {"Notes", ftMemo, 0, "TMemoField"},        {"Pic", ftBlob, 0, "TBlobField"},
      {"G", ftString, 50, "TStringField"},
  };
  ASSERT_EQ(rs->FieldDefs().Count(), static_cast<int>(std::size(cases)));
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const TFieldDef* def = rs->FieldDefs().Find(c.name);
    ASSERT_NE(def, nullptr);
    EXPECT_EQ(def->data_type, c.type);
    if (c.type != ftMemo && c.type != ftBlob) {
      EXPECT_EQ(def->size, c.size);
    }
    EXPECT_STREQ(rs->FieldByName(c.name)->ClassName(), c.cls);
    EXPECT_EQ(rs->FieldByName(c.name)->ReadOnly(), c.type == ftAutoInc);
  }
}

TEST_F(FieldsTest, ValuesReadInTheirNativeFormAndNullReadsAsNoValue) {
  auto rs = Make(rtTable, "Kinds");
  rs->Open();
  EXPECT_TRUE(rs->FieldByName("Flag")->AsBoolean());
  EXPECT_EQ(rs->FieldByName("Tiny")->AsInteger(), 200);
  EXPECT_EQ(rs->FieldByName("Small")->AsInteger(), -5);
  EXPECT_EQ(rs->FieldByName("Big")->AsInteger(), 70000);
  EXPECT_EQ(rs->FieldByName("Money")->AsCurrency().Scaled(), 123456);
  EXPECT_DOUBLE_EQ(rs->FieldByName("Single1")->AsFloat(), 1.5);
  EXPECT_DOUBLE_EQ(rs->FieldByName("Double1")->AsFloat(), 2.25);
  EXPECT_DOUBLE_EQ(rs->FieldByName("Stamp")->AsDateTime(), 43864 + 10.0 / 24);
  EXPECT_EQ(rs->FieldByName("Txt")->AsString(), "hello");
  EXPECT_FALSE(rs->FieldByName("Notes")->IsNull());
  EXPECT_TRUE(rs->FieldByName("Pic")->IsNull());
  rs->Next();
  for (const char* name : {"Flag", "Tiny", "Big", "Money", "Stamp", "Txt", "Notes"}) {
    SCOPED_TRACE(name);
    EXPECT_TRUE(rs->FieldByName(name)->IsNull() || std::string(name) == "Flag");
  }
  EXPECT_FALSE(rs->FieldByName("Flag")->AsBoolean());
}

TEST_F(FieldsTest, ValuesWrittenComeBackUnchanged) {
  auto rs = Make(rtQuery, "SELECT * FROM Kinds ORDER BY Id");
  rs->Open();
  rs->Edit();
  rs->FieldByName("Flag")->SetAsBoolean(false);
  rs->FieldByName("Tiny")->SetAsInteger(7);
  rs->FieldByName("Small")->SetAsInteger(-300);
  rs->FieldByName("Big")->SetAsInteger(-70000);
  rs->FieldByName("Money")->SetAsCurrency(Currency::FromScaled(-99999));
  rs->FieldByName("Double1")->SetAsFloat(-0.125);
  rs->FieldByName("Stamp")->SetAsDateTime(40000.5);
  rs->FieldByName("Txt")->SetAsString("twelve chars");
  rs->Post();
  rs->Close();
  rs->Open();
  EXPECT_FALSE(rs->FieldByName("Flag")->AsBoolean());
  EXPECT_EQ(rs->FieldByName("Tiny")->AsInteger(), 7);
  EXPECT_EQ(rs->FieldByName("Small")->AsInteger(), -300);
  EXPECT_EQ(rs->FieldByName("Big")->AsInteger(), -70000);
  EXPECT_EQ(rs->FieldByName("Money")->AsCurrency().Scaled(), -99999);
  EXPECT_DOUBLE_EQ(rs->FieldByName("Double1")->AsFloat(), -0.125);
  EXPECT_DOUBLE_EQ(rs->FieldByName("Stamp")->AsDateTime(), 40000.5);
  EXPECT_EQ(rs->FieldByName("Txt")->AsString(), "twelve chars");
}

TEST_F(FieldsTest, AValueItsFieldCannotHoldIsRefusedNotReadAsZero) {
  // A computed Long column whose product left the Long range: its value comes as a Double.
  Exec("CREATE TABLE One (Id COUNTER CONSTRAINT OK PRIMARY KEY, Big LONG)");
  Exec("INSERT INTO One (Big) VALUES (2)");
  auto rs = Make(rtSnapshot, "SELECT Big * 2147483647 AS Product FROM One");
  const Raised raised = RaisedBy([&] { rs->Open(); });
  EXPECT_TRUE(raised.Any()) << "the product must not show as 0";
  EXPECT_FALSE(rs->Active());
  EXPECT_TRUE(rs->Fields().empty());
  EXPECT_FALSE(rs->CursorIsOpen());
}

TEST_F(FieldsTest, BuffersAreFixedBlocksOfSlotsAndHasValueBytes) {
  auto rs = Make(rtQuery, "SELECT Id, Txt, Notes, Big FROM Kinds");
  rs->Open();
  // Id 4+1, Txt 12+1+1, Notes 0+1, Big 4+1.
  EXPECT_EQ(rs->RecordDataSize(), 25);
  EXPECT_EQ(rs->FieldByName("Txt")->Offset(), 5);
  EXPECT_EQ(rs->FieldByName("Notes")->Offset(), 19);
  EXPECT_EQ(rs->FieldByName("Big")->Offset(), 20);
}

TEST_F(FieldsTest, RequiredComesFromTheEngineOnlyWhenAskedFor) {
  Exec("CREATE TABLE Must (A TEXT(5) NOT NULL, B TEXT(5))");
  for (bool ask : {false, true}) {
    auto rs = Make(rtTable, "Must");
    if (ask) rs->SetOptions(rs->Options() | Opt(roRetrieveFieldRequiredAttributesOnOpen));
    rs->Open();
    EXPECT_EQ(rs->FieldByName("A")->Required(), ask);
    EXPECT_FALSE(rs->FieldByName("B")->Required());
  }
}

}  // namespace
}  // namespace qb::test
