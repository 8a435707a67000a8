// controls/media/dao_media_player_screen: the panel a media player shows its video in. It takes
// the colour of the player's dataset state (when its option is on) and passes files dropped on
// it to its player, which stores them in the field.
#pragma once
#include <QFrame>
#include <QPointer>

namespace qb {

class TDAOMediaPlayer;

class TDAOMediaPlayerScreen : public QFrame {
  Q_OBJECT

 public:
  explicit TDAOMediaPlayerScreen(QWidget* parent = nullptr);

  // The player whose display this is; cleared when that player is destroyed.
  TDAOMediaPlayer* MediaPlayer() const { return player_; }
  void SetMediaPlayer(TDAOMediaPlayer* player) { player_ = player; }
  // Default true: the player colours the screen by its dataset's state.
  bool ChangeColorOnDataSetStateChange() const { return change_color_; }
  void SetChangeColorOnDataSetStateChange(bool value) { change_color_ = value; }
  static const char* About();

  QSize sizeHint() const override { return {200, 140}; }

 protected:
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dragMoveEvent(QDragMoveEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 private:
  QPointer<TDAOMediaPlayer> player_;
  bool change_color_ = true;
};

}  // namespace qb
