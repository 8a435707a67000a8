// The engine component: one per process, guarded settings, activation with its events and
// settings, Properties, Assign and loading from form text (deactivation is tested with the
// databases it closes).
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "dao_test_support.h"
#include "engine/dao_engine.h"
#include "engine/dao_globals.h"
#include "engine/dao_workspace.h"
#include "framework/component/component_errors.h"
#include "framework/component/form_stream.h"
#include "framework/component/properties.h"
#include "jet/dao/dbengine.h"
#include "jet/dao/workspace.h"

namespace qb::test {
namespace {

class DAOEngineTest : public DAOTest {
 protected:
  // Records the engine's events into log_.
  void Watch(TDAOEngine& engine) {
    engine.BeforeOpen = [this](TDAOEngine* e) { log_.push_back("BeforeOpen " + e->Name()); };
    engine.AfterOpen = [this](TDAOEngine* e) { log_.push_back("AfterOpen " + e->Name()); };
    engine.BeforeClose = [this](TDAOEngine* e) { log_.push_back("BeforeClose " + e->Name()); };
    engine.AfterClose = [this](TDAOEngine* e) { log_.push_back("AfterClose " + e->Name()); };
  }
  std::vector<std::string> log_;
};

TEST_F(DAOEngineTest, SecondEngineIsRefusedNamingTheFirst) {
  TDAOEngine first;
  first.SetName("DAOEngine1");
  first.SetSystemDB(workgroup_);
  first.Open();
  std::unique_ptr<TDAOEngine> second;
  Raised raised = RaisedBy([&] { second = std::make_unique<TDAOEngine>(); });
  EXPECT_EQ(raised.type, "EDAOError");
  EXPECT_EQ(raised.message, ExpectedDetail("DAOEngine1", "TDAOEngine", "TDAOEngine.Create", "00000000",
                                           "There cannot be more than one DAOEngine in a Application"));
  EXPECT_EQ(second, nullptr);
  EXPECT_EQ(DAOObjectList().size(), 1u);
  EXPECT_EQ(FindDAOEngine(), &first);
  EXPECT_TRUE(first.Active());
}

TEST_F(DAOEngineTest, DefaultsAreNotWritten) {
  TDAOTestForm form;
  form.SetName("F");
  auto* engine = new TDAOEngine(&form);
  engine->SetName("E");
  EXPECT_EQ(WriteComponentText(&form), "object F: TDAOTestForm\n  object E: TDAOEngine\n  end\nend\n");
}

TEST_F(DAOEngineTest, ActivationAppliesSettingsBetweenItsEvents) {
  TDAOEngine engine;
  engine.SetName("E");
  Watch(engine);
  engine.SetSystemDB(workgroup_);
  engine.SetDefaultUser("admin");
  engine.SetIniPath("/etc/quill.ini");
  engine.SetDefaultODBCLoginTimeout(45);
  engine.SetDefaultWorkspaceType(wtUseODBC);
  engine.AfterOpen = [&](TDAOEngine*) {
    ASSERT_NE(DBEngineObject(), nullptr);
    EXPECT_EQ(DBEngineObject()->SystemDB(), workgroup_);
    EXPECT_EQ(DBEngineObject()->DefaultUser(), "admin");
    EXPECT_EQ(DBEngineObject()->IniPath(), "/etc/quill.ini");
    EXPECT_EQ(DBEngineObject()->LoginTimeout(), 45);
    EXPECT_EQ(DBEngineObject()->DefaultType(), jet::kUseOdbc);  // chosen while inactive
    log_.push_back("AfterOpen");
  };
  engine.BeforeOpen = [&](TDAOEngine*) {
    EXPECT_EQ(DBEngineObject(), nullptr);
    log_.push_back("BeforeOpen");
  };
  engine.SetActive(true);
  engine.Open();  // already active: nothing
  EXPECT_TRUE(engine.Active());
  EXPECT_EQ(log_, (std::vector<std::string>{"BeforeOpen", "AfterOpen"}));

  // Changes while active are passed on at once.
  engine.SetDefaultWorkspaceType(wtUseJet);
  EXPECT_EQ(DBEngineObject()->DefaultType(), jet::kUseJet);
  engine.SetDefaultODBCLoginTimeout(7);
  EXPECT_EQ(DBEngineObject()->LoginTimeout(), 7);

  DBEngineObject()->SetIniPath("/other.ini");
  EXPECT_EQ(engine.IniPath(), "/other.ini");  // the engine's own value while active
  engine.Close();
  EXPECT_EQ(engine.IniPath(), "/etc/quill.ini");
  EXPECT_FALSE(engine.Active());
}

TEST_F(DAOEngineTest, GuardedSettingsRefuseChangesWhileActive) {
  TDAOEngine engine;
  engine.SetName("E");
  engine.SetSystemDB(workgroup_);
  engine.Open();
  EXPECT_NO_THROW(engine.SetDefaultUser("Admin"));  // same text
  struct Case {
    const char* property;
    std::function<void()> change;
  };
  const std::vector<Case> cases = {
      {"DefaultUser", [&] { engine.SetDefaultUser("Bob"); }},
      {"DefaultPassword", [&] { engine.SetDefaultPassword("pw"); }},
      {"SystemDB", [&] { engine.SetSystemDB("/x.mdw"); }},
      {"IniPath", [&] { engine.SetIniPath("/x.ini"); }},
  };
  for (const Case& c : cases) {
    Raised raised = RaisedBy(c.change);
    EXPECT_EQ(raised.message,
              ExpectedDetail("E", "TDAOEngine", "CheckInactive", "00000000",
                             std::string("The Property '") + c.property + "' cannot be changed while the DAOEngine is Active"))
        << c.property;
  }
  EXPECT_EQ(engine.DefaultUser(), "Admin");
  EXPECT_EQ(engine.SystemDB(), workgroup_);
  EXPECT_TRUE(engine.Active());
}

TEST_F(DAOEngineTest, ActiveFollowsTheRootObjectWhoeverMadeIt) {
  TDAOEngine engine;
  engine.SetSystemDB(workgroup_);
  GetDBEngine();
  EXPECT_TRUE(engine.Active());
  EXPECT_EQ(DBEngineObject()->SystemDB(), workgroup_);  // the component's settings were applied
  EXPECT_THROW(engine.SetSystemDB("/elsewhere.mdw"), EDAOError);
}

TEST_F(DAOEngineTest, FailedSettingsLeaveTheRootInPlaceWithoutAfterOpen) {
  TDAOEngine engine;
  engine.SetName("E");
  Watch(engine);
  engine.SetDefaultODBCLoginTimeout(-5);  // the engine takes 0 .. 32767
  Raised raised = RaisedBy([&] { engine.Open(); });
  EXPECT_EQ(raised.type, "EDAOError");
  EXPECT_EQ(DetailField(raised.message, "Method Name:"), "SetActive");
  EXPECT_NE(DetailField(raised.message, "Address:"), "00000000");
  EXPECT_TRUE(engine.Active());
  EXPECT_EQ(log_, (std::vector<std::string>{"BeforeOpen E"}));
}

TEST_F(DAOEngineTest, PropertyExistsNeverRaises) {
  TDAOEngine engine;
  EXPECT_FALSE(engine.PropertyExists("SystemDB"));  // inactive
  EXPECT_EQ(engine.GetProperties(), nullptr);
  engine.SetSystemDB(workgroup_);
  engine.Open();
  EXPECT_TRUE(engine.PropertyExists("SystemDB"));
  EXPECT_TRUE(engine.PropertyExists("version"));
  EXPECT_FALSE(engine.PropertyExists("NoSuchProperty"));
}

TEST_F(DAOEngineTest, AssignCopiesOnlyFromAnEngineAndLeavesItInactive) {
  TDAOEngine engine;
  TDAOWorkspace workspace;
  EXPECT_THROW(engine.Assign(&workspace), EConvertError);
  EXPECT_THROW(engine.Assign(nullptr), EConvertError);
  engine.SetSystemDB(workgroup_);
  engine.SetIniPath("/a.ini");
  engine.Open();
  DBEngineObject()->SetIniPath("/engine.ini");
  engine.Assign(&engine);
  EXPECT_FALSE(engine.Active());
  EXPECT_EQ(engine.IniPath(), "/engine.ini");  // as the source read it
  EXPECT_EQ(engine.SystemDB(), workgroup_);
}

TEST_F(DAOEngineTest, FormActivatesAfterLoadingWithEverySettingApplied) {
  // Active comes first in the text: applied at once it would meet the guarded SystemDB below.
  const std::string text = "object MainForm: TDAOTestForm\n"
                           "  object DAOEngine1: TDAOEngine\n"
                           "    Active = True\n"
                           "    SystemDB = '" + workgroup_ + "'\n"
                           "    DefaultODBCLoginTimeout = 33\n"
                           "  end\n"
                           "end\n";
  std::unique_ptr<TComponent> form(ReadNewComponentText(text, nullptr));
  auto* engine = dynamic_cast<TDAOEngine*>(form->FindComponent("DAOEngine1"));
  ASSERT_NE(engine, nullptr);
  EXPECT_TRUE(engine->Active());
  EXPECT_EQ(DBEngineObject()->SystemDB(), workgroup_);
  EXPECT_EQ(DBEngineObject()->LoginTimeout(), 33);
  EXPECT_NE(WriteComponentText(form.get()).find("Active = True"), std::string::npos);
}

TEST_F(DAOEngineTest, DefaultPasswordIsScrambledInFormText) {
  TDAOTestForm form;
  form.SetName("F");
  auto* engine = new TDAOEngine(&form);
  engine->SetName("E");
  engine->SetDefaultPassword("Sesame42");
  const std::string text = WriteComponentText(&form);
  EXPECT_EQ(text.find("Sesame42"), std::string::npos);
  delete engine;
  std::unique_ptr<TComponent> copy(ReadNewComponentText(
      "object G: TDAOTestForm" + text.substr(text.find('\n')), nullptr));
  EXPECT_EQ(dynamic_cast<TDAOEngine*>(copy->FindComponent("E"))->DefaultPassword(), "Sesame42");
}

}  // namespace
}  // namespace qb::test
