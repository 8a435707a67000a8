// Display and edit formats of the numeric, currency and date fields: what DisplayText and
// Text show, and that the edit text reads back.
#include <gtest/gtest.h>

#include "core/date_serial.h"
#include "framework/data/dataset_fixture.h"
#include "framework/data/field_classes.h"

namespace qb::testing {
namespace {

std::unique_ptr<TMemoryDataSet> MakeNumbers() {
  auto ds = std::make_unique<TMemoryDataSet>(std::vector<MemColumn>{
      {"I", ftInteger}, {"F", ftFloat}, {"C", ftCurrency}, {"L", ftLargeint}, {"D", ftDate}});
  ds->Open();
  ds->Append();
  return ds;
}

TEST(FieldFormat, DisplayAndEditTextFollowTheirPictures) {
  struct Case {
    const char* field;
    const char* value;  // set through SetAsString (plain form)
    const char* display_format;
    const char* edit_format;
    const char* display_text;
    const char* edit_text;
  };
  const Case cases[] = {
      {"F", "1234.5", "#,##0.00", "", "1,234.50", "1234.5"},
      {"F", "1234.5", "#,##0.00", "0.000", "1,234.50", "1234.500"},
      {"F", "-2.5", "0.0;(0.0)", "", "(2.5)", "-2.5"},
      {"F", "0", "0.00;-0.00;\"none\"", "", "none", "0"},
      {"F", "0.125", "0.###", "", "0.125", "0.125"},
      {"I", "1234567", "#,##0", "", "1,234,567", "1234567"},
      {"I", "-7", "000;(000)", "0", "(007)", "-7"},
      {"L", "9007199254740993", "#,##0", "", "9,007,199,254,740,993", "9007199254740993"},
      {"C", "1234.5678", "#,##0.00", "0.0000", "1,234.57", "1234.5678"},
      {"C", "-0.004", "0.00;(0.00);\"-\"", "", "-", "-0.004"},
      {"F", "1234.5", "", "", "1234.5", "1234.5"},
  };
  ScopedFormatSettings us(FormatSettings::Default());
  for (const Case& c : cases) {
    auto ds = MakeNumbers();
    TField* field = ds->FieldByName(c.field);
    field->SetAsString(c.value);
    field->SetDisplayFormat(c.display_format);
    field->SetEditFormat(c.edit_format);
    EXPECT_EQ(field->DisplayText(), c.display_text) << c.field << " " << c.display_format;
    EXPECT_EQ(field->Text(), c.edit_text) << c.field << " " << c.edit_format;
  }
}

TEST(FieldFormat, AsStringIgnoresThePictures) {
  ScopedFormatSettings us(FormatSettings::Default());
  auto ds = MakeNumbers();
  const char* names[] = {"I", "F", "C", "L"};
  for (const char* name : names) {
    TField* field = ds->FieldByName(name);
    field->SetAsString("1234");
    field->SetDisplayFormat("#,##0.00");
    field->SetEditFormat("\"n=\"0.0");
    EXPECT_EQ(field->AsString(), "1234") << name;
    EXPECT_EQ(field->Text(), "n=1234.0") << name;
    EXPECT_EQ(field->DisplayText(), "1,234.00") << name;
  }
}

TEST(FieldFormat, EditTextWithoutEditFormatReadsBack) {
  // A grouped display picture must not reach the edit text: "1,234.50" would not read back.
  ScopedFormatSettings us(FormatSettings::Default());
  auto ds = MakeNumbers();
  const char* names[] = {"I", "F", "C"};
  for (const char* name : names) {
    TField* field = ds->FieldByName(name);
    field->SetAsFloat(123456);
    field->SetDisplayFormat("#,##0.00 \"units\"");
    std::string edit = field->Text();
    EXPECT_NO_THROW(field->SetText(edit)) << name << " " << edit;
    EXPECT_EQ(field->AsFloat(), 123456) << name;
  }
}

TEST(FieldFormat, DatesShowTheDisplayPictureOnlyForDisplay) {
  ScopedFormatSettings us(FormatSettings::Default());
  auto ds = MakeNumbers();
  TField* d = ds->FieldByName("D");
  d->SetAsDateTime(EncodeDate(2024, 2, 29));
  d->SetDisplayFormat("dddd d mmmm yyyy");
  EXPECT_EQ(d->DisplayText(), "Thursday 29 February 2024");
  EXPECT_EQ(d->Text(), "2/29/2024") << "the short form reads back";
  d->SetText(d->Text());
  EXPECT_EQ(d->AsDateTime(), EncodeDate(2024, 2, 29));
}

TEST(FieldFormat, TheNumericClassesShareTheirBase) {
  TMemoryDataSet ds(std::vector<MemColumn>{{"I", ftInteger}, {"S", ftSmallint}, {"W", ftWord}, {"L", ftLargeint},
                                           {"A", ftAutoInc}, {"F", ftFloat}, {"C", ftCurrency}, {"B", ftBCD},
                                           {"Str", ftString, 5}, {"Bool", ftBoolean}, {"D", ftDateTime}});
  ds.Open();
  for (TField* field : ds.Fields()) {
    bool numeric = std::string("ISWLAFCB").find(field->FieldName()) != std::string::npos &&
                   field->FieldName().size() == 1;
    EXPECT_EQ(dynamic_cast<TNumericField*>(field) != nullptr, numeric) << field->FieldName();
  }
}

TEST(FieldFormat, NoValueShowsNothing) {
  auto ds = MakeNumbers();
  for (TField* field : ds->Fields()) {
    field->SetDisplayFormat("0.00;(0.00);\"zero\"");
    EXPECT_EQ(field->DisplayText(), "") << field->FieldName();
    EXPECT_EQ(field->Text(), "") << field->FieldName();
  }
}

}  // namespace
}  // namespace qb::testing
