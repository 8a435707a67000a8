// A query over a saved join query, edited through its plain fields by a program using the
// engine, then read back by quill in its own process: the edits reached both tables on disk.
#include "quill_test.h"

#include "com/ole_exception.h"
#include "jet/base/engine_settings.h"
#include "jet/dao/database.h"
#include "jet/dao/dbengine.h"
#include "jet/dao/field.h"
#include "jet/dao/workspace.h"
#include "jet/recordset/recordset.h"

namespace qb::cli::test {
namespace {

class QuillStackedQueryTest : public QuillTest {
 protected:
  void SetUp() override {
    Ok({"db", "create", Db()});
    Ok({"sql", Db(), "CREATE TABLE Owners (Id LONG CONSTRAINT OwnerKey PRIMARY KEY, Name TEXT(20), City TEXT(20))"});
    Ok({"sql", Db(), "CREATE TABLE Pets (PetId LONG CONSTRAINT PetKey PRIMARY KEY, Owner LONG, Pet TEXT(20))"});
    Ok({"sql", Db(), "INSERT INTO Owners VALUES (1, 'Ann', 'Oslo')"});
    Ok({"sql", Db(), "INSERT INTO Owners VALUES (2, 'Bo', 'Rome')"});
    Ok({"sql", Db(), "INSERT INTO Pets VALUES (10, 1, 'Rex')"});
    Ok({"sql", Db(), "INSERT INTO Pets VALUES (11, 2, 'Tom')"});
    Ok({"query", "create", Db(), "Owned",
        "SELECT Pets.PetId, Pets.Pet, Owners.Name, Owners.City FROM Pets INNER JOIN Owners ON Pets.Owner = Owners.Id"});
    Ok({"query", "create", Db(), "Totals", "SELECT City, Count(*) AS N FROM Owned GROUP BY City"});
  }
  std::string Db() const { return File("pets.mdb"); }

  std::shared_ptr<jet::Database> OpenWithEngine() {
    engine_->CreateWorkgroup(File("system.mdw"));
    engine_->SetSystemDB(File("system.mdw"));
    workspace_ = engine_->CreateWorkspace("w", "Admin", "");
    return workspace_->OpenDatabase(Db());
  }

  std::shared_ptr<jet::DBEngine> engine_ = jet::CreateDBEngine(jet::EngineSettings::ForTests());
  std::shared_ptr<jet::Workspace> workspace_;
};

TEST_F(QuillStackedQueryTest, EditsThroughAQueryOverASavedJoinAreOnDisk) {
  {
    auto db = OpenWithEngine();
    auto rs = db->OpenRecordset("SELECT Pet, Name, City FROM Owned WHERE Pet = 'Tom'", jet::kOpenDynaset);
    ASSERT_TRUE(rs->Updatable());
    rs->Edit();
    rs->Fields()->Item("Pet")->SetValue(Variant("Tim"));
    rs->Fields()->Item("City")->SetValue(Variant("Lund"));
    rs->Update();
    rs->Close();
    db->Close();
  }
  EXPECT_EQ(Ok({"sql", Db(), "SELECT PetId, Pet FROM Pets ORDER BY PetId"}), "PetId\tPet\n10\tRex\n11\tTim\n");
  EXPECT_EQ(Ok({"sql", Db(), "SELECT Name, City FROM Owners ORDER BY Id"}), "Name\tCity\nAnn\tOslo\nBo\tLund\n");
  EXPECT_EQ(Ok({"sql", Db(), "SELECT Pet, City FROM Owned ORDER BY Pet"}), "Pet\tCity\nRex\tOslo\nTim\tLund\n");
}

TEST_F(QuillStackedQueryTest, AGroupedLayerOverTheJoinStaysReadOnly) {
  auto db = OpenWithEngine();
  auto rs = db->OpenRecordset("SELECT * FROM Totals", jet::kOpenDynaset);
  EXPECT_FALSE(rs->Updatable());
  try {
    rs->Edit();
    ADD_FAILURE() << "Edit of a grouped layer succeeded";
  } catch (const EOleException& e) {
    EXPECT_EQ(e.ErrorCode(), 3027);
  }
  rs->Close();
  db->Close();
  EXPECT_EQ(Ok({"sql", Db(), "SELECT * FROM Totals ORDER BY City"}), "City\tN\nOslo\t1\nRome\t1\n");
}

}  // namespace
}  // namespace qb::cli::test
