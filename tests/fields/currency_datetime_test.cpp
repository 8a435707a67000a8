// Currency and date-time fields over a real table: the conversions and their rounding, the
// range, text in and out by the user's settings, 65229 for text that is no amount, Precision's
// limits, the date-time text chosen by the value, and the classes the recordset makes.
#include <gtest/gtest.h>

#include <functional>

#include "core/format_settings.h"
#include "core/resource_strings.h"
#include "fields/dao_blob_field.h"
#include "fields/dao_currency_field.h"
#include "fields/dao_datetime_field.h"
#include "fields/dao_graphic_field.h"
#include "fields/dao_memo_field.h"
#include "fields/fields_fixture.h"
#include "framework/data/data_errors.h"
#include "framework/data/data_source.h"

namespace qb::test {
namespace {

class CurrencyDateTimeTest : public FieldsLayerTest {
 protected:
  void SetUp() override {
    FieldsLayerTest::SetUp();
    Exec("CREATE TABLE Sales (Id COUNTER CONSTRAINT PK PRIMARY KEY, Amount CURRENCY, Stamp DATETIME, "
         "Notes MEMO, Pic LONGBINARY)");
    Exec("INSERT INTO Sales (Amount, Stamp) VALUES (1234.5, #1/1/2000#)");
    rs_ = OpenTable("Sales");
    money_ = qobject_cast<TDAOCurrencyField*>(rs_->FieldByName("Amount"));
    stamp_ = qobject_cast<TDAODateTimeField*>(rs_->FieldByName("Stamp"));
    ASSERT_NE(money_, nullptr);
    ASSERT_NE(stamp_, nullptr);
    rs_->Edit();
  }
  void TearDown() override {
    rs_.reset();
    FieldsLayerTest::TearDown();
  }

  ScopedFormatSettings us_{FormatSettings::Default()};
  std::unique_ptr<TDAORecordset> rs_;
  TDAOCurrencyField* money_ = nullptr;
  TDAODateTimeField* stamp_ = nullptr;
};

TEST_F(CurrencyDateTimeTest, TheRecordsetMakesTheFieldsLayersClasses) {
  EXPECT_STREQ(rs_->FieldByName("Notes")->ClassName(), "TDAOMemoField");
  EXPECT_STREQ(rs_->FieldByName("Pic")->ClassName(), "TDAOBlobField");
  EXPECT_EQ(rs_->FieldByName("Notes")->DataType(), ftMemo);
  EXPECT_TRUE(qobject_cast<TDAOMemoField*>(rs_->FieldByName("Notes"))->Transliterate());
  TDAOGraphicField graphic;
  EXPECT_EQ(graphic.DataType(), ftGraphic);
}

TEST_F(CurrencyDateTimeTest, CurrencyConversions) {
  const struct {
    const char* name;
    std::function<void()> write;
    std::int64_t scaled;
    std::int32_t as_integer;
  } cases[] = {
      {"float rounds at the fourth decimal", [&] { money_->SetAsFloat(12.34567); }, 123457, 12},
      {"integer", [&] { money_->SetAsInteger(-42); }, -420000, -42},
      {"text", [&] { money_->SetAsString("2.5"); }, 25000, 2},  // halves to even
      {"text with a sign", [&] { money_->SetAsString("-3.5"); }, -35000, -4},
      {"variant", [&] { money_->SetAsVariant(Variant(7.00005)); }, 70000, 7},
      {"variant text", [&] { money_->SetAsVariant(Variant("0.0001")); }, 1, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    c.write();
    EXPECT_EQ(money_->AsCurrency().Scaled(), c.scaled);
    EXPECT_EQ(money_->AsInteger(), c.as_integer);
    EXPECT_DOUBLE_EQ(money_->AsFloat(), static_cast<double>(c.scaled) / 10000);
    EXPECT_EQ(money_->AsVariant(), Variant(Currency::FromScaled(c.scaled)));
  }
  rs_->Post();
  EXPECT_EQ(rs_->FieldByName("Amount")->AsString(), "0.0001");
}

TEST_F(CurrencyDateTimeTest, CurrencyRangeIsCheckedOnlyWhenSet) {
  money_->SetAsFloat(-5000);  // no range: anything goes
  EXPECT_FALSE(money_->CheckRange());
  money_->SetMaxValue(Currency::FromInteger(100));
  EXPECT_TRUE(money_->CheckRange());
  const struct {
    double value;
    bool refused;
  } cases[] = {{100.01, true}, {-1, true}, {100, false}, {0, false}, {50.5, false}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.value);
    money_->SetAsInteger(33);
    const Raised raised = RaisedBy([&] { money_->SetAsFloat(c.value); });
    if (c.refused) {
      EXPECT_EQ(raised.type, "EDatabaseError");
      EXPECT_EQ(raised.text, Format(ResString(kResFieldValueOutOfRange), c.value, "Amount", 0.0, 100.0));
      EXPECT_EQ(money_->AsInteger(), 33);  // nothing stored
    } else {
      EXPECT_FALSE(raised.Any()) << raised.text;
    }
  }
  EXPECT_TRUE(RaisedBy([&] { money_->SetAsString("100.01"); }).Any());
  money_->SetMaxValue(Currency());
  EXPECT_FALSE(money_->CheckRange());
}

TEST_F(CurrencyDateTimeTest, CurrencyFromText) {
  money_->SetAsString("");
  EXPECT_TRUE(money_->IsNull());
  EXPECT_EQ(money_->AsString(), "");
  EXPECT_TRUE(money_->AsVariant().IsNull());
  for (const char* text : {"12abc", "$12", "1,234", "1e999"}) {
    SCOPED_TRACE(text);
    const Raised raised = RaisedBy([&] { money_->SetAsString(text); });
    EXPECT_EQ(raised.type, "EDAOError");
    EXPECT_EQ(raised.text, Format(ResString(kResInvalidCurrencyText), text, "Amount"));
    EXPECT_EQ(raised.method, "SetAsString");
  }
  // Typed characters: signs, digits and the decimal separator.
  for (char c : std::string("+-0123456789.")) EXPECT_TRUE(money_->IsValidChar(static_cast<unsigned char>(c))) << c;
  for (char c : std::string("eE$, a")) EXPECT_FALSE(money_->IsValidChar(static_cast<unsigned char>(c))) << c;
}

TEST_F(CurrencyDateTimeTest, CurrencyTextForDisplayAndEditing) {
  money_->SetAsString("-1234.5678");
  const struct {
    const char* display_format;
    const char* edit_format;
    int precision;
    const char* display;
    const char* edit;
  } cases[] = {
      {"", "", 2, "($1,234.57)", "-1234.5678"},
      {"", "", 0, "($1,235)", "-1234.5678"},
      {"0.0000", "", 2, "-1234.5678", "-1234.5678"},  // a display format that reads back serves editing
      {"0.00", "", 2, "-1234.57", "-1234.5678"},      // one that loses digits does not,
      {"#,##0.0000", "", 2, "-1,234.5678", "-1234.5678"},  // nor one that groups thousands
      {"#,##0.00", "0.0", 2, "-1,234.57", "-1234.6"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.display_format << "|" << c.edit_format << "|" << c.precision);
    money_->SetDisplayFormat(c.display_format);
    money_->SetEditFormat(c.edit_format);
    money_->SetPrecision(c.precision);
    EXPECT_EQ(money_->DisplayText(), c.display);
    EXPECT_EQ(money_->Text(), c.edit);
    money_->SetText(money_->Text());  // an unchanged edit stores back without an error
  }
  money_->Clear();
  EXPECT_EQ(money_->DisplayText(), "");
}

TEST_F(CurrencyDateTimeTest, PrecisionIsLimitedAndReportsChanges) {
  struct PropertyLink : TDataLink {
    int changes = 0;
    void FieldPropertyChanged(TField*) override { ++changes; }
  };
  TDataSource source;
  source.SetDataSet(rs_.get());
  PropertyLink link;
  link.SetDataSource(&source);
  const int& changes = link.changes;
  const struct {
    int set;
    int stored;
    int changes;
  } cases[] = {{20, 15, 1}, {15, 15, 1}, {-3, 0, 2}, {2, 2, 3}, {2, 2, 3}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.set);
    money_->SetPrecision(c.set);
    EXPECT_EQ(money_->Precision(), c.stored);
    EXPECT_EQ(changes, c.changes);
  }
}

TEST_F(CurrencyDateTimeTest, DateTimeTextFollowsTheValue) {
  const struct {
    double value;
    const char* text;
  } cases[] = {
      {0, ""},
      {0.5, "12:00:00 PM"},
      {36526, "1/1/2000"},
      {36526.5, "1/1/2000 12:00:00 PM"},
      {-1.25, "12/29/1899 6:00:00 AM"},
      {-0.75, "6:00:00 PM"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.value);
    stamp_->SetAsDateTime(c.value);
    EXPECT_DOUBLE_EQ(stamp_->AsDateTime(), c.value);
    EXPECT_EQ(stamp_->AsVariant(), Variant::FromDate(c.value));
    EXPECT_EQ(stamp_->DisplayText(), c.text);
    EXPECT_EQ(stamp_->Text(), c.text);
  }
  // A display format serves display only.
  stamp_->SetAsDateTime(36526.5);
  stamp_->SetDisplayFormat("yyyy-mm-dd");
  stamp_->SetEditFormat("hh:nn");
  EXPECT_EQ(stamp_->DisplayText(), "2000-01-01");
  EXPECT_EQ(stamp_->Text(), "1/1/2000 12:00:00 PM");
  stamp_->SetText("2/3/2001 4:05:06 AM");
  EXPECT_EQ(stamp_->DisplayText(), "2001-02-03");
  stamp_->Clear();
  EXPECT_EQ(stamp_->DisplayText(), "");
  EXPECT_TRUE(stamp_->AsVariant().IsNull());
  EXPECT_EQ(stamp_->AsDateTime(), 0);
}

}  // namespace
}  // namespace qb::test
