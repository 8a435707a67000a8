// controls/media/media_errors: texts of the device errors and the player's device exception.
#include "controls/media/media_errors.h"

#include "core/resource_strings.h"

namespace qb::media {

const char* DeviceErrorText(int error) {
  switch (static_cast<DeviceError>(error)) {
    case DeviceError::None: return nullptr;
    case DeviceError::NotOpen: return "The media device is not open.";
    case DeviceError::DeviceNotInstalled:
      return "No device of the requested type is installed on this system.";
    case DeviceError::BackendUnavailable: return "The media playback system could not be started.";
    case DeviceError::UnsupportedCommand: return "The media device cannot carry out this command.";
    case DeviceError::FileNotFound: return "The media file cannot be found or read.";
    case DeviceError::NoElement: return "This media device needs the name of a file to open.";
    case DeviceError::UnreadableMedia:
      return "The file does not hold media in a format the device can play.";
    case DeviceError::OutOfRange: return "The position lies outside the media.";
    case DeviceError::DeviceFailed:
      return "The media device failed while carrying out the command.";
    case DeviceError::NoRecordingInput: return "No recording input device is available.";
    case DeviceError::NoResponse: return "The media device did not answer in time.";
    case DeviceError::DeviceBusy:
      return "The media device is still carrying out a command that waits for its end.";
  }
  return nullptr;
}

std::string DeviceErrorMessage(int error) {
  const char* text = DeviceErrorText(error);
  return text != nullptr ? text : ResString(kResUnknownMciError);
}

void RaiseNoDeviceOpen() { throw EMCIDeviceError(ResString(kResNoMciDevice), 0); }

void RaiseDeviceError(int error) { throw EMCIDeviceError(DeviceErrorMessage(error), error); }

}  // namespace qb::media
