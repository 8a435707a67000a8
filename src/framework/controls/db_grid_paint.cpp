// framework/controls/db_grid_paint: drawing the title row, the indicator column and the rows of
// the link's window. Each row is read through the fields by making its ring buffer the
// displayed one for a moment: painting never fetches a record.
#include <QPainter>
#include <QPolygon>

#include "framework/controls/db_grid.h"
#include "framework/controls/grid_inplace_edit.h"
#include "framework/controls/null_look.h"
#include "framework/data/dataset.h"
#include "framework/data/field.h"

namespace qb {

namespace {

const QColor kLineColor(200, 200, 200);

// Puts the dataset's displayed buffer back however the painting of a row ends.
class DisplayRecordGuard {
 public:
  DisplayRecordGuard(TDataSet* dataset, int index) : dataset_(dataset), previous_(dataset->SetDisplayRecord(index)) {}
  ~DisplayRecordGuard() { dataset_->SetDisplayRecord(previous_); }
  DisplayRecordGuard(const DisplayRecordGuard&) = delete;
  DisplayRecordGuard& operator=(const DisplayRecordGuard&) = delete;

 private:
  TDataSet* dataset_;
  int previous_;
};

Qt::Alignment AlignmentOf(const TField* field) {
  switch (field->DataType()) {
    case ftSmallint: case ftInteger: case ftWord: case ftAutoInc: case ftLargeint:
    case ftFloat: case ftCurrency: case ftBCD:
      return Qt::AlignRight | Qt::AlignVCenter;
    case ftBoolean:
      return Qt::AlignCenter;
    default:
      return Qt::AlignLeft | Qt::AlignVCenter;
  }
}

}  // namespace

void TDBGrid::paintEvent(QPaintEvent*) {
  QPainter painter(viewport());
  painter.fillRect(viewport()->rect(), palette().color(QPalette::Base));
  PaintRows(painter);
  PaintTitles(painter);
}

void TDBGrid::PaintTitles(QPainter& painter) {
  const int height = TitleHeight();
  if (height == 0) return;
  const QColor face = palette().color(QPalette::Button);
  painter.fillRect(QRect(0, 0, viewport()->width(), height), face);
  painter.setPen(palette().color(QPalette::ButtonText));
  // Columns name fields only while the dataset is open (a close with controls disabled is told
  // to the grid later).
  TDataSet* dataset = DataSet();
  const int columns = dataset && dataset->Active() ? ColumnCount() : 0;
  for (int column = 0; column < columns; ++column) {
    QRect cell = CellRect(-1, column);
    if (cell.right() < IndicatorWidth() || cell.left() > viewport()->width()) continue;
    painter.setClipRect(QRect(IndicatorWidth(), 0, viewport()->width(), height));
    painter.drawText(cell.adjusted(4, 0, -4, 0), Qt::AlignLeft | Qt::AlignVCenter,
                     QString::fromStdString(ColumnField(column)->DisplayName()));
    painter.setPen(palette().color(QPalette::Mid));
    painter.drawLine(cell.right(), 0, cell.right(), height - 1);
    painter.setPen(palette().color(QPalette::ButtonText));
  }
  painter.setClipping(false);
  painter.setPen(palette().color(QPalette::Mid));
  painter.drawLine(0, height - 1, viewport()->width(), height - 1);
  if (IndicatorWidth() > 0) painter.drawLine(IndicatorWidth() - 1, 0, IndicatorWidth() - 1, height - 1);
}

void TDBGrid::PaintIndicator(QPainter& painter, const QRect& cell, bool active) {
  painter.fillRect(cell, palette().color(QPalette::Button));
  painter.setPen(palette().color(QPalette::Mid));
  painter.drawLine(cell.topRight(), cell.bottomRight());
  painter.drawLine(cell.bottomLeft(), cell.bottomRight());
  if (!active) return;
  TDataSet* dataset = DataSet();
  const QPoint c = cell.center();
  painter.setPen(palette().color(QPalette::ButtonText));
  painter.setBrush(palette().color(QPalette::ButtonText));
  switch (dataset->State()) {
    case dsEdit:  // an I-beam
      painter.drawLine(c.x(), c.y() - 5, c.x(), c.y() + 5);
      painter.drawLine(c.x() - 2, c.y() - 5, c.x() + 2, c.y() - 5);
      painter.drawLine(c.x() - 2, c.y() + 5, c.x() + 2, c.y() + 5);
      break;
    case dsInsert:  // a star
      painter.drawLine(c.x() - 4, c.y(), c.x() + 4, c.y());
      painter.drawLine(c.x() - 3, c.y() - 3, c.x() + 3, c.y() + 3);
      painter.drawLine(c.x() - 3, c.y() + 3, c.x() + 3, c.y() - 3);
      painter.drawLine(c.x(), c.y() - 4, c.x(), c.y() + 4);
      break;
    default: {  // an arrow
      QPolygon arrow;
      arrow << QPoint(c.x() - 2, c.y() - 4) << QPoint(c.x() + 2, c.y()) << QPoint(c.x() - 2, c.y() + 4);
      painter.drawPolygon(arrow);
      break;
    }
  }
  painter.setBrush(Qt::NoBrush);
}

void TDBGrid::PaintRows(QPainter& painter) {
  TDataSet* dataset = DataSet();
  if (!link_.Active() || !dataset || !dataset->Active()) return;
  const int rows = link_.RecordCount();
  const int active = link_.ActiveRecord();
  const int width = viewport()->width();
  const QColor text = palette().color(QPalette::Text);
  QFont null_font = font();
  null_font.setItalic(true);
  for (int row = 0; row < rows; ++row) {
    const int top = TitleHeight() + row * row_height_;
    DisplayRecordGuard shown(dataset, link_.WindowStart() + row);
    painter.setClipRect(QRect(IndicatorWidth(), top, width - IndicatorWidth(), row_height_));
    for (int column = 0; column < ColumnCount(); ++column) {
      const QRect cell = CellRect(row, column);
      if (cell.right() < IndicatorWidth() || cell.left() > width) continue;
      const bool current = row == active && column == selected_;
      if (current) {
        const bool focused = hasFocus() || editor_->hasFocus();
        painter.fillRect(cell, palette().color(focused ? QPalette::Highlight : QPalette::AlternateBase));
      }
      TField* field = ColumnField(column);
      QString value;
      bool null = false;
      try {
        null = field->IsNull();
        if (!null) value = QString::fromStdString(field->DisplayText());
      } catch (const std::exception&) {
        value = QStringLiteral("#");  // the value cannot be shown; painting goes on
      }
      const QRect inner = cell.adjusted(3, 0, -3, 0);
      if (null) {
        painter.setFont(null_font);
        painter.setPen(NullTextColor());
        painter.drawText(inner, Qt::AlignLeft | Qt::AlignVCenter, NullText());
        painter.setFont(font());
      } else {
        painter.setPen(current && hasFocus() ? palette().color(QPalette::HighlightedText) : text);
        painter.drawText(inner, AlignmentOf(field), value);
      }
      if (options_ & dgColLines) {
        painter.setPen(kLineColor);
        painter.drawLine(cell.right(), cell.top(), cell.right(), cell.bottom());
      }
    }
    painter.setClipping(false);
    if (options_ & dgRowLines) {
      painter.setPen(kLineColor);
      painter.drawLine(IndicatorWidth(), top + row_height_ - 1, width, top + row_height_ - 1);
    }
    if (IndicatorWidth() > 0) PaintIndicator(painter, QRect(0, top, IndicatorWidth(), row_height_), row == active);
  }
}

}  // namespace qb
