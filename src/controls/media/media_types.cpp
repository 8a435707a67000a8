// controls/media/media_types: names of the device types and notify values.
#include "controls/media/media_types.h"

namespace qb::media {

const char* DeviceTypeName(DeviceType type) {
  switch (type) {
    case DeviceType::AutoSelect: return "";
    case DeviceType::AVIVideo: return "AVIVideo";
    case DeviceType::CDAudio: return "CDAudio";
    case DeviceType::DAT: return "DAT";
    case DeviceType::DigitalVideo: return "DigitalVideo";
    case DeviceType::MMMovie: return "MMMovie";
    case DeviceType::Other: return "Other";
    case DeviceType::Overlay: return "Overlay";
    case DeviceType::Scanner: return "Scanner";
    case DeviceType::Sequencer: return "Sequencer";
    case DeviceType::VCR: return "VCR";
    case DeviceType::Videodisc: return "Videodisc";
    case DeviceType::WaveAudio: return "WaveAudio";
  }
  return "";
}

bool KindCanStep(DeviceKind kind) {
  return kind == DeviceKind::Animation || kind == DeviceKind::DigitalVideo ||
         kind == DeviceKind::Overlay || kind == DeviceKind::VCR;
}

const char* NotifyValueName(NotifyValue value) {
  switch (value) {
    case NotifyValue::Successful: return "successful";
    case NotifyValue::Superseded: return "superseded";
    case NotifyValue::Aborted: return "aborted";
    case NotifyValue::Failure: return "failure";
  }
  return "";
}

}  // namespace qb::media
