// controls/media/qt_media_device: playing, stepping and recording on Qt Multimedia.
#include "controls/media/qt_media_device.h"

#include <QAudioDevice>
#include <QAudioInput>
#include <QAudioOutput>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QMediaCaptureSession>
#include <QMediaDevices>
#include <QMediaFormat>
#include <QMediaMetaData>
#include <QMediaPlayer>
#include <QMediaRecorder>
#include <QTimer>
#include <QUrl>
#include <QVideoFrame>
#include <QVideoSink>
#include <algorithm>
#include <cmath>

#include "controls/media/video_pane.h"

namespace qb::media {

namespace {

bool Served(DeviceType type) {
  return type == DeviceType::AutoSelect || type == DeviceType::AVIVideo ||
         type == DeviceType::DigitalVideo || type == DeviceType::WaveAudio;
}

// How long a waiting play or record may take beyond its own length before the device counts
// as not answering.
constexpr qint64 kRunGraceMs = 10000;

}  // namespace

QtMediaDevice::QtMediaDevice() = default;

QtMediaDevice::~QtMediaDevice() {
  if (IsOpen()) Close(CommandFlags::Wait());
}

bool QtMediaDevice::WaitFor(const std::function<bool()>& done, int timeout_ms) {
  QElapsedTimer clock;
  clock.start();
  while (!done()) {
    QEventLoop loop;
    if (timeout_ms >= 0) {
      const qint64 left = timeout_ms - clock.elapsed();
      if (left <= 0) return false;
      QTimer::singleShot(static_cast<int>(left), &loop, &QEventLoop::quit);
    }
    waiters_.push_back(&loop);
    loop.exec();
    waiters_.pop_back();
  }
  return true;
}

void QtMediaDevice::WakeWaiters() {
  for (QEventLoop* loop : waiters_) loop->quit();
}

DeviceError QtMediaDevice::Open(const OpenParams& params) {
  if (IsOpen()) Close(CommandFlags::Wait());
  if (!Served(params.type)) return DeviceError::DeviceNotInstalled;
  if (params.element.empty()) return DeviceError::NoElement;
  const QString path = QString::fromStdString(params.element);
  const QFileInfo info(path);
  if (!info.isFile() || !info.isReadable()) return DeviceError::FileNotFound;

  params_ = params;
  audio_ = std::make_unique<QAudioOutput>();
  player_ = std::make_unique<QMediaPlayer>();
  player_->setAudioOutput(audio_.get());
  QMediaPlayer* player = player_.get();
  QObject::connect(player, &QMediaPlayer::mediaStatusChanged, player,
                   [this] { OnStatusChanged(); });
  QObject::connect(player, &QMediaPlayer::positionChanged, player,
                   [this](qint64 ms) { OnPositionChanged(ms); });
  QObject::connect(player, &QMediaPlayer::errorOccurred, player, [this] { OnPlayerError(); });
  player->setSource(QUrl::fromLocalFile(info.absoluteFilePath()));

  const auto settled = [player] {
    const QMediaPlayer::MediaStatus status = player->mediaStatus();
    return player->error() != QMediaPlayer::NoError || status == QMediaPlayer::LoadedMedia ||
           status == QMediaPlayer::BufferedMedia || status == QMediaPlayer::InvalidMedia;
  };
  DeviceError result = DeviceError::None;
  if (!WaitFor(settled, kOpenTimeoutMs)) {
    result = DeviceError::NoResponse;
  } else if (player->error() != QMediaPlayer::NoError ||
             player->mediaStatus() == QMediaPlayer::InvalidMedia ||
             (!player->hasAudio() && !player->hasVideo()) ||
             (params.type == DeviceType::WaveAudio && !player->hasAudio())) {
    result = DeviceError::UnreadableMedia;
  }
  if (result != DeviceError::None) {
    player_.reset();
    sink_.reset();
    audio_.reset();
    return result;
  }

  frame_us_ = 0;
  frame_size_ = QSize();
  if (player->hasVideo() && params.type != DeviceType::WaveAudio) {
    // The file's headers do not reach Qt's metadata; the first decoded frame tells the frame
    // rate and picture size. Pausing makes the player decode it without playing. The sink
    // stays the player's only video output: switching outputs on a prerolled pipeline breaks
    // its stream, so the display window gets a pane that paints the sink's frames.
    sink_ = std::make_unique<QVideoSink>();
    QObject::connect(sink_.get(), &QVideoSink::videoFrameChanged, sink_.get(),
                     [this](const QVideoFrame& frame) { OnFrame(frame); });
    player->setVideoOutput(sink_.get());
    player->pause();
    WaitFor([this] { return frame_us_ > 0 || player_->error() != QMediaPlayer::NoError; },
            kFirstFrameTimeoutMs);
  }

  caps_ = Capabilities{};
  caps_.can_play = true;
  caps_.has_video = player->hasVideo() && params.type != DeviceType::WaveAudio;
  caps_.kind = caps_.has_video ? DeviceKind::DigitalVideo : DeviceKind::WaveAudio;
  caps_.can_record = !caps_.has_video && !QMediaDevices::audioInputs().isEmpty();
  caps_.can_eject = false;
  frame_rate_ = frame_us_ > 0 ? 1e6 / static_cast<double>(frame_us_) : kDefaultFrameRate;
  time_format_ = caps_.has_video ? TimeFormat::Frames : TimeFormat::Milliseconds;
  running_ = paused_ = recording_ = at_end_ = run_failed_ = false;
  end_ms_.reset();
  return DeviceError::None;
}

DeviceError QtMediaDevice::Close(CommandFlags flags) {
  if (!IsOpen()) return DeviceError::NotOpen;
  BeginCommand(true, flags);
  ReleaseRecorder();
  player_->setVideoOutput(nullptr);
  delete video_.data();
  display_ = nullptr;
  last_frame_ = QVideoFrame();
  player_.reset();
  sink_.reset();
  audio_.reset();
  caps_ = Capabilities{};
  time_format_ = TimeFormat::Milliseconds;
  running_ = paused_ = recording_ = at_end_ = false;
  end_ms_.reset();
  WakeWaiters();
  return Done(flags);
}

void QtMediaDevice::EndRun(NotifyValue value) {
  if (recording_) {
    // Reads the new take back, so that Length and playing see what was recorded. The recorder
    // may be the sender of the signal being handled, so it and its session go later.
    if (recorder_) recorder_->stop();
    ReleaseRecorder();
    player_->setSource(QUrl::fromLocalFile(QString::fromStdString(params_.element)));
  } else {
    player_->pause();
  }
  running_ = paused_ = recording_ = false;
  end_ms_.reset();
  FinishPending(value);
  WakeWaiters();
}

void QtMediaDevice::ReleaseRecorder() {
  if (recorder_) recorder_.release()->deleteLater();
  if (input_) input_.release()->deleteLater();
  if (capture_) capture_.release()->deleteLater();
}

DeviceError QtMediaDevice::Done(CommandFlags flags) {
  if (flags.notify) PostNotify(NotifyValue::Successful);
  return DeviceError::None;
}

DeviceError QtMediaDevice::WaitForRun(CommandFlags flags) {
  if (flags.notify && !flags.wait) return DeviceError::None;
  const qint64 left =
      std::max<qint64>(0, (end_ms_ ? *end_ms_ : player_->duration()) - player_->position());
  const int budget = static_cast<int>(std::min<qint64>(left + kRunGraceMs, INT32_MAX));
  if (!WaitFor([this] { return !running_ || paused_; }, budget)) {
    EndRun(NotifyValue::Failure);
    return DeviceError::NoResponse;
  }
  return run_failed_ ? DeviceError::DeviceFailed : DeviceError::None;
}

void QtMediaDevice::OnStatusChanged() {
  if (player_->mediaStatus() == QMediaPlayer::EndOfMedia && running_ && !recording_) {
    at_end_ = true;
    EndRun(NotifyValue::Successful);
  }
  WakeWaiters();
}

void QtMediaDevice::OnPositionChanged(qint64 ms) {
  if (!running_ || paused_ || recording_ || !end_ms_ || ms < *end_ms_) return;
  const qint64 end = *end_ms_;
  EndRun(NotifyValue::Successful);
  player_->setPosition(end);
  at_end_ = end >= player_->duration();
}

void QtMediaDevice::OnPlayerError() {
  if (running_ && !recording_) {
    run_failed_ = true;
    EndRun(NotifyValue::Failure);
  }
  WakeWaiters();
}

void QtMediaDevice::OnRecorderStateChanged() {
  if (!recording_ || !recorder_) return;
  if (recorder_->error() != QMediaRecorder::NoError) {
    run_failed_ = true;
    EndRun(NotifyValue::Failure);
  } else if (recorder_->recorderState() == QMediaRecorder::StoppedState) {
    EndRun(NotifyValue::Successful);
  } else if (end_ms_ && recorder_->duration() - record_started_ms_ >= *end_ms_) {
    EndRun(NotifyValue::Successful);
  }
}

int64_t QtMediaDevice::ToUnits(qint64 ms) const {
  if (time_format_ != TimeFormat::Frames) return ms;
  return std::llround(static_cast<double>(ms) * frame_rate_ / 1000.0);
}

qint64 QtMediaDevice::ToMs(int64_t units) const {
  if (time_format_ != TimeFormat::Frames) return units;
  return std::llround(static_cast<double>(units) * 1000.0 / frame_rate_);
}

DeviceError QtMediaDevice::Play(const PlayRange& range, CommandFlags flags) {
  if (!IsOpen()) return DeviceError::NotOpen;
  if (!caps_.can_play) return DeviceError::UnsupportedCommand;
  const int64_t length = Length();
  for (const std::optional<int64_t>& bound : {range.from, range.to}) {
    if (bound && (*bound < 0 || *bound > length)) return DeviceError::OutOfRange;
  }
  BeginCommand(true, flags);
  if (running_) EndRun(NotifyValue::Aborted);
  run_failed_ = false;
  const qint64 duration = player_->duration();
  if (range.from) {
    player_->setPosition(ToMs(*range.from));
    at_end_ = ToMs(*range.from) >= duration;
  }
  const qint64 start = at_end_ ? duration : player_->position();
  if (flags.notify) ArmNotify();
  if (range.to) end_ms_ = ToMs(*range.to);
  if (at_end_ || (end_ms_ && *end_ms_ <= start)) {
    // Nothing to play: the command has already reached its end.
    end_ms_.reset();
    FinishPending(NotifyValue::Successful);
    return DeviceError::None;
  }
  running_ = true;
  player_->play();
  return WaitForRun(flags);
}

DeviceError QtMediaDevice::Pause(CommandFlags flags) {
  if (!IsOpen()) return DeviceError::NotOpen;
  BeginCommand(true, flags);
  if (running_ && !paused_) {
    paused_ = true;
    if (recording_) {
      recorder_->pause();
    } else {
      player_->pause();
    }
  }
  return Done(flags);
}

DeviceError QtMediaDevice::Resume(CommandFlags flags) {
  if (!IsOpen()) return DeviceError::NotOpen;
  BeginCommand(false, flags);
  if (!running_ || !paused_) return Done(flags);
  paused_ = false;
  if (flags.notify) ArmNotify();
  if (recording_) {
    recorder_->record();
  } else {
    player_->play();
  }
  return WaitForRun(flags);
}

DeviceError QtMediaDevice::Stop(CommandFlags flags) {
  if (!IsOpen()) return DeviceError::NotOpen;
  BeginCommand(true, flags);
  if (running_) EndRun(NotifyValue::Aborted);
  return Done(flags);
}

DeviceError QtMediaDevice::Seek(int64_t position, CommandFlags flags) {
  if (!IsOpen()) return DeviceError::NotOpen;
  if (position < 0 || position > Length()) return DeviceError::OutOfRange;
  return SeekMs(std::min(ToMs(position), player_->duration()), flags);
}

DeviceError QtMediaDevice::SeekMs(qint64 ms, CommandFlags flags) {
  BeginCommand(true, flags);
  if (running_) EndRun(NotifyValue::Aborted);
  player_->setPosition(ms);
  at_end_ = ms >= player_->duration();
  return Done(flags);
}

DeviceError QtMediaDevice::Step(int64_t frames, CommandFlags flags) {
  if (!IsOpen()) return DeviceError::NotOpen;
  if (!caps_.has_video) return DeviceError::UnsupportedCommand;
  const qint64 duration = player_->duration();
  const qint64 here = at_end_ ? duration : player_->position();
  // In doubles and clamped before converting back, so no FRAMES can overflow.
  const double target =
      static_cast<double>(here) + static_cast<double>(frames) * 1000.0 / frame_rate_;
  const double kept = std::clamp(target, 0.0, static_cast<double>(duration));
  return SeekMs(static_cast<qint64>(std::llround(kept)), flags);
}

DeviceError QtMediaDevice::Record(const PlayRange& range, CommandFlags flags) {
  if (!IsOpen()) return DeviceError::NotOpen;
  if (!caps_.can_record) {
    return caps_.kind == DeviceKind::WaveAudio ? DeviceError::NoRecordingInput
                                               : DeviceError::UnsupportedCommand;
  }
  if (range.from && range.to && *range.to <= *range.from) return DeviceError::OutOfRange;
  BeginCommand(true, flags);
  if (running_) EndRun(NotifyValue::Aborted);
  // The take replaces the file, so the player lets go of it first.
  player_->setSource(QUrl());
  capture_ = std::make_unique<QMediaCaptureSession>();
  input_ = std::make_unique<QAudioInput>();
  recorder_ = std::make_unique<QMediaRecorder>();
  capture_->setAudioInput(input_.get());
  capture_->setRecorder(recorder_.get());
  QMediaFormat format(QMediaFormat::Wave);
  format.setAudioCodec(QMediaFormat::AudioCodec::Wave);
  recorder_->setMediaFormat(format);
  recorder_->setOutputLocation(QUrl::fromLocalFile(QString::fromStdString(params_.element)));
  QMediaRecorder* recorder = recorder_.get();
  QObject::connect(recorder, &QMediaRecorder::recorderStateChanged, recorder,
                   [this] { OnRecorderStateChanged(); });
  QObject::connect(recorder, &QMediaRecorder::durationChanged, recorder,
                   [this] { OnRecorderStateChanged(); });
  QObject::connect(recorder, &QMediaRecorder::errorOccurred, recorder,
                   [this] { OnRecorderStateChanged(); });
  if (range.to) end_ms_ = ToMs(*range.to - range.from.value_or(0));
  record_started_ms_ = 0;
  running_ = recording_ = true;
  paused_ = at_end_ = run_failed_ = false;
  if (flags.notify) ArmNotify();
  recorder->record();
  return WaitForRun(flags);
}

DeviceError QtMediaDevice::Eject(CommandFlags /*flags*/) {
  if (!IsOpen()) return DeviceError::NotOpen;
  return DeviceError::UnsupportedCommand;  // files have no door
}

int64_t QtMediaDevice::Length() const {
  if (!IsOpen()) return 0;
  return ToUnits(player_->duration());
}

int64_t QtMediaDevice::Position() const {
  if (!IsOpen()) return 0;
  if (recording_ && recorder_) return ToUnits(recorder_->duration());
  if (at_end_) return Length();
  return ToUnits(player_->position());
}

Mode QtMediaDevice::CurrentMode() const {
  if (!IsOpen()) return Mode::NotReady;
  if (running_) {
    if (paused_) return Mode::Paused;
    return recording_ ? Mode::Recording : Mode::Playing;
  }
  switch (player_->mediaStatus()) {
    case QMediaPlayer::NoMedia:
    case QMediaPlayer::LoadingMedia:
    case QMediaPlayer::InvalidMedia: return Mode::NotReady;
    default: return Mode::Stopped;
  }
}

int64_t QtMediaDevice::TrackStart(int /*track*/) const { return 0; }

DeviceError QtMediaDevice::SetTimeFormat(TimeFormat format) {
  if (!IsOpen()) return DeviceError::NotOpen;
  if (format == TimeFormat::Tmsf || (format == TimeFormat::Frames && !caps_.has_video)) {
    return DeviceError::UnsupportedCommand;
  }
  time_format_ = format;
  return DeviceError::None;
}

DeviceError QtMediaDevice::SetDisplayWindow(QWidget* window) {
  if (!IsOpen()) return DeviceError::NotOpen;
  if (!caps_.has_video || window == display_) return DeviceError::None;
  delete video_.data();
  display_ = window;
  if (window != nullptr) {
    video_ = new VideoPane(window);
    video_->setObjectName("mediaVideo");
    if (last_frame_.isValid()) video_->ShowFrame(last_frame_);
    video_->show();
  }
  return DeviceError::None;
}

DeviceError QtMediaDevice::PutVideo(const VideoRect& rect) {
  if (!IsOpen()) return DeviceError::NotOpen;
  if (video_) video_->setGeometry(rect.left, rect.top, rect.width, rect.height);
  return DeviceError::None;
}

void QtMediaDevice::OnFrame(const QVideoFrame& frame) {
  if (!frame.isValid()) return;
  last_frame_ = frame;
  frame_size_ = frame.size();
  if (frame_us_ == 0 && frame.endTime() > frame.startTime()) {
    frame_us_ = frame.endTime() - frame.startTime();
  }
  if (video_) video_->ShowFrame(frame);
  WakeWaiters();
}

VideoRect QtMediaDevice::SourceRect() const {
  if (!IsOpen() || !caps_.has_video) return {};
  const QSize size = frame_size_.isValid()
                         ? frame_size_
                         : player_->metaData().value(QMediaMetaData::Resolution).toSize();
  return size.isValid() ? VideoRect{0, 0, size.width(), size.height()} : VideoRect{};
}

}  // namespace qb::media
