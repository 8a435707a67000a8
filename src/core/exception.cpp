// core/exception: raise-site capture for the root error class.
#include "core/exception.h"

namespace qb {

// Kept out of line so that the return address is the code that raised the exception.
__attribute__((noinline)) Exception::Exception(std::string message, int help_context)
    : message_(std::move(message)),
      help_context_(help_context),
      raise_address_(__builtin_extract_return_addr(__builtin_return_address(0))) {}

const void* CurrentExceptionAddress() {
  std::exception_ptr current = std::current_exception();
  if (!current) return nullptr;
  try {
    std::rethrow_exception(current);
  } catch (const Exception& e) {
    return e.RaiseAddress();
  } catch (...) {
    return nullptr;
  }
}

}  // namespace qb
