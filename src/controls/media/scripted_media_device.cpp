// controls/media/scripted_media_device: the scripted device's commands and log.
#include "controls/media/scripted_media_device.h"

#include <algorithm>

namespace qb::media {

namespace {

std::string FlagText(CommandFlags flags) {
  std::string text;
  if (flags.wait) text += " wait";
  if (flags.notify) text += " notify";
  return text;
}

std::string RangeText(const PlayRange& range) {
  std::string text;
  if (range.from) text += " from " + std::to_string(*range.from);
  if (range.to) text += " to " + std::to_string(*range.to);
  return text;
}

}  // namespace

std::string ScriptedMediaDevice::TakeLog() {
  std::string joined;
  for (const std::string& line : log_) {
    if (!joined.empty()) joined += "; ";
    joined += line;
  }
  log_.clear();
  return joined;
}

DeviceError ScriptedMediaDevice::Enter(const std::string& line, CommandFlags flags) {
  log_.push_back(line + FlagText(flags));
  if (next_error_ != DeviceError::None) {
    const DeviceError error = next_error_;
    next_error_ = DeviceError::None;
    return error;
  }
  return open_ ? DeviceError::None : DeviceError::NotOpen;
}

DeviceError ScriptedMediaDevice::Done(CommandFlags flags) {
  if (flags.notify) PostNotify(NotifyValue::Successful);
  return DeviceError::None;
}

DeviceError ScriptedMediaDevice::Open(const OpenParams& params) {
  if (open_) Close(CommandFlags::Wait());
  std::string line = "open";
  if (params.type != DeviceType::AutoSelect) line += std::string(" ") + DeviceTypeName(params.type);
  if (!params.element.empty()) line += " " + params.element;
  if (params.shareable) line += " shareable";
  log_.push_back(line);
  if (open_error_ != DeviceError::None) {
    const DeviceError error = open_error_;
    open_error_ = DeviceError::None;
    return error;
  }
  params_ = params;
  open_ = true;
  mode_ = Mode::Stopped;
  position_ = 0;
  return DeviceError::None;
}

DeviceError ScriptedMediaDevice::Close(CommandFlags flags) {
  if (const DeviceError error = Enter("close", flags); error != DeviceError::None) return error;
  BeginCommand(true, flags);
  open_ = false;
  display_ = nullptr;
  return Done(flags);
}

DeviceError ScriptedMediaDevice::StartRun(Mode mode, const PlayRange& range, CommandFlags flags) {
  BeginCommand(true, flags);
  if (range.from) position_ = *range.from;
  run_end_ = range.to.value_or(length_);
  run_mode_ = mode;
  if (flags.notify) ArmNotify();
  mode_ = mode;
  if (!flags.notify || flags.wait) FinishRun();  // a waiting command returns at its end
  return DeviceError::None;
}

void ScriptedMediaDevice::FinishRun(NotifyValue value) {
  if (mode_ != Mode::Playing && mode_ != Mode::Recording && mode_ != Mode::Paused) return;
  position_ = run_end_;
  mode_ = Mode::Stopped;
  FinishPending(value);
}

DeviceError ScriptedMediaDevice::Play(const PlayRange& range, CommandFlags flags) {
  if (const DeviceError error = Enter("play" + RangeText(range), flags);
      error != DeviceError::None) {
    return error;
  }
  return StartRun(Mode::Playing, range, flags);
}

DeviceError ScriptedMediaDevice::Record(const PlayRange& range, CommandFlags flags) {
  if (const DeviceError error = Enter("record" + RangeText(range), flags);
      error != DeviceError::None) {
    return error;
  }
  if (!caps_.can_record) return DeviceError::UnsupportedCommand;
  return StartRun(Mode::Recording, range, flags);
}

DeviceError ScriptedMediaDevice::Pause(CommandFlags flags) {
  if (const DeviceError error = Enter("pause", flags); error != DeviceError::None) return error;
  BeginCommand(true, flags);
  if (mode_ == Mode::Playing || mode_ == Mode::Recording) mode_ = Mode::Paused;
  return Done(flags);
}

DeviceError ScriptedMediaDevice::Resume(CommandFlags flags) {
  if (const DeviceError error = Enter("resume", flags); error != DeviceError::None) return error;
  BeginCommand(false, flags);
  if (mode_ != Mode::Paused) return Done(flags);
  mode_ = run_mode_;
  if (flags.notify) ArmNotify();
  if (!flags.notify || flags.wait) FinishRun();
  return DeviceError::None;
}

DeviceError ScriptedMediaDevice::Stop(CommandFlags flags) {
  if (const DeviceError error = Enter("stop", flags); error != DeviceError::None) return error;
  BeginCommand(true, flags);
  mode_ = Mode::Stopped;
  return Done(flags);
}

DeviceError ScriptedMediaDevice::Seek(int64_t position, CommandFlags flags) {
  if (const DeviceError error = Enter("seek " + std::to_string(position), flags);
      error != DeviceError::None) {
    return error;
  }
  if (position < 0 || position > length_) return DeviceError::OutOfRange;
  BeginCommand(true, flags);
  position_ = position;
  mode_ = Mode::Stopped;
  return Done(flags);
}

DeviceError ScriptedMediaDevice::Step(int64_t frames, CommandFlags flags) {
  if (const DeviceError error = Enter("step " + std::to_string(frames), flags);
      error != DeviceError::None) {
    return error;
  }
  if (!caps_.has_video) return DeviceError::UnsupportedCommand;
  BeginCommand(true, flags);
  // Clamped without overflow for any FRAMES.
  if (frames >= 0) {
    position_ = frames >= length_ - position_ ? length_ : position_ + frames;
  } else {
    position_ = -(frames + 1) >= position_ ? 0 : position_ + frames;
  }
  mode_ = Mode::Stopped;
  return Done(flags);
}

DeviceError ScriptedMediaDevice::Eject(CommandFlags flags) {
  if (const DeviceError error = Enter("eject", flags); error != DeviceError::None) return error;
  if (!caps_.can_eject) return DeviceError::UnsupportedCommand;
  BeginCommand(true, flags);
  mode_ = Mode::Open;
  return Done(flags);
}

int ScriptedMediaDevice::Tracks() const {
  if (!open_) return 0;
  return track_starts_.empty() ? 1 : static_cast<int>(track_starts_.size());
}

int ScriptedMediaDevice::CurrentTrack() const {
  if (!open_) return 0;
  int track = 1;
  for (size_t i = 0; i < track_starts_.size(); ++i) {
    if (track_starts_[i] <= position_) track = static_cast<int>(i) + 1;
  }
  return track;
}

int64_t ScriptedMediaDevice::TrackStart(int track) const {
  if (!open_ || track < 1 || static_cast<size_t>(track) > track_starts_.size()) return 0;
  return track_starts_[static_cast<size_t>(track) - 1];
}

DeviceError ScriptedMediaDevice::SetTimeFormat(TimeFormat format) {
  static const char* const kNames[] = {"milliseconds", "frames", "tmsf"};
  const DeviceError error =
      Enter(std::string("set time format ") + kNames[static_cast<int>(format)], {});
  if (error != DeviceError::None) return error;
  time_format_ = format;
  return DeviceError::None;
}

DeviceError ScriptedMediaDevice::SetDisplayWindow(QWidget* window) {
  const DeviceError error = Enter(window != nullptr ? "window" : "window none", {});
  if (error != DeviceError::None) return error;
  display_ = window;
  return DeviceError::None;
}

DeviceError ScriptedMediaDevice::PutVideo(const VideoRect& rect) {
  const DeviceError error =
      Enter("put " + std::to_string(rect.left) + " " + std::to_string(rect.top) + " " +
                std::to_string(rect.width) + " " + std::to_string(rect.height),
            {});
  if (error != DeviceError::None) return error;
  video_place_ = rect;
  return DeviceError::None;
}

}  // namespace qb::media
