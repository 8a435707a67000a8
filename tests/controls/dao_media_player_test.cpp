// The data-aware media player on the scripted device: what it loads from the record and when,
// the commands each button sends, the buttons each mode allows, the errors, the events, and
// the temporary files of one or more players.
#include <gtest/gtest.h>

#include <QDir>
#include <filesystem>

#include "controls/media/media_errors.h"
#include "controls/media_player_fixture.h"
#include "core/resource_strings.h"

namespace qb::test {
namespace {

namespace fs = std::filesystem;
using media::DeviceKind;
using media::Mode;

TEST_F(MediaPlayerTest, ButtonsFollowTheRecordBeforeAnythingOpens) {
  TDAOMediaPlayer& player = MakePlayer();
  EXPECT_EQ(Current(), "Ann");
  EXPECT_TRUE(player.HasData());
  EXPECT_EQ(Enabled(player), MPButtons({btPlay}));
  rs_->Next();  // Bob: the field is null
  EXPECT_FALSE(player.HasData());
  EXPECT_EQ(Enabled(player), 0u);
  rs_->Next();
  EXPECT_EQ(Enabled(player), MPButtons({btPlay}));
  EXPECT_TRUE(devices_.empty()) << "nothing is opened before Play";
}

TEST_F(MediaPlayerTest, PlayExtractsTheRecordsFileAndARecordChangeDeletesIt) {
  TDAOMediaPlayer& player = MakePlayer();
  player.Click(btPlay);
  ASSERT_TRUE(player.IsOpen());
  const std::string temp = player.TempFileName();
  EXPECT_EQ(fs::path(temp).filename(), "daotemp.wav");
  EXPECT_TRUE(fs::path(temp).string().starts_with(QDir::tempPath().toStdString()));
  EXPECT_EQ(ReadFileBytes(temp), ReadFileBytes(tone_));
  EXPECT_EQ(Device().TakeLog(), "open " + temp + "; play notify");
  EXPECT_EQ(player.Mode(), Mode::Playing);
  EXPECT_EQ(player.Length(), 1000);
  EXPECT_EQ(player.Frames(), 100) << "the step size is a tenth of the length";

  Device().FinishRun();
  QCoreApplication::processEvents();
  EXPECT_EQ(player.Mode(), Mode::Stopped);
  EXPECT_TRUE(fs::exists(temp)) << "the file stays while the record does";
  rs_->Next();
  EXPECT_FALSE(player.IsOpen());
  EXPECT_FALSE(fs::exists(temp));
  EXPECT_EQ(Device().TakeLog(), "close wait");
}

TEST_F(MediaPlayerTest, MovingWhilePlayingLoadsTheNewRecordOnlyAfterPlayingEnds) {
  struct Case {
    const char* what;
    std::function<void(TDAOMediaPlayer&, media::ScriptedMediaDevice&)> end;
  };
  const Case cases[] = {
      {"the play runs to its end", [](auto&, auto& device) { device.FinishRun(); }},
      {"Stop is pressed", [](auto& player, auto&) { player.Click(btStop); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    rs_->First();
    TDAOMediaPlayer& player = MakePlayer();
    player.Click(btPlay);
    const std::string temp = player.TempFileName();
    rs_->Last();  // Cid
    EXPECT_TRUE(player.ReloadPending());
    EXPECT_TRUE(player.IsOpen());
    EXPECT_EQ(player.Mode(), Mode::Playing) << "playback goes on";
    EXPECT_TRUE(fs::exists(temp));
    c.end(player, Device());
    QCoreApplication::processEvents();
    EXPECT_FALSE(player.ReloadPending());
    EXPECT_FALSE(player.IsOpen());
    EXPECT_FALSE(fs::exists(temp));
    player.Click(btPlay);
    EXPECT_EQ(fs::path(player.TempFileName()).filename(), "daotemp.avi") << "the new record's media";
  }
}

TEST_F(MediaPlayerTest, PausedOrAfterOtherButtonsTheRecordChangeWaits) {
  TDAOMediaPlayer& player = MakePlayer();
  player.Click(btPlay);
  player.Click(btPause);
  rs_->Last();
  EXPECT_TRUE(player.ReloadPending());
  player.Click(btPause);  // resumes
  player.Click(btNext);   // seeks to the end: stopped, but the last button was Next
  rs_->Prior();
  EXPECT_TRUE(player.ReloadPending());
  EXPECT_TRUE(player.IsOpen());
  player.Click(btStop);
  EXPECT_FALSE(player.IsOpen());
  EXPECT_FALSE(player.HasData()) << "Bob has no media";
  EXPECT_EQ(Enabled(player), 0u);
}

TEST_F(MediaPlayerTest, ButtonsEnabledByModeAndCapabilities) {
  struct Case {
    Mode mode;
    media::Capabilities caps;
    TDAOMediaPlayerButtonSet enabled;
    TMPBtnType focus;
  };
  const media::Capabilities sound{true, false, false, false, DeviceKind::WaveAudio};
  const media::Capabilities all{true, true, true, true, DeviceKind::DigitalVideo};
  const media::Capabilities none{false, false, false, true, DeviceKind::Other};
  const TDAOMediaPlayerButtonSet step_back = MPButtons({btStep, btBack});
  const Case cases[] = {
      {Mode::Stopped, sound, MPButtons({btPlay, btNext, btPrev}), btPlay},
      {Mode::Stopped, all, MPButtons({btPlay, btNext, btPrev, btRecord, btEject}) | step_back, btPlay},
      {Mode::Open, none, MPButtons({btNext, btPrev}), btPlay},
      {Mode::Playing, sound, MPButtons({btPause, btStop, btNext, btPrev}), btStop},
      {Mode::Recording, all, MPButtons({btPause, btStop, btNext, btPrev}) | step_back, btStop},
      {Mode::Paused, all, MPButtons({btPause, btNext, btPrev}) | step_back, btPause},
      {Mode::Paused, sound, MPButtons({btPause, btNext, btPrev}), btPause},
      {Mode::Seeking, all, 0, btEject},  // focus unchanged
      {Mode::NotReady, all, MPButtons({btPlay}), btPlay},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.mode));
    caps_ = c.caps;
    TDAOMediaPlayer& player = MakePlayer();
    player.Open();
    for (int i = 0; i < 8; ++i) QTest::keyClick(&player, Qt::Key_Right);
    ASSERT_EQ(player.FocusedButton(), btEject);
    Device().SetMode(c.mode);
    Device().FailNext(media::DeviceError::DeviceFailed);  // the command leaves the mode as it is
    player.Next();
    EXPECT_EQ(Enabled(player), c.enabled);
    EXPECT_EQ(player.FocusedButton(), c.focus);
  }
}

TEST_F(MediaPlayerTest, CommandsEachButtonSends) {
  struct Case {
    const char* what;
    std::function<void(TDAOMediaPlayer&, media::ScriptedMediaDevice&)> setup;
    std::vector<TMPBtnType> clicks;
    const char* log;
  };
  const auto video = [](TDAOMediaPlayer&, media::ScriptedMediaDevice& d) {
    d.SetCaps({true, false, false, true, DeviceKind::DigitalVideo});
  };
  const Case cases[] = {
      {"play from the start", nullptr, {btPlay}, "play notify"},
      {"play within the start and end positions",
       [](auto& p, auto&) {
         p.SetStartPos(200);
         p.SetEndPos(600);
       },
       {btPlay}, "play from 200 to 600 notify"},
      {"positions outside the media are not passed",
       [](auto& p, auto&) {
         p.SetStartPos(1000);
         p.SetEndPos(1001);
       },
       {btPlay}, "play notify"},
      {"an end before the start is not passed",
       [](auto& p, auto&) {
         p.SetStartPos(500);
         p.SetEndPos(400);
       },
       {btPlay}, "play from 500 notify"},
      {"play at the end rewinds first", [](auto&, auto& d) { d.SetPosition(1000); }, {btPlay},
       "seek 0 wait; play notify"},
      {"pause, then resume", nullptr, {btPlay, btPause, btPause}, "play notify; pause notify; resume notify"},
      {"stop rewinds", nullptr, {btPlay, btStop}, "play notify; stop wait; seek 0 wait"},
      {"stop without AutoRewind stays", [](auto& p, auto&) { p.SetAutoRewind(false); }, {btPlay, btStop},
       "play notify; stop wait"},
      {"next and previous seek to the ends", nullptr, {btNext, btPrev}, "seek 1000 wait; seek 0 wait"},
      {"step and back by a tenth", video, {btStep, btBack}, "step 100 wait; step -100 wait"},
      {"step at the end rewinds first", [&video](auto& p, auto& d) {
         video(p, d);
         d.SetPosition(1000);
       },
       {btStep}, "seek 0 wait; step 100 wait"},
      {"step and back do nothing without video", nullptr, {btStep, btBack}, ""},
      {"record", [](auto&, auto& d) { d.SetCaps({true, true, false, false, DeviceKind::WaveAudio}); }, {btRecord},
       "record notify"},
      {"eject only with a door", nullptr, {btEject}, ""},
      {"eject", [](auto&, auto& d) { d.SetCaps({true, false, true, false, DeviceKind::Other}); }, {btEject},
       "eject notify"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TDAOMediaPlayer& player = MakePlayer();
    player.Open();
    if (c.setup) c.setup(player, Device());
    player.Open();  // the capabilities are read on opening
    Device().TakeLog();
    if (c.setup) c.setup(player, Device());
    for (TMPBtnType button : c.clicks) player.Click(button);
    EXPECT_EQ(Device().TakeLog(), c.log);
  }
}

TEST_F(MediaPlayerTest, TrackDevicesMoveByTracks) {
  struct Case {
    int64_t position;
    Mode mode;
    TMPBtnType button;
    const char* log;
  };
  const Case cases[] = {
      {150, Mode::Stopped, btNext, "seek 300 wait"},
      {350, Mode::Stopped, btNext, "seek 300 wait"},  // the last track's start
      {150, Mode::Playing, btNext, "play from 300 notify"},
      {150, Mode::Stopped, btPrev, "seek 100 wait"},
      {100, Mode::Stopped, btPrev, "seek 0 wait"},  // at a track's start: the one before
      {0, Mode::Stopped, btPrev, "seek 0 wait"},
      {250, Mode::Playing, btPrev, "play from 100 notify"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.position) + " " + c.log);
    TDAOMediaPlayer& player = MakePlayer();
    player.SetDeviceType(dtCDAudio);
    player.Open();
    EXPECT_EQ(Device().TakeLog(), "open CDAudio; set time format tmsf");
    Device().SetTrackStarts({0, 100, 300});
    Device().SetPosition(c.position);
    Device().SetMode(c.mode);
    player.Click(c.button);
    EXPECT_EQ(Device().TakeLog(), c.log);
    EXPECT_EQ(player.LastButton(), c.mode == Mode::Playing ? btPlay : c.button);
  }
}

TEST_F(MediaPlayerTest, ClosedAndFailingDevicesRaise) {
  TDAOMediaPlayer& player = MakePlayer();
  const std::function<void()> actions[] = {
      [&] { player.Pause(); },   [&] { player.Stop(); },           [&] { player.Next(); },
      [&] { player.Previous(); }, [&] { player.Step(); },          [&] { player.Back(); },
      [&] { player.StartRecording(); }, [&] { player.Eject(); },  [&] { player.Rewind(); },
      [&] { (void)player.Length(); },   [&] { (void)player.Position(); },
  };
  for (const auto& action : actions) {
    try {
      action();
      ADD_FAILURE() << "no error on a closed device";
    } catch (const media::EMCIDeviceError& error) {
      EXPECT_STREQ(error.what(), ResString(kResNoMciDevice));
    }
  }
  EXPECT_EQ(player.Mode(), Mode::NotReady);

  struct Failure {
    media::DeviceError error;
    std::string message;
  };
  const Failure failures[] = {
      {media::DeviceError::UnreadableMedia, media::DeviceErrorText(263)},
      {static_cast<media::DeviceError>(999), ResString(kResUnknownMciError)},
  };
  for (const Failure& f : failures) {
    player.Click(btPlay);
    player.Close();
    Device().SetOpenError(f.error);
    try {
      player.Click(btPlay);
      ADD_FAILURE() << "the failed open was not raised";
    } catch (const media::EMCIDeviceError& error) {
      EXPECT_EQ(error.what(), f.message);
      EXPECT_EQ(error.Error(), static_cast<int>(f.error));
    }
    EXPECT_FALSE(player.IsOpen());
    EXPECT_EQ(player.TempFileName(), "") << "the extracted file is removed when the device cannot open it";
    EXPECT_EQ(Enabled(player), MPButtons({btPlay}));
  }

  // Other failures are kept, not raised.
  player.Click(btPlay);
  Device().FailNext(media::DeviceError::DeviceFailed);
  player.Click(btPause);
  EXPECT_EQ(player.Error(), static_cast<int>(media::DeviceError::DeviceFailed));
}

TEST_F(MediaPlayerTest, ClickEventsAndNotifications) {
  TDAOMediaPlayer& player = MakePlayer();
  std::string events;
  player.OnClick = [&](TDAOMediaPlayer* sender, TMPBtnType button, bool& do_default) {
    EXPECT_EQ(sender, &player);
    events += "click " + std::to_string(button) + "; ";
    do_default = button != btStop;
  };
  player.OnPostClick = [&](TDAOMediaPlayer*, TMPBtnType button) { events += "post " + std::to_string(button) + "; "; };
  player.OnNotify = [&](TDAOMediaPlayer*, TMPNotifyValues value) {
    events += std::string("notify ") + media::NotifyValueName(value) + " " +
              std::to_string(static_cast<int>(player.Mode())) + "; ";
  };
  player.Click(btPlay);
  player.Click(btStop);  // refused by OnClick
  EXPECT_EQ(player.Mode(), Mode::Playing);
  player.Click(btPause);
  QCoreApplication::processEvents();
  player.Click(btPause);  // resumes, and reports the end of the run
  Device().FinishRun(media::NotifyValue::Failure);
  QCoreApplication::processEvents();
  EXPECT_EQ(events,
            "click 0; post 0; click 2; click 1; post 1; notify aborted 5; notify successful 5; "
            "click 1; post 1; notify failure 1; ");
  EXPECT_EQ(Enabled(player), MPButtons({btPlay, btNext, btPrev})) << "the buttons follow the notification";
}

TEST_F(MediaPlayerTest, DeleteKeyClearsTheFieldAndClosesTheDevice) {
  TDAOMediaPlayer& player = MakePlayer();
  player.Click(btPlay);
  const std::string temp = player.TempFileName();
  Device().FinishRun();
  QTest::keyClick(&player, Qt::Key_Delete);
  EXPECT_EQ(rs_->State(), dsEdit);
  EXPECT_FALSE(player.IsOpen());
  EXPECT_FALSE(fs::exists(temp));
  EXPECT_TRUE(rs_->FieldByName("Photo")->IsNull());
  EXPECT_EQ(Enabled(player), 0u);
  rs_->Post();
  rs_->First();
  EXPECT_TRUE(rs_->FieldByName("Photo")->IsNull());
}

TEST_F(MediaPlayerTest, KeyboardAndMouse) {
  caps_ = {true, true, true, false, DeviceKind::WaveAudio};
  TDAOMediaPlayer& player = MakePlayer();
  player.SetVisibleButtons(kAllMPButtons & ~MPButtons({btPause, btStop}));
  player.resize(player.sizeHint());
  player.show();
  QTest::keyClick(&player, Qt::Key_Right);
  EXPECT_EQ(player.FocusedButton(), btNext) << "invisible buttons are passed over";
  QTest::keyClick(&player, Qt::Key_Left);
  QTest::keyClick(&player, Qt::Key_Left);
  EXPECT_EQ(player.FocusedButton(), btPlay) << "the first button stays focused";
  QTest::keyClick(&player, Qt::Key_Right);
  QTest::keyClick(&player, Qt::Key_Space);  // Next is disabled while closed
  EXPECT_TRUE(devices_.empty());
  QTest::keyClick(&player, Qt::Key_Left);
  QTest::keyClick(&player, Qt::Key_Space);
  ASSERT_TRUE(player.IsOpen());
  EXPECT_EQ(player.Mode(), Mode::Playing);
  Device().FinishRun();
  QCoreApplication::processEvents();
  Device().TakeLog();

  // A press moves the focus; leaving the button before the release cancels the click.
  const QPoint record = player.Button(btRecord).rect.center();
  const QPoint eject = player.Button(btEject).rect.center();
  QTest::mousePress(&player, Qt::LeftButton, {}, record);
  EXPECT_EQ(player.FocusedButton(), btRecord);
  EXPECT_TRUE(player.Button(btRecord).pressed);
  QMouseEvent away(QEvent::MouseMove, QPointF(eject), player.mapToGlobal(QPointF(eject)), Qt::NoButton,
                   Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(&player, &away);
  EXPECT_FALSE(player.Button(btRecord).pressed);
  QTest::mouseRelease(&player, Qt::LeftButton, {}, eject);
  EXPECT_EQ(Device().TakeLog(), "");
  QTest::mouseClick(&player, Qt::LeftButton, {}, eject);
  EXPECT_EQ(Device().TakeLog(), "eject notify");
  // A disabled button takes no press.
  QTest::mouseClick(&player, Qt::LeftButton, {}, player.Button(btBack).rect.center());
  EXPECT_EQ(Device().TakeLog(), "");
}

TEST_F(MediaPlayerTest, LayoutOfTheVisibleButtons) {
  TDAOMediaPlayer& player = MakePlayer();
  player.show();  // a hidden widget is laid out only when shown
  const int button = player.Button(btPlay).PreferredSize().width();
  EXPECT_EQ(player.Button(btPlay).PreferredSize(), QSize(30, 20));
  EXPECT_EQ(player.minimumSizeHint(), QSize(9 * button, 20));

  player.SetVisibleButtons(0);
  EXPECT_EQ(player.minimumSizeHint(), QSize(button, 20)) << "no visible button still keeps one's width";
  for (int i = 0; i < kMPButtonCount; ++i)
    EXPECT_FALSE(player.rect().intersects(player.Button(static_cast<TMPBtnType>(i)).rect));

  player.SetVisibleButtons(MPButtons({btPlay, btStop, btEject}));
  player.resize(100, 30);
  EXPECT_EQ(player.width(), 99) << "cut to whole buttons";
  EXPECT_EQ(player.Button(btStop).rect, QRect(33, 0, 33, 30));
  EXPECT_FALSE(player.rect().intersects(player.Button(btPause).rect));
  player.SetAlign(TDAOMediaPlayer::alTop);
  player.resize(101, 30);
  EXPECT_EQ(player.width(), 101);
  EXPECT_EQ(player.Button(btPlay).rect.width(), 34);
  EXPECT_EQ(player.Button(btStop).rect, QRect(34, 0, 34, 30));
  EXPECT_EQ(player.Button(btEject).rect, QRect(68, 0, 33, 30));
}

}  // namespace
}  // namespace qb::test
