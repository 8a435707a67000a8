// framework/component/component_errors: the errors of the component model and of form
// streaming. Only the classes; the code that raises them lives with the model and the streams.
#pragma once
#include <string>

#include "core/convert_error.h"
#include "core/exception.h"

namespace qb {

// A component operation was refused: an invalid or duplicate Name, an unknown class name.
class EComponentError : public Exception {
 public:
  using Exception::Exception;
  const char* ClassName() const override { return "EComponentError"; }
};

// EConvertError (core/convert_error.h) is raised here too: Assign between unrelated classes, a
// property value of the wrong kind, a scrambled text that does not unscramble.

// Form text could not be read. The message begins with "Line N: "; Line() gives N.
class EReadError : public Exception {
 public:
  EReadError(int line, const std::string& message)
      : Exception("Line " + std::to_string(line) + ": " + message), line_(line) {}
  const char* ClassName() const override { return "EReadError"; }
  int Line() const { return line_; }

 private:
  int line_;  // constant after construction
};

// A component cannot be written as form text (a reference to a component without a name).
class EWriteError : public Exception {
 public:
  using Exception::Exception;
  const char* ClassName() const override { return "EWriteError"; }
};

}  // namespace qb
