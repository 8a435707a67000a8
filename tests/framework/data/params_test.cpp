// Parameter lists and index definitions: typing by setters, bound state, assigning values by
// name, lookups, and finding an index for a list of fields.
#include <gtest/gtest.h>

#include "framework/data/data_errors.h"
#include "framework/data/index_defs.h"
#include "framework/data/params.h"

namespace qb {
namespace {

TEST(Params, SettersTypeTheParameterAndBindIt) {
  TParams params;
  TParam& p = params.CreateParam(ftUnknown, "Amount", ptInput);
  EXPECT_FALSE(p.Bound());
  EXPECT_TRUE(p.IsNull());
  EXPECT_EQ(p.AsInteger(), 0);
  EXPECT_EQ(p.AsString(), "");
  p.SetAsCurrency(Currency::FromScaled(12345));
  EXPECT_TRUE(p.Bound());
  EXPECT_EQ(p.DataType(), ftCurrency);
  EXPECT_EQ(p.AsString(), "1.2345");
  p.SetAsInteger(7);
  EXPECT_EQ(p.DataType(), ftInteger);
  p.Clear();
  EXPECT_FALSE(p.Bound());
  EXPECT_TRUE(p.IsNull());
  EXPECT_EQ(p.DataType(), ftInteger) << "clearing keeps the type";

  TParam& q = params.CreateParam(ftUnknown, "When", ptInput);
  q.SetValue(Variant::FromDate(45000.5));
  EXPECT_EQ(q.DataType(), ftDateTime) << "an untyped parameter takes the value's type";
  TParam& r = params.CreateParam(ftFloat, "Rate", ptInput);
  r.SetValue(Variant(3));
  EXPECT_EQ(r.DataType(), ftFloat) << "a typed one keeps its type";
  EXPECT_DOUBLE_EQ(r.AsFloat(), 3.0);
}

TEST(Params, LookupsIgnoreCaseAndMissingNamesAreReported) {
  TParams params;
  params.CreateParam(ftString, "City", ptInput);
  EXPECT_EQ(params.FindParam("CITY"), &params[0]);
  EXPECT_EQ(params.FindParam("Town"), nullptr);
  try {
    params.ParamByName("Town");
    FAIL() << "found a missing parameter";
  } catch (const EDatabaseError& e) {
    EXPECT_STREQ(e.what(), "Parameter 'Town' not found");
  }
}

TEST(Params, AssignValuesCopiesByNameToEveryMatch) {
  TParams target;
  target.CreateParam(ftUnknown, "a", ptInput);
  target.CreateParam(ftUnknown, "B", ptInput);
  target.CreateParam(ftUnknown, "a", ptInput);  // the same name used twice in a statement
  TParams source;
  source.CreateParam(ftString, "A", ptInputOutput).SetAsString("x");
  source.CreateParam(ftInteger, "unused", ptInput).SetAsInteger(1);
  target.AssignValues(source);
  EXPECT_EQ(target[0].AsString(), "x");
  EXPECT_EQ(target[0].ParamType(), ptInputOutput);
  EXPECT_EQ(target[0].Name(), "a") << "the name stays";
  EXPECT_EQ(target[2].AsString(), "x");
  EXPECT_FALSE(target[1].Bound());
  EXPECT_EQ(target.Count(), 3);

  TParams copy;
  copy.Assign(source);
  source[0].SetAsString("changed");
  EXPECT_EQ(copy.Count(), 2);
  EXPECT_EQ(copy[0].AsString(), "x") << "a copy, not shared parameters";
}

TEST(IndexDefs, FindsAnIndexByItsLeadingFields) {
  TIndexDefs defs;
  defs.Add("PrimaryKey", "ID", ixPrimary | ixUnique);
  defs.Add("ByName", "Last; First", ixCaseInsensitive);
  defs.Add("ByExpr", "Last", ixExpression);
  struct Case {
    const char* fields;
    bool case_insensitive;
    const char* index;  // null: none
  };
  const Case cases[] = {
      {"id", false, "PrimaryKey"}, {"Last", false, "ByName"}, {"last;first", false, "ByName"},
      {"First", false, nullptr},   {"Last;First;Middle", false, nullptr},
      {"ID", true, nullptr},       {"Last", true, "ByName"},  {"", false, nullptr},
  };
  for (const Case& c : cases) {
    const TIndexDef* def = defs.GetIndexForFields(c.fields, c.case_insensitive);
    EXPECT_EQ(def ? def->name : std::string("none"), c.index ? c.index : "none") << c.fields;
  }
  EXPECT_EQ(defs.Find("byname").FieldNames(), (std::vector<std::string>{"Last", "First"}));
  EXPECT_THROW(defs.Find("Missing"), EDatabaseError);
  EXPECT_THROW(defs.Add("BYNAME", "X"), EDatabaseError);
}

}  // namespace
}  // namespace qb
