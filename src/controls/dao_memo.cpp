// controls/dao_memo: how a dropped file is shown.
#include "controls/dao_memo.h"

#include <QFile>

namespace qb {

TDAOMemo::TDAOMemo(QWidget* parent) : TDAODropControl<TDBMemo>(parent) {}

void TDAOMemo::LoadFromFile(const QString& path) {
  QFile file(path);
  if (file.open(QIODevice::ReadOnly)) setPlainText(QString::fromUtf8(file.readAll()));
}

}  // namespace qb
