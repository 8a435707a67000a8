// Form text: round trips of every property kind, what is written, the loading steps and the
// states setters and Loaded see.
#include <QPointer>
#include <QWidget>
#include <cmath>
#include <gtest/gtest.h>
#include <memory>

#include "core/exception.h"
#include "framework/component/component_errors.h"
#include "framework/component/form_registry.h"
#include "framework/component/form_stream.h"
#include "test_components.h"

namespace qb::test {
namespace {

using FormStreamTest = ComponentFixture;

TProbe* AddProbe(QObject* owner, const std::string& name) {
  auto* probe = new TProbe(owner);
  probe->SetName(name);
  return probe;
}

TEST_F(FormStreamTest, WritesOnlyWhatDiffersFromTheDefaults) {
  TTestModule form;
  form.SetName("Form1");
  AddProbe(&form, "Plain");
  TProbe* probe = AddProbe(&form, "Probe1");
  probe->SetActive(true);
  probe->SetOptions(poA | poC);
  probe->SetLines({"a", "b"});
  probe->SetLink(probe);
  EXPECT_EQ(WriteComponentText(&form),
            "object Form1: TTestModule\n"
            "  object Plain: TProbe\n"
            "  end\n"
            "  object Probe1: TProbe\n"
            "    Active = True\n"
            "    Options = [poA, poC]\n"
            "    Lines.Strings = (\n"
            "      'a'\n"
            "      'b')\n"
            "    Link = Probe1\n"
            "  end\n"
            "end\n");
}

TEST_F(FormStreamTest, EveryPropertyKindRoundTrips) {
  TTestModule form;
  form.SetName("RoundTrip");
  TProbe* target = AddProbe(&form, "Target");
  TProbe* p = AddProbe(&form, "Probe1");
  p->SetActive(true);
  p->SetCount(2147483647);
  p->SetSmall(-32768);
  p->SetRatio(0.1);
  p->SetKind(pkBlue);
  p->SetOptions(poB);
  p->SetCaption("It's a \"test\"\r\nline two\ttab #1 \xE2\x82\xAC \xF0\x9F\x98\x80 '' end'");
  p->SetPassword("s3cret!");
  p->SetLines({"", "x'y", "\n", "\xC3\xA9t\xC3\xA9", std::string("nul\0byte", 8)});
  p->SetLink(target);
  p->left = -5;
  p->top = 7;
  p->width = 640;
  p->height = 480;
  TProbe* nested = AddProbe(p, "Nested");  // owned by a component, not by the form
  nested->SetCaption("inner");
  TProbe* unnamed = new TProbe(&form);
  unnamed->SetCount(3);

  const std::string text = WriteComponentText(&form);
  std::unique_ptr<TComponent> copy(ReadNewComponentText(text, nullptr));
  ASSERT_NE(copy, nullptr);
  EXPECT_STREQ(copy->ClassName(), "TTestModule");
  EXPECT_EQ(copy->Name(), "RoundTrip");
  auto* q = dynamic_cast<TProbe*>(copy->FindComponent("Probe1"));
  ASSERT_NE(q, nullptr);
  EXPECT_TRUE(q->Active());
  EXPECT_EQ(q->Count(), 2147483647);
  EXPECT_EQ(q->Small(), -32768);
  EXPECT_EQ(q->Ratio(), 0.1);
  EXPECT_EQ(q->Kind(), pkBlue);
  EXPECT_EQ(q->Options(), uint64_t{poB});
  EXPECT_EQ(q->Caption(), p->Caption());
  EXPECT_EQ(q->Password(), "s3cret!");
  EXPECT_EQ(q->Lines(), p->Lines());
  EXPECT_EQ(q->Link(), copy->FindComponent("Target"));
  EXPECT_EQ((std::vector<int>{q->left, q->top, q->width, q->height}), (std::vector<int>{-5, 7, 640, 480}));
  auto* q_nested = dynamic_cast<TProbe*>(q->FindComponent("Nested"));
  ASSERT_NE(q_nested, nullptr);
  EXPECT_EQ(q_nested->Caption(), "inner");
  ASSERT_EQ(copy->ComponentCount(), 3);
  auto* q_unnamed = dynamic_cast<TProbe*>(copy->Components()[2]);
  ASSERT_NE(q_unnamed, nullptr);
  EXPECT_EQ(q_unnamed->Name(), "");
  EXPECT_EQ(q_unnamed->Count(), 3);
  // Written again, the copy gives the same text (the form name aside, which is the same too).
  EXPECT_EQ(WriteComponentText(copy.get()), text);
}

TEST_F(FormStreamTest, DoublesRoundTripExactlyIncludingSpecialValues) {
  for (double value : {1e300, -2.5e-310, 123456789.125, -0.0, 3.0, HUGE_VAL, -HUGE_VAL, std::nan("")}) {
    TProbe probe;
    probe.SetName("P");
    probe.SetRatio(value);
    const std::string text = WriteComponentText(&probe);
    TProbe copy;
    ReadComponentText(text, &copy);
    if (std::isnan(value)) {
      EXPECT_TRUE(std::isnan(copy.Ratio())) << text;
    } else {
      EXPECT_EQ(copy.Ratio(), value) << text;
      EXPECT_EQ(std::signbit(copy.Ratio()), std::signbit(value)) << text;
    }
  }
}

TEST_F(FormStreamTest, ReadsHandWrittenVariants) {
  TTestModule form;
  ReadComponentText(
      "OBJECT Form1: ttestmodule\n"
      "  Object P: TProbe\n"
      "    caption = 'ab' + 'c'#13#10#$41#8364'd'\n"
      "    Count = $7FFFFFFF\n"
      "    Small = -7 Ratio = 5\n"
      "    Kind = PKGREEN\n"
      "    Options = [ poc ,poA ]\n"
      "    Lines.Strings = ()\n"
      "    Link = Form1.P\n"
      "  END\n"
      "End\n",
      &form);
  EXPECT_EQ(form.Name(), "Form1");
  auto* p = dynamic_cast<TProbe*>(form.FindComponent("P"));
  ASSERT_NE(p, nullptr);
  EXPECT_EQ(p->Caption(), "abc\r\nA\xE2\x82\xAC" "d");
  EXPECT_EQ(p->Count(), 0x7FFFFFFF);
  EXPECT_EQ(p->Small(), -7);
  EXPECT_EQ(p->Ratio(), 5.0);
  EXPECT_EQ(p->Kind(), pkGreen);
  EXPECT_EQ(p->Options(), uint64_t{poA | poC});
  EXPECT_EQ(p->Link(), p);  // "Form1." names this form
}

TEST_F(FormStreamTest, SettersRecordWhileLoadingAndLoadedRunsInCreationOrder) {
  TTestModule form;
  ReadComponentText(
      "object Form1: TTestModule\n"
      "  object First: TProbe\n"
      "    Active = True\n"
      "    Link = Second\n"
      "  end\n"
      "  object Second: TProbe\n"
      "    Active = True\n"
      "  end\n"
      "  object Third: TProbe\n"
      "  end\n"
      "end\n",
      &form);
  // Setters see loading and reading; references are set after reading, still loading; each
  // Loaded sees its own loading state cleared while later components are still loading.
  EXPECT_EQ(ProbeLog(), (std::vector<std::string>{"SetActive First LR", "SetActive Second LR", "SetLink First L",
                                                  "Loaded First -", "Loaded Second -", "Loaded Third -"}));
  auto* first = dynamic_cast<TProbe*>(form.FindComponent("First"));
  EXPECT_TRUE(first->Active());  // the recorded value took effect in Loaded
  EXPECT_EQ(form.ComponentState(), 0u);
  EXPECT_EQ(first->ComponentState(), 0u);
}

TEST_F(FormStreamTest, EveryComponentIsLoadedEvenWhenOneLoadedRaises) {
  TTestModule form;
  TProbe::fail_loaded = "First";
  try {
    ReadComponentText("object F: TTestModule object First: TProbe end object Second: TProbe end end", &form);
    FAIL() << "Loaded's exception was swallowed";
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message(), "Loaded failed in First");
  }
  ASSERT_EQ(form.ComponentCount(), 2);  // the read itself succeeded
  EXPECT_EQ(form.Components()[1]->ComponentState(), 0u);
  EXPECT_EQ(ProbeLog().back(), "Loaded Second -");

  // Creating a new form, the same failure destroys it like a form whose creation failed.
  const int live = TProbe::live_count;
  EXPECT_THROW(ReadNewComponentText("object G: TTestModule object First: TProbe end end", nullptr), Exception);
  EXPECT_EQ(TProbe::live_count, live);
  EXPECT_EQ(FormRegistry::Find("G"), nullptr);
}

TEST_F(FormStreamTest, WritingMarksComponentsSkipsSubcomponentsAndRefusesUnnamedReferences) {
  TTestModule form;
  form.SetName("W");
  TProbe* p = AddProbe(&form, "P");
  p->SetCaption("x");
  TProbe* internal = AddProbe(p, "Internal");
  internal->SetSubComponent(true);
  const std::string text = WriteComponentText(&form);
  EXPECT_EQ(p->writing_seen, "W");
  EXPECT_EQ(p->ComponentState(), 0u);
  EXPECT_EQ(text.find("Internal"), std::string::npos) << text;

  p->SetLink(new TProbe(&form));
  EXPECT_THROW(WriteComponentText(&form), EWriteError);
  EXPECT_EQ(p->ComponentState(), 0u);  // csWriting cleared on the way out
}

TEST_F(FormStreamTest, AWidgetCanBeTheRoot) {
  QWidget window;
  window.setObjectName("MainWindow");
  TProbe* p = AddProbe(&window, "P");
  p->SetCount(4);
  const std::string text = WriteComponentText(&window);
  EXPECT_EQ(text, "object MainWindow: QWidget\n  object P: TProbe\n    Count = 4\n  end\nend\n");
  QWidget other;
  ReadComponentText(text, &other);
  EXPECT_EQ(other.objectName(), QString("MainWindow"));
  auto* q = dynamic_cast<TProbe*>(FindOwnedComponent(&other, "P"));
  ASSERT_NE(q, nullptr);
  EXPECT_EQ(q->Count(), 4);
}

}  // namespace
}  // namespace qb::test
