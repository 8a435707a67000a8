// framework/data/data_errors: the dataset framework's messages and its raise helpers. Every
// refusal of a dataset, field or data link is an EDatabaseError with one of these texts.
#pragma once
#include <string>

#include "core/format.h"
#include "framework/db_errors.h"

namespace qb {

// The silent exception: an operation abandoned on purpose (an error handler answered daAbort).
// Callers that show errors skip it.
class EAbort : public Exception {
 public:
  using Exception::Exception;
  const char* ClassName() const override { return "EAbort"; }
};

namespace data_msg {
inline constexpr const char* kDataSetClosed = "Cannot perform this operation on a closed dataset";
inline constexpr const char* kDataSetOpen = "Cannot perform this operation on an open dataset";
inline constexpr const char* kDataSetEmpty = "Cannot perform this operation on an empty dataset";
inline constexpr const char* kDataSetReadOnly = "Cannot modify a read-only dataset";
inline constexpr const char* kNotEditing = "Dataset not in edit or insert mode";
inline constexpr const char* kRecordNotFound = "Record not found";
inline constexpr const char* kCircularDataLink = "Circular datalinks are not allowed";
inline constexpr const char* kCircularLookup = "Circular lookups are not allowed: field '%s' leads back to its own dataset";
inline constexpr const char* kFieldNotFound = "Field '%s' not found";
inline constexpr const char* kFieldRequired = "Field '%s' must have a value";
inline constexpr const char* kFieldReadOnly = "Field '%s' cannot be modified";
inline constexpr const char* kFieldNoDataSet = "Field '%s' has no dataset";
inline constexpr const char* kFieldAccess = "Cannot access field '%s' as type %s";
inline constexpr const char* kFieldRange = "%s is not a valid value for field '%s'. The allowed range is %s to %s";
inline constexpr const char* kFieldTooLong = "Value of field '%s' is longer than its size of %d characters";
inline constexpr const char* kNotIndexField = "Field '%s' is not indexed and cannot be modified";
inline constexpr const char* kInvalidValue = "'%s' is not a valid value for field '%s'";
inline constexpr const char* kDuplicateName = "Duplicate name '%s' in %s";
inline constexpr const char* kParamNotFound = "Parameter '%s' not found";
inline constexpr const char* kIndexNotFound = "Index '%s' not found";
inline constexpr const char* kOperationAborted = "Operation aborted";
inline constexpr const char* kNotSetKey = "Dataset is not in key entry mode";
inline constexpr const char* kNoKeySearch = "This dataset cannot search by key";
inline constexpr const char* kTooManyKeyValues = "%d key values given for an index of %d fields";
}  // namespace data_msg

[[noreturn]] inline void DatabaseError(const std::string& message) { throw EDatabaseError(message); }

}  // namespace qb
