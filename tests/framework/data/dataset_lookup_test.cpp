// Locate and Lookup, field lists and values by name, lookup fields that follow their key,
// and internally calculated fields stored with the record.
#include <gtest/gtest.h>

#include <functional>

#include "framework/data/dataset_fixture.h"
#include "framework/data/field_classes.h"

namespace qb::testing {
namespace {

std::unique_ptr<TMemoryDataSet> MakeCities() {
  auto ds = std::make_unique<TMemoryDataSet>(std::vector<MemColumn>{{"ID", ftInteger}, {"City", ftString, 10}});
  const std::pair<const char*, int> rows[] = {{"Bonn", 1}, {"Bonn", 4}, {"Kiel", 2}, {"Kiel", 7}, {"Ulm", 3}};
  for (const auto& [city, id] : rows) ds->AddRow({EncodeInt(id), EncodeText(city, 10)});
  ds->Open();
  return ds;
}

TEST(DataSetLocate, FindsTheFirstMatchingRecord) {
  struct Case {
    const char* fields;
    Variant values;
    TLocateOptions options;
    bool found;
    const char* where;
  };
  const Case cases[] = {
      {"City", Variant("Kiel"), 0, true, "2"},
      {"City", Variant("kiel"), 0, false, "4"},
      {"City", Variant("kiel"), loCaseInsensitive, true, "2"},
      {"City", Variant("Ki"), 0, false, "4"},
      {"City", Variant("Ki"), loPartialKey, true, "2"},
      {"City", Variant("ul"), loPartialKey | loCaseInsensitive, true, "3"},
      {"City; ID", Variant::FromArray({Variant("Kiel"), Variant(7)}), 0, true, "7"},
      {"City;ID", Variant::FromArray({Variant("Kiel"), Variant(4)}), 0, false, "4"},
      {"ID", Variant(3), 0, true, "3"},
  };
  for (const Case& c : cases) {
    auto ds = MakeCities();
    ds->Next();
    EXPECT_EQ(ds->Locate(c.fields, c.values, c.options), c.found) << c.fields << " " << c.values.ToString();
    EXPECT_EQ(Where(*ds), c.where) << c.fields;
  }
}

TEST(DataSetLocate, LookupAnswersWithoutMoving) {
  auto ds = MakeCities();
  ds->Next();
  EXPECT_EQ(ds->Lookup("ID", Variant(7), "City"), Variant("Kiel"));
  EXPECT_EQ(ds->Lookup("City", Variant("Ulm"), "ID;City"), Variant::FromArray({Variant(3), Variant("Ulm")}));
  EXPECT_TRUE(ds->Lookup("ID", Variant(99), "City").IsNull());
  EXPECT_EQ(Where(*ds), "4") << "the active record stays";
  ds->Next();
  EXPECT_EQ(Where(*ds), "2") << "and the next move starts from it, not from the looked-up record";
  ds->Edit();
  ds->FieldByName("City")->SetAsString("Kiel2");
  EXPECT_EQ(ds->Lookup("ID", Variant(2), "City"), Variant("Kiel")) << "the stored value";
  EXPECT_EQ(ds->FieldByName("City")->AsString(), "Kiel2") << "the edit is untouched";
  ds->Cancel();
}

TEST(DataSetLocate, FieldListsAndValuesByName) {
  auto ds = MakeCities();
  EXPECT_EQ(ds->GetFieldList(" City ; ID").size(), 2u);
  EXPECT_EQ(ds->GetFieldList("City")[0], ds->FieldByName("City"));
  EXPECT_THROW(ds->GetFieldList("City;Nope"), EDatabaseError);
  EXPECT_EQ(ds->FieldValues("City"), Variant("Bonn"));
  EXPECT_EQ(ds->FieldValues("ID;City"), Variant::FromArray({Variant(1), Variant("Bonn")}));
}

// Orders whose customer name is looked up in a customer table.
struct Orders {
  std::unique_ptr<TMemoryDataSet> customers =
      std::make_unique<TMemoryDataSet>(std::vector<MemColumn>{{"CustID", ftInteger}, {"Name", ftString, 10}});
  TMemoryDataSet orders{std::vector<MemColumn>{{"ID", ftInteger}, {"CustID", ftInteger}}};
  TIntegerField id, cust_id;
  TStringField name;
  Orders() {
    customers->AddRow({EncodeInt(1), EncodeText("Ann", 10)});
    customers->AddRow({EncodeInt(2), EncodeText("Bob", 10)});
    orders.AddRow({EncodeInt(10), EncodeInt(2)});
    orders.AddRow({EncodeInt(11), EncodeInt(1)});
    orders.AddRow({EncodeInt(12), EncodeInt(5)});
    orders.AddRow({EncodeInt(13), std::nullopt});
    id.SetFieldName("ID");
    cust_id.SetFieldName("CustID");
    name.SetFieldName("CustName");
    name.SetFieldKind(fkLookup);
    name.SetSize(10);
    name.SetLookupDataSet(customers.get());
    name.SetLookupKeyFields("CustID");
    name.SetLookupResultField("Name");
    name.SetKeyFields("CustID");
    for (TField* f : std::initializer_list<TField*>{&id, &cust_id, &name}) f->SetDataSet(&orders);
    customers->Open();
    orders.Open();
  }
  ~Orders() { orders.Close(); }
  std::string Names() {
    std::string text;
    for (orders.First(); !orders.Eof(); orders.Next()) text += "[" + name.AsString() + "]";
    return text;
  }
};

TEST(LookupField, ShowsTheLookedUpValueAndFollowsItsKey) {
  Orders t;
  EXPECT_EQ(t.Names(), "[Bob][Ann][][]") << "an unknown or Null key gives no value";
  t.orders.First();
  t.orders.Edit();
  t.cust_id.SetAsInteger(1);
  EXPECT_EQ(t.name.AsString(), "Ann") << "the value follows the key at once";
  EXPECT_THROW(t.name.SetAsString("Eve"), EDatabaseError) << "a lookup field is not written";
  t.orders.Post();
  EXPECT_EQ(t.Names(), "[Ann][Ann][][]");
}

TEST(LookupField, WithoutAnOpenLookupDataSetItStaysEmpty) {
  Orders t;
  t.customers->Close();
  EXPECT_EQ(t.Names(), "[][][][]");
  t.customers->Open();
  EXPECT_EQ(t.Names(), "[Bob][Ann][][]");
  t.customers.reset();
  EXPECT_EQ(t.name.LookupDataSet(), nullptr) << "a destroyed lookup dataset is forgotten";
  EXPECT_EQ(t.Names(), "[][][][]");
}

// Staff whose boss is looked up among the staff, and teams whose lead is looked up in the
// staff while the staff look up their team: lookups that lead back to their own dataset.
struct Circle {
  TMemoryDataSet staff{std::vector<MemColumn>{{"ID", ftInteger}, {"BossID", ftInteger}, {"TeamID", ftInteger}}};
  TMemoryDataSet teams{std::vector<MemColumn>{{"TeamID", ftInteger}, {"LeadID", ftInteger}}};
  TIntegerField id, boss_id, team_id, teams_id, lead_id;
  TStringField boss, lead;
  TIntegerField team_lead;  // staff: the lead of the member's team
  Circle() {
    staff.AddRow({EncodeInt(1), std::nullopt, EncodeInt(1)});
    staff.AddRow({EncodeInt(2), EncodeInt(1), EncodeInt(1)});
    teams.AddRow({EncodeInt(1), EncodeInt(1)});
    id.SetFieldName("ID");
    boss_id.SetFieldName("BossID");
    team_id.SetFieldName("TeamID");
    teams_id.SetFieldName("TeamID");
    lead_id.SetFieldName("LeadID");
    MakeLookup(boss, "Boss", "BossID", "ID", "ID");
    MakeLookup(lead, "Lead", "LeadID", "ID", "ID");
    MakeLookup(team_lead, "TeamLead", "TeamID", "TeamID", "LeadID");
  }
  ~Circle() {
    staff.Close();
    teams.Close();
  }
  static void MakeLookup(TField& f, const char* name, const char* keys, const char* lookup_keys, const char* result) {
    f.SetFieldName(name);
    f.SetFieldKind(fkLookup);
    f.SetKeyFields(keys);
    f.SetLookupKeyFields(lookup_keys);
    f.SetLookupResultField(result);
  }
  void JoinData() {
    for (TField* f : std::initializer_list<TField*>{&id, &boss_id, &team_id}) f->SetDataSet(&staff);
    for (TField* f : std::initializer_list<TField*>{&teams_id, &lead_id}) f->SetDataSet(&teams);
  }
};

TEST(LookupField, ALookupLeadingBackToItsOwnDataSetIsRefusedWhenSet) {
  struct Case {
    const char* what;
    std::function<void(Circle&)> before;  // the lookups already in place
    std::function<void(Circle&)> refused;
    TField* (*field)(Circle&);
  };
  const Case cases[] = {
      {"its own dataset", [](Circle& c) { c.boss.SetDataSet(&c.staff); },
       [](Circle& c) { c.boss.SetLookupDataSet(&c.staff); },
       [](Circle& c) -> TField* { return &c.boss; }},
      {"a dataset that looks up in it",
       [](Circle& c) {
         c.lead.SetDataSet(&c.teams);
         c.lead.SetLookupDataSet(&c.staff);
         c.team_lead.SetDataSet(&c.staff);
       },
       [](Circle& c) { c.team_lead.SetLookupDataSet(&c.teams); },
       [](Circle& c) -> TField* { return &c.team_lead; }},
  };
  for (const Case& c : cases) {
    Circle t;
    t.JoinData();
    c.before(t);
    try {
      c.refused(t);
      ADD_FAILURE() << c.what << ": accepted";
    } catch (const EDatabaseError& error) {
      EXPECT_NE(std::string(error.what()).find("Circular lookups are not allowed"), std::string::npos) << c.what;
    }
    EXPECT_EQ(c.field(t)->LookupDataSet(), nullptr) << c.what << ": the old setting stays";
    t.staff.Open();
    t.teams.Open();
    EXPECT_EQ(Where(t.staff), "1[B]") << c.what << ": the datasets still open";
  }
}

TEST(LookupField, ALookupLeadingBackToItsOwnDataSetIsRefusedOnOpening) {
  // The lookup datasets set before the fields join their datasets: the opening refuses.
  Circle t;
  t.boss.SetLookupDataSet(&t.staff);
  t.lead.SetLookupDataSet(&t.staff);
  t.team_lead.SetLookupDataSet(&t.teams);
  t.JoinData();
  t.boss.SetDataSet(&t.staff);
  ASSERT_THROW(t.staff.Open(), EDatabaseError) << "a lookup in its own dataset";
  EXPECT_FALSE(t.staff.Active());
  t.boss.SetDataSet(nullptr);
  t.staff.Open();
  EXPECT_EQ(Where(t.staff), "1[B]") << "without the lookup it opens";
  t.staff.Close();

  t.lead.SetDataSet(&t.teams);
  t.team_lead.SetDataSet(&t.staff);
  ASSERT_THROW(t.staff.Open(), EDatabaseError) << "staff -> teams -> staff";
  ASSERT_THROW(t.teams.Open(), EDatabaseError) << "teams -> staff -> teams";
  EXPECT_FALSE(t.staff.Active());
  EXPECT_FALSE(t.teams.Active());
}

TEST(LookupField, ACycleMadeBehindTheChecksRaisesInsteadOfRecursing) {
  // A field made a lookup field only after its datasets opened escapes the checks: computing
  // the values must still end.
  Circle t;
  t.JoinData();
  t.lead.SetFieldKind(fkCalculated);
  t.lead.SetDataSet(&t.teams);
  t.lead.SetLookupDataSet(&t.staff);
  t.team_lead.SetDataSet(&t.staff);
  t.team_lead.SetLookupDataSet(&t.teams);
  t.teams.Open();
  t.staff.Open();
  EXPECT_EQ(t.team_lead.AsInteger(), 1) << "the lead of team 1";
  t.lead.SetFieldKind(fkLookup);
  EXPECT_THROW(t.staff.Refresh(), EDatabaseError);
}

TEST(InternalCalcField, IsComputedBeforeTheRecordIsStored) {
  TMemoryDataSet ds(std::vector<MemColumn>{{"Price", ftFloat}, {"Qty", ftInteger}, {"Total", ftFloat}});
  TFloatField price, total, shown;
  TIntegerField qty;
  price.SetFieldName("Price");
  qty.SetFieldName("Qty");
  total.SetFieldName("Total");
  total.SetFieldKind(fkInternalCalc);
  shown.SetFieldName("Shown");
  shown.SetFieldKind(fkCalculated);
  for (TField* f : std::initializer_list<TField*>{&price, &qty, &total, &shown}) f->SetDataSet(&ds);
  std::string states;
  ds.OnCalcFields = [&](TDataSet* d) {
    // One handler for both states, as users write it: the calculated field unconditionally.
    if (d->State() == dsInternalCalc) {
      states += "i";
      total.SetAsFloat(price.AsFloat() * qty.AsInteger());
      EXPECT_THROW(price.SetAsFloat(1), EDatabaseError) << "stored fields are not recomputed";
    } else {
      states += "c";
    }
    shown.SetAsFloat(total.AsFloat());
  };
  ds.Open();
  ds.Append();
  price.SetAsFloat(2.5);
  qty.SetAsInteger(4);
  EXPECT_TRUE(total.IsNull());
  states.clear();
  ds.Post();
  EXPECT_NE(states.find('i'), std::string::npos);
  ASSERT_EQ(ds.Rows().size(), 1u);
  double stored = 0;
  std::memcpy(&stored, ds.Rows()[0].values[2]->data(), 8);
  EXPECT_EQ(stored, 10.0) << "the stored record carries the computed value";
  EXPECT_EQ(total.AsFloat(), 10.0);
  EXPECT_EQ(shown.AsFloat(), 10.0) << "calculated fields see it when the record is read again";
  EXPECT_EQ(ds.State(), dsBrowse);
  ds.Close();
}

}  // namespace
}  // namespace qb::testing
