// engine/dao_errors: the error convention of the data-access components: their exception
// classes, the detailed message that names component, class and operation, the status-code
// check, and the wrapper that turns engine failures into EDAOError. Shows nothing on screen.
#pragma once
#include <string>
#include <utility>

#include "com/status.h"
#include "core/exception.h"
#include "framework/db_errors.h"

namespace qb {

class TComponent;

// Raised by every data-access component. Carries the (detailed) message, a help context and,
// for an engine refusal, the engine's error number, so callers can tell refusals apart without
// reading the message.
class EDAOError : public EDatabaseError {
 public:
  using EDatabaseError::EDatabaseError;
  const char* ClassName() const override { return "EDAOError"; }

  // The engine's error number of the refusal reported (3031, ...); 0 for the component's own
  // errors and for engine failures that carry no number.
  int EngineError() const { return engine_error_; }
  void SetEngineError(int number) { engine_error_ = number; }

 private:
  int engine_error_ = 0;
};

// Raised for a failed status code and by the recordset's searches.
class EOleError : public Exception {
 public:
  using Exception::Exception;
  const char* ClassName() const override { return "EOleError"; }
};

// Selects the detailed message form of RaiseDAOError. True from the start; nothing in the
// program turns it off. Process-wide, GUI thread only.
extern bool DetailedErrorMessages;

// The message RaiseDAOError raises for MESSAGE: with DetailedErrorMessages, the numbered
// detailed layout filled with the executable's file name in upper case, COMPONENT's Name and
// class name ("Unknown" for each when COMPONENT is null), METHOD ("Unknown" when empty), the
// raise address of the exception now being handled (00000000 when none is) and MESSAGE;
// otherwise MESSAGE unchanged.
std::string DAOErrorMessage(const TComponent* component, const std::string& message,
                            const std::string& method);

// Raises EDAOError with DAOErrorMessage(COMPONENT, MESSAGE, METHOD); HELP_CONTEXT (0: none) is
// attached to it. Never returns.
[[noreturn]] void RaiseDAOError(const TComponent* component, const std::string& message,
                                const std::string& method, int help_context = 0);

// Returns when CODE is not negative; otherwise RaiseOleError(CODE).
void CheckOleResult(HRESULT code);

// RaiseDAOError(COMPONENT, ERROR's message, METHOD) for a failure ERROR of the engine, keeping
// the engine's error number when ERROR carries one. Never returns.
[[noreturn]] void RaiseEngineFailure(const TComponent* component, const Exception& error,
                                     const std::string& method);

// Raises EOleError with the system's text for CODE, or "Ole Error. Errorcode: <CODE as a signed
// decimal>" when there is none. Never returns.
[[noreturn]] void RaiseOleError(HRESULT code);

// Runs ACTION, an engine call of COMPONENT's operation METHOD, and returns its result. An
// Exception it raises is raised again through RaiseEngineFailure(COMPONENT, it, METHOD);
// anything that is not an Exception passes through unchanged.
template <class Action>
decltype(auto) CallEngine(const TComponent* component, const char* method, Action&& action) {
  try {
    return std::forward<Action>(action)();
  } catch (const Exception& error) {
    RaiseEngineFailure(component, error, method);
  }
}

}  // namespace qb
