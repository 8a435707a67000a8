// framework/db_errors: the root error class of data access. The dataset framework and the
// data-access components raise it or classes derived from it; it adds nothing to Exception.
#pragma once
#include "core/exception.h"

namespace qb {

// Raised by the dataset framework and, through derived classes, by the data-access
// components. Carries the message and help context of Exception.
class EDatabaseError : public Exception {
 public:
  using Exception::Exception;
  const char* ClassName() const override { return "EDatabaseError"; }
};

}  // namespace qb
