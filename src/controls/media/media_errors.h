// controls/media/media_errors: the device layer's error numbers with their texts, and the
// exception the player raises for a device that is not open or failed to open. Commands report
// errors as numbers; only the player decides which of them to raise.
#pragma once
#include <string>

#include "core/exception.h"

namespace qb::media {

// Error numbers a device command returns. None (0) is success; the others are this layer's own
// numbers, each with a text from DeviceErrorText.
enum class DeviceError : int {
  None = 0,
  NotOpen = 257,             // a command other than open reached a closed device
  DeviceNotInstalled = 258,  // the device type is one no installed back end serves
  BackendUnavailable = 259,  // the playback system itself could not be started
  UnsupportedCommand = 260,  // the device cannot carry out this command
  FileNotFound = 261,        // the element names no readable file
  NoElement = 262,           // the device type plays files and none was named
  UnreadableMedia = 263,     // the file holds nothing the device can play
  OutOfRange = 264,          // a position lies outside the media
  DeviceFailed = 265,        // the device reported a failure while working
  NoRecordingInput = 266,    // recording was asked for and no input device exists
  NoResponse = 267,          // the device did not answer within its time limit
  DeviceBusy = 268,          // a command with wait is still running on this device
};

// The text of ERROR (a static string), or nullptr for a number this layer does not know
// (None included).
const char* DeviceErrorText(int error);

// The text of ERROR when there is one, otherwise the message "Unknown error code".
std::string DeviceErrorMessage(int error);

// Raised by the player for an action on a closed device ("No MCI device open") and for a
// device that failed to open (the device's error text). Error() is the device error number;
// 0 for the closed device.
class EMCIDeviceError : public Exception {
 public:
  EMCIDeviceError(std::string message, int error) : Exception(std::move(message)), error_(error) {}
  const char* ClassName() const override { return "EMCIDeviceError"; }
  int Error() const { return error_; }

 private:
  int error_;  // constant after construction
};

// Raises EMCIDeviceError with the message "No MCI device open" and error 0. Never returns.
[[noreturn]] void RaiseNoDeviceOpen();

// Raises EMCIDeviceError with DeviceErrorMessage(ERROR) and ERROR. Never returns.
[[noreturn]] void RaiseDeviceError(int error);

}  // namespace qb::media
