// Searching a recordset: Locate and Lookup by Seek on a matching index (table recordsets) and by
// FindFirst criteria (query recordsets), the criteria text, key values with quotes, the cursor
// after a hit and a miss, NoMatch, the index definitions and the key searches of the set-key
// state.
#include <gtest/gtest.h>

#include "core/date_serial.h"
#include "core/format.h"
#include "core/resource_strings.h"
#include "engine/dao_workspace.h"
#include "framework/data/field.h"
#include "recordset/recordset_fixture.h"

namespace qb::test {
namespace {

class SearchTest : public RecordsetTest {
 protected:
  void SetUp() override {
    RecordsetTest::SetUp();
    Exec("CREATE TABLE People (Id COUNTER CONSTRAINT PK PRIMARY KEY, Name TEXT(30), City TEXT(20), Qty LONG, "
         "Born DATETIME)");
    Exec("CREATE INDEX ByName ON People (Name)");
    Exec("CREATE INDEX ByNameCity ON People (Name, City DESC)");
    Exec("CREATE UNIQUE INDEX ByCityQty ON People (City, Qty)");
    const char* rows[] = {"'Ann', 'Rome', 5, #03/01/1999 14:05:09#", "'Mia', 'Oslo', 3, Null",
                          "'Mike', 'Oslo', 7, Null", "'O''Brien', 'Cork', 1, Null", "'x', 'Rome', 2, Null",
                          "'Mike', 'Bonn', 4, Null"};
    for (const char* row : rows) Exec(std::string("INSERT INTO People (Name, City, Qty, Born) VALUES (") + row + ")");
  }
  static std::string Current(TDataSet& rs) {
    return rs.FieldByName("Name")->AsString() + "/" + rs.FieldByName("City")->AsString();
  }
  static Variant Keys(std::vector<Variant> values) { return Variant::FromArray(std::move(values)); }
};

TEST_F(SearchTest, TableLocateSeeksOnTheIndexOfTheKeyFields) {
  struct Case {
    const char* index;  // before
    const char* key_fields;
    Variant values;
    TLocateOptions options;
    const char* found;  // "" : not found
    const char* index_after;
  } cases[] = {
      {"", "Name;City", Keys({Variant("Mike"), Variant("Oslo")}), 0, "Mike/Oslo", "ByNameCity"},
      {"", "Name,City", Keys({Variant("Mike"), Variant("Bonn")}), 0, "Mike/Bonn", "ByNameCity"},
      {"ByNameCity", " name;CITY; ", Keys({Variant("Mia"), Variant("Oslo")}), 0, "Mia/Oslo", "ByNameCity"},
      {"ByNameCity", "Name", Variant("O'Brien"), 0, "O'Brien/Cork", "ByName"},
      {"", "Name", Variant("x' OR 'a'='a"), 0, "", "ByName"},
      // A partial key: the first entry at or after it.
      {"", "Name;City", Keys({Variant("Mi")}), loPartialKey, "Mia/Oslo", "ByNameCity"},
      {"", "Name;City", Keys({Variant("Mike")}), loPartialKey, "Mike/Oslo", "ByNameCity"},
      {"", "Name", Variant("Mj"), loPartialKey, "O'Brien/Cork", "ByName"},
      {"", "Name", Variant("Mj"), 0, "", "ByName"},
      // Values are taken by position in the index, whatever the order of the names.
      {"", "City;Qty", Keys({Variant("Oslo"), Variant(7)}), 0, "Mike/Oslo", "ByCityQty"},
  };
  for (const Case& c : cases) {
    auto rs = Make(rtTable, "People");
    rs->SetIndex(c.index);
    rs->Open();
    rs->Last();
    const std::string before = Current(*rs);
    const bool found = rs->Locate(c.key_fields, c.values, c.options);
    EXPECT_EQ(found, *c.found != 0) << c.key_fields;
    EXPECT_EQ(Current(*rs), *c.found ? c.found : before) << c.key_fields;
    EXPECT_EQ(rs->Index(), c.index_after) << c.key_fields;
    EXPECT_EQ(rs->NoMatch(), !found);
  }
}

TEST_F(SearchTest, TableLocateWithoutAMatchingIndexIsRefused) {
  auto rs = Make(rtTable, "People");
  rs->SetIndex("ByName");
  rs->Open();
  rs->Next();  // Mia
  for (const char* fields : {"Qty", "Name; City", "City;Name"}) {
    for (const bool lookup : {false, true}) {
      const Raised raised = RaisedBy([&] {
        if (lookup)
          rs->Lookup(fields, Variant("x"), "Name");
        else
          rs->Locate(fields, Variant("x"), 0);
      });
      EXPECT_EQ(raised.text, Format(ResString(kResNoIndexForFields), fields));
      EXPECT_EQ(raised.method, "Locate");
      // The order shown and the record stay as they were.
      EXPECT_EQ(rs->Index(), "ByName") << fields << " " << lookup;
      EXPECT_EQ(Current(*rs), "Mia/Oslo");
      rs->Next();
      EXPECT_EQ(Current(*rs), "Mike/Oslo");
      rs->Prior();
    }
  }
}

TEST_F(SearchTest, QueryCriteriaAreBuiltFromTheKeys) {
  auto rs = Make(rtSnapshot, "SELECT * FROM People");
  rs->Open();
  struct Case {
    const char* key_fields;
    Variant values;
    TLocateOptions options;
    const char* criteria;
  } cases[] = {
      {"Name", Variant("Mi"), loPartialKey, "([Name] LIKE 'Mi*')"},
      {"Qty", Variant(5), loPartialKey, "([Qty] >= 5)"},
      {"Name;Qty", Keys({Variant("x"), Variant(3)}), 0, "([Name] = 'x') AND ([Qty] = 3)"},
      {" [name] , qty", Keys({Variant("x"), Variant(3)}), 0, "([Name] = 'x') AND ([Qty] = 3)"},
      {"Name;Qty", Keys({Variant::Null(), Variant(3)}), 0, "([Qty] = 3)"},
      {"Nothing;Qty", Keys({Variant("a"), Variant(3)}), 0, "([Qty] = 3)"},
      {"Name;Qty;City", Variant("x"), 0, "([Name] = 'x')"},
      {"Born", Variant::FromDate(EncodeDateTime(1999, 3, 1, 14, 5, 9, 0)), 0, "([Born] = #03/01/1999 14:05:09#)"},
      {"Born", Variant::FromDate(EncodeDate(1999, 3, 1)), loPartialKey, "([Born] >= #03/01/1999 00:00:00#)"},
      {"Name", Variant("O'Brien"), 0, "([Name] = 'O''Brien')"},
      {"Name", Variant("x' OR 'a'='a"), loPartialKey, "([Name] LIKE 'x'' OR ''a''=''a*')"},
      {"Name", Variant("5*[?#"), loPartialKey, "([Name] LIKE '5[*][[][?][#]*')"},
      {"Name;Qty", Keys({Variant(), Variant::Null()}), 0, ""},
  };
  for (const Case& c : cases) EXPECT_EQ(rs->LocateCriteria(c.key_fields, c.values, c.options), c.criteria) << c.key_fields;
}

TEST_F(SearchTest, QueryLocateFindsExactlyTheValue) {
  struct Case {
    const char* key_fields;
    Variant values;
    TLocateOptions options;
    const char* found;
  } cases[] = {
      {"Name", Variant("O'Brien"), 0, "O'Brien/Cork"},
      {"Name", Variant("x' OR 'a'='a"), 0, ""},
      {"Name", Variant("x' OR 'a'='a"), loPartialKey, ""},
      {"Name", Variant("mi"), loPartialKey | loCaseInsensitive, "Mia/Oslo"},
      {"Name", Variant("O'B"), loPartialKey, "O'Brien/Cork"},
      {"Name", Variant("M?a"), loPartialKey, ""},  // the value's "?" is no wildcard
      {"Name;City", Keys({Variant("Mike"), Variant("Bonn")}), 0, "Mike/Bonn"},
      {"City;Qty", Keys({Variant("Oslo"), Variant(5)}), loPartialKey, "Mike/Oslo"},
      {"Born", Variant::FromDate(EncodeDateTime(1999, 3, 1, 14, 5, 9, 0)), 0, "Ann/Rome"},
      {"Name", Variant::Null(), 0, ""},
  };
  for (TRecordSetTypes type : {rtQuery, rtSnapshot}) {
    for (const Case& c : cases) {
      auto rs = Make(type, "SELECT * FROM People ORDER BY Id");
      rs->Open();
      rs->Last();
      EXPECT_EQ(rs->Locate(c.key_fields, c.values, c.options), *c.found != 0) << c.key_fields;
      EXPECT_EQ(Current(*rs), *c.found ? c.found : "Mike/Bonn") << c.key_fields;
    }
  }
}

TEST_F(SearchTest, AMissLeavesTheRecordShownAndTheNextMoveStartsFromIt) {
  for (TRecordSetTypes type : {rtTable, rtSnapshot}) {
    auto rs = Make(type, type == rtTable ? "People" : "SELECT * FROM People ORDER BY Id");
    rs->SetIndex(type == rtTable ? "PK" : "");
    rs->Open();
    rs->First();
    rs->Next();  // Mia
    EXPECT_FALSE(rs->Locate(type == rtTable ? "Id" : "Name", type == rtTable ? Variant(99) : Variant("Nobody"), 0));
    EXPECT_EQ(Current(*rs), "Mia/Oslo");
    rs->Next();
    EXPECT_EQ(Current(*rs), "Mike/Oslo");
  }
}

TEST_F(SearchTest, LookupAnswersWithoutMoving) {
  for (TRecordSetTypes type : {rtTable, rtQuery}) {
    auto rs = Make(type, type == rtTable ? "People" : "SELECT * FROM People ORDER BY Id");
    rs->SetIndex(type == rtTable ? "ByNameCity" : "");  // the index the keys need: no switch
    rs->Open();
    rs->First();
    rs->Next();  // Mia
    int scrolls = 0;
    rs->AfterScroll = [&](TDataSet*) { ++scrolls; };
    EXPECT_TRUE(rs->Lookup("Name;City", Variant("x' OR 'a'='a"), "City").IsNull());
    EXPECT_EQ(rs->Lookup("Name;City", Variant("O'Brien"), "City").ToString(), "Cork");
    const Variant both = rs->Lookup("Name;City", Keys({Variant("Mike"), Variant("Bonn")}), "Qty;City");
    ASSERT_TRUE(both.IsArray());
    EXPECT_EQ(both.Items()[0].ToInt32(), 4);
    EXPECT_EQ(both.Items()[1].ToString(), "Bonn");
    EXPECT_EQ(scrolls, 0);
    EXPECT_EQ(Current(*rs), "Mia/Oslo");
    EXPECT_EQ(rs->State(), dsBrowse);
    rs->Prior();
    rs->Next();  // the engine cursor stands on Mia again
    EXPECT_EQ(rs->Lookup("Name;City", Variant("x"), "Qty").ToInt32(), 2);
    rs->Next();
    EXPECT_EQ(Current(*rs), "Mike/Oslo") << "the cursor came back to the record shown";
  }
}

TEST_F(SearchTest, LocateWhileEditingPostsTheEditFirst) {
  auto rs = Make(rtSnapshot, "SELECT * FROM People ORDER BY Id");
  rs = Make(rtQuery, "SELECT * FROM People ORDER BY Id");
  rs->Open();
  rs->Edit();
  rs->FieldByName("Qty")->SetAsInteger(50);
  EXPECT_TRUE(rs->Locate("Name", Variant("x"), 0));
  EXPECT_EQ(Column("People", "Qty"), "50,3,7,1,2,4");
}

TEST_F(SearchTest, SearchesOnlyWhereTheRecordsetTypeAllows) {
  auto rs = Make(rtUnidirectional, "SELECT * FROM People");
  rs->Open();
  const Raised locate = RaisedBy([&] { rs->Locate("Name", Variant("x"), 0); });
  EXPECT_EQ(locate.text, ResString(kResLocateNotSupported));
  EXPECT_EQ(locate.method, "Locate");
  const Raised no_match = RaisedBy([&] { rs->NoMatch(); });
  EXPECT_EQ(no_match.text, ResString(kResNoMatchNotAllowed));
  EXPECT_EQ(no_match.method, "GetNoMatch");
  rs.reset();
  // The query types search only in a Jet workspace.
  database_->Close();
  TDAOWorkspace workspace;
  workspace.SetName("Ws1");
  database_->SetDAOWorkspace(&workspace);
  auto odbc = Make(rtSnapshot, "SELECT * FROM People");
  workspace.SetWorkspaceType(wtUseODBC);
  const Raised search = RaisedBy([&] { odbc->SearchForRecord("Qty = 1", true, TDAOBaseRecordset::foFindFirst); });
  EXPECT_EQ(search.text, Format(ResString(kResOperationJetOnly), "SearchForRecord"));
  odbc.reset();
  workspace.SetWorkspaceType(wtUseJet);
  database_->SetDAOWorkspace(nullptr);
  auto closed = Make(rtTable, "People");
  EXPECT_TRUE(closed->NoMatch());
  EXPECT_FALSE(closed->Locate("Name", Variant("x"), 0));
  EXPECT_TRUE(closed->Lookup("Name", Variant("x"), "City").IsNull());
}

TEST_F(SearchTest, IndexDefinitionsAndIndexedFields) {
  for (TRecordSetTypes type : {rtTable, rtQuery}) {
    auto rs = Make(type, type == rtTable ? "People" : "SELECT * FROM People");
    if (type == rtTable) rs->Open();  // a query reads the indexes of its FROM table
    rs->UpdateIndexDefs();
    std::string text;
    for (const TIndexDef& def : rs->IndexDefs())
      text += def.name + "=" + def.fields + (def.options & ixPrimary ? " P" : "") + (def.options & ixUnique ? " U" : "") + ";";
    EXPECT_EQ(text, "PK=+Id P U;ByName=+Name;ByNameCity=+Name;-City;ByCityQty=+City;+Qty U;") << type;
    EXPECT_EQ(rs->GetIndexFieldsText("ByNameCity"), "Name;City");
    EXPECT_EQ(rs->FindIndexName("name;city"), "ByNameCity");
    EXPECT_EQ(rs->GetIndexFieldsText("Nothing"), "");
  }
  // A statement's table named in brackets, with an alias or joined: the indexes of that table.
  for (const char* sql : {"SELECT * FROM [People] ORDER BY Id", "SELECT * FROM People AS P WHERE P.Qty > 1",
                          "SELECT * FROM People P, People Q"}) {
    auto rs = Make(rtSnapshot, sql);
    EXPECT_EQ(rs->FindIndexName("Name"), "ByName") << sql;
  }
  auto rs = Make(rtTable, "People");
  rs->Open();
  EXPECT_TRUE(rs->IsIndexedField(rs->FieldByName("Name")));
  EXPECT_FALSE(rs->IsIndexedField(rs->FieldByName("City"))) << "only the first field of a longer index";
  EXPECT_FALSE(rs->IsIndexedField(rs->FieldByName("Qty")));
  rs->SetKey();
  EXPECT_TRUE(rs->IsIndexedField(rs->FieldByName("Qty"))) << "any field takes a key value";
  rs->SetRestrictFilterToIndexedFields(true);
  EXPECT_FALSE(rs->IsIndexedField(rs->FieldByName("Qty")));
  EXPECT_TRUE(rs->IsIndexedField(rs->FieldByName("Id")));
  rs->Cancel();
}

TEST_F(SearchTest, KeySearchesSeekOnTheCurrentIndex) {
  auto rs = Make(rtTable, "People");
  rs->SetIndex("ByNameCity");
  rs->Open();
  EXPECT_TRUE(rs->FindKey({Variant("Mike"), Variant("Bonn")}));
  EXPECT_EQ(Current(*rs), "Mike/Bonn");
  EXPECT_FALSE(rs->FindKey({Variant("Zed")}));
  EXPECT_EQ(Current(*rs), "Mike/Bonn");
  rs->FindNearest({Variant("Mj")});
  EXPECT_EQ(Current(*rs), "O'Brien/Cork");
  rs->FindNearest({Variant("zz")});
  EXPECT_EQ(Current(*rs), "x/Rome") << "past every key: the last record";

  rs->SetKey();
  rs->FieldByName("Name")->SetAsString("Mia");
  EXPECT_TRUE(rs->GotoKey());
  EXPECT_EQ(Current(*rs), "Mia/Oslo");
  // A lookup in between uses its own buffer: the key stays.
  EXPECT_EQ(rs->Lookup("Name", Variant("Ann"), "City").ToString(), "Rome");
  rs->EditKey();
  EXPECT_EQ(rs->FieldByName("Name")->AsString(), "Mia");
  rs->Cancel();
  rs->Last();
  EXPECT_TRUE(rs->GotoKey());
  EXPECT_EQ(Current(*rs), "Mia/Oslo");
}

}  // namespace
}  // namespace qb::test
