// The field classes: conversions in and out of every native format, range and length
// refusals, Null handling, text events, calculated fields and the default field classes.
#include <gtest/gtest.h>

#include <functional>

#include "core/date_serial.h"
#include "framework/data/blob_field.h"
#include "framework/data/field_classes.h"
#include "framework/data/dataset_fixture.h"

namespace qb::testing {
namespace {

std::unique_ptr<TMemoryDataSet> MakeTyped() {
  auto ds = std::make_unique<TMemoryDataSet>(std::vector<MemColumn>{
      {"I", ftInteger}, {"S", ftSmallint}, {"W", ftWord}, {"B", ftBoolean}, {"F", ftFloat},
      {"C", ftCurrency}, {"D", ftDate}, {"T", ftTime}, {"DT", ftDateTime}, {"Str", ftString, 5},
      {"L", ftLargeint}, {"Bin", ftBytes, 3}, {"VB", ftVarBytes, 4}, {"A", ftAutoInc}, {"BCD", ftBCD}});
  ds->Open();
  ds->Append();
  return ds;
}

TEST(Field, DefaultFieldsHaveTheClassOfTheirType) {
  auto ds = MakeTyped();
  struct Case {
    const char* name;
    const char* class_name;
    int data_size;
  };
  const Case cases[] = {
      {"I", "TIntegerField", 4},  {"S", "TSmallintField", 2},   {"W", "TWordField", 2},
      {"B", "TBooleanField", 2},  {"F", "TFloatField", 8},      {"C", "TCurrencyField", 8},
      {"D", "TDateField", 4},     {"T", "TTimeField", 4},       {"DT", "TDateTimeField", 8},
      {"Str", "TStringField", 6}, {"L", "TLargeintField", 8},   {"Bin", "TBytesField", 3},
      {"VB", "TVarBytesField", 6}, {"A", "TAutoIncField", 4},   {"BCD", "TBCDField", 8},
  };
  for (const Case& c : cases) {
    TField* field = ds->FieldByName(c.name);
    EXPECT_STREQ(field->ClassName(), c.class_name) << c.name;
    EXPECT_EQ(field->DataSize(), c.data_size) << c.name;
    EXPECT_TRUE(field->IsNull()) << c.name << ": a new record starts without values";
  }
}

TEST(Field, ValuesConvertBetweenKinds) {
  auto ds = MakeTyped();
  using Set = std::function<void(TField*)>;
  struct Case {
    const char* field;
    Set set;
    const char* as_string;
  };
  const Case cases[] = {
      {"I", [](TField* f) { f->SetAsString(" -42 "); }, "-42"},
      {"I", [](TField* f) { f->SetAsFloat(2.5); }, "2"},  // half to even
      {"S", [](TField* f) { f->SetAsInteger(-32768); }, "-32768"},
      {"W", [](TField* f) { f->SetAsInteger(65535); }, "65535"},
      {"L", [](TField* f) { f->SetAsVariant(Variant("9000000000")); }, "9000000000"},
      {"B", [](TField* f) { f->SetAsString("true"); }, "True"},
      {"B", [](TField* f) { f->SetAsInteger(0); }, "False"},
      {"F", [](TField* f) { f->SetAsString("1.25"); }, "1.25"},
      {"F", [](TField* f) { f->SetAsCurrency(Currency::FromScaled(15)); }, "0.0015"},
      {"C", [](TField* f) { f->SetAsString("12.3456"); }, "12.3456"},
      {"C", [](TField* f) { f->SetAsFloat(0.1); }, "0.1"},
      {"BCD", [](TField* f) { f->SetAsVariant(Variant(Currency::FromScaled(-5))); }, "-0.0005"},
      {"Str", [](TField* f) { f->SetAsInteger(12345); }, "12345"},
      {"VB", [](TField* f) { f->SetAsVariant(Variant::FromBytes({'x', 'y'})); }, "xy"},
  };
  for (const Case& c : cases) {
    TField* field = ds->FieldByName(c.field);
    c.set(field);
    EXPECT_FALSE(field->IsNull()) << c.field;
    EXPECT_EQ(field->AsString(), c.as_string) << c.field;
  }
  ds->FieldByName("Bin")->SetAsString("ab");
  EXPECT_EQ(ds->FieldByName("Bin")->AsString(), std::string("ab\0", 3)) << "fixed size, zero-filled";
  EXPECT_EQ(ds->FieldByName("S")->AsVariant(), Variant(std::int16_t{-32768}));
  EXPECT_EQ(ds->FieldByName("W")->AsInteger(), 65535) << "a word is unsigned";
  EXPECT_EQ(ds->FieldByName("C")->AsCurrency(), Currency::FromScaled(1000));
  EXPECT_EQ(ds->FieldByName("B")->AsVariant(), Variant(false));
  EXPECT_EQ(ds->FieldByName("VB")->AsVariant(), Variant::FromBytes({'x', 'y'}));
}

TEST(Field, OutOfRangeOrTooLongValuesAreRefusedAndTheOldValueKept) {
  auto ds = MakeTyped();
  ds->FieldByName("S")->SetAsInteger(7);
  ds->FieldByName("Str")->SetAsString("abc");
  struct Case {
    const char* field;
    std::function<void(TField*)> set;
    const char* message;
  };
  const Case cases[] = {
      {"S", [](TField* f) { f->SetAsInteger(32768); },
       "32768 is not a valid value for field 'S'. The allowed range is -32768 to 32767"},
      {"W", [](TField* f) { f->SetAsInteger(-1); },
       "-1 is not a valid value for field 'W'. The allowed range is 0 to 65535"},
      {"I", [](TField* f) { f->SetAsFloat(3e9); },
       "3000000000 is not a valid value for field 'I'. The allowed range is -2147483648 to 2147483647"},
      {"Str", [](TField* f) { f->SetAsString("abcdef"); },
       "Value of field 'Str' is longer than its size of 5 characters"},
      {"I", [](TField* f) { f->SetAsString("12x"); }, "'12x' is not a valid value for field 'I'"},
      {"F", [](TField* f) { f->SetAsString("nope"); }, "'nope' is not a valid value for field 'F'"},
      {"Bin", [](TField* f) { f->SetAsString("abcd"); },
       "Value of field 'Bin' is longer than its size of 3 characters"},
      {"B", [](TField* f) { f->AsDateTime(); }, "Cannot access field 'B' as type DateTime"},
  };
  for (const Case& c : cases) {
    try {
      c.set(ds->FieldByName(c.field));
      ADD_FAILURE() << c.field << " accepted the value";
    } catch (const EDatabaseError& e) {
      EXPECT_EQ(std::string(e.what()), c.message);
    }
  }
  EXPECT_EQ(ds->FieldByName("S")->AsInteger(), 7);
  EXPECT_EQ(ds->FieldByName("Str")->AsString(), "abc");
}

TEST(Field, NullAndClearAreDistinctFromZeroAndEmpty) {
  auto ds = MakeTyped();
  TField* i = ds->FieldByName("I");
  TField* str = ds->FieldByName("Str");
  EXPECT_TRUE(i->AsVariant().IsNull());
  EXPECT_EQ(i->AsInteger(), 0);
  EXPECT_EQ(i->Text(), "");
  i->SetAsInteger(0);
  EXPECT_FALSE(i->IsNull());
  EXPECT_EQ(i->AsVariant(), Variant(0));
  i->Clear();
  EXPECT_TRUE(i->IsNull());
  str->SetAsString("");
  EXPECT_FALSE(str->IsNull()) << "an empty text is a value";
  str->SetAsVariant(Variant::Null());
  EXPECT_TRUE(str->IsNull());
  i->SetAsString("");
  EXPECT_TRUE(i->IsNull()) << "an emptied number has no value";
}

TEST(Field, DatesTimesAndTheirFormats) {
  auto ds = MakeTyped();
  double when = EncodeDateTime(2024, 2, 29, 13, 45, 30, 0);
  TField* d = ds->FieldByName("D");
  TField* t = ds->FieldByName("T");
  TField* dt = ds->FieldByName("DT");
  d->SetAsDateTime(when);
  t->SetAsDateTime(when);
  dt->SetAsDateTime(when);
  EXPECT_EQ(d->AsDateTime(), EncodeDate(2024, 2, 29)) << "a date keeps whole days";
  EXPECT_DOUBLE_EQ(t->AsDateTime(), EncodeTime(13, 45, 30));
  EXPECT_EQ(dt->AsDateTime(), when);
  dt->SetDisplayFormat("yyyy-mm-dd hh:nn");
  EXPECT_EQ(dt->DisplayText(), "2024-02-29 13:45");
  d->SetEditFormat("dd.mm.yyyy");
  EXPECT_EQ(d->Text(), "29.02.2024");
  EXPECT_EQ(dt->AsVariant(), Variant::FromDate(when));
}

TEST(Field, ValidCharactersFollowTheType) {
  auto ds = MakeTyped();
  struct Case {
    const char* field;
    unsigned char c;
    bool valid;
  };
  const Case cases[] = {{"I", '7', true},  {"I", '.', false}, {"I", 'E', false}, {"F", '.', true},
                        {"F", 'E', true},  {"F", 'x', false}, {"C", '-', true},  {"Str", 'x', true},
                        {"Str", '.', true}, {"S", '+', true}};
  for (const Case& c : cases)
    EXPECT_EQ(ds->FieldByName(c.field)->IsValidChar(c.c), c.valid) << c.field << " " << c.c;
}

TEST(Field, TextEventsReplaceTheConversion) {
  auto ds = MakeTyped();
  TField* i = ds->FieldByName("I");
  i->OnSetText = [](TField* f, const std::string& text) { f->SetAsInteger(static_cast<int>(text.size())); };
  i->OnGetText = [](TField* f, std::string& text, bool display) {
    text = (display ? "#" : "") + std::to_string(f->AsInteger());
  };
  i->SetText("four");
  EXPECT_EQ(i->AsInteger(), 4);
  EXPECT_EQ(i->Text(), "4");
  EXPECT_EQ(i->DisplayText(), "#4");
}

TEST(Field, ChangeEventAndModifiedFollowWrites) {
  auto ds = MakeNumbered(1);
  ds->Open();
  TField* name = ds->FieldByName("Name");
  std::vector<std::string> changes;
  name->OnChange = [&](TField* f) { changes.push_back(f->AsString()); };
  ds->Edit();
  EXPECT_FALSE(ds->Modified());
  name->SetAsString("a");
  EXPECT_TRUE(ds->Modified());
  EXPECT_EQ(changes, std::vector<std::string>{"a"});
}

TEST(Field, CalculatedFieldsFollowTheRecordAndTheEdit) {
  TMemoryDataSet ds({{"ID", ftInteger}, {"Name", ftString, 10}});
  ds.AddRow({EncodeInt(1), EncodeText("one", 10)});
  ds.AddRow({EncodeInt(2), EncodeText("two", 10)});
  auto* id = new TIntegerField(&ds);
  id->SetFieldName("ID");
  id->SetDataSet(&ds);
  auto* doubled = new TIntegerField(&ds);
  doubled->SetFieldName("Doubled");
  doubled->SetFieldKind(fkCalculated);
  doubled->SetDataSet(&ds);
  int calls = 0;
  ds.OnCalcFields = [&](TDataSet* sender) {
    ++calls;
    EXPECT_EQ(sender->State(), dsCalcFields);
    TField* source = sender->FieldByName("ID");
    if (!source->IsNull()) sender->FieldByName("Doubled")->SetAsInteger(source->AsInteger() * 2);
    EXPECT_THROW(source->SetAsInteger(0), EDatabaseError) << "stored fields are not writable here";
  };
  ds.Open();
  EXPECT_FALSE(ds.DefaultFields());
  EXPECT_EQ(ds.Fields().size(), 2u) << "only the persistent fields; Name has none";
  EXPECT_EQ(doubled->AsInteger(), 2);
  ds.Next();
  EXPECT_EQ(doubled->AsInteger(), 4);
  ds.Edit();
  EXPECT_THROW(doubled->SetAsInteger(1), EDatabaseError);
  id->SetAsInteger(10);
  EXPECT_EQ(doubled->AsInteger(), 20) << "recomputed when a stored field changes";
  ds.SetAutoCalcFields(false);
  id->SetAsInteger(11);
  EXPECT_EQ(doubled->AsInteger(), 20);
  ds.Cancel();
  EXPECT_EQ(doubled->AsInteger(), 4);
  EXPECT_GT(calls, 0);
  EXPECT_THROW(doubled->SetDataSet(nullptr), EDatabaseError) << "fields are moved only while closed";
  ds.Close();
  EXPECT_EQ(ds.Fields().size(), 2u) << "persistent fields survive closing";
}

TEST(FieldDefs, NamesAreUniqueIgnoringCase) {
  TFieldDefs defs;
  defs.Add("Name", ftString, 20);
  defs.Add("Id", ftInteger);
  EXPECT_EQ(defs.IndexOf("NAME"), 0);
  EXPECT_EQ(defs.Find("id")->field_no, 2);
  EXPECT_EQ(defs.Find("other"), nullptr);
  try {
    defs.Add("name", ftInteger);
    FAIL() << "a duplicate name was added";
  } catch (const EDatabaseError& e) {
    EXPECT_STREQ(e.what(), "Duplicate name 'name' in the field definitions");
  }
  EXPECT_EQ(defs.Count(), 2);
}

TEST(FieldDefs, PersistentFieldWithoutDefinitionFailsTheOpenCleanly) {
  TMemoryDataSet ds({{"ID", ftInteger}});
  auto* ghost = new TIntegerField(&ds);
  ghost->SetFieldName("Ghost");
  ghost->SetDataSet(&ds);
  try {
    ds.Open();
    FAIL() << "opened with an unbound field";
  } catch (const EDatabaseError& e) {
    EXPECT_STREQ(e.what(), "Field 'Ghost' not found");
  }
  EXPECT_FALSE(ds.Active());
  EXPECT_EQ(ds.Fields().size(), 1u);
}

}  // namespace
}  // namespace qb::testing

namespace qb::testing {
namespace {

TEST(BlobField, ValuesTravelThroughTheStreamAndReachTheRow) {
  TMemoryDataSet ds({{"ID", ftInteger}, {"Notes", ftMemo}, {"Data", ftBlob}, {"Pic", ftGraphic}});
  ds.AddRow({EncodeInt(1)});
  ds.Open();
  TField* notes = ds.FieldByName("Notes");
  TField* data = ds.FieldByName("Data");
  EXPECT_STREQ(notes->ClassName(), "TMemoField");
  EXPECT_STREQ(data->ClassName(), "TBlobField");
  EXPECT_STREQ(ds.FieldByName("Pic")->ClassName(), "TGraphicField");
  EXPECT_TRUE(notes->IsNull());
  EXPECT_EQ(notes->AsString(), "");
  EXPECT_THROW(notes->SetAsString("browse"), EDatabaseError) << "blob writes obey the edit state";
  int changes = 0;
  notes->OnChange = [&](TField*) { ++changes; };
  ds.Edit();
  notes->SetAsString("a long note");
  data->SetAsVariant(Variant::FromBytes({0, 1, 2}));
  EXPECT_EQ(changes, 1);
  EXPECT_TRUE(ds.Modified());
  EXPECT_EQ(notes->DisplayText(), "a long note");
  EXPECT_EQ(data->DisplayText(), "(BLOB)");
  ds.Post();
  ds.First();
  EXPECT_EQ(notes->AsVariant(), Variant("a long note"));
  EXPECT_EQ(data->AsVariant(), Variant::FromBytes({0, 1, 2}));
  ds.Edit();
  notes->SetAsString("");
  EXPECT_TRUE(notes->IsNull()) << "an empty blob has no value";
  ds.Cancel();
  EXPECT_EQ(notes->AsString(), "a long note") << "cancel drops the blob written in the edit";
}

}  // namespace
}  // namespace qb::testing
