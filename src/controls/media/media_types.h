// controls/media/media_types: the vocabulary of the media device layer: device types and their
// names, modes, time formats, notify values, command flags, capabilities and play ranges.
// Plain values only; nothing here talks to a device.
#pragma once
#include <cstdint>
#include <optional>
#include <string>

namespace qb::media {

// Device types a player may ask for, in the order of the player's published enumeration.
// AutoSelect passes no type: the device is chosen from the file.
enum class DeviceType {
  AutoSelect,
  AVIVideo,
  CDAudio,
  DAT,
  DigitalVideo,
  MMMovie,
  Other,
  Overlay,
  Scanner,
  Sequencer,
  VCR,
  Videodisc,
  WaveAudio,
};

// The device type name passed to the device when opening ("WaveAudio", ...); empty for
// AutoSelect.
const char* DeviceTypeName(DeviceType type);

// The kind of device an open device reports itself as. Animation and the kinds of DeviceType
// that show moving pictures are the ones that step in frames.
enum class DeviceKind {
  Animation,
  CDAudio,
  DAT,
  DigitalVideo,
  Other,
  Overlay,
  Scanner,
  Sequencer,
  VCR,
  Videodisc,
  WaveAudio
};

// True for the kinds whose devices step frame by frame (animation, digital video, overlay, VCR).
bool KindCanStep(DeviceKind kind);

// What a device is doing. The numbers are the ones the player's button table is keyed on; a
// closed device reads as NotReady.
enum class Mode {
  NotReady = 0,
  Stopped = 1,
  Playing = 2,
  Recording = 3,
  Seeking = 4,
  Paused = 5,
  Open = 6
};

// Units of positions and lengths. Milliseconds for sound, Frames for moving pictures; Tmsf
// (track, minutes, seconds, frames packed as bytes from the lowest: track first) for the disc
// devices.
enum class TimeFormat { Milliseconds, Frames, Tmsf };

// Outcome of a command started with the notify flag, reported once when it ends.
enum class NotifyValue {
  Successful = 1,  // the command ran to its end
  Superseded = 2,  // a later command asked for notification instead; this one keeps running
  Aborted = 4,     // a later command interrupted it (stop, pause, seek, close, ...)
  Failure = 8,     // the device failed while carrying it out
};

const char* NotifyValueName(NotifyValue value);

// How a command is carried out. Wait: the call returns when the command has finished (playing
// to the end included). Notify: the call returns at once and the end is reported through the
// device's notify handler. Both: waits, then reports. Neither: as Wait.
struct CommandFlags {
  bool wait = false;
  bool notify = false;

  static CommandFlags Wait() { return {true, false}; }
  static CommandFlags Notify() { return {false, true}; }
};

// What the open device can do (read once after opening).
struct Capabilities {
  bool can_play = false;
  bool can_record = false;
  bool can_eject = false;
  bool has_video = false;
  DeviceKind kind = DeviceKind::Other;
};

// Optional bounds of a play or record command, in the device's time format.
struct PlayRange {
  std::optional<int64_t> from;
  std::optional<int64_t> to;
};

// What opening asks for.
struct OpenParams {
  DeviceType type = DeviceType::AutoSelect;
  std::string element;  // the file to open; empty for a device without one
  bool shareable = false;
};

// A rectangle in a display window's client coordinates.
struct VideoRect {
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
};

}  // namespace qb::media
