// The component model: ownership, names, states, removal notification, Assign and the class
// registry.
#include <QPointer>
#include <QWidget>
#include <gtest/gtest.h>
#include <algorithm>
#include <memory>

#include "framework/component/class_registry.h"
#include "framework/component/component_errors.h"
#include "test_components.h"

namespace qb::test {
namespace {

using ComponentTest = ComponentFixture;

TEST_F(ComponentTest, OwnerFreesItsComponentsLastCreatedFirst) {
  auto owner = std::make_unique<TProbe>();
  auto* a = new TProbe(owner.get());
  a->SetName("A");
  auto* b = new TProbe(owner.get());
  b->SetName("B");
  auto* grandchild = new TProbe(b);
  grandchild->SetName("C");
  ASSERT_EQ(owner->Components(), (std::vector<TComponent*>{a, b}));
  EXPECT_EQ(a->Owner(), owner.get());
  EXPECT_EQ(a->OwnerComponent(), owner.get());
  EXPECT_EQ(owner->FindComponent("b"), b);
  EXPECT_EQ(owner->FindComponent("C"), nullptr);  // owned by B, not by the owner

  QPointer<TComponent> watch_a(a), watch_c(grandchild);
  const int live_before = TProbe::live_count;
  ProbeLog().clear();
  owner.reset();
  EXPECT_TRUE(watch_a.isNull());
  EXPECT_TRUE(watch_c.isNull());
  EXPECT_EQ(TProbe::live_count, live_before - 4);
  // The owner's own destructor logs first; then B (created last) goes, taking C with it.
  std::vector<std::string> destroys;
  for (const std::string& line : ProbeLog()) {
    if (line.rfind("Destroy", 0) == 0) destroys.push_back(line);
  }
  EXPECT_EQ(destroys, (std::vector<std::string>{"Destroy ", "Destroy B", "Destroy C", "Destroy A"}));
  // A, still alive, hears that its sibling B goes.
  EXPECT_NE(std::find(ProbeLog().begin(), ProbeLog().end(), "Notify A remove B destroying"), ProbeLog().end());
}

TEST_F(ComponentTest, WidgetOwnerFreesComponentsAndSiblingsHearOfIt) {
  auto window = std::make_unique<QWidget>();
  auto* a = new TProbe(window.get());
  a->SetName("A");
  auto* b = new TProbe(window.get());
  b->SetName("B");
  EXPECT_EQ(OwnedComponents(window.get()), (std::vector<TComponent*>{a, b}));
  EXPECT_EQ(a->OwnerComponent(), nullptr);
  ProbeLog().clear();
  window.reset();
  EXPECT_EQ(ProbeLog(), (std::vector<std::string>{"Destroy A", "Notify B remove A destroying", "Destroy B"}));
}

TEST_F(ComponentTest, FreeNotificationReachesOtherOwnersUntilRemovedAndLinksNeverDangle) {
  TPlain form1, form2;
  auto* watcher = new TProbe(&form1);
  watcher->SetName("Watcher");
  auto* target = new TProbe(&form2);
  target->SetName("Target");
  watcher->SetLink(target);  // asks for FreeNotification
  ProbeLog().clear();
  delete target;
  EXPECT_EQ(watcher->Link(), nullptr);
  EXPECT_EQ(ProbeLog(), (std::vector<std::string>{"Destroy Target", "Notify Watcher remove Target destroying"}));

  auto* silent = new TProbe(&form2);
  silent->SetName("Silent");
  watcher->SetLink(silent);
  silent->RemoveFreeNotification(watcher);
  ProbeLog().clear();
  delete silent;
  EXPECT_EQ(ProbeLog(), (std::vector<std::string>{"Destroy Silent"}));

  // The link works both ways: destroying the watcher first leaves nothing behind in the target.
  auto* target2 = new TProbe(&form2);
  target2->SetName("Target2");
  watcher->SetLink(target2);
  ProbeLog().clear();
  delete watcher;
  EXPECT_EQ(ProbeLog(), (std::vector<std::string>{"Destroy Watcher", "Notify Target2 remove Watcher destroying"}));
  ProbeLog().clear();
  delete target2;  // must not reach the destroyed watcher
  EXPECT_EQ(ProbeLog(), (std::vector<std::string>{"Destroy Target2"}));
}

TEST_F(ComponentTest, NameMustBeAValidIdentifier) {
  TProbe probe;
  for (const char* bad : {"1abc", "a b", "a.b", "a-b", "\xC3\xA9t\xC3\xA9", " a", "a\n"}) {
    EXPECT_THROW(probe.SetName(bad), EComponentError) << bad;
  }
  EXPECT_EQ(probe.Name(), "");
  probe.SetName("_Probe_1");
  EXPECT_EQ(probe.Name(), "_Probe_1");
  EXPECT_EQ(probe.objectName(), QString("_Probe_1"));
  probe.SetName("");
  EXPECT_EQ(probe.Name(), "");
}

TEST_F(ComponentTest, NameIsUniqueAmongTheOwnersComponentsIgnoringCase) {
  TProbe owner, other_owner;
  auto* a = new TProbe(&owner);
  a->SetName("Probe1");
  auto* b = new TProbe(&owner);
  b->SetName("Probe2");
  try {
    b->SetName("PROBE1");
    FAIL() << "duplicate name accepted";
  } catch (const EComponentError& e) {
    EXPECT_EQ(e.Message(), "A component named PROBE1 already exists");
  }
  EXPECT_EQ(b->Name(), "Probe2");
  a->SetName("probe1");  // renaming itself only changes case
  EXPECT_EQ(a->Name(), "probe1");
  auto* elsewhere = new TProbe(&other_owner);
  elsewhere->SetName("Probe1");  // another owner: fine
  EXPECT_EQ(elsewhere->Name(), "Probe1");
  auto* unnamed1 = new TProbe(&owner);
  auto* unnamed2 = new TProbe(&owner);
  EXPECT_EQ(unnamed1->Name(), unnamed2->Name());  // empty names never clash
}

TEST_F(ComponentTest, DesigningAndDestroyingStates) {
  TProbe owner;
  auto* child = new TProbe(&owner);
  auto* grandchild = new TProbe(child);
  owner.SetDesigning(true);
  EXPECT_TRUE(grandchild->IsDesigning());
  EXPECT_FALSE(owner.IsLoading());
  owner.SetDesigning(false);
  EXPECT_FALSE(child->IsDesigning());
  EXPECT_EQ(grandchild->ComponentState(), 0u);
}

TEST_F(ComponentTest, BaseAssignRefusesNamingBothClasses) {
  TProbe probe;
  TPlain plain;
  try {
    probe.Assign(&plain);
    FAIL();
  } catch (const EConvertError& e) {
    EXPECT_EQ(e.Message(), "Cannot assign a TPlain to a TProbe");
  }
  try {
    plain.Assign(nullptr);
    FAIL();
  } catch (const EConvertError& e) {
    EXPECT_EQ(e.Message(), "Cannot assign a nil to a TPlain");
  }
}

TEST_F(ComponentTest, ClassRegistryCreatesByNameAndRefusesAClash) {
  TProbe owner;
  TComponent* made = CreateComponentByClassName("tprobe", &owner);
  EXPECT_STREQ(made->ClassName(), "TProbe");
  EXPECT_EQ(made->Owner(), &owner);
  EXPECT_NO_THROW(RegisterComponentClass<TProbe>("TProbe"));  // again, same class
  EXPECT_THROW(RegisterComponentClass<TPlain>("TPROBE"), EComponentError);
  EXPECT_THROW(CreateComponentByClassName("TNoSuchClass", &owner), EComponentError);
  EXPECT_STREQ(TTestModule().ClassName(), "TTestModule");
  EXPECT_STREQ(TComponent().ClassName(), "TComponent");  // from the Qt class name
}

TEST_F(ComponentTest, PropertiesByNameAreChecked) {
  TProbe probe;
  SetPropertyValue(probe, "small", PropertyValue(int64_t{-32768}));
  EXPECT_EQ(probe.Small(), -32768);
  EXPECT_THROW(SetPropertyValue(probe, "Small", PropertyValue(int64_t{32768})), EConvertError);
  EXPECT_THROW(SetPropertyValue(probe, "Kind", PropertyValue(int64_t{3})), EConvertError);
  EXPECT_THROW(SetPropertyValue(probe, "Options", PropertyValue(SetBits{8})), EConvertError);
  EXPECT_THROW(SetPropertyValue(probe, "Caption", PropertyValue(true)), EConvertError);
  EXPECT_THROW(SetPropertyValue(probe, "About", PropertyValue(std::string("x"))), EComponentError);
  EXPECT_THROW(SetPropertyValue(probe, "NoSuch", PropertyValue(true)), EComponentError);
  TPlain plain;
  EXPECT_THROW(SetPropertyValue(probe, "Link", PropertyValue(static_cast<TComponent*>(&plain))), EConvertError);
  SetPropertyValue(probe, "Kind", PropertyValue(int64_t{pkBlue}));
  EXPECT_EQ(std::get<int64_t>(GetPropertyValue(probe, "Kind")), pkBlue);
  EXPECT_EQ(std::get<std::string>(GetPropertyValue(probe, "About")), "probe");
}

}  // namespace
}  // namespace qb::test
