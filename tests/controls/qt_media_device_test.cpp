// The Qt Multimedia device: a WAV tone plays to its end and reports it, transport commands
// move mode and position as the player expects, a GStreamer test video seeks and steps by
// frames, and device types or files it cannot serve fail to open with a clear error.
#include "controls/media/qt_media_device.h"

#include <gtest/gtest.h>

#include <QAudioDevice>
#include <QMediaDevices>
#include <QWidget>

#include "controls/media_test_support.h"
#include "core/resource_strings.h"
#include "support/test_support.h"

namespace qb::media {
namespace {

using test::NotifyLog;

constexpr CommandFlags kWait = {true, false};
constexpr CommandFlags kNotify = {false, true};

class QtMediaDeviceTest : public ::testing::Test {
 protected:
  std::string Tone(int ms) {
    const std::string path = dir_.File("tone" + std::to_string(ms) + ".wav");
    test::WriteToneWav(path, ms);
    return path;
  }
  void OpenTone(int ms, DeviceType type = DeviceType::WaveAudio) {
    ASSERT_EQ(DeviceError::None, device_.Open({type, Tone(ms), false}));
  }
  // Opens a 20-frame video (2 seconds); skips the test when GStreamer cannot make one.
  void OpenVideo(DeviceType type = DeviceType::DigitalVideo) {
    const std::string path = dir_.File("clip.avi");
    if (const std::string why = test::MakeTestVideo(path, 20); !why.empty()) GTEST_SKIP() << why;
    ASSERT_EQ(DeviceError::None, device_.Open({type, path, false}));
  }

  test::TempDir dir_;
  QtMediaDevice device_;
};

TEST_F(QtMediaDeviceTest, WavPlaysToItsEndAndReportsSuccessful) {
  OpenTone(400);
  const Capabilities caps = device_.Caps();
  EXPECT_TRUE(caps.can_play);
  EXPECT_FALSE(caps.has_video);
  EXPECT_FALSE(caps.can_eject);
  EXPECT_EQ(DeviceKind::WaveAudio, caps.kind);
  EXPECT_EQ(TimeFormat::Milliseconds, device_.CurrentTimeFormat());
  EXPECT_NEAR(400, device_.Length(), 20);
  EXPECT_EQ(0, device_.Position());
  EXPECT_EQ(Mode::Stopped, device_.CurrentMode());
  EXPECT_EQ(1, device_.Tracks());

  NotifyLog log(device_);
  ASSERT_EQ(DeviceError::None, device_.Play({}, kNotify));
  EXPECT_EQ(Mode::Playing, device_.CurrentMode());
  ASSERT_TRUE(log.WaitFor(1)) << "playing never ended";
  EXPECT_EQ("successful", log.Text());
  EXPECT_EQ(Mode::Stopped, device_.CurrentMode());
  EXPECT_EQ(device_.Length(), device_.Position());

  // At the end nothing is left to play: a play ends at once, as the player's rewind expects.
  log.Clear();
  ASSERT_EQ(DeviceError::None, device_.Play({}, kNotify));
  ASSERT_TRUE(log.WaitFor(1));
  EXPECT_EQ("successful", log.Text());

  // Rewound, a waiting play returns at the end without a report.
  log.Clear();
  ASSERT_EQ(DeviceError::None, device_.SeekToStart(kWait));
  EXPECT_EQ(0, device_.Position());
  ASSERT_EQ(DeviceError::None, device_.Play({}, kWait));
  EXPECT_EQ(Mode::Stopped, device_.CurrentMode());
  EXPECT_EQ(device_.Length(), device_.Position());
  EXPECT_EQ("", log.Text());
}

TEST_F(QtMediaDeviceTest, PauseResumeAndStopFollowTheModes) {
  OpenTone(1500);
  NotifyLog log(device_);
  ASSERT_EQ(DeviceError::None, device_.Play({}, kNotify));
  ASSERT_TRUE(QTest::qWaitFor([&] { return device_.Position() > 0; }, 10000));

  // Pause interrupts the play (aborted) and reports its own end.
  ASSERT_EQ(DeviceError::None, device_.Pause(kNotify));
  EXPECT_EQ(Mode::Paused, device_.CurrentMode());
  ASSERT_TRUE(log.WaitFor(2));
  EXPECT_EQ("aborted successful", log.Text());
  const int64_t paused_at = device_.Position();
  EXPECT_GT(paused_at, 0);
  EXPECT_LT(paused_at, device_.Length());

  // Resume runs on to the end and reports it there.
  log.Clear();
  ASSERT_EQ(DeviceError::None, device_.Resume(kNotify));
  EXPECT_EQ(Mode::Playing, device_.CurrentMode());
  ASSERT_EQ(DeviceError::None, device_.Stop(kWait));
  EXPECT_EQ(Mode::Stopped, device_.CurrentMode());
  EXPECT_EQ("aborted", log.Text());
  // Stop keeps the position (rewinding is the player's choice).
  EXPECT_GE(device_.Position(), paused_at);

  log.Clear();
  ASSERT_EQ(DeviceError::None, device_.Play({}, kNotify));
  ASSERT_TRUE(log.WaitFor(1));
  EXPECT_EQ("successful", log.Text());
  EXPECT_EQ(device_.Length(), device_.Position());
}

TEST_F(QtMediaDeviceTest, PlayStopsAtTheEndOfItsRange) {
  OpenTone(1000);
  NotifyLog log(device_);
  ASSERT_EQ(DeviceError::None, device_.Play({200, 500}, kNotify));
  ASSERT_TRUE(log.WaitFor(1));
  EXPECT_EQ("successful", log.Text());
  EXPECT_EQ(Mode::Stopped, device_.CurrentMode());
  EXPECT_EQ(500, device_.Position());

  EXPECT_EQ(DeviceError::OutOfRange, device_.Play({0, device_.Length() + 1}, kNotify));
  EXPECT_EQ(DeviceError::OutOfRange, device_.Play({-1, std::nullopt}, kNotify));
  EXPECT_EQ(DeviceError::OutOfRange, device_.Seek(device_.Length() + 1, kWait));
  EXPECT_EQ("successful", log.Text()) << "a refused command reports nothing";
}

TEST_F(QtMediaDeviceTest, SeekAndPositionOnSound) {
  OpenTone(1000);
  ASSERT_EQ(DeviceError::None, device_.Seek(600, kWait));
  EXPECT_EQ(600, device_.Position());
  EXPECT_EQ(Mode::Stopped, device_.CurrentMode());
  ASSERT_EQ(DeviceError::None, device_.SeekToEnd(kWait));
  EXPECT_EQ(device_.Length(), device_.Position());
  EXPECT_EQ(DeviceError::UnsupportedCommand, device_.Step(1, kWait)) << "no picture, no frames";
  EXPECT_EQ(DeviceError::UnsupportedCommand, device_.SetTimeFormat(TimeFormat::Frames));
  EXPECT_EQ(DeviceError::UnsupportedCommand, device_.SetTimeFormat(TimeFormat::Tmsf));
  EXPECT_EQ(DeviceError::UnsupportedCommand, device_.Eject(kNotify));
  if (QMediaDevices::audioInputs().isEmpty()) {
    EXPECT_FALSE(device_.Caps().can_record);
    EXPECT_EQ(DeviceError::NoRecordingInput, device_.Record({}, kNotify));
  }
}

TEST_F(QtMediaDeviceTest, VideoSeeksAndStepsByFrames) {
  OpenVideo();
  const Capabilities caps = device_.Caps();
  EXPECT_TRUE(caps.has_video);
  EXPECT_EQ(DeviceKind::DigitalVideo, caps.kind);
  EXPECT_TRUE(KindCanStep(caps.kind));
  EXPECT_EQ(TimeFormat::Frames, device_.CurrentTimeFormat());
  ASSERT_EQ(20, device_.Length());

  struct Move {
    const char* what;
    int64_t step;  // 0: seek to `to` instead
    int64_t to;
    int64_t position;
  };
  const Move moves[] = {
      {"seek", 0, 10, 10},
      {"step forward", 3, 0, 13},
      {"step back", -5, 0, 8},
      {"step past the end", 100, 0, 20},
      {"step before the start", -100, 0, 0},
      {"step from the start", 1, 0, 1},
      {"huge step", INT64_MAX, 0, 20},
      {"huge step back", INT64_MIN, 0, 0},
  };
  for (const Move& move : moves) {
    const DeviceError error =
        move.step != 0 ? device_.Step(move.step, kWait) : device_.Seek(move.to, kWait);
    EXPECT_EQ(DeviceError::None, error) << move.what;
    EXPECT_EQ(move.position, device_.Position()) << move.what;
    EXPECT_EQ(Mode::Stopped, device_.CurrentMode()) << move.what;
  }

  // In milliseconds the same media measures 2 seconds, and steps still count frames.
  ASSERT_EQ(DeviceError::None, device_.SetTimeFormat(TimeFormat::Milliseconds));
  EXPECT_EQ(2000, device_.Length());
  ASSERT_EQ(DeviceError::None, device_.Seek(500, kWait));
  ASSERT_EQ(DeviceError::None, device_.Step(2, kWait));
  EXPECT_EQ(700, device_.Position());
  ASSERT_EQ(DeviceError::None, device_.SetTimeFormat(TimeFormat::Frames));

  // A waiting play over a range ends exactly at its end frame.
  ASSERT_EQ(DeviceError::None, device_.Play({5, 10}, kWait));
  EXPECT_EQ(10, device_.Position());
  EXPECT_EQ(Mode::Stopped, device_.CurrentMode());
}

TEST_F(QtMediaDeviceTest, VideoGoesIntoTheDisplayWindow) {
  OpenVideo();
  QWidget display;
  display.resize(200, 140);
  ASSERT_EQ(DeviceError::None, device_.SetDisplayWindow(&display));
  auto* video = display.findChild<VideoPane*>("mediaVideo");
  ASSERT_NE(nullptr, video);
  // The paused device has decoded its first picture, and the pane shows it at once.
  EXPECT_FALSE(video->Picture().isNull());
  ASSERT_EQ(DeviceError::None, device_.PutVideo({4, 6, 100, 80}));
  EXPECT_EQ(QRect(4, 6, 100, 80), video->geometry());
  const VideoRect source = device_.SourceRect();
  if (source.width != 0) {  // only when the file tells its picture size
    EXPECT_EQ(64, source.width);
    EXPECT_EQ(48, source.height);
  }

  NotifyLog log(device_);
  ASSERT_EQ(DeviceError::None, device_.Play({}, kNotify));
  ASSERT_TRUE(log.WaitFor(1));
  EXPECT_EQ("successful", log.Text());
  // The test source's colour bars reach the window: its middle is neither empty nor black.
  const QImage shown = display.grab().toImage();
  const QColor middle = shown.pixelColor(4 + 50, 6 + 40);
  EXPECT_GT(middle.red() + middle.green() + middle.blue(), 100) << "nothing painted";

  // Detaching and closing take the picture out of the window.
  ASSERT_EQ(DeviceError::None, device_.SetDisplayWindow(nullptr));
  EXPECT_EQ(nullptr, display.findChild<VideoPane*>("mediaVideo"));
  ASSERT_EQ(DeviceError::None, device_.SetDisplayWindow(&display));
  ASSERT_NE(nullptr, display.findChild<VideoPane*>("mediaVideo"));
  ASSERT_EQ(DeviceError::None, device_.Close(kWait));
  EXPECT_EQ(nullptr, display.findChild<VideoPane*>("mediaVideo"));
}

TEST_F(QtMediaDeviceTest, AVideoOpenedAsWaveAudioPlaysOnlyItsSound) {
  const std::string path = dir_.File("clip.avi");
  if (const std::string why = test::MakeTestVideo(path, 5); !why.empty()) GTEST_SKIP() << why;
  // The test video has no sound at all, so there is nothing for a sound device to play.
  EXPECT_EQ(DeviceError::UnreadableMedia, device_.Open({DeviceType::WaveAudio, path, false}));
  EXPECT_FALSE(device_.IsOpen());
}

TEST_F(QtMediaDeviceTest, WhatCannotBeServedFailsToOpen) {
  const std::string tone = Tone(200);
  const std::string garbage = dir_.File("noise.wav");
  test::WriteFileBytes(garbage, std::string(4000, '\x5a'));
  struct Case {
    DeviceType type;
    std::string element;
    DeviceError error;
  };
  const Case cases[] = {
      {DeviceType::CDAudio, tone, DeviceError::DeviceNotInstalled},
      {DeviceType::DAT, tone, DeviceError::DeviceNotInstalled},
      {DeviceType::MMMovie, tone, DeviceError::DeviceNotInstalled},
      {DeviceType::Other, tone, DeviceError::DeviceNotInstalled},
      {DeviceType::Overlay, tone, DeviceError::DeviceNotInstalled},
      {DeviceType::Scanner, tone, DeviceError::DeviceNotInstalled},
      {DeviceType::Sequencer, tone, DeviceError::DeviceNotInstalled},
      {DeviceType::VCR, tone, DeviceError::DeviceNotInstalled},
      {DeviceType::Videodisc, tone, DeviceError::DeviceNotInstalled},
      {DeviceType::WaveAudio, dir_.File("missing.wav"), DeviceError::FileNotFound},
      {DeviceType::AutoSelect, dir_.Path().string(), DeviceError::FileNotFound},
      {DeviceType::AutoSelect, "", DeviceError::NoElement},
      {DeviceType::AutoSelect, garbage, DeviceError::UnreadableMedia},
  };
  for (const Case& c : cases) {
    const std::string what = std::string(DeviceTypeName(c.type)) + " " + c.element;
    EXPECT_EQ(c.error, device_.Open({c.type, c.element, false})) << what;
    EXPECT_FALSE(device_.IsOpen()) << what;
    EXPECT_EQ(Mode::NotReady, device_.CurrentMode()) << what;
    EXPECT_NE(std::string(ResString(kResUnknownMciError)),
              DeviceErrorMessage(static_cast<int>(c.error)))
        << what;
  }
  // A failed open after a good one leaves the device closed, not half open.
  ASSERT_EQ(DeviceError::None, device_.Open({DeviceType::AutoSelect, tone, false}));
  EXPECT_EQ(DeviceError::DeviceNotInstalled, device_.Open({DeviceType::VCR, tone, false}));
  EXPECT_FALSE(device_.IsOpen());
}

TEST_F(QtMediaDeviceTest, CommandsOnAClosedDeviceSayNotOpen) {
  NotifyLog log(device_);
  EXPECT_EQ(DeviceError::NotOpen, device_.Play({}, kNotify));
  EXPECT_EQ(DeviceError::NotOpen, device_.Pause(kNotify));
  EXPECT_EQ(DeviceError::NotOpen, device_.Resume(kNotify));
  EXPECT_EQ(DeviceError::NotOpen, device_.Stop(kWait));
  EXPECT_EQ(DeviceError::NotOpen, device_.Seek(0, kWait));
  EXPECT_EQ(DeviceError::NotOpen, device_.Step(1, kWait));
  EXPECT_EQ(DeviceError::NotOpen, device_.Record({}, kNotify));
  EXPECT_EQ(DeviceError::NotOpen, device_.Eject(kNotify));
  EXPECT_EQ(DeviceError::NotOpen, device_.Close(kWait));
  EXPECT_EQ(0, device_.Length());
  EXPECT_EQ(0, device_.Position());
  EXPECT_EQ(0, device_.Tracks());
  EXPECT_EQ("", log.Text());
}

TEST_F(QtMediaDeviceTest, ClosingWhilePlayingAbortsThePlay) {
  OpenTone(2000);
  NotifyLog log(device_);
  ASSERT_EQ(DeviceError::None, device_.Play({}, kNotify));
  ASSERT_EQ(DeviceError::None, device_.Close(kWait));
  EXPECT_EQ("aborted", log.Text());
  EXPECT_FALSE(device_.IsOpen());
}

TEST_F(QtMediaDeviceTest, NoReportReachesADestroyedDevice) {
  bool reported = false;
  {
    QtMediaDevice device;
    device.SetNotifyHandler([&](NotifyValue) { reported = true; });
    ASSERT_EQ(DeviceError::None, device.Open({DeviceType::WaveAudio, Tone(300), false}));
    ASSERT_EQ(DeviceError::None, device.Seek(100, kNotify));  // posts its report
  }
  QCoreApplication::processEvents();
  EXPECT_FALSE(reported);
}

}  // namespace
}  // namespace qb::media
