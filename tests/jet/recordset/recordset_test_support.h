// Helpers of the recordset tests: a database file with a People table of every common type
// (AutoNumber key, a default, two indexes), rows added by plain SQL, and walking a recordset to
// one line of text so a whole order or state checks in one comparison.
#pragma once
#include <memory>
#include <string>

#include "../schema/schema_test_support.h"
#include "jet/dao/property.h"
#include "jet/recordset/recordset.h"

namespace qb::jet::test {

class RecordsetTest : public SchemaTest {
 protected:
  void SetUp() override {
    SchemaTest::SetUp();
    db_->Execute(
        "CREATE TABLE People (Id COUNTER CONSTRAINT PK PRIMARY KEY, Name TEXT(30) NOT NULL, Age SHORT, "
        "Born DATETIME, Paid CURRENCY, Active YESNO, Notes MEMO, Photo LONGBINARY, City TEXT(20))");
    Table("People")->Fields()->Item("City")->SetDefaultValue(Variant("'Oslo'"));
    db_->Execute("CREATE UNIQUE INDEX ByName ON People (Name)");
    db_->Execute("CREATE INDEX ByAgeName ON People (Age DESC, Name)");
    // Born: 2001-01-02 is serial 36893, 1999-12-31 is 36525. Paid in its stored form,
    // ten-thousandths: 12.5, 0.25, Null, 100.
    Exec("INSERT INTO People (Name, Age, Born, Paid, Active, City) VALUES "
         "('Dora', 40, 36893, 125000, -1, 'Rome'), ('alice', 30, 36525, 2500, 0, 'Oslo'), "
         "('Carl', 30, NULL, NULL, -1, 'Bergen'), ('Bob', 25, 36893.5, 1000000, 0, NULL)");
  }

  std::shared_ptr<Recordset> Open(const std::string& source, int type = 0, int options = 0, int lock = 0) {
    return db_->OpenRecordset(source, type, options, lock);
  }

  // FIELD of the current record as text (Null as "-").
  static std::string Text(Recordset& rs, const std::string& field) {
    const Variant value = rs.Fields()->Item(field)->Value();
    return value.IsNull() ? std::string("-") : value.ToString();
  }
  static void Set(Recordset& rs, const std::string& field, const Variant& value) {
    rs.Fields()->Item(field)->SetValue(value);
  }

  // FIELD of every record from the current one to EOF, as "a,b,c" (Null as "-").
  static std::string Walk(Recordset& rs, const std::string& field = "Name") {
    std::string text;
    while (!rs.Eof()) {
      if (!text.empty()) text += ",";
      text += Text(rs, field);
      rs.MoveNext();
    }
    return text;
  }

  // FIELD of every record from the last one back to BOF.
  static std::string WalkBack(Recordset& rs, const std::string& field = "Name") {
    std::string text;
    if (rs.Bof() && rs.Eof()) return text;
    rs.MoveLast();
    while (!rs.Bof()) {
      if (!text.empty()) text += ",";
      text += rs.Fields()->Item(field)->Value().ToStringOrEmpty();
      rs.MovePrevious();
    }
    return text;
  }

  static std::string Name(Recordset& rs) { return rs.Fields()->Item("Name")->Value().ToString(); }
};

}  // namespace qb::jet::test
