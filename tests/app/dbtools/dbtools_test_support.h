// Helpers of the database tools tests: a workgroup, an engine component, sample databases of
// known rows, and a separate engine that checks what became of a file.
#pragma once
#include <QComboBox>
#include <QDialog>
#include <QLineEdit>
#include <QPushButton>
#include <memory>
#include <string>
#include <vector>

#include "app/app_test_support.h"
#include "app/dbtools/db_file_replace.h"
#include "com/ole_exception.h"
#include "engine/dao_engine.h"
#include "engine/dao_globals.h"
#include "jet/dao/database.h"
#include "jet/dao/dbengine.h"
#include "jet/base/engine_settings.h"
#include "jet/base/errors.h"
#include "jet/recordset/recordset.h"
#include "jet/dao/workspace.h"
#include "support/test_support.h"

namespace qb::test {

// The rows of the sample table Names. "Quokka-7731" is the text looked for in a file's bytes;
// "Ärlig" sorts after "Zebra" in Swedish only.
inline const std::vector<std::string> kSampleNames = {"Apple", "Quokka-7731", "Zebra", "Ärlig"};

class DBToolsTest : public AppTest {
 protected:
  void SetUp() override {
    AppTest::SetUp();
    TEST_ResetDAOState();
    TEST_SetEngineSettings(jet::EngineSettings::ForTests());
    checker_ = jet::CreateDBEngine(jet::EngineSettings::ForTests());
    checker_->CreateWorkgroup(workgroup_);
    checker_->SetSystemDB(workgroup_);
    engine_ = std::make_unique<TDAOEngine>();
    engine_->SetSystemDB(workgroup_);
  }
  void TearDown() override {
    TEST_SetReplaceHook({});
    engine_.reset();
    TEST_ResetDAOState();
  }

  // Creates NAME in the test folder with the table Names holding kSampleNames, with LOCALE
  // (sort order and ";pwd=..."); returns its path. Each of DOUBLINGS adds a copy of every row
  // with "row-" in front, to make the file large.
  std::string MakeDatabase(const std::string& name, const std::string& locale = "1033", int doublings = 0) {
    const std::string path = dir_.File(name);
    auto database = checker_->CreateDatabase(path, locale);
    database->Execute("CREATE TABLE Names (Id COUNTER PRIMARY KEY, Name TEXT(255))");
    for (const std::string& value : kSampleNames) database->Execute("INSERT INTO Names (Name) VALUES ('" + value + "')");
    for (int i = 0; i < doublings; ++i) database->Execute("INSERT INTO Names (Name) SELECT 'row-' & Name FROM Names");
    database->Close();
    return path;
  }

  // Opens PATH through the checking engine (exclusively, so nobody else has it meanwhile).
  std::shared_ptr<jet::Database> Open(const std::string& path, const std::string& connect = {}) {
    return Workspace()->OpenDatabase(path, Variant(true), false, connect);
  }

  // The names of Names in the order of the database's own text comparison.
  std::vector<std::string> SortedNames(const std::string& path, const std::string& connect = {}) {
    auto database = Open(path, connect);
    auto rows = database->OpenRecordset("SELECT Name FROM Names WHERE Name NOT LIKE 'row-*' ORDER BY Name", 4);
    std::vector<std::string> names;
    for (; !rows->Eof(); rows->MoveNext()) names.push_back(rows->Fields()->Item(0)->Value().ToString());
    rows->Close();
    database->Close();
    return names;
  }

  // The error number opening PATH with CONNECT raises; 0 when it opens.
  int OpenError(const std::string& path, const std::string& connect = {}) {
    try {
      Open(path, connect)->Close();
      return 0;
    } catch (const EOleException& error) {
      return error.ErrorCode();
    }
  }

  bool BytesContain(const std::string& path, const std::string& text) {
    return ReadFileBytes(path).find(text) != std::string::npos;
  }

  std::shared_ptr<jet::Workspace> Workspace() {
    if (workspace_ == nullptr) workspace_ = checker_->CreateWorkspace("checker", "Admin", "");
    return workspace_;
  }

  TempDir dir_;
  const std::string workgroup_ = dir_.File("tools.mdw");
  std::shared_ptr<jet::DBEngine> checker_;
  std::shared_ptr<jet::Workspace> workspace_;
  std::unique_ptr<TDAOEngine> engine_;
};

template <class T = QPushButton>
T* Child(const QWidget& parent, const char* name) {
  T* widget = parent.findChild<T*>(name);
  EXPECT_NE(widget, nullptr) << name;
  return widget;
}

// Types TEXT into the password window DIALOG and presses "&Ok"; returns the dialog's result.
inline int AnswerPassword(QDialog& dialog, const std::string& text) {
  Child<QLineEdit>(dialog, "EditPassword")->setText(QString::fromStdString(text));
  Child(dialog, "BtnOk")->click();
  return dialog.result();
}

inline int PressCancelButton(QDialog& dialog) {
  Child(dialog, "BtnCancel")->click();
  return dialog.result();
}

// The entries of a drop-down list, in order.
inline std::vector<std::string> Entries(const QComboBox& combo) {
  std::vector<std::string> entries;
  for (int i = 0; i < combo.count(); ++i) entries.push_back(combo.itemText(i).toStdString());
  return entries;
}

}  // namespace qb::test
