// framework/controls/navigator_glyphs: drawing the navigator's button pictures.
#include "framework/controls/navigator_glyphs.h"

#include <QPainter>
#include <QPixmap>
#include <QPolygon>

#include "framework/controls/db_navigator.h"

namespace qb {

namespace {

QPolygon Triangle(bool left, int x) {
  QPolygon shape;
  if (left)
    shape << QPoint(x + 5, 3) << QPoint(x, 8) << QPoint(x + 5, 13);
  else
    shape << QPoint(x, 3) << QPoint(x + 5, 8) << QPoint(x, 13);
  return shape;
}

}  // namespace

QIcon NavigatorGlyph(int button, const QColor& color) {
  QPixmap pixmap(16, 16);
  pixmap.fill(Qt::transparent);
  QPainter painter(&pixmap);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setPen(QPen(color, 1.5));
  painter.setBrush(color);
  switch (button) {
    case nbFirst:
      painter.drawLine(4, 3, 4, 13);
      painter.drawPolygon(Triangle(true, 6));
      break;
    case nbPrior: painter.drawPolygon(Triangle(true, 5)); break;
    case nbNext: painter.drawPolygon(Triangle(false, 6)); break;
    case nbLast:
      painter.drawPolygon(Triangle(false, 5));
      painter.drawLine(12, 3, 12, 13);
      break;
    case nbInsert:
      painter.drawLine(8, 3, 8, 13);
      painter.drawLine(3, 8, 13, 8);
      break;
    case nbDelete: painter.drawLine(3, 8, 13, 8); break;
    case nbEdit:
      painter.setBrush(Qt::NoBrush);
      painter.drawLine(4, 12, 11, 5);
      painter.drawLine(3, 13, 5, 13);
      painter.drawLine(11, 5, 13, 3);
      break;
    case nbPost:
      painter.setBrush(Qt::NoBrush);
      painter.drawPolyline(QPolygon({QPoint(3, 8), QPoint(7, 12), QPoint(13, 4)}));
      break;
    case nbCancel:
      painter.drawLine(4, 4, 12, 12);
      painter.drawLine(4, 12, 12, 4);
      break;
    case nbRefresh:
      painter.setBrush(Qt::NoBrush);
      painter.drawArc(QRect(3, 3, 10, 10), 90 * 16, 270 * 16);
      painter.setBrush(color);
      painter.drawPolygon(QPolygon({QPoint(8, 1), QPoint(11, 3), QPoint(8, 5)}));
      break;
    default:
      break;
  }
  painter.end();
  return QIcon(pixmap);
}

}  // namespace qb
