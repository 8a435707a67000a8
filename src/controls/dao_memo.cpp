// controls/dao_memo: the state look and file drops.
#include "controls/dao_memo.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>

#include "controls/control_look.h"
#include "controls/file_drop.h"
#include "framework/data/dataset.h"
#include "framework/gui/application.h"

namespace qb {

TDAOMemo::TDAOMemo(QWidget* parent) : TDBMemo(parent, std::make_unique<TDAOFieldDataLink>()) {
  Link().OnControlState = [this] { UpdateControlState(); };
}

TDAOMemo::~TDAOMemo() {
  Link().OnControlState = nullptr;
  SetDataSource(nullptr);
}

const char* TDAOMemo::About() { return "Quillbase data-access components"; }

void TDAOMemo::SetChangeColorOnDataSetStateChange(bool value) {
  change_color_ = value;
  if (Link().DataSet()) UpdateControlState();
}

void TDAOMemo::UpdateControlState() {
  if (TDataSet* dataset = Link().DataSet()) ApplyDataSetLook(*this, *dataset, change_color_);
}

void TDAOMemo::DropFile(const QString& path) {
  App().CallGuarded([&] { DropFileIntoField(DataLink(), path, [this](const QString& file) { LoadFromFile(file); }); });
}

void TDAOMemo::LoadFromFile(const QString& path) {
  QFile file(path);
  if (file.open(QIODevice::ReadOnly)) setPlainText(QString::fromUtf8(file.readAll()));
}

void TDAOMemo::dragEnterEvent(QDragEnterEvent* event) {
  if (!FirstDroppedFile(event->mimeData()).isEmpty()) {
    event->setAccepted(isEnabled());
    return;
  }
  TDBMemo::dragEnterEvent(event);
}

void TDAOMemo::dragMoveEvent(QDragMoveEvent* event) {
  if (!FirstDroppedFile(event->mimeData()).isEmpty()) {
    event->setAccepted(isEnabled());
    return;
  }
  TDBMemo::dragMoveEvent(event);
}

void TDAOMemo::dropEvent(QDropEvent* event) {
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
    TDBMemo::dropEvent(event);
    return;
  }
  // The drop is finished in every case.
  event->acceptProposedAction();
  if (isEnabled()) DropFile(path);
}

}  // namespace qb
