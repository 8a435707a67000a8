// The recordset component on a form: written out and read back, it opens after loading on its
// database; while a form is read, settings are taken without the checks that need the form's
// other components.
#include <gtest/gtest.h>

#include "engine/dao_workspace.h"
#include "framework/component/class_registry.h"
#include "framework/component/form_registry.h"
#include "framework/component/form_stream.h"
#include "framework/data/data_source.h"
#include "framework/data/field.h"
#include "recordset/dao_recordset_registration.h"
#include "recordset/recordset_fixture.h"

namespace qb::test {
namespace {

class TRecordsetTestForm : public TDataModule {
 public:
  using TDataModule::TDataModule;
  const char* ClassName() const override { return "TRecordsetTestForm"; }
};

class FormTest : public RecordsetTest {
 protected:
  void SetUp() override {
    RecordsetTest::SetUp();
    RegisterRecordsetComponentClasses();
    RegisterComponentClass<TRecordsetTestForm>("TRecordsetTestForm");
    Exec("CREATE TABLE People (Id COUNTER CONSTRAINT PK PRIMARY KEY, Name TEXT(20))");
    Exec("INSERT INTO People (Name) VALUES ('Ann')");
    Exec("INSERT INTO People (Name) VALUES ('Bob')");
    database_->Close();
  }
};

TEST_F(FormTest, AnActiveRecordsetOpensAgainAfterLoading) {
  std::string text;
  {
    TRecordsetTestForm form;
    form.SetName("MainForm");
    auto* db = new TDAODataBase(&form);
    db->SetName("DAODataBase1");
    db->SetDatabaseFile(file_);
    auto* rs = new TDAORecordset(&form);
    rs->SetName("DAORecordset1");
    rs->SetDAODatabase(db);
    rs->SetRecordSetType(rtQuery);
    rs->SetSQLText("SELECT *\nFROM People ORDER BY Name DESC");
    rs->SetOptions(rs->Options() | Opt(roSetEmptyStringsAsNULLValues));
    rs->Open();
    text = WriteComponentText(&form);
  }
  EXPECT_NE(text.find("RecordSetType = rtQuery"), std::string::npos) << text;
  EXPECT_EQ(text.find("Field"), std::string::npos) << "fields made at opening are not stored";
  std::unique_ptr<TComponent> form(ReadNewComponentText(text, nullptr));
  auto* db = dynamic_cast<TDAODataBase*>(form->FindComponent("DAODataBase1"));
  auto* rs = dynamic_cast<TDAORecordset*>(form->FindComponent("DAORecordset1"));
  ASSERT_NE(rs, nullptr);
  EXPECT_TRUE(rs->Active());
  EXPECT_EQ(rs->DAODatabase(), db);
  EXPECT_EQ(db->RecordsetCount(), 1);
  EXPECT_EQ(rs->SQL(), (std::vector<std::string>{"SELECT *", "FROM People ORDER BY Name DESC;"}));
  EXPECT_TRUE(HasOpt(rs->Options(), roSetEmptyStringsAsNULLValues));
  EXPECT_EQ(Walk(*rs), "Bob,Ann");
}

TEST_F(FormTest, SettingsOfAnotherWorkspaceKindAreTakenWhileReading) {
  const std::string text = "object MyForm: TRecordsetTestForm\n"
                           "  object DAOWorkspace1: TDAOWorkspace\n"
                           "    WorkspaceType = wtUseODBC\n"
                           "  end\n"
                           "  object DAODataBase1: TDAODataBase\n"
                           "    DAOWorkspace = DAOWorkspace1\n"
                           "  end\n"
                           "  object DAORecordset1: TDAORecordset\n"
                           "    DAODatabase = DAODataBase1\n"
                           "    RecordSetType = rtTable\n"
                           "    LockStrategy = lkOptimisticBatch\n"
                           "    TableName = 'People'\n"
                           "  end\n"
                           "end\n";
  std::unique_ptr<TComponent> form(ReadNewComponentText(text, nullptr));
  auto* rs = dynamic_cast<TDAORecordset*>(form->FindComponent("DAORecordset1"));
  ASSERT_NE(rs, nullptr);
  EXPECT_EQ(rs->RecordSetType(), rtTable);
  EXPECT_EQ(rs->LockStrategy(), lkOptimisticBatch);
  // After loading the rules hold again.
  EXPECT_TRUE(RaisedBy([&] { rs->SetRecordSetType(rtDynamic); rs->SetRecordSetType(rtTable); }).Any());
}

TEST_F(FormTest, TableNameIsStreamedWithTheProcedureName) {
  struct Case {
    TRecordSetTypes type;
    const char* table;
    const char* procedure;
  } cases[] = {{rtTable, "People", ""}, {rtStoredProcedure, "", "Q1"}, {rtQuery, "", ""}};
  for (const Case& c : cases) {
    TRecordsetTestForm form;
    form.SetName("Form1");
    auto* rs = new TDAORecordset(&form);
    rs->SetName("DAORecordset1");
    rs->SetRecordSetType(rtTable);
    rs->SetTableName(c.table);
    rs->SetRecordSetType(rtStoredProcedure);
    rs->SetTableName(c.procedure);
    rs->SetRecordSetType(c.type);
    const std::string text = WriteComponentText(&form);
    const std::string expected = std::string("TableName = ") + (*c.table ? std::string("'") + c.table + "'#13" : "#13") +
                                 (*c.procedure ? std::string("'") + c.procedure + "'" : "");
    EXPECT_NE(text.find(expected), std::string::npos) << text;
    std::unique_ptr<TComponent> read(ReadNewComponentText(text, nullptr));
    auto* back = dynamic_cast<TDAORecordset*>(read->FindComponent("DAORecordset1"));
    ASSERT_NE(back, nullptr);
    back->SetRecordSetType(rtTable);
    EXPECT_EQ(back->TableName(), c.table);
    back->SetRecordSetType(rtStoredProcedure);
    EXPECT_EQ(back->StoredProcedureName(), c.procedure);
  }
}

TEST_F(FormTest, AMasterSourceIsStoredAndFoundAgain) {
  RegisterComponentClass<TDataSource>("TDataSource");
  std::string text;
  {
    TRecordsetTestForm form;
    form.SetName("MainForm");
    auto* master = new TDAORecordset(&form);
    master->SetName("Master");
    auto* source = new TDataSource(&form);
    source->SetName("MasterSource1");
    source->SetDataSet(master);
    auto* detail = new TDAORecordset(&form);
    detail->SetName("Detail");
    detail->SetRecordSetType(rtQuery);
    detail->SetMasterSource(source);
    detail->SetDetailUpdateDelay(0);
    detail->SetSQLText("SELECT * FROM People WHERE Name = :Name OR Id = :Id");
    detail->SQLParameter().ParamByName("Id").SetAsInteger(2);
    text = WriteComponentText(&form);
  }
  EXPECT_NE(text.find("MasterSource = MasterSource1"), std::string::npos) << text;
  std::unique_ptr<TComponent> form(ReadNewComponentText(text, nullptr));
  auto* detail = dynamic_cast<TDAORecordset*>(form->FindComponent("Detail"));
  ASSERT_NE(detail, nullptr);
  EXPECT_EQ(detail->MasterSource(), form->FindComponent("MasterSource1"));
  EXPECT_EQ(detail->DetailUpdateDelay(), 0);
  // A value the application set stays with the form; a linked one is taken from the master.
  ASSERT_EQ(detail->SQLParameter().Count(), 2);
  EXPECT_FALSE(detail->SQLParameter()[0].Bound());
  EXPECT_TRUE(detail->SQLParameter()[1].Bound());
  EXPECT_EQ(detail->SQLParameter()[1].DataType(), ftInteger);
  EXPECT_EQ(detail->SQLParameter()[1].AsInteger(), 2);
}

}  // namespace
}  // namespace qb::test
