// Malformed form text: each error names its line, and a failed read leaves the root as it was
// (its earlier components kept, nothing the read created left alive, no reading states).
#include <gtest/gtest.h>
#include <memory>

#include "core/exception.h"
#include "framework/component/component_errors.h"
#include "framework/component/form_registry.h"
#include "framework/component/form_stream.h"
#include "test_components.h"

namespace qb::test {
namespace {

struct BadForm {
  const char* what;
  const char* text;
  int line;
  const char* message;  // expected part of the message
};

const BadForm kBadForms[] = {
    {"empty text", "", 1, "'object' expected"},
    {"unknown class", "object F: TTestModule\n  object X: TNoSuchClass\n  end\nend\n", 2, "Class TNoSuchClass not found"},
    {"unknown property", "object F: TTestModule\n  object X: TProbe\n    Colour = 1\n  end\nend\n", 3,
     "Property Colour does not exist"},
    {"property of the form", "object F: TTestModule\n  Caption = 'x'\nend\n", 2, "Property Caption does not exist"},
    {"read-only property", "object F: TTestModule\n  object X: TProbe\n    About = 'x'\n  end\nend\n", 3,
     "Property About is read-only"},
    {"bad boolean", "object F: TTestModule\n  object X: TProbe\n    Active = 12\n  end\nend\n", 3,
     "Invalid value for property Active"},
    {"bad enum", "object F: TTestModule\n  object X: TProbe\n    Kind = pkPurple\n  end\nend\n", 3,
     "pkPurple is not an element"},
    {"bad set element", "object F: TTestModule\n  object X: TProbe\n    Options = [poA, poZ]\n  end\nend\n", 3,
     "poZ is not an element"},
    {"Int16 out of range", "object F: TTestModule\n  object X: TProbe\n    Small = 32768\n  end\nend\n", 3,
     "out of the 16-bit range"},
    {"Integer out of range", "object F: TTestModule\n  object X: TProbe\n    Count = 2147483648\n  end\nend\n", 3,
     "out of the 32-bit range"},
    {"string for a list", "object F: TTestModule\n  object X: TProbe\n    Lines.Strings = 'a'\n  end\nend\n", 3,
     "a list of strings expected"},
    {"bad combined value", "object F: TTestModule\n  object X: TProbe\n    Bounds = (1 2 3)\n  end\nend\n", 3,
     "four numbers expected"},
    {"missing end", "object F: TTestModule\n  object X: TProbe\n    Count = 1\nend\n", 5, "'end' expected for object F"},
    {"missing inner end", "object F: TTestModule\n  object X: TProbe\n", 3, "'end' expected for object X begun at line 2"},
    {"extra end", "object F: TTestModule\n  object X: TProbe\n  end\nend\nend\n", 5, "Text after the end of the form"},
    {"bad token", "object F: TTestModule\n  object X: TProbe\n    Count = @\n  end\nend\n", 3, "Invalid character '@'"},
    {"unterminated string", "object F: TTestModule\n  object X: TProbe\n    Caption = 'abc\n  end\nend\n", 3,
     "Unterminated string"},
    {"bad character code", "object F: TTestModule\n  object X: TProbe\n    Caption = #55296\n  end\nend\n", 3,
     "Invalid character code"},
    {"missing equals", "object F: TTestModule\n  object X: TProbe\n    Count 1\n  end\nend\n", 3, "'=' expected after Count"},
    {"duplicate name", "object F: TTestModule\n  object X: TProbe\n  end\n  object x: TProbe\n  end\nend\n", 4,
     "A component named x already exists"},
    {"name taken by an existing component", "object F: TTestModule\n  object Keep: TProbe\n  end\nend\n", 2,
     "A component named Keep already exists"},
    {"unknown local reference", "object F: TTestModule\n  object X: TProbe\n    Link = Nobody\n  end\nend\n", 3,
     "component Nobody not found"},
    {"reference of the wrong class", "object F: TTestModule\n  object P: TPlain\n  end\n  object X: TProbe\n    Link = P\n  end\nend\n",
     5, "P is a TPlain"},
    {"wrong root class", "object F: TProbe\nend\n", 1, "Cannot read a TProbe into a TTestModule"},
    {"dangling dot", "object F: TTestModule\n  object X: TProbe\n    Link = F.\n  end\nend\n", 3, "Name expected after '.'"},
};

class FormErrorsTest : public ::testing::TestWithParam<BadForm> {
 protected:
  void SetUp() override { SetUpTestComponents(); }
};

TEST_P(FormErrorsTest, RaisesWithTheLineAndLeavesNothingHalfMade) {
  const BadForm& bad = GetParam();
  TTestModule root;
  auto* keep = new TProbe(&root);
  keep->SetName("Keep");
  keep->SetCount(5);
  const int live = TProbe::live_count;
  try {
    ReadComponentText(bad.text, &root);
    FAIL() << bad.what << ": no error";
  } catch (const EReadError& e) {
    EXPECT_EQ(e.Line(), bad.line) << e.Message();
    EXPECT_NE(e.Message().find(bad.message), std::string::npos) << e.Message();
    EXPECT_EQ(e.Message().rfind("Line " + std::to_string(bad.line) + ": ", 0), 0u) << e.Message();
  }
  EXPECT_EQ(root.Components(), std::vector<TComponent*>{keep});
  EXPECT_EQ(keep->Count(), 5);
  EXPECT_EQ(TProbe::live_count, live);
  EXPECT_EQ(root.ComponentState(), 0u);
  EXPECT_EQ(root.Name(), "");  // the name the read gave is taken back
  EXPECT_EQ(FormRegistry::Find("F"), nullptr);
}

INSTANTIATE_TEST_SUITE_P(BadForms, FormErrorsTest, ::testing::ValuesIn(kBadForms),
                         [](const ::testing::TestParamInfo<BadForm>& info) {
                           std::string name;
                           for (const char* p = info.param.what; *p != '\0'; ++p) {
                             if (std::isalnum(static_cast<unsigned char>(*p))) name += *p;
                           }
                           return name;
                         });

TEST(FormErrorsSetterTest, ASettersOwnErrorPassesThroughAndTheReadIsUndone) {
  SetUpTestComponents();
  TTestModule root;
  const int live = TProbe::live_count;
  try {
    ReadComponentText("object F: TTestModule\n  object A: TProbe\n  end\n  object B: TProbe\n    Count = -1\n  end\nend\n",
                      &root);
    FAIL();
  } catch (const EReadError&) {
    FAIL() << "the setter's error was turned into a read error";
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message(), "Count must not be negative");
  }
  EXPECT_EQ(root.ComponentCount(), 0);
  EXPECT_EQ(TProbe::live_count, live);
  // Nothing was loaded: a failed read never calls Loaded.
  for (const std::string& line : ProbeLog()) EXPECT_EQ(line.rfind("Loaded", 0), std::string::npos) << line;
}

TEST(FormErrorsSetterTest, AFailedNewFormIsDestroyedWithItsComponents) {
  SetUpTestComponents();
  const int live = TProbe::live_count;
  EXPECT_THROW(ReadNewComponentText("object G: TTestModule\n  object A: TProbe\n    Kind = 3\n  end\nend\n", nullptr),
               EReadError);
  EXPECT_EQ(TProbe::live_count, live);
  EXPECT_EQ(FormRegistry::Find("G"), nullptr);
  try {
    ReadNewComponentText("object G: TNoSuchForm\nend\n", nullptr);
    FAIL();
  } catch (const EReadError& e) {
    EXPECT_EQ(e.Line(), 1);
  }
}

}  // namespace
}  // namespace qb::test
