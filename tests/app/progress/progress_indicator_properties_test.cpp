// Tests of the progress indicator's published properties without a window: the defaults of a
// new component, the rules of the bar's range and position, and the form text round trip.
#include <memory>
#include <vector>

#include "app/app_test_support.h"
#include "app/progress/nim_progress_indicator.h"
#include "framework/component/class_registry.h"
#include "framework/component/form_stream.h"

namespace qb::test {
namespace {

using ProgressIndicatorPropertiesTest = AppTest;

TEST_F(ProgressIndicatorPropertiesTest, ANewComponentHasTheDocumentedDefaults) {
  TNimProgressIndicator indicator;
  std::vector<std::string> names;
  for (const PropertyInfo& info : indicator.Properties().Items()) names.push_back(info.name);
  EXPECT_EQ(names, (std::vector<std::string>{"About", "Caption", "Text", "ClockTurnInterval", "ProgressMax",
                                             "ProgressMin", "ProgressPosition", "CancelBtnState", "CaptionStyle",
                                             "Font.Name", "Font.Size", "Font.Style", "WindowLeft", "WindowTop",
                                             "WindowPosition"}));
  struct Case {
    const char* name;
    PropertyValue value;
  };
  const std::vector<Case> cases = {
      {"Caption", std::string("Please Wait")},
      {"Text", std::string("Operation in Progress. Please Wait ...")},
      {"ClockTurnInterval", int64_t{200}},
      {"ProgressMax", int64_t{100}},
      {"ProgressMin", int64_t{0}},
      {"ProgressPosition", int64_t{0}},
      {"CancelBtnState", int64_t{cbsAllowCancel}},
      {"CaptionStyle", int64_t{csSmallCaption}},
      {"WindowLeft", int64_t{0}},
      {"WindowTop", int64_t{0}},
      {"WindowPosition", int64_t{poScreenCenter}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(GetPropertyValue(indicator, c.name), c.value);
    const PropertyInfo* info = indicator.Properties().Find(c.name);
    ASSERT_NE(info, nullptr);
    EXPECT_EQ(info->default_value, c.value) << "the stored default is the value of a new component";
  }
  EXPECT_EQ(indicator.Font(), QFont()) << "the framework's default font";
  EXPECT_FALSE(indicator.Properties().Find("About")->stored);
  EXPECT_FALSE(indicator.About().empty());
  EXPECT_EQ(indicator.ProgressDialog(), nullptr);
  EXPECT_FALSE(indicator.OnStartOperation);
  EXPECT_FALSE(indicator.OnCancelOperation);
}

TEST_F(ProgressIndicatorPropertiesTest, TheBarTakesOnlyValuesThatKeepMinPositionMaxInOrder) {
  enum Which { kMin, kMax, kPosition };
  struct Case {
    const char* what;
    Which which;
    int value;
    int min, max, position;  // afterwards, starting from 0, 100, 50
  };
  const std::vector<Case> cases = {
      {"position above the maximum is ignored", kPosition, 101, 0, 100, 50},
      {"position below the minimum is ignored", kPosition, -1, 0, 100, 50},
      {"position on the maximum", kPosition, 100, 0, 100, 100},
      {"position on the minimum", kPosition, 0, 0, 100, 0},
      {"maximum below the position pulls it down", kMax, 40, 0, 40, 40},
      {"maximum above the position leaves it", kMax, 70, 0, 70, 50},
      {"maximum below the minimum is ignored", kMax, -1, 0, 100, 50},
      {"maximum equal to the minimum", kMax, 0, 0, 0, 0},
      {"minimum above the position pushes it up", kMin, 60, 60, 100, 60},
      {"minimum below the position leaves it", kMin, -30, -30, 100, 50},
      {"minimum above the maximum is ignored", kMin, 101, 0, 100, 50},
      {"minimum equal to the maximum", kMin, 100, 100, 100, 100},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TNimProgressIndicator indicator;
    indicator.SetProgressPosition(50);
    switch (c.which) {
      case kMin: indicator.SetProgressMin(c.value); break;
      case kMax: indicator.SetProgressMax(c.value); break;
      case kPosition: indicator.SetProgressPosition(c.value); break;
    }
    EXPECT_EQ(indicator.ProgressMin(), c.min);
    EXPECT_EQ(indicator.ProgressMax(), c.max);
    EXPECT_EQ(indicator.ProgressPosition(), c.position);
  }
}

TEST_F(ProgressIndicatorPropertiesTest, FormTextKeepsEveryChangedProperty) {
  RegisterComponentClass<TNimProgressIndicator>("TNimProgressIndicator");
  TNimProgressIndicator indicator;
  indicator.SetName("Progress1");
  indicator.SetCaption("Exporting");
  indicator.SetText("Rows are written ...");
  indicator.SetClockTurnInterval(50);
  // A range wholly above the default one: read back in declaration order, the maximum must
  // come in before the minimum may rise above 100.
  indicator.SetProgressMax(300);
  indicator.SetProgressMin(150);
  indicator.SetProgressPosition(200);
  indicator.SetCancelBtnState(cbsHideCancelBtn);
  indicator.SetCaptionStyle(csNoCaption);
  QFont font("Serif", 14);
  font.setBold(true);
  font.setUnderline(true);
  indicator.SetFont(font);
  indicator.SetWindowLeft(12);
  indicator.SetWindowTop(-3);
  indicator.SetWindowPosition(poDesigned);

  TNimProgressIndicator plain;
  plain.SetName("Plain");
  EXPECT_EQ(WriteComponentText(&plain), "object Plain: TNimProgressIndicator\nend\n")
      << "nothing of a new component is written, the machine's default font included";

  const std::string text = WriteComponentText(&indicator);
  std::unique_ptr<TComponent> read(ReadNewComponentText(text, nullptr));
  auto* copy = dynamic_cast<TNimProgressIndicator*>(read.get());
  ASSERT_NE(copy, nullptr) << text;
  EXPECT_EQ(copy->Caption(), "Exporting");
  EXPECT_EQ(copy->Text(), "Rows are written ...");
  EXPECT_EQ(copy->ClockTurnInterval(), 50);
  EXPECT_EQ(copy->ProgressMin(), 150) << text;
  EXPECT_EQ(copy->ProgressMax(), 300);
  EXPECT_EQ(copy->ProgressPosition(), 200);
  EXPECT_EQ(copy->CancelBtnState(), cbsHideCancelBtn);
  EXPECT_EQ(copy->CaptionStyle(), csNoCaption);
  EXPECT_EQ(copy->Font().family(), "Serif");
  EXPECT_EQ(copy->Font().pointSize(), 14);
  EXPECT_TRUE(copy->Font().bold());
  EXPECT_TRUE(copy->Font().underline());
  EXPECT_FALSE(copy->Font().italic());
  EXPECT_EQ(copy->WindowLeft(), 12);
  EXPECT_EQ(copy->WindowTop(), -3);
  EXPECT_EQ(copy->WindowPosition(), poDesigned);
}

}  // namespace
}  // namespace qb::test
