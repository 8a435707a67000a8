// The media player's files: files dropped on the player or its screen are stored in the field,
// the screen follows the dataset's state, video goes into the display, and the temporary file
// of each player is its own (within one process and across processes) and gone after Close.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QDropEvent>
#include <QMimeData>
#include <QUrl>
#include <filesystem>

#include "controls/dataset_state_colors.h"
#include "controls/media/dao_media_player_screen.h"
#include "controls/media_player_fixture.h"
#include "framework/gui/application.h"

namespace qb::test {
namespace {

namespace fs = std::filesystem;

// Drops the file PATH on TARGET as the shell does; answers whether it was taken.
bool Drop(QWidget* target, const std::string& path) {
  QMimeData data;
  data.setUrls({QUrl::fromLocalFile(QString::fromStdString(path))});
  QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(target, &enter);
  if (!enter.isAccepted()) return false;
  QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(target, &drop);
  return drop.isAccepted();
}

using MediaPlayerFilesTest = MediaPlayerTest;

TEST_F(MediaPlayerFilesTest, DroppedFilesAreStoredInTheField) {
  TDAOMediaPlayer& player = MakePlayer();
  TDAOMediaPlayerScreen screen;
  screen.SetMediaPlayer(&player);
  player.SetDisplay(&screen);
  rs_->Close();
  rs_->Open();  // the state update runs with the screen in place
  EXPECT_TRUE(player.acceptDrops());
  EXPECT_TRUE(screen.acceptDrops());

  player.Click(btPlay);
  const std::string temp = player.TempFileName();
  const std::string song = dir_.File("song.mp3");
  WriteFile(song, "ID3 a song");
  ASSERT_TRUE(Drop(&player, song));
  EXPECT_FALSE(player.IsOpen()) << "the device is closed before the field changes";
  EXPECT_FALSE(fs::exists(temp));
  EXPECT_EQ(rs_->State(), dsEdit);
  rs_->Post();
  EXPECT_EQ(Photo(), std::string("\x03mp3ID3 a song"));

  rs_->Next();  // Bob, without media: a drop on the screen goes to the player
  EXPECT_FALSE(player.HasData());
  const std::string film = dir_.File("film.avi");
  WriteFile(film, "RIFF film");
  ASSERT_TRUE(Drop(&screen, film));
  EXPECT_TRUE(player.HasData());
  EXPECT_EQ(Enabled(player), MPButtons({btPlay}));
  rs_->Post();
  EXPECT_EQ(Current(), "Bob");
  EXPECT_EQ(Photo(), std::string("\x03" "aviRIFF film"));
}

TEST_F(MediaPlayerFilesTest, AFileThatCannotBeReadLeavesTheStoredMedia) {
  TDAOMediaPlayer& player = MakePlayer();
  const std::string before = Photo();
  ASSERT_FALSE(before.empty());
  std::string shown;
  App().OnException = [&](const std::exception& error) { shown = error.what(); };
  Drop(&player, dir_.File("vanished.wav"));
  App().OnException = nullptr;
  EXPECT_NE(shown.find("vanished.wav"), std::string::npos) << shown;
  EXPECT_FALSE(rs_->FieldByName("Photo")->IsNull());
  EXPECT_EQ(Photo(), before);
  rs_->Cancel();
  EXPECT_EQ(Photo(), before);
}

TEST_F(MediaPlayerFilesTest, ScreenFollowsTheDatasetState) {
  auto& colors = DataSetStateColors();
  const auto saved = colors;
  colors[dsBrowse] = QColor(Qt::yellow);
  colors[dsEdit] = QColor(Qt::green);
  TDAOMediaPlayerScreen screen;
  EXPECT_EQ(screen.size(), QSize(200, 140));
  EXPECT_TRUE(screen.ChangeColorOnDataSetStateChange());
  TDAOMediaPlayer& player = MakePlayer();
  player.SetDisplay(&screen);
  screen.SetMediaPlayer(&player);
  rs_->Edit();
  EXPECT_EQ(screen.palette().color(QPalette::Base), QColor(Qt::green));
  rs_->Cancel();
  EXPECT_EQ(screen.palette().color(QPalette::Base), QColor(Qt::yellow));
  screen.SetChangeColorOnDataSetStateChange(false);
  rs_->Edit();
  EXPECT_EQ(screen.palette().color(QPalette::Base), QColor(Qt::yellow));
  rs_->Cancel();

  // A dataset that cannot be modified takes no drops, on the player or its screen.
  OpenPeople(rtTable, "People", "ByName", lkReadOnly);
  EXPECT_FALSE(player.acceptDrops());
  EXPECT_FALSE(screen.acceptDrops());
  const std::string song = dir_.File("song.mp3");
  WriteFile(song, "ID3");
  EXPECT_FALSE(Drop(&screen, song));
  EXPECT_EQ(rs_->State(), dsBrowse);

  player_.reset();
  EXPECT_EQ(screen.MediaPlayer(), nullptr) << "the screen forgets a destroyed player";
  colors = saved;
}

TEST_F(MediaPlayerFilesTest, VideoIsPlacedInTheDisplay) {
  struct Case {
    QSize display;
    const char* log;
  };
  const Case cases[] = {
      {QSize(200, 140), "window; put 0 0 200 140"},
      {QSize(0, 0), "window; put 0 0 320 200"},
  };
  caps_ = {true, false, false, true, media::DeviceKind::DigitalVideo};
  for (const Case& c : cases) {
    QWidget display;
    display.resize(c.display);
    TDAOMediaPlayer& player = MakePlayer();
    player.SetDisplay(&display);
    player.Click(btPlay);
    const std::string log = Device().TakeLog();
    EXPECT_NE(log.find(c.log), std::string::npos) << log;
    EXPECT_EQ(Device().DisplayWindow(), &display);
    player.show();  // resizing the player places the video again
    player.resize(player.width() + 9, player.height());
    EXPECT_NE(Device().TakeLog().find(c.log), std::string::npos);
    player_.reset();
  }
}

TEST_F(MediaPlayerFilesTest, EachPlayerHasItsOwnTemporaryFile) {
  auto first = std::make_unique<TDAOMediaPlayer>();
  first->SetDataSource(&source_);
  first->SetDataField("Photo");
  TDAOMediaPlayer& second = MakePlayer();
  first->Click(btPlay);
  second.Click(btPlay);  // the same record: the same name within a folder
  const std::string a = first->TempFileName();
  const std::string b = second.TempFileName();
  EXPECT_NE(a, b);
  second.Close();
  EXPECT_TRUE(fs::exists(a)) << "closing one player leaves the other's file";
  EXPECT_FALSE(fs::exists(b));
  first.reset();
  EXPECT_FALSE(fs::exists(a)) << "a destroyed player deletes its file";
}

TEST_F(MediaPlayerFilesTest, PlayersInTwoProcessesNeverShareATemporaryFile) {
  TDAOMediaPlayer& player = MakePlayer();
  int up[2], down[2];
  ASSERT_EQ(::pipe(up), 0);
  ASSERT_EQ(::pipe(down), 0);
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    // The child plays its own copy of the player and tells its file's name; it keeps the file
    // until the parent has looked, then closes and leaves.
    std::string answer;
    try {
      player.Click(btPlay);
      answer = player.TempFileName();
    } catch (...) {
      answer = "failed";
    }
    answer += '\n';
    (void)!::write(up[1], answer.data(), answer.size());
    char go = 0;
    (void)!::read(down[0], &go, 1);
    player.Close();
    const bool gone = !fs::exists(answer.substr(0, answer.size() - 1));
    (void)!::write(up[1], gone ? "G" : "K", 1);
    ::_exit(0);
  }
  ::close(up[1]);
  ::close(down[0]);
  std::string theirs;
  char c = 0;
  while (::read(up[0], &c, 1) == 1 && c != '\n') theirs += c;
  player.Click(btPlay);
  const std::string ours = player.TempFileName();
  EXPECT_NE(theirs, "failed");
  EXPECT_NE(ours, theirs);
  EXPECT_NE(fs::path(ours).parent_path(), fs::path(theirs).parent_path());
  EXPECT_TRUE(fs::exists(theirs));
  EXPECT_EQ(ReadFileBytes(theirs), ReadFileBytes(ours));
  ASSERT_EQ(::write(down[1], "g", 1), 1);
  char gone = 0;
  EXPECT_EQ(::read(up[0], &gone, 1), 1);
  EXPECT_EQ(gone, 'G') << "the child's Close deleted its file";
  EXPECT_TRUE(fs::exists(ours)) << "and left ours alone";
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  ::close(up[0]);
  ::close(down[1]);
  // What the child left behind (it left without running its destructors).
  std::error_code ignored;
  fs::remove_all(fs::path(theirs).parent_path().parent_path(), ignored);
}

}  // namespace
}  // namespace qb::test
