// framework/controls/db_image: loading, painting and changing a field's picture.
#include "framework/controls/db_image.h"

#include <QApplication>
#include <QBuffer>
#include <QClipboard>
#include <QKeyEvent>
#include <QPainter>

#include "framework/controls/null_look.h"
#include "framework/data/blob_field.h"
#include "framework/data/dataset.h"
#include "framework/gui/application.h"

namespace qb {

TDBImage::TDBImage(QWidget* parent) : TDBImage(parent, std::make_unique<TFieldDataLink>()) {}

TDBImage::TDBImage(QWidget* parent, std::unique_ptr<TFieldDataLink> link)
    : QFrame(parent), link_holder_(std::move(link)), link_(*link_holder_) {
  setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
  setFocusPolicy(Qt::StrongFocus);
  setMinimumSize(32, 32);
  link_.OnDataChange = [this] { DataChange(); };
  link_.OnUpdateData = [this] { UpdateData(); };
  link_.OnFocus = [this] { setFocus(); };
}

void TDBImage::SetStretch(bool value) {
  if (value == stretch_) return;
  stretch_ = value;
  update();
}

void TDBImage::DataChange() {
  picture_ = QPixmap();
  auto* field = qobject_cast<TBlobField*>(link_.Field());
  null_ = !field || !field->DataSet()->HasCurrentRecord() || field->IsNull();
  if (!null_) {
    const std::vector<std::uint8_t> bytes = field->AsBytes();
    picture_.loadFromData(bytes.data(), static_cast<uint>(bytes.size()));
  }
  update();
}

void TDBImage::UpdateData() {
  auto* field = qobject_cast<TBlobField*>(link_.Field());
  if (!field) return;
  if (picture_.isNull()) {
    field->Clear();
    return;
  }
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  picture_.save(&buffer, "PNG");
  field->SetAsBytes(std::vector<std::uint8_t>(bytes.begin(), bytes.end()));
}

bool TDBImage::SetPicture(const QPixmap& picture) {
  if (!qobject_cast<TBlobField*>(link_.Field()) || !link_.CanModify() || !link_.Edit()) return false;
  picture_ = picture;
  null_ = picture.isNull();
  link_.Modified();
  update();
  return true;
}

void TDBImage::paintEvent(QPaintEvent* event) {
  QFrame::paintEvent(event);
  QPainter painter(this);
  const QRect area = contentsRect();
  if (picture_.isNull()) {
    if (!link_.Field() || !link_.Field()->DataSet()->HasCurrentRecord()) return;
    painter.setPen(NullTextColor());
    QFont font = painter.font();
    font.setItalic(true);
    painter.setFont(font);
    painter.drawText(area, Qt::AlignCenter, null_ ? NullText() : tr("(No picture)"));
    return;
  }
  QSize size = picture_.size();
  if (stretch_) size.scale(area.size(), Qt::KeepAspectRatio);
  QRect target(QPoint(0, 0), size);
  target.moveCenter(area.center());
  painter.drawPixmap(target, picture_);
}

void TDBImage::keyPressEvent(QKeyEvent* event) {
  const int key = event->key();
  bool handled = true;
  App().CallGuarded([&] {
    TDataSet* dataset = link_.DataSet();
    if (event->matches(QKeySequence::Copy)) {
      if (!picture_.isNull()) QApplication::clipboard()->setPixmap(picture_);
    } else if (event->matches(QKeySequence::Paste)) {
      const QPixmap pasted = QApplication::clipboard()->pixmap();
      if (pasted.isNull() || !SetPicture(pasted)) QApplication::beep();
    } else if (event->matches(QKeySequence::Cut) || key == Qt::Key_Delete) {
      const QPixmap old = picture_;
      if (!SetPicture(QPixmap()))
        QApplication::beep();
      else if (key != Qt::Key_Delete && !old.isNull())
        QApplication::clipboard()->setPixmap(old);
    } else if (key == Qt::Key_Escape) {
      if (link_.IsModified())
        link_.Reset();
      else if (dataset && link_.Editing())
        dataset->Cancel();
    } else if (key == Qt::Key_Return || key == Qt::Key_Enter) {
      if (dataset && link_.Editing()) {
        link_.UpdateRecord();
        dataset->Post();
      }
    } else {
      handled = false;
    }
  });
  if (handled)
    event->accept();
  else
    QFrame::keyPressEvent(event);
}

void TDBImage::focusOutEvent(QFocusEvent* event) {
  // Leaving for another control writes the value into the record; a refused value keeps the
  // focus here. Losing the window (or the window closing) writes nothing.
  const bool leaving = event->reason() != Qt::ActiveWindowFocusReason &&
                       event->reason() != Qt::PopupFocusReason && window()->isVisible();
  bool written = !leaving || App().CallGuarded([this] { link_.UpdateRecord(); });
  QFrame::focusOutEvent(event);
  if (!written) setFocus();
}

}  // namespace qb
