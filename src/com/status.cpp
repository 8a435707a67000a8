// com/status: the texts of the common status codes, in this system's own words.
#include "com/status.h"

#include "core/format.h"
#include "core/resource_strings.h"

namespace qb {

std::optional<std::string> StatusText(HRESULT code) {
  switch (code) {
    case S_OK: return "The operation succeeded.";
    case S_FALSE: return "The operation succeeded with a negative answer.";
    case E_NOTIMPL: return "This operation is not implemented.";
    case E_NOINTERFACE: return "The object does not offer the requested interface.";
    case E_POINTER: return "A required pointer was missing or invalid.";
    case E_ABORT: return "The operation was cancelled.";
    case E_FAIL: return "The operation failed for an unspecified reason.";
    case E_UNEXPECTED: return "An unexpected failure occurred.";
    case E_ACCESSDENIED: return "Access was denied.";
    case E_HANDLE: return "A handle was invalid.";
    case E_OUTOFMEMORY: return "There is not enough memory for the operation.";
    case E_INVALIDARG: return "One or more arguments are invalid.";
    case DISP_E_UNKNOWNINTERFACE: return "The interface identifier is unknown.";
    case DISP_E_MEMBERNOTFOUND: return "The object has no member of that name.";
    case DISP_E_PARAMNOTFOUND: return "A named parameter was not found.";
    case DISP_E_TYPEMISMATCH: return "An argument has the wrong type.";
    case DISP_E_UNKNOWNNAME: return "The name is unknown.";
    case DISP_E_NONAMEDARGS: return "This member takes no named arguments.";
    case DISP_E_BADVARTYPE: return "A value has a type that cannot be used here.";
    case DISP_E_EXCEPTION: return "The called object raised an error.";
    case DISP_E_OVERFLOW: return "A value is out of range for its type.";
    case DISP_E_BADINDEX: return "An index is out of range.";
    case DISP_E_UNKNOWNLCID: return "The locale identifier is unknown.";
    case DISP_E_ARRAYISLOCKED: return "The array is locked.";
    case DISP_E_BADPARAMCOUNT: return "The number of arguments is wrong.";
    case DISP_E_PARAMNOTOPTIONAL: return "A required argument was left out.";
    case DISP_E_BADCALLEE: return "The called member is not valid.";
    case DISP_E_NOTACOLLECTION: return "The object is not a collection.";
    case DISP_E_DIVBYZERO: return "Division by zero.";
    case CLASS_E_NOAGGREGATION: return "The class cannot be aggregated.";
    case CLASS_E_CLASSNOTAVAILABLE: return "The class is not available.";
    case REGDB_E_CLASSNOTREG: return "The class is not registered.";
    case CO_E_NOTINITIALIZED: return "The object system has not been initialised.";
    default: return std::nullopt;
  }
}

std::string StatusMessage(HRESULT code) {
  if (std::optional<std::string> text = StatusText(code)) return *text;
  return Format(ResString(kResOleError), code);
}

}  // namespace qb
