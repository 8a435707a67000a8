// controls/media/qt_media_device: the media device on Qt Multimedia: QMediaPlayer with a
// QAudioOutput plays files, a VideoPane inside the display window shows their picture, and
// QMediaRecorder on a QMediaCaptureSession records sound into the device's file.
//
// Served device types: AutoSelect, AVIVideo, DigitalVideo (files with or without a picture)
// and WaveAudio (the sound of a file only). Every other type (disc, tape, scanner, sequencer,
// overlay, ...) fails to open with DeviceNotInstalled, as a device that is not installed does.
//
// Positions: milliseconds for sound, frames for a device with video (at the frame rate the
// first decoded picture tells, 25 per second when none arrives). Stop keeps the position (Qt's
// own stop would go back to the start); after the media has ended the position reads Length
// until a seek or play moves it. Step leaves the device stopped. Without a display window the
// picture is decoded but not shown. Recording needs an audio input and a sound-only device; a
// take replaces the file's content (as WAV) and is read back when it ends. Every device is
// a player of its own, so Shareable changes nothing. Seeks return at once; the picture of the
// new position follows from the event loop.
//
// No sound device: the audio output then falls back to a sink that discards the samples at the
// pace of the clock, so playing takes the media's time and ends normally.
#pragma once
#include <QEventLoop>
#include <QPointer>
#include <QSize>
#include <QVideoFrame>
#include <memory>
#include <optional>
#include <vector>

#include "controls/media/media_device.h"
#include "controls/media/video_pane.h"

class QAudioInput;
class QAudioOutput;
class QMediaCaptureSession;
class QMediaPlayer;
class QMediaRecorder;
class QVideoSink;

namespace qb::media {

class QtMediaDevice : public MediaDevice {
 public:
  QtMediaDevice();
  ~QtMediaDevice() override;

  DeviceError Open(const OpenParams& params) override;
  DeviceError Close(CommandFlags flags) override;
  bool IsOpen() const override { return player_ != nullptr; }

  DeviceError Play(const PlayRange& range, CommandFlags flags) override;
  DeviceError Pause(CommandFlags flags) override;
  DeviceError Resume(CommandFlags flags) override;
  DeviceError Stop(CommandFlags flags) override;
  DeviceError Seek(int64_t position, CommandFlags flags) override;
  DeviceError Step(int64_t frames, CommandFlags flags) override;
  DeviceError Record(const PlayRange& range, CommandFlags flags) override;
  DeviceError Eject(CommandFlags flags) override;

  int64_t Length() const override;
  int64_t Position() const override;
  Mode CurrentMode() const override;
  int Tracks() const override { return IsOpen() ? 1 : 0; }
  int CurrentTrack() const override { return IsOpen() ? 1 : 0; }
  int64_t TrackStart(int track) const override;
  TimeFormat CurrentTimeFormat() const override { return time_format_; }
  DeviceError SetTimeFormat(TimeFormat format) override;
  Capabilities Caps() const override { return caps_; }

  DeviceError SetDisplayWindow(QWidget* window) override;
  DeviceError PutVideo(const VideoRect& rect) override;
  VideoRect SourceRect() const override;

  // Longest wait for a file to load on Open.
  static constexpr int kOpenTimeoutMs = 10000;
  // Longest wait on Open for the first picture, which tells the frame rate.
  static constexpr int kFirstFrameTimeoutMs = 5000;
  // Frames per second assumed when no picture arrived in time.
  static constexpr double kDefaultFrameRate = 25.0;

 private:
  // Runs the event loop until DONE holds or TIMEOUT_MS (-1: no limit) passed; false on timeout.
  bool WaitFor(const std::function<bool()>& done, int timeout_ms);
  void WakeWaiters();
  // Qt's notifications.
  void OnStatusChanged();
  void OnPositionChanged(qint64 ms);
  void OnPlayerError();
  void OnRecorderStateChanged();
  // A decoded FRAME: learns the frame duration and picture size, shows it in the display.
  void OnFrame(const QVideoFrame& frame);
  // Ends a running play or record as stopped at the current position, telling VALUE.
  void EndRun(NotifyValue value);
  // Converts between the time format and milliseconds.
  int64_t ToUnits(qint64 ms) const;
  qint64 ToMs(int64_t units) const;
  // Hands the recorder, its input and session to the event loop for deletion.
  void ReleaseRecorder();
  // Moves to MS (inside the media) and leaves the device stopped there.
  DeviceError SeekMs(qint64 ms, CommandFlags flags);
  // Runs a command that ends when it returns: reports Successful with FLAGS.notify.
  DeviceError Done(CommandFlags flags);
  // Waits for a play or record run when FLAGS asks to, then reports the run's failure.
  DeviceError WaitForRun(CommandFlags flags);

  std::unique_ptr<QAudioOutput> audio_;            // while open
  std::unique_ptr<QMediaPlayer> player_;           // while open; non-null = open
  std::unique_ptr<QMediaCaptureSession> capture_;  // while recording
  std::unique_ptr<QAudioInput> input_;             // while recording
  std::unique_ptr<QMediaRecorder> recorder_;       // while recording
  std::unique_ptr<QVideoSink> sink_;               // while open with video: the picture's way
  QPointer<VideoPane> video_;                      // owned by the display window
  QVideoFrame last_frame_;                         // shown when a display window comes
  QPointer<QWidget> display_;

  OpenParams params_;
  Capabilities caps_;
  TimeFormat time_format_ = TimeFormat::Milliseconds;
  double frame_rate_ = kDefaultFrameRate;
  qint64 frame_us_ = 0;           // duration of one frame in microseconds; 0 until known
  QSize frame_size_;              // size of the last picture
  bool running_ = false;          // a play or record runs (paused or not)
  bool paused_ = false;           // the run is paused
  bool recording_ = false;        // the run is a recording
  bool at_end_ = false;           // the media ended and nothing moved the position since
  bool run_failed_ = false;       // the last run ended by a failure
  std::optional<qint64> end_ms_;  // where the running play or record stops
  qint64 record_started_ms_ = 0;  // recorder duration when the take started
  std::vector<QEventLoop*> waiters_;
};

}  // namespace qb::media
