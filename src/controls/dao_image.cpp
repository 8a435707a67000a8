// controls/dao_image: the state look and file drops.
#include "controls/dao_image.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QPixmap>

#include "controls/control_look.h"
#include "controls/file_drop.h"
#include "framework/data/dataset.h"
#include "framework/gui/application.h"

namespace qb {

TDAOImage::TDAOImage(QWidget* parent) : TDBImage(parent, std::make_unique<TDAOFieldDataLink>()) {
  Link().OnControlState = [this] { UpdateControlState(); };
}

TDAOImage::~TDAOImage() {
  Link().OnControlState = nullptr;
  SetDataSource(nullptr);
}

const char* TDAOImage::About() { return "Quillbase data-access components"; }

void TDAOImage::SetChangeColorOnDataSetStateChange(bool value) {
  change_color_ = value;
  if (Link().DataSet()) UpdateControlState();
}

void TDAOImage::UpdateControlState() {
  if (TDataSet* dataset = Link().DataSet()) ApplyDataSetLook(*this, *dataset, change_color_);
}

void TDAOImage::DropFile(const QString& path) {
  App().CallGuarded([&] { DropFileIntoField(DataLink(), path, [this](const QString& file) { LoadFromFile(file); }); });
}

void TDAOImage::LoadFromFile(const QString& path) {
  // The picture shown is replaced at once; a blob field then takes the file itself.
  SetPicture(QPixmap());
  repaint();
  SetPicture(QPixmap(path));
}

void TDAOImage::dragEnterEvent(QDragEnterEvent* event) {
  if (!FirstDroppedFile(event->mimeData()).isEmpty()) {
    event->setAccepted(isEnabled());
    return;
  }
  TDBImage::dragEnterEvent(event);
}

void TDAOImage::dragMoveEvent(QDragMoveEvent* event) {
  if (!FirstDroppedFile(event->mimeData()).isEmpty()) {
    event->setAccepted(isEnabled());
    return;
  }
  TDBImage::dragMoveEvent(event);
}

void TDAOImage::dropEvent(QDropEvent* event) {
  const QString path = FirstDroppedFile(event->mimeData());
  if (path.isEmpty()) {
    // Dropped text changes the value as typing does: the record is edited first, or the text
    // would be shown but never written.
    bool editing = false;
    App().CallGuarded([&] { editing = DataLink().CanModify() && DataLink().Edit(); });
    if (!editing) {
      event->ignore();
      return;
    }
    TDBImage::dropEvent(event);
    return;
  }
  // The drop is finished in every case.
  event->acceptProposedAction();
  if (isEnabled()) DropFile(path);
}

}  // namespace qb
