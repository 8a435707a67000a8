// References to components on other forms: pending until that form exists, resolved when it
// is read, registered or renamed, and never left pointing at a destroyed component.
#include <QWidget>
#include <gtest/gtest.h>
#include <algorithm>
#include <memory>

#include "framework/component/component_errors.h"
#include "framework/component/form_registry.h"
#include "framework/component/form_stream.h"
#include "test_components.h"

namespace qb::test {
namespace {

using CrossFormTest = ComponentFixture;

constexpr const char* kFormA =
    "object FormA: TTestModule\n"
    "  object Probe1: TProbe\n"
    "    Active = True\n"
    "    Link = FormB.Probe9\n"
    "  end\n"
    "end\n";

constexpr const char* kFormB =
    "object FormB: TTestModule\n"
    "  object Probe9: TProbe\n"
    "  end\n"
    "end\n";

TEST_F(CrossFormTest, PendingUntilTheOtherFormIsReadThenResolved) {
  std::unique_ptr<TComponent> form_a(ReadNewComponentText(kFormA, nullptr));
  auto* probe1 = dynamic_cast<TProbe*>(form_a->FindComponent("Probe1"));
  ASSERT_NE(probe1, nullptr);
  EXPECT_TRUE(probe1->HasUnresolvedReferences());
  EXPECT_EQ(probe1->Link(), nullptr);
  EXPECT_EQ(PendingReferencesOf(probe1), (std::vector<std::string>{"Link=FormB.Probe9"}));
  // Loaded already saw the pending reference.
  EXPECT_NE(std::find(ProbeLog().begin(), ProbeLog().end(), "Loaded Probe1 F"), ProbeLog().end());
  // Written now, the form keeps the reference it was read with.
  EXPECT_NE(WriteComponentText(form_a.get()).find("Link = FormB.Probe9\n"), std::string::npos);

  std::unique_ptr<TComponent> form_b(ReadNewComponentText(kFormB, nullptr));
  EXPECT_FALSE(probe1->HasUnresolvedReferences());
  EXPECT_EQ(probe1->Link(), form_b->FindComponent("Probe9"));
  EXPECT_TRUE(PendingReferencesOf(probe1).empty());
  EXPECT_NE(WriteComponentText(form_a.get()).find("Link = FormB.Probe9\n"), std::string::npos);

  // The reference follows the target's destruction (FreeNotification in the setter).
  form_b.reset();
  EXPECT_EQ(probe1->Link(), nullptr);
}

TEST_F(CrossFormTest, ResolvedAtOnceWhenTheOtherFormExists) {
  std::unique_ptr<TComponent> form_b(ReadNewComponentText(kFormB, nullptr));
  ProbeLog().clear();
  std::unique_ptr<TComponent> form_a(ReadNewComponentText(kFormA, nullptr));
  auto* probe1 = dynamic_cast<TProbe*>(form_a->FindComponent("Probe1"));
  EXPECT_FALSE(probe1->HasUnresolvedReferences());
  EXPECT_EQ(probe1->Link(), form_b->FindComponent("Probe9"));
  EXPECT_EQ(ProbeLog(), (std::vector<std::string>{"SetActive Probe1 LR", "SetLink Probe1 L", "Loaded Probe1 -"}));
}

TEST_F(CrossFormTest, ResolvedWhenAFormIsNamedOrAWindowRegisters) {
  std::unique_ptr<TComponent> form_a(ReadNewComponentText(kFormA, nullptr));
  auto* probe1 = dynamic_cast<TProbe*>(form_a->FindComponent("Probe1"));

  // A form made in code: its component first, then its name.
  {
    TTestModule form_b;
    auto* probe9 = new TProbe(&form_b);
    probe9->SetName("Probe9");
    EXPECT_TRUE(probe1->HasUnresolvedReferences());
    form_b.SetName("FormB");
    EXPECT_EQ(probe1->Link(), probe9);
    EXPECT_FALSE(probe1->HasUnresolvedReferences());
  }
  EXPECT_EQ(probe1->Link(), nullptr);

  // A window form registers itself once it has its name and components.
  std::unique_ptr<TComponent> form_c(ReadNewComponentText(
      "object FormC: TTestModule object P: TProbe Link = MainWindow.Target end end", nullptr));
  auto* p = dynamic_cast<TProbe*>(form_c->FindComponent("P"));
  EXPECT_TRUE(p->HasUnresolvedReferences());
  auto window = std::make_unique<QWidget>();
  window->setObjectName("MainWindow");
  auto* target = new TProbe(window.get());
  target->SetName("Target");
  FormRegistry::Register(window.get());
  EXPECT_EQ(FormRegistry::Find("mainwindow"), window.get());
  EXPECT_EQ(p->Link(), target);
  EXPECT_FALSE(p->HasUnresolvedReferences());
  window.reset();
  EXPECT_EQ(FormRegistry::Find("MainWindow"), nullptr);
  EXPECT_EQ(p->Link(), nullptr);
}

TEST_F(CrossFormTest, APendingReferenceDiesWithItsComponent) {
  std::unique_ptr<TComponent> form_a(ReadNewComponentText(kFormA, nullptr));
  delete form_a->FindComponent("Probe1");
  std::unique_ptr<TComponent> form_b;
  EXPECT_NO_THROW(form_b.reset(ReadNewComponentText(kFormB, nullptr)));  // nothing left to set
  form_a.reset();
}

TEST_F(CrossFormTest, ATargetOfTheWrongClassIsRefusedAndDropped) {
  std::unique_ptr<TComponent> form_a(ReadNewComponentText(kFormA, nullptr));
  auto* probe1 = dynamic_cast<TProbe*>(form_a->FindComponent("Probe1"));
  TTestModule form_b;
  auto* plain = new TPlain(&form_b);
  plain->SetName("Probe9");
  EXPECT_THROW(form_b.SetName("FormB"), EComponentError);
  EXPECT_EQ(probe1->Link(), nullptr);
  EXPECT_FALSE(probe1->HasUnresolvedReferences());
  EXPECT_TRUE(PendingReferencesOf(probe1).empty());
}

}  // namespace
}  // namespace qb::test
