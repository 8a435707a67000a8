// The media player on the real Qt device: a WAV tone stored in a record plays to its end and
// reports successful, the buttons following the modes; moving records while it plays loads the
// new record when it ends; and a picture of the player bound to a record beside its screen.
#include <gtest/gtest.h>

#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>
#include <filesystem>

#include "app/dbtools/screenshot_test_support.h"
#include "controls/dao_edit.h"
#include "controls/media/dao_media_player_screen.h"
#include "controls/media_player_fixture.h"

namespace qb::test {
namespace {

namespace fs = std::filesystem;

class MediaPlayerQtTest : public MediaPlayerTest {
 protected:
  void SetUp() override {
    MediaPlayerTest::SetUp();
    media::SetMediaDeviceFactory({});  // the real device; the fixture puts its own back
  }
  // Collects the player's notifications as names.
  void Listen(TDAOMediaPlayer& player) {
    player.OnNotify = [this](TDAOMediaPlayer*, TMPNotifyValues value) {
      if (!notified_.empty()) notified_ += ' ';
      notified_ += media::NotifyValueName(value);
    };
  }
  std::string notified_;
};

TEST_F(MediaPlayerQtTest, StoredWavPlaysToItsEndWithTheButtonsFollowing) {
  TDAOMediaPlayer& player = MakePlayer();
  Listen(player);
  EXPECT_EQ(Enabled(player), MPButtons({btPlay}));
  player.Click(btPlay);
  ASSERT_TRUE(player.IsOpen());
  const std::string temp = player.TempFileName();
  EXPECT_EQ(fs::path(temp).filename(), "daotemp.wav");
  EXPECT_EQ(player.Mode(), media::Mode::Playing);
  EXPECT_EQ(Enabled(player), MPButtons({btPause, btStop, btNext, btPrev}));
  EXPECT_EQ(player.FocusedButton(), btStop);

  ASSERT_TRUE(QTest::qWaitFor([&] { return !notified_.empty(); }, 15000));
  EXPECT_EQ(notified_, "successful");
  EXPECT_EQ(player.Mode(), media::Mode::Stopped);
  TDAOMediaPlayerButtonSet stopped = MPButtons({btPlay, btNext, btPrev});
  if (player.Device()->Caps().can_record) stopped |= MPButtons({btRecord});
  EXPECT_EQ(Enabled(player), stopped);
  EXPECT_EQ(player.FocusedButton(), btPlay);

  // Played again from the start (the position is at the end), then the record moves on while
  // it plays: the new record is loaded only when the play has ended.
  notified_.clear();
  player.Click(btPlay);
  EXPECT_EQ(player.Mode(), media::Mode::Playing);
  rs_->Next();
  EXPECT_TRUE(player.ReloadPending());
  EXPECT_TRUE(player.IsOpen());
  ASSERT_TRUE(QTest::qWaitFor([&] { return !notified_.empty(); }, 15000));
  EXPECT_EQ(notified_, "successful");
  EXPECT_FALSE(player.IsOpen());
  EXPECT_FALSE(player.ReloadPending());
  EXPECT_FALSE(fs::exists(temp)) << "the temporary file is gone after Close";
  EXPECT_EQ(Enabled(player), 0u) << "Bob has no media";
}

TEST_F(MediaPlayerQtTest, ScreenshotOfThePlayerBesideItsScreen) {
  const std::string clip = dir_.File("bars.avi");
  const std::string why = MakeTestVideo(clip, 10);
  if (why.empty()) StoreFileIn("Cid", clip);
  GoTo(why.empty() ? "Cid" : "Ann");

  QWidget form;
  form.setWindowTitle("Media");
  auto* rows = new QVBoxLayout(&form);
  auto* record = new QHBoxLayout;
  record->addWidget(new QLabel("Name:", &form));
  auto* name = new TDAOEdit(&form);
  name->SetDataSource(&source_);
  name->SetDataField("Name");
  record->addWidget(name);
  rows->addLayout(record);
  auto* screen = new TDAOMediaPlayerScreen(&form);
  screen->setFixedSize(200, 140);
  auto* player = new TDAOMediaPlayer(&form);
  player->SetDataSource(&source_);
  player->SetDataField("Photo");
  player->SetDisplay(screen);
  screen->SetMediaPlayer(player);
  auto* beside = new QHBoxLayout;
  beside->addWidget(screen);
  beside->addWidget(player, 0, Qt::AlignBottom);
  beside->addStretch();
  rows->addLayout(beside);
  form.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));

  player->OnNotify = [this](TDAOMediaPlayer*, TMPNotifyValues value) { notified_ = media::NotifyValueName(value); };
  player->Click(btPlay);
  ASSERT_TRUE(QTest::qWaitFor([&] { return !notified_.empty(); }, 15000));
  EXPECT_EQ(notified_, "successful");
  player->setFocus();
  QCoreApplication::processEvents();
  SaveScreenshot(form, "media-player");
  if (!why.empty()) GTEST_SKIP() << "the screen shows no video: " << why;
}

}  // namespace
}  // namespace qb::test
