// controls/media/media_device: the abstract media device the player drives: open a device type
// with a file, the transport commands, the status reads and the notification of a command's end.
// Implementations: QtMediaDevice (playback on Qt Multimedia) and ScriptedMediaDevice (tests).
//
// Commands return a DeviceError number (None on success) and never throw; the caller keeps or
// raises it. Every call happens on the GUI thread.
//
// Notification. At most one command started with the notify flag is pending per device. A
// command that ends at once (pause, stop, seek, ...) reports Successful right after it returns;
// Play, Resume and Record stay pending until the media ends (or the end of their range is
// reached), then report Successful, or Failure when the device fails. A later command that
// interrupts the pending one (play, record, pause, stop, seek, step, eject, close) makes it
// report Aborted; any other later command with notify makes it report Superseded. Reports are
// posted: the handler runs from the event loop, never inside the command, and never after the
// device is destroyed.
#pragma once
#include <QObject>
#include <cstdint>
#include <functional>

#include "controls/media/media_errors.h"
#include "controls/media/media_types.h"

class QWidget;

namespace qb::media {

class MediaDevice {
 public:
  using NotifyHandler = std::function<void(NotifyValue)>;

  MediaDevice() = default;
  virtual ~MediaDevice() = default;
  MediaDevice(const MediaDevice&) = delete;
  MediaDevice& operator=(const MediaDevice&) = delete;

  // Sets the function told of each command's end (see the file comment); empty: nobody.
  void SetNotifyHandler(NotifyHandler handler) { handler_ = std::move(handler); }

  // Opens PARAMS.type with PARAMS.element, closing first when open; waits for the device to be
  // ready. On failure the device stays closed. Types no back end serves give DeviceNotInstalled.
  virtual DeviceError Open(const OpenParams& params) = 0;
  // Closes the device; a closed device gives NotOpen. Releases the file.
  virtual DeviceError Close(CommandFlags flags) = 0;
  virtual bool IsOpen() const = 0;

  // Plays from RANGE.from (or the current position) to RANGE.to (or the end).
  virtual DeviceError Play(const PlayRange& range, CommandFlags flags) = 0;
  virtual DeviceError Pause(CommandFlags flags) = 0;
  // Continues a paused play or record to its end; a device that is not paused is left alone.
  virtual DeviceError Resume(CommandFlags flags) = 0;
  // Stops playing or recording where it is (the position stays).
  virtual DeviceError Stop(CommandFlags flags) = 0;
  // Moves to POSITION (0 to Length) and leaves the device stopped there.
  virtual DeviceError Seek(int64_t position, CommandFlags flags) = 0;
  DeviceError SeekToStart(CommandFlags flags) { return Seek(0, flags); }
  DeviceError SeekToEnd(CommandFlags flags) { return Seek(Length(), flags); }
  // Moves FRAMES frames forward (backward when negative), kept inside the media; devices
  // without video give UnsupportedCommand.
  virtual DeviceError Step(int64_t frames, CommandFlags flags) = 0;
  // Records into the device's file within RANGE.
  virtual DeviceError Record(const PlayRange& range, CommandFlags flags) = 0;
  // Opens the device's door; devices without one give UnsupportedCommand.
  virtual DeviceError Eject(CommandFlags flags) = 0;

  // Status reads, in the current time format; a closed device reads 0 (Mode: NotReady).
  virtual int64_t Length() const = 0;
  virtual int64_t Position() const = 0;
  virtual Mode CurrentMode() const = 0;
  virtual int Tracks() const = 0;
  virtual int CurrentTrack() const = 0;
  // The position where TRACK (1-based) starts; 0 for a track the media does not have.
  virtual int64_t TrackStart(int track) const = 0;
  virtual TimeFormat CurrentTimeFormat() const = 0;
  // Formats a device cannot measure in give UnsupportedCommand.
  virtual DeviceError SetTimeFormat(TimeFormat format) = 0;
  // Capabilities of the open device (all false when closed).
  virtual Capabilities Caps() const = 0;

  // Shows the video in WINDOW (nullptr: nowhere); devices without video accept and ignore it.
  // WINDOW must outlive the device or be reset first.
  virtual DeviceError SetDisplayWindow(QWidget* window) = 0;
  // Places the video at RECT inside the display window.
  virtual DeviceError PutVideo(const VideoRect& rect) = 0;
  // The video's own size at (0, 0); 0 x 0 when there is no video.
  virtual VideoRect SourceRect() const = 0;

 protected:
  // Bookkeeping of the pending notification, shared by the implementations. A command calls
  // BeginCommand first; INTERRUPTS tells whether it ends a running play or record.
  void BeginCommand(bool interrupts, CommandFlags flags);
  // Makes the current command the pending one (it reports when it ends).
  void ArmNotify() { pending_ = true; }
  bool NotifyPending() const { return pending_; }
  // Ends the pending command with VALUE; nothing when none is pending.
  void FinishPending(NotifyValue value);
  // Posts VALUE to the handler at once (for commands that end when they return).
  void PostNotify(NotifyValue value);

 private:
  NotifyHandler handler_;
  bool pending_ = false;
  QObject post_context_;  // queued reports die with it, so none reaches a destroyed device
};

}  // namespace qb::media
