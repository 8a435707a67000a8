// Helpers of the data-access control tests: the recordset fixture's database with a People
// table (Id, Name, City, Age, Photo, Notes; indexes on Name, on City+Name and the primary key),
// a data source over a recordset on it, and how many records a table of any size gets quickly.
#pragma once
#include <QApplication>
#include <QTest>
#include <memory>
#include <string>

#include "framework/data/data_source.h"
#include "framework/data/field.h"
#include "recordset/recordset_fixture.h"

namespace qb::test {

class DaoControlsTest : public RecordsetTest {
 protected:
  void SetUp() override {
    RecordsetTest::SetUp();
    Exec("CREATE TABLE People (Id LONG PRIMARY KEY, Name TEXT(40), City TEXT(40), Age LONG, Photo LONGBINARY, "
         "Notes MEMO)");
    Exec("CREATE INDEX ByName ON People (Name)");
    Exec("CREATE INDEX ByCityName ON People (City, Name)");
    Exec("CREATE INDEX ByAge ON People (Age)");
  }
  void TearDown() override {
    source_.SetDataSet(nullptr);
    rs_.reset();
    RecordsetTest::TearDown();
  }

  // COUNT people: names of five syllables out of ten (Al, Be, ..., Ra), all different for up
  // to 100,000 records; Id from 1, Age = Id mod 90, City by the first syllable.
  void FillPeople(int count) {
    Exec("CREATE TABLE Syl (N LONG, T TEXT(4))");
    const char* syllables[] = {"Al", "Be", "Ca", "Di", "Ed", "Fa", "Gi", "Mi", "No", "Ra"};
    for (int i = 0; i < 10; ++i)
      Exec("INSERT INTO Syl (N, T) VALUES (" + std::to_string(i) + ", '" + syllables[i] + "')");
    Exec("INSERT INTO People (Id, Name, City, Age) SELECT a.N*10000+b.N*1000+c.N*100+d.N*10+e.N+1, "
         "e.T & d.T & c.T & b.T & a.T, 'City' & e.T, (a.N*10000+b.N*1000+c.N*100+d.N*10+e.N+1) MOD 90 "
         "FROM Syl AS a, Syl AS b, Syl AS c, Syl AS d, Syl AS e "
         "WHERE a.N*10000+b.N*1000+c.N*100+d.N*10+e.N < " + std::to_string(count));
  }

  // Opens a recordset of TYPE on SOURCE (a table or a statement) behind the data source.
  TDAORecordset& OpenPeople(TRecordSetTypes type = rtTable, const std::string& source = "People",
                            const std::string& index = "ByName", TLockStrategies lock = lkOptimistic) {
    rs_ = Make(type, source, lock);
    if (type == rtTable) rs_->SetIndex(index);
    rs_->Open();
    source_.SetDataSet(rs_.get());
    return *rs_;
  }
  std::string Current(const char* field = "Name") { return rs_->FieldByName(field)->AsString(); }

  TDataSource source_;
  std::unique_ptr<TDAORecordset> rs_;
};

}  // namespace qb::test
