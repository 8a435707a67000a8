// controls/media/scripted_media_device: a media device that plays nothing and does what a test
// scripts, for tests of the player. It logs every command it receives as one line of text
// ("open WaveAudio /tmp/daotemp.wav", "play from 5 to 20 notify", "step -3 wait"), answers the
// status reads from values the test sets, and keeps the notification rules of MediaDevice.
//
// Behaviour: play, resume and record run until the test ends them with FinishRun (or with
// wait alone, end at once at the end of their range); pause, stop, seek and step change mode
// and position as a real device would. The next command's result can be forced with FailNext.
#pragma once
#include <map>
#include <string>
#include <vector>

#include "controls/media/media_device.h"

namespace qb::media {

class ScriptedMediaDevice : public MediaDevice {
 public:
  ScriptedMediaDevice() = default;

  // --- What the test scripts ---
  // Result of the next Open (None: it succeeds).
  void SetOpenError(DeviceError error) { open_error_ = error; }
  // Result of the next command other than Open and the status reads; the command then does
  // nothing else.
  void FailNext(DeviceError error) { next_error_ = error; }
  // What an open device reports; applied at Open and readable at once.
  void SetCaps(const Capabilities& caps) { caps_ = caps; }
  void SetLength(int64_t length) { length_ = length; }
  void SetPosition(int64_t position) { position_ = position; }
  void SetMode(Mode mode) { mode_ = mode; }
  // Start positions of tracks 1, 2, ...; Tracks() is their count (1 track at 0 when unset).
  void SetTrackStarts(std::vector<int64_t> starts) { track_starts_ = std::move(starts); }
  void SetSourceRect(const VideoRect& rect) { source_rect_ = rect; }
  // Ends the running play, resume or record: the position goes to the run's end, the mode to
  // stopped and the pending notification reports VALUE.
  void FinishRun(NotifyValue value = NotifyValue::Successful);

  // --- What the test reads ---
  const std::vector<std::string>& Log() const { return log_; }
  // The log joined with "; " (one ASSERT_EQ checks a whole sequence), then cleared.
  std::string TakeLog();
  QWidget* DisplayWindow() const { return display_; }
  const VideoRect& VideoPlace() const { return video_place_; }
  const OpenParams& Opened() const { return params_; }

  // --- MediaDevice ---
  DeviceError Open(const OpenParams& params) override;
  DeviceError Close(CommandFlags flags) override;
  bool IsOpen() const override { return open_; }
  DeviceError Play(const PlayRange& range, CommandFlags flags) override;
  DeviceError Pause(CommandFlags flags) override;
  DeviceError Resume(CommandFlags flags) override;
  DeviceError Stop(CommandFlags flags) override;
  DeviceError Seek(int64_t position, CommandFlags flags) override;
  DeviceError Step(int64_t frames, CommandFlags flags) override;
  DeviceError Record(const PlayRange& range, CommandFlags flags) override;
  DeviceError Eject(CommandFlags flags) override;
  int64_t Length() const override { return open_ ? length_ : 0; }
  int64_t Position() const override { return open_ ? position_ : 0; }
  Mode CurrentMode() const override { return open_ ? mode_ : Mode::NotReady; }
  int Tracks() const override;
  int CurrentTrack() const override;
  int64_t TrackStart(int track) const override;
  TimeFormat CurrentTimeFormat() const override { return time_format_; }
  DeviceError SetTimeFormat(TimeFormat format) override;
  Capabilities Caps() const override { return open_ ? caps_ : Capabilities{}; }
  DeviceError SetDisplayWindow(QWidget* window) override;
  DeviceError PutVideo(const VideoRect& rect) override;
  VideoRect SourceRect() const override { return open_ ? source_rect_ : VideoRect{}; }

 private:
  // Logs LINE with FLAGS; returns the forced error (and consumes it), or NotOpen when the
  // device is closed, or None.
  DeviceError Enter(const std::string& line, CommandFlags flags);
  DeviceError Done(CommandFlags flags);
  DeviceError StartRun(Mode mode, const PlayRange& range, CommandFlags flags);

  std::vector<std::string> log_;
  DeviceError open_error_ = DeviceError::None;
  DeviceError next_error_ = DeviceError::None;
  Capabilities caps_{true, false, false, false, DeviceKind::WaveAudio};
  OpenParams params_;
  bool open_ = false;
  int64_t length_ = 0;
  int64_t position_ = 0;
  int64_t run_end_ = 0;
  Mode mode_ = Mode::Stopped;
  Mode run_mode_ = Mode::Playing;  // what a paused run goes back to
  TimeFormat time_format_ = TimeFormat::Milliseconds;
  std::vector<int64_t> track_starts_;
  VideoRect source_rect_;
  VideoRect video_place_;
  QWidget* display_ = nullptr;
};

}  // namespace qb::media
