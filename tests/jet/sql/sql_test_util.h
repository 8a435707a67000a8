// Helpers for the Jet SQL tests: run a callable and report the engine error number it raised.
#pragma once
#include <functional>
#include <string>

#include "com/ole_exception.h"

namespace qb::jet::sql::test {

// The EOleException error number FN raised, or 0 when it returned normally. MESSAGE receives
// the exception's message when given.
inline int ErrorNumberOf(const std::function<void()>& fn, std::string* message = nullptr) {
  try {
    fn();
  } catch (const EOleException& e) {
    if (message) *message = e.Message();
    return e.ErrorCode();
  }
  return 0;
}

}  // namespace qb::jet::sql::test
