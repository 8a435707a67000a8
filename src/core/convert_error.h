// core/convert_error: the error raised when a value or text does not convert (bad format
// directive, invalid date, unparsable number). Owns only the class; raises nothing itself.
#pragma once
#include <string>

#include "core/exception.h"

namespace qb {

// A value, a text or a format directive that does not convert to what was asked.
class EConvertError : public Exception {
 public:
  // Always inlined so that the recorded raise address is the throwing code, not this wrapper.
  [[gnu::always_inline]] explicit EConvertError(std::string message, int help_context = 0)
      : Exception(std::move(message), help_context) {}
  const char* ClassName() const override { return "EConvertError"; }
};

}  // namespace qb
