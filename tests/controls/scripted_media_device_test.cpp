// The scripted device the player's tests drive: its command log, its scripted results and the
// notification rules it shares with the real device (aborted, superseded, successful).
#include "controls/media/scripted_media_device.h"

#include <gtest/gtest.h>

#include <QWidget>

#include "controls/media/media_device_factory.h"
#include "controls/media/qt_media_device.h"
#include "controls/media_test_support.h"

namespace qb::media {
namespace {

using test::NotifyLog;

constexpr CommandFlags kWait = {true, false};
constexpr CommandFlags kNotify = {false, true};

class ScriptedMediaDeviceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    device_.SetLength(100);
    ASSERT_EQ(DeviceError::None, device_.Open({DeviceType::WaveAudio, "/tmp/daotemp.wav", false}));
    device_.TakeLog();
  }
  ScriptedMediaDevice device_;
};

TEST_F(ScriptedMediaDeviceTest, NotificationRules) {
  struct Case {
    const char* what;
    std::function<void(ScriptedMediaDevice&)> commands;
    const char* reports;
    Mode mode;
  };
  const Case cases[] = {
      {"play to its end",
       [](auto& d) {
         d.Play({}, kNotify);
         d.FinishRun();
       },
       "successful", Mode::Stopped},
      {"stop aborts a play",
       [](auto& d) {
         d.Play({}, kNotify);
         d.Stop(kWait);
       },
       "aborted", Mode::Stopped},
      {"pause with notify aborts, then reports itself",
       [](auto& d) {
         d.Play({}, kNotify);
         d.Pause(kNotify);
       },
       "aborted successful", Mode::Paused},
      {"a command with notify that does not interrupt supersedes",
       [](auto& d) {
         d.Play({}, kNotify);
         d.Resume(kNotify);
       },
       "superseded successful", Mode::Playing},
      {"a command without notify that does not interrupt leaves it pending",
       [](auto& d) {
         d.Play({}, kNotify);
         d.Resume(kWait);
         d.FinishRun();
       },
       "successful", Mode::Stopped},
      {"a new play aborts the running one",
       [](auto& d) {
         d.Play({}, kNotify);
         d.Play({}, kNotify);
         d.FinishRun();
       },
       "aborted successful", Mode::Stopped},
      {"resume reports the end of the play",
       [](auto& d) {
         d.Play({}, kNotify);
         d.Pause(kWait);
         d.Resume(kNotify);
         d.FinishRun();
       },
       "aborted successful", Mode::Stopped},
      {"a failing device reports failure",
       [](auto& d) {
         d.Play({}, kNotify);
         d.FinishRun(NotifyValue::Failure);
       },
       "failure", Mode::Stopped},
      {"close aborts",
       [](auto& d) {
         d.Play({}, kNotify);
         d.Close(kWait);
       },
       "aborted", Mode::NotReady},
      {"a refused command reports nothing", [](auto& d) { d.Seek(101, kNotify); }, "",
       Mode::Stopped},
      {"a play with wait returns at its end", [](auto& d) { d.Play({}, kWait); }, "",
       Mode::Stopped},
  };
  for (const Case& c : cases) {
    ScriptedMediaDevice device;
    device.SetLength(100);
    ASSERT_EQ(DeviceError::None, device.Open({DeviceType::AutoSelect, "x.wav", false}));
    NotifyLog log(device);
    c.commands(device);
    EXPECT_EQ(c.reports, log.Text()) << c.what;
    EXPECT_EQ(c.mode, device.CurrentMode()) << c.what;
  }
}

TEST_F(ScriptedMediaDeviceTest, LogsCommandsWithTheirFlagsAndRanges) {
  QWidget display;
  device_.Play({10, 50}, kNotify);
  device_.FinishRun();
  device_.Seek(0, kWait);
  device_.Step(-3, {true, true});
  device_.SetDisplayWindow(&display);
  device_.PutVideo({0, 0, 320, 200});
  device_.SetTimeFormat(TimeFormat::Tmsf);
  device_.Close(kWait);
  EXPECT_EQ(
      "play from 10 to 50 notify; seek 0 wait; step -3 wait notify; window; put 0 0 320 200; "
      "set time format tmsf; close wait",
      device_.TakeLog());
  EXPECT_EQ(0, device_.Position()) << "a closed device reads 0";
}

TEST_F(ScriptedMediaDeviceTest, ScriptedResultsAndStatus) {
  device_.FailNext(DeviceError::DeviceFailed);
  EXPECT_EQ(DeviceError::DeviceFailed, device_.Play({}, kNotify));
  EXPECT_EQ(Mode::Stopped, device_.CurrentMode()) << "a failed command does nothing";
  EXPECT_EQ(DeviceError::None, device_.Play({}, kNotify));
  EXPECT_EQ(Mode::Playing, device_.CurrentMode());

  // Steps stay inside the media; devices without video cannot step.
  EXPECT_EQ(DeviceError::UnsupportedCommand, device_.Step(1, kWait));
  Capabilities video{true, false, false, true, DeviceKind::DigitalVideo};
  device_.SetCaps(video);
  device_.SetPosition(95);
  EXPECT_EQ(DeviceError::None, device_.Step(INT64_MAX, kWait));
  EXPECT_EQ(100, device_.Position());
  EXPECT_EQ(DeviceError::None, device_.Step(INT64_MIN, kWait));
  EXPECT_EQ(0, device_.Position());

  device_.SetTrackStarts({0, 40, 70});
  device_.SetPosition(55);
  EXPECT_EQ(3, device_.Tracks());
  EXPECT_EQ(2, device_.CurrentTrack());
  EXPECT_EQ(70, device_.TrackStart(3));
  EXPECT_EQ(0, device_.TrackStart(4));

  device_.SetOpenError(DeviceError::DeviceNotInstalled);
  EXPECT_EQ(DeviceError::DeviceNotInstalled, device_.Open({DeviceType::CDAudio, "", false}));
  EXPECT_FALSE(device_.IsOpen());
  EXPECT_EQ(DeviceError::NotOpen, device_.Play({}, kNotify));
}

TEST(MediaDeviceFactoryTest, TestsCanInstallTheScriptedDevice) {
  EXPECT_NE(nullptr, dynamic_cast<QtMediaDevice*>(CreateMediaDevice().get()));
  SetMediaDeviceFactory([] { return std::make_unique<ScriptedMediaDevice>(); });
  EXPECT_NE(nullptr, dynamic_cast<ScriptedMediaDevice*>(CreateMediaDevice().get()));
  SetMediaDeviceFactory({});
  EXPECT_NE(nullptr, dynamic_cast<QtMediaDevice*>(CreateMediaDevice().get()));
}

}  // namespace
}  // namespace qb::media
