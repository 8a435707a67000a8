// controls/dao_rich_edit: how a dropped file is shown.
#include "controls/dao_rich_edit.h"

#include <QFile>
#include <QTextDocument>

namespace qb {

TDAORichEdit::TDAORichEdit(QWidget* parent) : TDAODropControl<TDBRichEdit>(parent) {}

void TDAORichEdit::LoadFromFile(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return;
  const QString text = QString::fromUtf8(file.readAll());
  if (Qt::mightBeRichText(text))
    setHtml(text);
  else
    setPlainText(text);
}

}  // namespace qb
