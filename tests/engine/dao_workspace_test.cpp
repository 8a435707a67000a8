// The workspace component: defaults from engine component, engine or neither; logging in and
// out with events; wrong passwords and missing workgroup files; guarded and kind-bound settings;
// users and groups; the bound database list (through a stand-in); Assign; form text.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <vector>

#include "dao_test_support.h"
#include "engine/dao_engine.h"
#include "engine/dao_globals.h"
#include "engine/dao_workspace.h"
#include "engine/dao_workspace_member.h"
#include "framework/component/form_stream.h"
#include "jet/dao/dbengine.h"
#include "jet/dao/groups.h"
#include "jet/dao/user.h"
#include "jet/dao/users.h"
#include "jet/dao/workspace.h"

namespace qb::test {
namespace {

// A database as the workspace sees it: records what it is asked.
class MemberStandIn : public TDAOWorkspaceMember {
 public:
  MemberStandIn(std::string name, std::vector<std::string>& log) : name_(std::move(name)), log_(log) {}
  void Bind(TDAOWorkspace* workspace) {
    workspace_ = workspace;
    workspace->AddDatabase(this);
  }
  void DisconnectForWorkspace() override { log_.push_back("Disconnect " + name_); }
  void DetachFromWorkspace() override {
    log_.push_back("Detach " + name_);
    workspace_->RemoveDatabase(this);
    workspace_ = nullptr;
  }
  void RecheckRecordsetRules() override { log_.push_back("Recheck " + name_); }
  TDAOWorkspace* workspace_ = nullptr;

 private:
  std::string name_;
  std::vector<std::string>& log_;
};

class DAOWorkspaceTest : public DAOTest {
 protected:
  void SetUp() override {
    DAOTest::SetUp();
    engine_ = std::make_unique<TDAOEngine>();
    engine_->SetName("DAOEngine1");
    engine_->SetSystemDB(workgroup_);
  }
  void TearDown() override {
    engine_.reset();
    DAOTest::TearDown();
  }
  void Watch(TDAOWorkspace& ws) {
    ws.BeforeOpen = [this](TDAOWorkspace* w) { log_.push_back("BeforeOpen " + w->Name() + Act(w)); };
    ws.AfterOpen = [this](TDAOWorkspace* w) { log_.push_back("AfterOpen " + w->Name() + Act(w)); };
    ws.BeforeClose = [this](TDAOWorkspace* w) { log_.push_back("BeforeClose " + w->Name() + Act(w)); };
    ws.AfterClose = [this](TDAOWorkspace* w) { log_.push_back("AfterClose " + w->Name() + Act(w)); };
  }
  static std::string Act(TDAOWorkspace* w) { return w->Active() ? " +" : " -"; }

  std::unique_ptr<TDAOEngine> engine_;
  std::vector<std::string> log_;
};

TEST_F(DAOWorkspaceTest, DefaultsComeFromTheEngineComponent) {
  engine_->SetDefaultUser("Alice");
  engine_->SetDefaultPassword("pw");
  engine_->SetDefaultODBCLoginTimeout(12);
  engine_->SetDefaultWorkspaceType(wtUseODBC);
  TDAOWorkspace ws;
  EXPECT_EQ(ws.UserName(), "Alice");
  EXPECT_EQ(ws.Password(), "pw");
  EXPECT_EQ(ws.ODBCLoginTimeout(), 12);
  EXPECT_EQ(ws.WorkspaceType(), wtUseODBC);
  EXPECT_FALSE(ws.IsolateODBCTrans());
  EXPECT_EQ(ws.ODBCCursorType(), ctUseDefaultCursor);

  engine_.reset();  // no component: the engine root object's defaults
  GetDBEngine()->SetLoginTimeout(31);
  DBEngineObject()->SetDefaultType(jet::kUseOdbc);
  DBEngineObject()->SetDefaultUser("Carol");
  TDAOWorkspace from_root;
  EXPECT_EQ(from_root.UserName(), "Admin");
  EXPECT_EQ(from_root.ODBCLoginTimeout(), 31);
  EXPECT_EQ(from_root.WorkspaceType(), wtUseODBC);

  DBEngineObject().reset();  // neither
  TDAOWorkspace plain;
  EXPECT_EQ(plain.UserName(), "Admin");
  EXPECT_EQ(plain.Password(), "");
  EXPECT_EQ(plain.ODBCLoginTimeout(), 20);
  EXPECT_EQ(plain.WorkspaceType(), wtUseJet);
}

TEST_F(DAOWorkspaceTest, OpensAndClosesBetweenItsEvents) {
  TDAOWorkspace ws;
  ws.SetName("Ws1");
  Watch(ws);
  ws.SetActive(true);
  EXPECT_TRUE(ws.Active());
  EXPECT_TRUE(engine_->Active());  // the root object was made on the way
  ASSERT_NE(ws.WorkspaceObject(), nullptr);
  EXPECT_EQ(ws.WorkspaceObject()->Name(), "Ws1");
  EXPECT_EQ(ws.WorkspaceObject()->Type(), jet::kUseJet);
  EXPECT_EQ(ws.DAOVersion(), "3.5");
  EXPECT_TRUE(ws.PropertyExists("UserName"));
  ws.Close();
  EXPECT_FALSE(ws.Active());
  EXPECT_FALSE(ws.PropertyExists("UserName"));
  EXPECT_EQ(log_, (std::vector<std::string>{"BeforeOpen Ws1 -", "AfterOpen Ws1 +", "BeforeClose Ws1 +",
                                            "AfterClose Ws1 -"}));
}

TEST_F(DAOWorkspaceTest, WrongPasswordFailsAsCreateCOMObjAndStaysClosed) {
  TDAOWorkspace ws;
  ws.SetName("Ws1");
  Watch(ws);
  ws.SetPassword("wrong");
  Raised raised = RaisedBy([&] { ws.Open(); });
  EXPECT_EQ(raised.type, "EDAOError");
  EXPECT_EQ(DetailField(raised.message, "Component Name:"), "Ws1");
  EXPECT_EQ(DetailField(raised.message, "Component Type:"), "TDAOWorkspace");
  EXPECT_EQ(DetailField(raised.message, "Method Name:"), "CreateCOMObj");
  EXPECT_EQ(DetailField(raised.message, "Message:"), "Not a valid account name or password.");
  EXPECT_NE(DetailField(raised.message, "Address:"), "00000000");
  EXPECT_FALSE(ws.Active());
  EXPECT_EQ(log_, (std::vector<std::string>{"BeforeOpen Ws1 -"}));
}

TEST_F(DAOWorkspaceTest, MissingWorkgroupFileIsReportedByTheEngine) {
  engine_->SetSystemDB(dir_.File("missing.mdw"));
  TDAOWorkspace ws;
  Raised raised = RaisedBy([&] { ws.Open(); });
  EXPECT_EQ(DetailField(raised.message, "Method Name:"), "CreateCOMObj");
  EXPECT_NE(DetailField(raised.message, "Message:").find("missing.mdw"), std::string::npos);
  EXPECT_FALSE(ws.Active());
}

TEST_F(DAOWorkspaceTest, GuardedSettingsWhileActive) {
  TDAOWorkspace ws;
  ws.SetName("Ws1");
  ws.Open();
  EXPECT_NO_THROW(ws.SetUserName("Admin"));
  EXPECT_NO_THROW(ws.SetPassword(""));
  EXPECT_NO_THROW(ws.SetWorkspaceType(wtUseJet));
  EXPECT_NO_THROW(ws.SetName("Ws1"));
  const std::vector<std::pair<std::string, std::function<void()>>> cases = {
      {"SetUserName", [&] { ws.SetUserName("Bob"); }},
      {"SetPassword", [&] { ws.SetPassword("x"); }},
      {"SetWorkspaceType", [&] { ws.SetWorkspaceType(wtUseODBC); }},
      {"SetName", [&] { ws.SetName("Ws2"); }},
  };
  for (const auto& [method, change] : cases) {
    EXPECT_EQ(RaisedBy(change).message,
              ExpectedDetail("Ws1", "TDAOWorkspace", "CheckInactive", "00000000",
                             "The Property '" + method + "' cannot be changed while the DAOWorkspace is Active"));
  }
  EXPECT_EQ(ws.Name(), "Ws1");
  EXPECT_EQ(ws.WorkspaceType(), wtUseJet);
}

TEST_F(DAOWorkspaceTest, KindBoundSettingsAreCheckedEvenInactiveAndUnchanged) {
  TDAOWorkspace ws;
  ws.SetName("Ws1");
  auto message = [&](const std::string& feature, const std::string& type) {
    return ExpectedDetail("Ws1", "TDAOWorkspace", "CheckWorkspaceType", "00000000",
                          "The " + feature + " can only be used for Workspaces of Type: " + type);
  };
  EXPECT_EQ(RaisedBy([&] { ws.SetODBCLoginTimeout(20); }).message, message("'ODBCLoginTimeOut' Property", "wtUseODBC"));
  EXPECT_EQ(RaisedBy([&] { ws.SetODBCCursorType(ctUseDefaultCursor); }).message,
            message("'ODBCCursorType' Property", "wtUseODBC"));
  EXPECT_NO_THROW(ws.SetIsolateODBCTrans(true));
  ws.SetWorkspaceType(wtUseODBC);
  EXPECT_EQ(RaisedBy([&] { ws.SetIsolateODBCTrans(true); }).message, message("'IsolateODBCTrans' Property", "wtUseJet"));
  EXPECT_EQ(ws.Users(), nullptr);  // inactive: none, and no type check
  EXPECT_EQ(ws.Groups(), nullptr);
  EXPECT_EQ(ws.CreateUser("x"), nullptr);
}

TEST_F(DAOWorkspaceTest, OdbcWorkspacePassesItsSettingsAndRefusesAccounts) {
  TDAOWorkspace ws;
  ws.SetName("Odbc1");
  ws.SetWorkspaceType(wtUseODBC);
  ws.SetODBCLoginTimeout(44);
  ws.SetODBCCursorType(ctUseServerCursor);
  ws.Open();
  auto object = ws.WorkspaceObject();
  EXPECT_EQ(object->Type(), jet::kUseOdbc);
  EXPECT_EQ(object->LoginTimeout(), 44);
  EXPECT_EQ(object->DefaultCursorDriver(), jet::kUseServerCursor);
  ws.SetODBCCursorType(ctUseNoCursor);
  EXPECT_EQ(object->DefaultCursorDriver(), jet::kUseNoCursor);
  ws.SetODBCLoginTimeout(5);
  EXPECT_EQ(object->LoginTimeout(), 5);

  const std::vector<std::pair<std::string, std::function<void()>>> jet_only = {
      {"'Users' Property", [&] { ws.Users(); }},
      {"'Groups' Property", [&] { ws.Groups(); }},
      {"'CreateUser' Method", [&] { ws.CreateUser("u"); }},
      {"'CreateGroup' Method", [&] { ws.CreateGroup("g"); }},
  };
  for (const auto& [feature, call] : jet_only) {
    EXPECT_EQ(DetailField(RaisedBy(call).message, "Message:"),
              "The " + feature + " can only be used for Workspaces of Type: wtUseJet");
  }
  // An out-of-range timeout is the engine's refusal, unwrapped.
  Raised raised = RaisedBy([&] { ws.SetODBCLoginTimeout(-1); });
  EXPECT_EQ(raised.type, "EOleException");
  EXPECT_EQ(ws.ODBCLoginTimeout(), 5);
}

TEST_F(DAOWorkspaceTest, UsersAndGroupsOfAJetWorkspace) {
  TDAOWorkspace ws;
  ws.Open();
  auto users = ws.Users();
  ASSERT_NE(users, nullptr);
  const int before = users->Count();
  auto user = ws.CreateUser("Dora", "dora-pid-1", "pw");
  ASSERT_NE(user, nullptr);
  users->Append(user);
  EXPECT_EQ(users->Count(), before + 1);
  EXPECT_GE(ws.Groups()->Count(), 2);
  ws.Groups()->Append(ws.CreateGroup("Editors", "editors-pid"));
  EXPECT_NO_THROW(ws.Groups()->Item("Editors"));

  // The engine's refusal reaches the caller named after the accessor.
  Raised raised = RaisedBy([&] { ws.CreateUser("Bad;Name", "pid-xyz-1", ""); users->Append(ws.CreateUser("Dora", "dora-pid-1")); });
  EXPECT_EQ(raised.type, "EOleException");  // Append is the caller's own engine call
  ws.Close();
  ws.Open();  // the new account logs in
  TDAOWorkspace dora;
  dora.SetUserName("Dora");
  dora.SetPassword("pw");
  EXPECT_NO_THROW(dora.Open());
}

TEST_F(DAOWorkspaceTest, ClosingDisconnectsBoundDatabasesFirstInListOrder) {
  TDAOWorkspace ws;
  ws.SetName("Ws1");
  Watch(ws);
  MemberStandIn db1("Db1", log_), db2("Db2", log_);
  db2.Bind(&ws);
  db1.Bind(&ws);
  db1.Bind(&ws);  // no duplicates
  EXPECT_EQ(ws.DatabaseCount(), 2);
  ws.Open();
  log_.clear();
  ws.Close();
  EXPECT_EQ(log_, (std::vector<std::string>{"BeforeClose Ws1 +", "Disconnect Db2", "Disconnect Db1",
                                            "AfterClose Ws1 -"}));
  ws.RemoveDatabase(&db1);
  ws.RemoveDatabase(&db2);
}

TEST_F(DAOWorkspaceTest, DestructionClosesThenDetachesLastFirst) {
  auto ws = std::make_unique<TDAOWorkspace>();
  ws->SetName("Ws1");
  Watch(*ws);
  MemberStandIn db1("Db1", log_), db2("Db2", log_);
  db1.Bind(ws.get());
  db2.Bind(ws.get());
  ws->Open();
  log_.clear();
  ws.reset();
  EXPECT_EQ(log_, (std::vector<std::string>{"BeforeClose Ws1 +", "Disconnect Db1", "Disconnect Db2",
                                            "AfterClose Ws1 -", "Detach Db2", "Detach Db1"}));
  EXPECT_EQ(db1.workspace_, nullptr);
  EXPECT_EQ(db2.workspace_, nullptr);
  EXPECT_EQ(DAOObjectList().size(), 1u);  // only the engine is left
}

TEST_F(DAOWorkspaceTest, AssignCopiesSettingsAndFollowsTheSourcesState) {
  TDAOWorkspace source;
  source.SetName("Src");
  TDAOWorkspace target;
  target.SetName("Dst");
  target.SetWorkspaceType(wtUseODBC);
  target.SetODBCLoginTimeout(9);
  source.SetIsolateODBCTrans(true);
  source.Open();
  target.Assign(&source);  // a Jet source: the ODBC values of the target would be refused by setters
  EXPECT_EQ(target.WorkspaceType(), wtUseJet);
  EXPECT_TRUE(target.IsolateODBCTrans());
  EXPECT_EQ(target.ODBCLoginTimeout(), 20);
  EXPECT_TRUE(target.Active());
  EXPECT_TRUE(target.WorkspaceObject()->IsolateODBCTrans());

  source.Close();
  source.SetPassword("x");
  target.Assign(&source);
  EXPECT_FALSE(target.Active());
  EXPECT_EQ(target.Password(), "x");
  EXPECT_THROW(target.Assign(engine_.get()), Exception);
}

TEST_F(DAOWorkspaceTest, FormTextScramblesThePasswordAndOpensAfterLoading) {
  {
    TDAOTestForm form;
    form.SetName("MainForm");
    auto* ws = new TDAOWorkspace(&form);
    ws->SetName("DAOWorkspace1");
    ws->SetPassword("Sesame42");
    ws->SetWorkspaceType(wtUseJet);
    const std::string text = WriteComponentText(&form);
    EXPECT_EQ(text.find("Sesame42"), std::string::npos);
    EXPECT_NE(text.find("UserName = 'Admin'"), std::string::npos);
  }
  // The workspace is listed with Active before its login: opening waits for Loaded.
  const std::string text = "object MainForm: TDAOTestForm\n"
                           "  object DAOWorkspace1: TDAOWorkspace\n"
                           "    Active = True\n"
                           "    UserName = 'admin'\n"
                           "    WorkspaceType = wtUseJet\n"
                           "  end\n"
                           "end\n";
  std::unique_ptr<TComponent> form(ReadNewComponentText(text, nullptr));
  auto* ws = dynamic_cast<TDAOWorkspace*>(form->FindComponent("DAOWorkspace1"));
  ASSERT_NE(ws, nullptr);
  EXPECT_TRUE(ws->Active());
  EXPECT_EQ(ws->WorkspaceObject()->UserName(), "Admin");

  // A wrong password fails the form's creation at run time.
  const std::string bad = "object BadForm: TDAOTestForm\n"
                          "  object W: TDAOWorkspace\n"
                          "    Password = '" + ScrambleText("nope", kFormScrambleKey) + "'\n"
                          "    Active = True\n"
                          "  end\n"
                          "end\n";
  EXPECT_THROW(ReadNewComponentText(bad, nullptr), EDAOError);
}

TEST_F(DAOWorkspaceTest, DesignerShowsALoadingErrorInsteadOfRaising) {
  TDAOWorkspace ws;
  ws.SetPassword("nope");
  ComponentStateAccess::Include(&ws, csLoading);
  ws.SetActive(true);  // recorded only
  EXPECT_FALSE(ws.Active());
  ws.SetDesigning(true);
  gui_->ExpectMessageBox(IDNO).TextContains("Not a valid account name or password.").Caption("Warning");
  EXPECT_NO_THROW(ws.Loaded());
  EXPECT_FALSE(ws.Active());
  gui_->Verify();
}

}  // namespace
}  // namespace qb::test
