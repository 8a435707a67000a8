// jet/base/errors: the engine's error numbers and the one routine that raises them as EOleException
// with a message in this engine's words. Knows nothing of SQLite; never puts a password in a message.
#pragma once
#include <string_view>

namespace qb::jet {

// Error numbers callers may test for (EOleException::ErrorCode()). They keep the Jet numbering
// so that code written against the Jet object model recognises them.
namespace err {
inline constexpr int kInternal = 3000;               // a fault inside the engine itself
inline constexpr int kInvalidArgument = 3001;
inline constexpr int kFileNotFound = 3024;
inline constexpr int kDiskFull = 3026;
inline constexpr int kReadOnly = 3027;
inline constexpr int kWorkgroupMissing = 3028;
inline constexpr int kBadLogin = 3029;
inline constexpr int kBadAccountName = 3030;
inline constexpr int kBadPassword = 3031;
inline constexpr int kCannotPerform = 3032;
inline constexpr int kNoPermission = 3033;
inline constexpr int kResourceExceeded = 3035;
inline constexpr int kDiskIo = 3043;
inline constexpr int kBadPath = 3044;
inline constexpr int kFileInUse = 3045;
inline constexpr int kRecordTooLarge = 3047;
inline constexpr int kUnrecognisedFile = 3049;
inline constexpr int kCannotOpenFile = 3051;
inline constexpr int kBadFileName = 3055;
inline constexpr int kCancelled = 3059;
inline constexpr int kFileExists = 3204;
inline constexpr int kLockedRetry = 3218;
inline constexpr int kInvalidOperation = 3219;
inline constexpr int kNotForThisObject = 3251;
inline constexpr int kItemNotFound = 3265;
inline constexpr int kSetAfterAppend = 3268;
inline constexpr int kPropertyNotFound = 3270;
inline constexpr int kInvalidPropertyValue = 3271;
inline constexpr int kPropertyReadOnly = 3273;
inline constexpr int kBadPid = 3304;
inline constexpr int kForeignFormat = 3343;
inline constexpr int kDuplicateName = 3367;
inline constexpr int kObjectClosed = 3420;
// A value that does not convert to a field's type, or is beyond its range: raised by the
// conversions of values to field types and by the schema rules alike.
inline constexpr int kConversion = 3421;
inline constexpr int kNumericOverflow = 3349;
}  // namespace err

// Raises EOleException with NUMBER and DETAIL as its description: DETAIL is the whole message,
// a complete sentence in our own words (it may name files and accounts, never a password).
// An empty DETAIL gives the engine's standard text for NUMBER.
[[noreturn]] void RaiseJetError(int number, std::string_view detail = {});

// The engine's standard text for NUMBER ("Item not found in this collection."), or a generic
// text naming the number when the engine has none.
std::string_view StandardErrorText(int number);

}  // namespace qb::jet
