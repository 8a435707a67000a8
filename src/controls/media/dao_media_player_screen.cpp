// controls/media/dao_media_player_screen: the panel's look and its drops.
#include "controls/media/dao_media_player_screen.h"

#include <QDragEnterEvent>
#include <QDropEvent>

#include "controls/file_drop.h"
#include "controls/media/dao_media_player.h"

namespace qb {

TDAOMediaPlayerScreen::TDAOMediaPlayerScreen(QWidget* parent) : QFrame(parent) {
  setFrameStyle(QFrame::Panel | QFrame::Sunken);
  setAutoFillBackground(true);
  setBackgroundRole(QPalette::Base);
  resize(200, 140);
}

const char* TDAOMediaPlayerScreen::About() { return TDAOMediaPlayer::About(); }

void TDAOMediaPlayerScreen::dragEnterEvent(QDragEnterEvent* event) {
  event->setAccepted(player_ && acceptDrops() && !FirstDroppedFile(event->mimeData()).isEmpty());
}

void TDAOMediaPlayerScreen::dragMoveEvent(QDragMoveEvent* event) {
  event->setAccepted(player_ && acceptDrops() && !FirstDroppedFile(event->mimeData()).isEmpty());
}

void TDAOMediaPlayerScreen::dropEvent(QDropEvent* event) {
  const QString path = FirstDroppedFile(event->mimeData());
  event->acceptProposedAction();
  if (player_ && !path.isEmpty()) player_->DropFile(path);
}

}  // namespace qb
