// The set-key state: the key buffer beside the records, keeping and restoring keys, the
// criteria typed into it, and the searches by key through the dataset's SeekKey.
#include <gtest/gtest.h>

#include "framework/data/data_source.h"
#include "framework/data/dataset_fixture.h"

namespace qb::testing {
namespace {

// Rows in the order of the index (City, ID).
std::unique_ptr<TMemoryDataSet> MakeCities() {
  auto ds = std::make_unique<TMemoryDataSet>(
      std::vector<MemColumn>{{"ID", ftInteger}, {"City", ftString, 10}, {"Note", ftString, 10}});
  const std::pair<const char*, int> rows[] = {{"Bonn", 1}, {"Bonn", 4}, {"Kiel", 2}, {"Kiel", 7}, {"Ulm", 3}};
  for (const auto& [city, id] : rows) ds->AddRow({EncodeInt(id), EncodeText(city, 10), EncodeText("", 10)});
  ds->key_columns = {"City", "ID"};
  ds->Open();
  return ds;
}

TEST(DataSetKeys, SearchesByKey) {
  struct Case {
    const char* what;
    std::function<bool(TMemoryDataSet&)> search;  // answers found
    bool found;
    const char* where;  // ID of the active record afterwards
  };
  auto key = [](TMemoryDataSet& ds, const char* city, int id, int count, bool exclusive) {
    ds.SetKey();
    ds.FieldByName("City")->SetAsString(city);
    if (id) ds.FieldByName("ID")->SetAsInteger(id);
    ds.SetKeyFieldCount(count);
    ds.SetKeyExclusive(exclusive);
  };
  const Case cases[] = {
      {"first of a city", [&](TMemoryDataSet& ds) { key(ds, "Kiel", 0, 1, false); return ds.GotoKey(); }, true, "2"},
      {"both fields", [&](TMemoryDataSet& ds) { key(ds, "Kiel", 7, 0, false); return ds.GotoKey(); }, true, "7"},
      {"no such record", [&](TMemoryDataSet& ds) { key(ds, "Kiel", 5, 0, false); return ds.GotoKey(); }, false, "1"},
      {"nearest after", [&](TMemoryDataSet& ds) { key(ds, "Kiel", 5, 0, false); ds.GotoNearest(); return true; }, true, "7"},
      {"nearest exclusive", [&](TMemoryDataSet& ds) { key(ds, "Kiel", 0, 1, true); ds.GotoNearest(); return true; }, true, "3"},
      {"nearest past the end", [&](TMemoryDataSet& ds) { key(ds, "Zug", 0, 1, false); ds.GotoNearest(); return true; }, true, "3"},
      {"FindKey", [](TMemoryDataSet& ds) { return ds.FindKey({Variant("Bonn"), Variant(4)}); }, true, "4"},
      {"FindKey missing", [](TMemoryDataSet& ds) { return ds.FindKey({Variant("Bonn"), Variant(5)}); }, false, "1"},
      {"FindNearest", [](TMemoryDataSet& ds) { ds.FindNearest({Variant("C")}); return true; }, true, "2"},
  };
  for (const Case& c : cases) {
    auto ds = MakeCities();
    EXPECT_EQ(c.search(*ds), c.found) << c.what;
    EXPECT_EQ(ds->State(), dsBrowse) << c.what;
    EXPECT_EQ(ds->FieldByName("ID")->AsString(), c.where) << c.what;
  }
}

TEST(DataSetKeys, TheKeyLivesBesideTheRecord) {
  auto ds = MakeCities();
  ds->Next();
  ds->SetKey();
  TField* city = ds->FieldByName("City");
  EXPECT_TRUE(city->IsNull()) << "the fields show the empty key";
  city->SetAsString("Ulm");
  EXPECT_THROW(ds->FieldByName("Note")->SetAsString("x"), EDatabaseError) << "not indexed";
  ds->Cancel();
  EXPECT_EQ(city->AsString(), "Bonn") << "the record was never touched";
  EXPECT_EQ(ds->FieldByName("ID")->AsInteger(), 4);
  EXPECT_FALSE(ds->Modified());
  EXPECT_THROW(ds->SetKeyExclusive(true), EDatabaseError) << "only in set-key state";
}

TEST(DataSetKeys, PostKeepsCancelRestoresSetKeyClears) {
  auto ds = MakeCities();
  TField* city = ds->FieldByName("City");
  auto key_text = [&] {
    ds->EditKey();
    std::string text = city->AsString() + "/" + std::to_string(ds->KeyFieldCount()) +
                       (ds->KeyExclusive() ? "x" : "");
    ds->Cancel();
    return text;
  };
  ds->SetKey();
  city->SetAsString("Ulm");
  ds->SetKeyFieldCount(1);
  ds->Post();
  EXPECT_EQ(key_text(), "Ulm/1");
  ds->EditKey();
  city->SetAsString("Kiel");
  ds->SetKeyFieldCount(2);
  ds->SetKeyExclusive(true);
  ds->Cancel();
  EXPECT_EQ(key_text(), "Ulm/1") << "Cancel brings the key back";
  ds->SetKey();
  EXPECT_EQ(city->AsString(), "");
  EXPECT_EQ(ds->KeyFieldCount(), 0);
  ds->Cancel();
  EXPECT_EQ(key_text(), "Ulm/1") << "even after SetKey emptied it";
  ds->EditKey();
  city->SetAsString("Bonn");
  ds->Next();  // a move leaves the set-key state keeping the key
  EXPECT_EQ(ds->State(), dsBrowse);
  EXPECT_EQ(key_text(), "Bonn/1");
}

TEST(DataSetKeys, TypedCriteriaAreKeptBesideTheValues) {
  auto ds = MakeCities();
  TField* id = ds->FieldByName("ID");
  ds->SetKey();
  struct Step {
    const char* typed;  // null: set as a value
    const char* text;
    const char* criterion;
    bool has_value;
  };
  const Step steps[] = {
      {"> 5", "> 5", "> 5", false},
      {"7", "7", "7", true},
      {nullptr, "3", "", true},
      {"", "", "", false},
  };
  for (const Step& s : steps) {
    if (s.typed)
      id->SetText(s.typed);
    else
      id->SetAsInteger(3);
    EXPECT_EQ(id->Text(), s.text) << (s.typed ? s.typed : "value");
    EXPECT_EQ(id->DisplayText(), s.text);
    EXPECT_EQ(ds->KeyCriterion(id), s.criterion);
    EXPECT_EQ(!id->IsNull(), s.has_value);
  }
  id->SetText("<> 2");
  ds->Post();
  EXPECT_EQ(id->Text(), "1") << "outside the set-key state the record shows";
  ds->EditKey();
  EXPECT_EQ(id->Text(), "<> 2");
  EXPECT_THROW(ds->FieldByName("Note")->SetText("x"), EDatabaseError);
  ds->Cancel();
}

TEST(DataSetKeys, ControlsEditTheKeyAndFollowTheState) {
  auto ds = MakeCities();
  TDataSource source;
  source.SetDataSet(ds.get());
  TDataLink link;
  link.SetDataSource(&source);
  ds->SetKey();
  EXPECT_TRUE(link.Editing());
  ds->Post();
  EXPECT_FALSE(link.Editing());
  ds->EditKey();
  ds->Close();
  EXPECT_FALSE(link.Active());
  ds->Open();
  ds->EditKey();
  EXPECT_TRUE(ds->FieldByName("City")->IsNull()) << "closing dropped the key";
  ds->Cancel();
}

TEST(DataSetKeys, TooManyValuesAreRefusedAndTheKeyStays) {
  auto ds = MakeCities();
  EXPECT_TRUE(ds->FindKey({Variant("Kiel")}));
  EXPECT_THROW(ds->FindKey({Variant("Kiel"), Variant(2), Variant(3)}), EDatabaseError);
  EXPECT_THROW(ds->FindKey({Variant("Kiel"), Variant("not a number")}), EDatabaseError);
  EXPECT_EQ(ds->State(), dsBrowse);
  ds->EditKey();
  EXPECT_EQ(ds->FieldByName("City")->AsString(), "Kiel");
  EXPECT_TRUE(ds->FieldByName("ID")->IsNull());
  ds->Cancel();
}

}  // namespace
}  // namespace qb::testing
