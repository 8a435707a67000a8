// The engine root: its defaults and settings, the Workspaces collection (the default workspace,
// weak references to the others), ODBC workspaces, properties and the per-user default workgroup.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "engine_test_support.h"
#include "jet/dao/dbengine.h"
#include "jet/base/errors.h"
#include "jet/dao/property.h"
#include "jet/dao/users.h"
#include "jet/dao/workspace.h"
#include "jet/dao/workspaces.h"

namespace qb::jet {
namespace {

using test::ErrorOf;

// Points XDG_CONFIG_HOME at a temporary folder for the test's duration.
class ScopedConfigHome {
 public:
  explicit ScopedConfigHome(const std::string& folder) {
    if (const char* old = std::getenv("XDG_CONFIG_HOME")) old_ = old;
    ::setenv("XDG_CONFIG_HOME", folder.c_str(), 1);
  }
  ~ScopedConfigHome() {
    if (old_) {
      ::setenv("XDG_CONFIG_HOME", old_->c_str(), 1);
    } else {
      ::unsetenv("XDG_CONFIG_HOME");
    }
  }

 private:
  std::optional<std::string> old_;
};

class DBEngineTest : public ::testing::Test {
 protected:
  void SetUp() override {
    engine_->CreateWorkgroup(path_);
    engine_->SetSystemDB(path_);
  }

  std::shared_ptr<DBEngine> engine_ = CreateDBEngine(EngineSettings::ForTests());
  qb::test::TempDir dir_;
  std::string path_ = dir_.File("system.mdw");
};

TEST_F(DBEngineTest, StartsWithTheJetDefaults) {
  auto fresh = CreateDBEngine();
  EXPECT_EQ(fresh->DefaultUser(), "Admin");
  EXPECT_EQ(fresh->DefaultPassword(), "");
  EXPECT_EQ(fresh->LoginTimeout(), 20);
  EXPECT_EQ(fresh->DefaultType(), kUseJet);
  EXPECT_EQ(fresh->Version(), "3.5");
  EXPECT_EQ(fresh->IniPath(), "");
  EXPECT_EQ(fresh->Settings().busy_timeout_ms, 5000);

  EXPECT_EQ(ErrorOf([&] { fresh->SetDefaultType(3); }).number, err::kInvalidArgument);
  EXPECT_EQ(ErrorOf([&] { fresh->SetLoginTimeout(-1); }).number, err::kInvalidArgument);
  fresh->SetIniPath("/etc/quill.ini");
  EXPECT_EQ(fresh->IniPath(), "/etc/quill.ini");
}

TEST_F(DBEngineTest, DefaultWorkspaceIsItemZeroMadeOnFirstUseAndKept) {
  auto workspaces = engine_->Workspaces();
  EXPECT_EQ(workspaces->Count(), 1);
  auto first = workspaces->Item(0);
  EXPECT_EQ(first->Name(), kDefaultWorkspaceName);
  EXPECT_EQ(first->UserName(), "Admin");
  EXPECT_EQ(first->Type(), kUseJet);
  std::weak_ptr<Workspace> weak = first;
  first.reset();
  EXPECT_FALSE(weak.expired());  // the engine keeps it
  EXPECT_EQ(workspaces->Item(kDefaultWorkspaceName), weak.lock());

  // Closing it is ignored: it stays the same working object.
  weak.lock()->Close();
  engine_->SetDefaultUser("nobody");
  EXPECT_EQ(workspaces->Item(0), weak.lock());
  EXPECT_TRUE(weak.lock()->IsOpen());
}

TEST_F(DBEngineTest, OtherWorkspacesAreHeldWeakly) {
  auto a = engine_->CreateWorkspace("A", "Admin", "");
  auto b = engine_->CreateWorkspace("B", "Admin", "");
  auto workspaces = engine_->Workspaces();
  EXPECT_EQ(workspaces->Count(), 3);
  EXPECT_EQ(workspaces->Item(1), a);
  EXPECT_EQ(workspaces->Item("B"), b);

  a.reset();  // the last outside reference: A closes and leaves the collection
  EXPECT_EQ(workspaces->Count(), 2);
  EXPECT_EQ(workspaces->Item(1), b);
  b->Close();
  EXPECT_EQ(workspaces->Count(), 1);
  EXPECT_EQ(ErrorOf([&] { workspaces->Item("B"); }).number, err::kItemNotFound);
  EXPECT_EQ(ErrorOf([&] { workspaces->Item(1); }).number, err::kItemNotFound);
}

TEST_F(DBEngineTest, DroppingAWorkspaceReleasesTheWorkgroupFile) {
  auto workspace = engine_->CreateWorkspace("w", "Admin", "");
  auto users = workspace->Users();
  workspace.reset();
  EXPECT_EQ(ErrorOf([&] { users->Count(); }).number, err::kObjectClosed);
  // The file's log companions are gone with the last connection.
  EXPECT_FALSE(std::filesystem::exists(path_ + "-wal"));
}

TEST_F(DBEngineTest, OdbcWorkspaceHasItsOwnSettingsAndNoAccounts) {
  engine_->SetLoginTimeout(45);
  auto odbc = engine_->CreateWorkspace("odbc", "someone", "anything", kUseOdbc);
  EXPECT_EQ(odbc->Type(), kUseOdbc);
  EXPECT_EQ(odbc->UserName(), "someone");
  EXPECT_EQ(odbc->LoginTimeout(), 45);
  EXPECT_EQ(odbc->DefaultCursorDriver(), kUseDefaultCursor);
  odbc->SetDefaultCursorDriver(kUseClientBatchCursor);
  EXPECT_EQ(odbc->DefaultCursorDriver(), kUseClientBatchCursor);
  EXPECT_EQ(ErrorOf([&] { odbc->SetDefaultCursorDriver(0); }).number, err::kInvalidArgument);
  EXPECT_EQ(ErrorOf([&] { odbc->SetDefaultCursorDriver(5); }).number, err::kInvalidArgument);
  const int wrong_kind = err::kNotForThisObject;
  EXPECT_EQ(ErrorOf([&] { odbc->Users(); }).number, wrong_kind);
  EXPECT_EQ(ErrorOf([&] { odbc->CreateGroup("g", "gpid"); }).number, wrong_kind);
  EXPECT_EQ(ErrorOf([&] { odbc->SetIsolateODBCTrans(true); }).number, wrong_kind);

  auto jet = engine_->CreateWorkspace("jet", "Admin", "");
  jet->SetIsolateODBCTrans(true);
  EXPECT_TRUE(jet->IsolateODBCTrans());
  EXPECT_EQ(ErrorOf([&] { jet->SetLoginTimeout(10); }).number, wrong_kind);
  EXPECT_EQ(ErrorOf([&] { jet->DefaultCursorDriver(); }).number, wrong_kind);
  EXPECT_EQ(ErrorOf([&] { engine_->CreateWorkspace("x", "Admin", "", 3); }).number, err::kInvalidArgument);
}

TEST_F(DBEngineTest, PropertiesReadAndWriteTheirOwners) {
  auto properties = engine_->Properties();
  EXPECT_EQ(properties->Item("version")->Value().ToString(), "3.5");
  properties->Item("LoginTimeout")->SetValue(Variant(30));
  EXPECT_EQ(engine_->LoginTimeout(), 30);
  EXPECT_EQ(ErrorOf([&] { properties->Item("LoginTimeout")->SetValue(Variant("soon")); }).number,
            err::kInvalidPropertyValue);
  EXPECT_EQ(ErrorOf([&] { properties->Item("Version")->SetValue(Variant("4.0")); }).number, err::kPropertyReadOnly);
  EXPECT_EQ(ErrorOf([&] { properties->Item("DefaultPassword"); }).number, err::kPropertyNotFound);
  EXPECT_EQ(properties->Item("SystemDB")->Value().ToString(), path_);

  auto workspace = engine_->CreateWorkspace("props", "Admin", "");
  auto ws_properties = workspace->Properties();
  EXPECT_EQ(ws_properties->Item("Name")->Value().ToString(), "props");
  EXPECT_EQ(ws_properties->Item("Type")->Value().ToInt32(), kUseJet);
  ws_properties->Item("IsolateODBCTrans")->SetValue(Variant(true));
  EXPECT_TRUE(workspace->IsolateODBCTrans());
  EXPECT_FALSE(ws_properties->Item("Name")->Inherited());
  workspace.reset();  // properties never keep their workspace alive
  EXPECT_EQ(ErrorOf([&] { ws_properties->Item("Name")->Value(); }).number, err::kObjectClosed);
}

TEST_F(DBEngineTest, EmptySystemDbMeansThePerUserWorkgroupMadeOnFirstUse) {
  qb::test::TempDir config;
  ScopedConfigHome home(config.Path().string());
  const std::string expected = config.File("quillbase/system.mdw");
  engine_->SetSystemDB("");
  EXPECT_EQ(engine_->SystemDB(), expected);
  EXPECT_FALSE(std::filesystem::exists(expected));  // reading it makes nothing

  auto workspace = engine_->CreateWorkspace("w", "Admin", "");
  EXPECT_TRUE(std::filesystem::is_regular_file(expected));
  auto folder_permissions = std::filesystem::status(config.File("quillbase")).permissions();
  EXPECT_EQ(folder_permissions & std::filesystem::perms::all, std::filesystem::perms::owner_all);
  workspace->Users()->Append(workspace->CreateUser("Kept", "keptpid", ""));

  // Another engine finds the same file and its accounts.
  auto other = CreateDBEngine(EngineSettings::ForTests());
  EXPECT_EQ(other->CreateWorkspace("w", "Kept", "")->UserName(), "Kept");
}

}  // namespace
}  // namespace qb::jet
