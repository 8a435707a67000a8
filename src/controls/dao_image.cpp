// controls/dao_image: how a dropped file is shown.
#include "controls/dao_image.h"

#include <QPixmap>

namespace qb {

TDAOImage::TDAOImage(QWidget* parent) : TDAODropControl<TDBImage>(parent) {}

void TDAOImage::LoadFromFile(const QString& path) {
  // The picture shown is replaced at once; a blob field then takes the file itself.
  SetPicture(QPixmap());
  repaint();
  SetPicture(QPixmap(path));
}

}  // namespace qb
