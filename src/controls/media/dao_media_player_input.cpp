// controls/media/dao_media_player_input: the player's look and handling: button layout and
// painting, the mouse, the keyboard (Space, Left, Right, Delete), the focus and dropped files.
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyleOption>

#include "controls/file_drop.h"
#include "controls/media/dao_media_player.h"
#include "fields/dao_blob_stream.h"
#include "framework/data/blob_field.h"
#include "framework/data/dataset.h"
#include "framework/gui/application.h"
#include "framework/gui/screen_cursor.h"

namespace qb {

// --- Layout ---

QSize TDAOMediaPlayer::ButtonSize() const {
  QSize size;
  for (const TDAOMediaPlayerBtn& button : buttons_) size = size.expandedTo(button.PreferredSize());
  return size;
}

int TDAOMediaPlayer::VisibleCount() const {
  int count = 0;
  for (const TDAOMediaPlayerBtn& button : buttons_) count += button.visible ? 1 : 0;
  return count;
}

QSize TDAOMediaPlayer::minimumSizeHint() const {
  const QSize button = ButtonSize();
  return {std::max(VisibleCount(), 1) * button.width(), button.height()};
}

QSize TDAOMediaPlayer::sizeHint() const { return minimumSizeHint(); }

void TDAOMediaPlayer::LayoutButtons() {
  setMinimumSize(minimumSizeHint());
  const int count = std::max(VisibleCount(), 1);
  const int each = width() / count;
  int remainder = align_ != alNone ? width() % count : 0;
  int x = 0;
  for (TDAOMediaPlayerBtn& button : buttons_) {
    if (!button.visible) {
      button.rect = QRect(-each - 10, 0, each, height());  // outside the control
      continue;
    }
    int w = each;
    if (remainder > 0) {
      ++w;
      --remainder;
    }
    button.rect = QRect(x, 0, w, height());
    x += w;
  }
}

void TDAOMediaPlayer::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  const int count = std::max(VisibleCount(), 1);
  if (align_ == alNone && !cutting_width_ && width() % count != 0) {
    // A free-standing control keeps a width of whole buttons.
    cutting_width_ = true;
    resize(width() - width() % count, height());
    cutting_width_ = false;
  }
  LayoutButtons();
  if (IsOpen() && caps_.has_video && display_) PlaceVideo();
}

// --- Painting ---

void TDAOMediaPlayer::paintEvent(QPaintEvent* /*event*/) {
  QPainter painter(this);
  for (const TDAOMediaPlayerBtn& button : buttons_) {
    if (!button.visible) continue;
    const bool down = pressing_ == button.Type() && button.pressed;
    QStyleOptionButton option;
    option.initFrom(this);
    option.rect = button.rect;
    option.state = (down ? QStyle::State_Sunken : QStyle::State_Raised) |
                   (button.Active() && !busy_ && isEnabled() ? QStyle::State_Enabled : QStyle::State_None);
    style()->drawControl(QStyle::CE_PushButtonBevel, &option, &painter, this);
    const QImage& image = button.Image(isEnabled() ? button.ImageKind(busy_) : media::ButtonImageKind::Disabled);
    QPoint at = button.rect.center() - QPoint(image.width() / 2, image.height() / 2) + QPoint(1, 1);
    if (down) at += QPoint(1, 1);
    painter.drawImage(at, image);
    if (hasFocus() && focused_ == button.Type()) {
      QStyleOptionFocusRect focus;
      focus.initFrom(this);
      focus.rect = button.rect.adjusted(3, 3, -3, -3);
      style()->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, &painter, this);
    }
  }
}

void TDAOMediaPlayer::focusInEvent(QFocusEvent* event) {
  QWidget::focusInEvent(event);
  update();
}

void TDAOMediaPlayer::focusOutEvent(QFocusEvent* event) {
  QWidget::focusOutEvent(event);
  update();
}

// --- Mouse ---

std::optional<TMPBtnType> TDAOMediaPlayer::ButtonAt(const QPoint& point) const {
  for (const TDAOMediaPlayerBtn& button : buttons_) {
    if (button.visible && button.rect.contains(point)) return button.Type();
  }
  return std::nullopt;
}

void TDAOMediaPlayer::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return QWidget::mousePressEvent(event);
  const std::optional<TMPBtnType> at = ButtonAt(event->position().toPoint());
  if (!at || !buttons_[*at].Active() || busy_) return;
  if (focusPolicy() != Qt::NoFocus) setFocus(Qt::MouseFocusReason);
  pressing_ = *at;
  focused_ = *at;
  buttons_[*at].pressed = true;
  update();
}

void TDAOMediaPlayer::mouseMoveEvent(QMouseEvent* event) {
  if (!pressing_) return QWidget::mouseMoveEvent(event);
  TDAOMediaPlayerBtn& button = buttons_[*pressing_];
  const bool inside = button.rect.contains(event->position().toPoint());
  if (inside != button.pressed) {
    button.pressed = inside;
    update();
  }
}

void TDAOMediaPlayer::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton || !pressing_) return QWidget::mouseReleaseEvent(event);
  const TMPBtnType button = *pressing_;
  const bool over = buttons_[button].rect.contains(event->position().toPoint());
  buttons_[button].pressed = false;
  pressing_.reset();
  update();
  if (over) ClickGuarded(button);
}

void TDAOMediaPlayer::ClickGuarded(TMPBtnType button) {
  App().CallGuarded([this, button] { Click(button); });
}

// --- Keyboard ---

void TDAOMediaPlayer::MoveFocus(int direction) {
  for (int i = focused_ + direction; i >= 0 && i < kMPButtonCount; i += direction) {
    if (buttons_[i].visible) {
      focused_ = static_cast<TMPBtnType>(i);
      update();
      return;
    }
  }
}

void TDAOMediaPlayer::keyPressEvent(QKeyEvent* event) {
  switch (event->key()) {
    case Qt::Key_Space: {
      const TDAOMediaPlayerBtn& button = buttons_[focused_];
      if (button.visible && button.Active() && !busy_) ClickGuarded(focused_);
      return;
    }
    case Qt::Key_Left: MoveFocus(-1); return;
    case Qt::Key_Right: MoveFocus(1); return;
    case Qt::Key_Delete:
      App().CallGuarded([this] {
        TDataSet* dataset = link_.DataSet();
        TField* field = link_.Field();
        if (!dataset || !dynamic_cast<TBlobField*>(field)) return;
        if (dataset->State() == dsBrowse) dataset->Edit();
        if (dataset->State() != dsEdit && dataset->State() != dsInsert) return;
        Close();
        // A write stream empties the stored value (the engine's, not only the record buffer's).
        std::unique_ptr<TBlobStream> stream = dataset->CreateBlobStream(field, bmWrite);
        if (dynamic_cast<TDAOBlobStream*>(stream.get()))
          stream->Close();
        else
          field->Clear();
      });
      return;
    default: QWidget::keyPressEvent(event);
  }
}

// --- Dropped files ---

void TDAOMediaPlayer::DropFile(const QString& path) {
  App().CallGuarded([this, &path] {
    TDataSet* dataset = link_.DataSet();
    TField* field = link_.Field();
    if (!dataset || !field || path.isEmpty()) return;
    if (dataset->State() == dsBrowse) dataset->Edit();
    if (dataset->State() != dsEdit && dataset->State() != dsInsert) return;
    // Read-write, not write: a write stream empties the value at once, and a file that then
    // cannot be read would leave the record without its media.
    std::unique_ptr<TBlobStream> stream = dataset->CreateBlobStream(field, bmReadWrite);
    if (auto* blob = dynamic_cast<TDAOBlobStream*>(stream.get())) {
      ScopedCursor hourglass(crHourGlass);
      Close();
      blob->StoreFile(path.toStdString());
      blob->Close();
    }
  });
}

void TDAOMediaPlayer::dragEnterEvent(QDragEnterEvent* event) {
  event->setAccepted(acceptDrops() && !FirstDroppedFile(event->mimeData()).isEmpty());
}

void TDAOMediaPlayer::dragMoveEvent(QDragMoveEvent* event) {
  event->setAccepted(acceptDrops() && !FirstDroppedFile(event->mimeData()).isEmpty());
}

void TDAOMediaPlayer::dropEvent(QDropEvent* event) {
  const QString path = FirstDroppedFile(event->mimeData());
  event->acceptProposedAction();  // the drop is finished in every case
  if (acceptDrops() && !path.isEmpty()) DropFile(path);
}

}  // namespace qb
