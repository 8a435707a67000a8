// jet/sql/functions/fn_choice: the choice functions.
#include "jet/sql/functions/fn_choice.h"

#include <cmath>

namespace qb::jet::sql {

bool IsTrue(const Variant& condition) {
  if (condition.IsNull() || condition.IsEmpty()) return false;
  try {
    return condition.ToBool();
  } catch (const EVariantError&) {
    RaiseTypeMismatch();
  }
}

Variant FnIIf(Args args) { return IsTrue(args[0]) ? args[1] : args[2]; }

Variant FnNz(Args args) {
  if (!args[0].IsNull()) return args[0];
  return args.size() > 1 ? args[1] : Variant("");
}

Variant FnIsNull(Args args) { return Variant(args[0].IsNull()); }

Variant FnSwitch(Args args) {
  if (args.size() % 2 != 0) RaiseInvalidProcedureCall();
  for (std::size_t i = 0; i + 1 < args.size(); i += 2) {
    if (IsTrue(args[i])) return args[i + 1];
  }
  return Variant::Null();
}

Variant FnChoose(Args args) {
  if (args[0].IsNull()) return Variant::Null();
  double index = std::trunc(ToNumber(args[0]));
  if (!(index >= 1 && index <= static_cast<double>(args.size() - 1))) return Variant::Null();
  return args[static_cast<std::size_t>(index)];
}

}  // namespace qb::jet::sql
