// jet/sql/functions/function_catalog: every function Jet SQL expressions may call: its names, argument
// counts, result kind and implementation. The translator and the SQLite registration both read
// this one table, so a function is either fully available or not at all.
#pragma once
#include <span>
#include <string_view>

#include "com/variant.h"

namespace qb::jet::sql {

// What the translator knows of a value's kind before it runs.
enum class SqlValueType { kUnknown, kNull, kBoolean, kNumber, kCurrency, kDate, kText };

using JetFunctionImpl = Variant (*)(std::span<const Variant> args);

struct JetFunctionInfo {
  const char* name;         // as Jet spells it ("Left")
  const char* sqlite_name;  // the registered SQLite function ("jet_left")
  int min_args;
  int max_args;             // -1: any number
  SqlValueType result;      // kUnknown when it depends on the arguments
  bool deterministic;       // false for Now, Date, Time, Rnd
  JetFunctionImpl impl;
};

// The function NAME names (ASCII case ignored), or nullptr. A "$" suffix (Left$) finds the same
// function; the translator makes that form raise 94 on a Null result.
const JetFunctionInfo* FindJetFunction(std::string_view name);

// Every function, in a fixed order.
std::span<const JetFunctionInfo> JetFunctions();

// The operator functions the translator calls (jet_add, jet_concat, jet_like, ...), with the
// same shape; listed apart because no SQL text calls them by name.
std::span<const JetFunctionInfo> JetOperatorFunctions();

}  // namespace qb::jet::sql
