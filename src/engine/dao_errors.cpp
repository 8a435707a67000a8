// engine/dao_errors: building the detailed error message and raising the components' errors.
// Never catches what it does not re-raise.
#include "engine/dao_errors.h"

#include <QString>

#include "com/ole_exception.h"
#include "core/format.h"
#include "core/resource_strings.h"
#include "framework/component/component.h"
#include "framework/gui/application.h"

namespace qb {

bool DetailedErrorMessages = true;

std::string DAOErrorMessage(const TComponent* component, const std::string& message,
                            const std::string& method) {
  if (!DetailedErrorMessages) return message;
  const std::string unknown = ResString(kResUnknownComponent);
  const std::string name = component != nullptr ? component->Name() : unknown;
  const std::string type = component != nullptr ? component->ClassName() : unknown;
  const std::string exe = QString::fromStdString(App().ExeName()).toUpper().toStdString();
  return Format(ResString(kResDetailedError), exe, name, type, method.empty() ? unknown : method,
                CurrentExceptionAddress(), message);
}

void RaiseDAOError(const TComponent* component, const std::string& message, const std::string& method,
                   int help_context) {
  throw EDAOError(DAOErrorMessage(component, message, method), help_context);
}

void RaiseEngineFailure(const TComponent* component, const Exception& error, const std::string& method) {
  EDAOError wrapped(DAOErrorMessage(component, error.Message(), method));
  if (const auto* engine_error = dynamic_cast<const EOleException*>(&error)) {
    wrapped.SetEngineError(engine_error->ErrorCode());
  }
  throw wrapped;
}

void CheckOleResult(HRESULT code) {
  if (Failed(code)) RaiseOleError(code);
}

void RaiseOleError(HRESULT code) { throw EOleError(StatusMessage(code)); }

}  // namespace qb
