// jet/base/errors: the message table of the engine's error numbers and the raise routine. Every
// engine error leaves through RaiseJetError; nothing here looks at SQLite.
#include "jet/base/errors.h"

#include <string>

#include "com/ole_exception.h"

namespace qb::jet {
namespace {

struct StandardText {
  int number;
  std::string_view text;
};

constexpr StandardText kTexts[] = {
    {err::kInternal, "The engine met an internal fault."},
    {err::kInvalidArgument, "Invalid argument."},
    {err::kFileNotFound, "The file could not be found."},
    {err::kDiskFull, "There is not enough disk space."},
    {err::kReadOnly, "The file or object is read-only."},
    {err::kWorkgroupMissing, "The workgroup file is missing or cannot be used."},
    {err::kBadLogin, "Not a valid account name or password."},
    {err::kBadAccountName, "Not a valid account name."},
    {err::kBadPassword, "Not a valid password."},
    {err::kCannotPerform, "This operation cannot be performed on this account."},
    {err::kNoPermission, "You do not have the permission this operation needs."},
    {err::kResourceExceeded, "The engine ran out of memory."},
    {err::kDiskIo, "A disk or network error occurred."},
    {err::kBadPath, "Not a valid path."},
    {err::kFileInUse, "The file is in use by another process."},
    {err::kRecordTooLarge, "The value is too large."},
    {err::kUnrecognisedFile, "The file is not in a format this engine recognises."},
    {err::kCannotOpenFile, "The file could not be opened."},
    {err::kBadFileName, "Not a valid file name."},
    {err::kCancelled, "The operation was cancelled."},
    {err::kFileExists, "The file already exists."},
    {err::kLockedRetry, "The file is locked by another process; try again later."},
    {err::kInvalidOperation, "Invalid operation."},
    {err::kNotForThisObject, "This operation is not supported for this type of object."},
    {err::kItemNotFound, "Item not found in this collection."},
    {err::kSetAfterAppend, "This property cannot be changed once the object is in a collection."},
    {err::kPropertyNotFound, "Property not found."},
    {err::kInvalidPropertyValue, "Invalid property value."},
    {err::kPropertyReadOnly, "This property is read-only."},
    {err::kBadPid, "A personal identifier (PID) must have 4 to 20 characters."},
    {err::kForeignFormat, "The file belongs to another database program."},
    {err::kDuplicateName, "An object with that name is already in the collection."},
    {err::kObjectClosed, "The object has been closed and can no longer be used."},
};

}  // namespace

std::string_view StandardErrorText(int number) {
  for (const StandardText& entry : kTexts) {
    if (entry.number == number) return entry.text;
  }
  return "The engine reported an error.";
}

void RaiseJetError(int number, std::string_view detail) {
  std::string message(detail.empty() ? StandardErrorText(number) : detail);
  throw EOleException(number, std::move(message), "Quillbase.Engine");
}

}  // namespace qb::jet
