// controls/dao_rich_edit: the state look and file drops.
#include "controls/dao_rich_edit.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QTextDocument>

#include "controls/control_look.h"
#include "controls/file_drop.h"
#include "framework/data/dataset.h"
#include "framework/gui/application.h"

namespace qb {

TDAORichEdit::TDAORichEdit(QWidget* parent) : TDBRichEdit(parent, std::make_unique<TDAOFieldDataLink>()) {
  Link().OnControlState = [this] { UpdateControlState(); };
}

TDAORichEdit::~TDAORichEdit() {
  Link().OnControlState = nullptr;
  SetDataSource(nullptr);
}

const char* TDAORichEdit::About() { return "Quillbase data-access components"; }

void TDAORichEdit::SetChangeColorOnDataSetStateChange(bool value) {
  change_color_ = value;
  if (Link().DataSet()) UpdateControlState();
}

void TDAORichEdit::UpdateControlState() {
  if (TDataSet* dataset = Link().DataSet()) ApplyDataSetLook(*this, *dataset, change_color_);
}

void TDAORichEdit::DropFile(const QString& path) {
  App().CallGuarded([&] { DropFileIntoField(DataLink(), path, [this](const QString& file) { LoadFromFile(file); }); });
}

void TDAORichEdit::LoadFromFile(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return;
  const QString text = QString::fromUtf8(file.readAll());
  if (Qt::mightBeRichText(text))
    setHtml(text);
  else
    setPlainText(text);
}

void TDAORichEdit::dragEnterEvent(QDragEnterEvent* event) {
  if (!FirstDroppedFile(event->mimeData()).isEmpty()) {
    event->setAccepted(isEnabled());
    return;
  }
  TDBRichEdit::dragEnterEvent(event);
}

void TDAORichEdit::dragMoveEvent(QDragMoveEvent* event) {
  if (!FirstDroppedFile(event->mimeData()).isEmpty()) {
    event->setAccepted(isEnabled());
    return;
  }
  TDBRichEdit::dragMoveEvent(event);
}

void TDAORichEdit::dropEvent(QDropEvent* event) {
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
    TDBRichEdit::dropEvent(event);
    return;
  }
  // The drop is finished in every case.
  event->acceptProposedAction();
  if (isEnabled()) DropFile(path);
}

}  // namespace qb
