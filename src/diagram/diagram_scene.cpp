// diagram/diagram_scene: drawing the boxes and lines, routing lines between field rows.
#include "diagram/diagram_scene.h"

#include <algorithm>
#include <cmath>

#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPathStroker>

#include "diagram/diagram_layout.h"
#include "jet/dao/engine_options.h"
#include "jet/dao/relation.h"

namespace qb::diagram {
namespace {

constexpr double kPadding = 8;
constexpr double kMinWidth = 130;
constexpr double kMaxWidth = 280;
constexpr double kStub = 18;  // the straight bit where a line leaves a box
const QColor kFrame(0x44, 0x4c, 0x56);
const QColor kHeader(0xdc, 0xe6, 0xf2);
const QColor kLine(0x1f, 0x4e, 0x79);

QString Q(const std::string& text) { return QString::fromStdString(text); }

}  // namespace

TableItem::TableItem(const DiagramTable& table, const QFont& font) : table_(table), font_(font), bold_(font) {
  bold_.setBold(true);
  const QFontMetricsF plain(font_), strong(bold_);
  header_ = strong.height() + kPadding;
  row_ = plain.height() + 2;
  double widest = strong.horizontalAdvance(Q(table_.name));
  for (const DiagramField& field : table_.fields) {
    widest = std::max(widest, (field.key ? strong : plain).horizontalAdvance(Q(field.name)));
  }
  width_ = std::clamp(widest + 2 * kPadding, kMinWidth, kMaxWidth);
  setFlag(ItemSendsGeometryChanges);
  setCacheMode(DeviceCoordinateCache);  // boxes are redrawn from a cache while the view scrolls
  setZValue(1);
  setToolTip(Q(table_.name));
}

QRectF TableItem::boundingRect() const {
  return QRectF(0, 0, width_, header_ + row_ * static_cast<double>(table_.fields.size()) + kPadding / 2);
}

void TableItem::paint(QPainter* painter, const QStyleOptionGraphicsItem*, QWidget*) {
  const QRectF box = boundingRect();
  painter->setPen(Qt::NoPen);
  painter->setBrush(Qt::white);
  painter->drawRect(box);
  painter->setBrush(isSelected() ? kHeader.darker(115) : kHeader);
  painter->drawRect(QRectF(0, 0, width_, header_));
  painter->setBrush(Qt::NoBrush);
  painter->setPen(QPen(kFrame, 1));
  painter->drawRect(box.adjusted(0.5, 0.5, -0.5, -0.5));
  painter->drawLine(QPointF(0, header_), QPointF(width_, header_));
  painter->setFont(bold_);
  const double text_width = width_ - 2 * kPadding;
  painter->drawText(QRectF(kPadding, 0, text_width, header_), Qt::AlignVCenter | Qt::AlignLeft,
                    QFontMetricsF(bold_).elidedText(Q(table_.name), Qt::ElideRight, text_width));
  double y = header_ + kPadding / 4;
  for (const DiagramField& field : table_.fields) {
    const QFont& font = field.key ? bold_ : font_;
    painter->setFont(font);
    painter->drawText(QRectF(kPadding, y, text_width, row_), Qt::AlignVCenter | Qt::AlignLeft,
                      QFontMetricsF(font).elidedText(Q(field.name), Qt::ElideRight, text_width));
    if (field.key) {  // a small key mark in the margin
      painter->setBrush(kFrame);
      painter->drawEllipse(QPointF(kPadding / 2, y + row_ / 2), 1.8, 1.8);
      painter->setBrush(Qt::NoBrush);
    }
    y += row_;
  }
}

QPointF TableItem::Anchor(const std::string& field, bool right) const {
  double y = header_ / 2;
  const std::string folded = jet::FoldCase(field);
  for (std::size_t i = 0; i < table_.fields.size(); ++i) {
    if (jet::FoldCase(table_.fields[i].name) == folded) {
      y = header_ + kPadding / 4 + row_ * (static_cast<double>(i) + 0.5);
      break;
    }
  }
  return mapToScene(QPointF(right ? width_ : 0, y));
}

QVariant TableItem::itemChange(GraphicsItemChange change, const QVariant& value) {
  if (change == ItemPositionHasChanged) {
    for (RelationItem* line : lines_) line->Route();
  }
  return QGraphicsItem::itemChange(change, value);
}

RelationItem::RelationItem(const DiagramRelation& relation, TableItem* primary, TableItem* foreign, const QFont& font)
    : relation_(relation), primary_(primary), foreign_(foreign), font_(font) {
  primary_->Attach(this);
  if (foreign_ != primary_) foreign_->Attach(this);
  setZValue(0);
  QString tip = Q(relation_.name) + ": " + Q(primary_->Table().name) + " \u2192 " + Q(foreign_->Table().name);
  setToolTip(tip);
  Route();
}

void RelationItem::Route() {
  prepareGeometryChange();
  const std::string from_field = relation_.primary_fields.empty() ? std::string() : relation_.primary_fields[0];
  const std::string to_field = relation_.foreign_fields.empty() ? std::string() : relation_.foreign_fields[0];
  const QRectF a = primary_->sceneBoundingRect(), b = foreign_->sceneBoundingRect();
  // Leave each box on the side facing the other; boxes above one another (or one box) are
  // joined round their right sides.
  bool a_right = true, b_right = false;
  if (b.left() >= a.right()) {
    a_right = true, b_right = false;
  } else if (a.left() >= b.right()) {
    a_right = false, b_right = true;
  } else {
    a_right = true, b_right = true;
  }
  const QPointF start = primary_->Anchor(from_field, a_right), end = foreign_->Anchor(to_field, b_right);
  const QPointF start_stub = start + QPointF(a_right ? kStub : -kStub, 0);
  const QPointF end_stub = end + QPointF(b_right ? kStub : -kStub, 0);
  QPainterPath path(start);
  path.lineTo(start_stub);
  if (a_right && b_right) {  // round the right: out to the wider box's edge
    const double x = std::max(start_stub.x(), end_stub.x());
    path.lineTo(x, start_stub.y());
    path.lineTo(x, end_stub.y());
  } else {
    path.lineTo(end_stub);
  }
  path.lineTo(end_stub);
  path.lineTo(end);
  path_ = path;
  const double label_up = QFontMetricsF(font_).height() * 0.8;
  primary_label_ = QPointF(start.x() + (a_right ? 4 : -12), start.y() - label_up);
  foreign_label_ = QPointF(end.x() + (b_right ? 4 : -12), end.y() - label_up);
  update();
}

QRectF RelationItem::boundingRect() const {
  const double margin = QFontMetricsF(font_).height() * 2;
  return path_.boundingRect().adjusted(-margin, -margin, margin, margin);
}

QPainterPath RelationItem::shape() const {
  QPainterPathStroker stroker;
  stroker.setWidth(8);
  return stroker.createStroke(path_);
}

void RelationItem::paint(QPainter* painter, const QStyleOptionGraphicsItem*, QWidget*) {
  const bool enforced = (relation_.attributes & jet::relation_attribute::kDontEnforce) == 0;
  QPen pen(isSelected() ? kLine.lighter(150) : kLine, enforced ? 2 : 1);
  if (!enforced) pen.setStyle(Qt::DashLine);
  pen.setJoinStyle(Qt::MiterJoin);
  painter->setPen(pen);
  painter->setBrush(Qt::NoBrush);
  painter->drawPath(path_);
  if (!enforced) return;  // the kind is shown only where the rules hold
  QFont label = font_;
  label.setBold(true);
  painter->setFont(label);
  const double ascent = QFontMetricsF(label).ascent();
  const bool one_to_one = (relation_.attributes & jet::relation_attribute::kUnique) != 0;
  painter->drawText(primary_label_ + QPointF(0, ascent), "1");
  painter->drawText(foreign_label_ + QPointF(0, ascent), one_to_one ? QString("1") : QString::fromUtf8("\u221e"));
  QStringList cascades;
  if (relation_.attributes & jet::relation_attribute::kUpdateCascade) cascades << "cascade update";
  if (relation_.attributes & jet::relation_attribute::kDeleteCascade) cascades << "cascade delete";
  if (!cascades.isEmpty()) {
    QFont small = font_;
    small.setPointSizeF(font_.pointSizeF() * 0.8);
    painter->setFont(small);
    const QPointF middle = path_.pointAtPercent(0.5);
    painter->drawText(middle + QPointF(4, -4), cascades.join(", "));
  }
}

DiagramScene::DiagramScene() {
  font_.setPointSizeF(9);
  setBackgroundBrush(Qt::white);
  setItemIndexMethod(QGraphicsScene::BspTreeIndex);
}

void DiagramScene::Build(const DiagramModel& model, const Positions& positions) {
  clear();
  tables_.clear();
  relations_.clear();
  for (const DiagramTable& table : model.tables) {
    auto* item = new TableItem(table, font_);
    addItem(item);
    tables_.push_back(item);
  }
  for (const DiagramRelation& relation : model.relations) {
    if (relation.primary >= tables_.size() || relation.foreign >= tables_.size()) continue;
    auto* line = new RelationItem(relation, tables_[relation.primary], tables_[relation.foreign], font_);
    addItem(line);
    relations_.push_back(line);
  }
  Place(positions);
}

void DiagramScene::AutoArrange() { Place({}); }

void DiagramScene::Place(const Positions& positions) {
  std::vector<QSizeF> sizes;
  std::vector<std::size_t> unplaced;
  double placed_bottom = 0;
  bool any_placed = false;
  for (std::size_t i = 0; i < tables_.size(); ++i) {
    if (const QPointF* at = FindPosition(positions, tables_[i]->Table().name)) {
      tables_[i]->setPos(*at);
      placed_bottom = any_placed ? std::max(placed_bottom, tables_[i]->sceneBoundingRect().bottom())
                                 : tables_[i]->sceneBoundingRect().bottom();
      any_placed = true;
    } else {
      unplaced.push_back(i);
      sizes.push_back(tables_[i]->boundingRect().size());
    }
  }
  std::vector<std::size_t> slot(tables_.size(), SIZE_MAX);
  for (std::size_t k = 0; k < unplaced.size(); ++k) slot[unplaced[k]] = k;
  std::vector<std::pair<std::size_t, std::size_t>> edges;
  for (const RelationItem* line : relations_) {
    const std::size_t from = slot[line->Relation().primary], to = slot[line->Relation().foreign];
    if (from != SIZE_MAX && to != SIZE_MAX) edges.push_back({from, to});
  }
  const std::vector<QPointF> at = LayoutBoxes(sizes, edges);
  const QPointF offset(0, any_placed ? placed_bottom + LayoutGaps().column : 0);
  // Whole units, as the positions are kept: a kept arrangement reads back exactly.
  for (std::size_t k = 0; k < unplaced.size(); ++k) {
    const QPointF p = at[k] + offset;
    tables_[unplaced[k]]->setPos(std::round(p.x()), std::round(p.y()));
  }
  for (RelationItem* line : relations_) line->Route();
  setSceneRect(itemsBoundingRect().adjusted(-20, -20, 20, 20));
}

Positions DiagramScene::CurrentPositions() const {
  Positions positions;
  for (const TableItem* table : tables_) SetPosition(positions, table->Table().name, table->pos());
  return positions;
}

void DiagramScene::SetMovable(bool movable) {
  for (TableItem* table : tables_) {
    table->setFlag(QGraphicsItem::ItemIsMovable, movable);
    table->setFlag(QGraphicsItem::ItemIsSelectable, movable);
  }
  for (RelationItem* line : relations_) line->setFlag(QGraphicsItem::ItemIsSelectable, movable);
}

TableItem* DiagramScene::FindTable(const std::string& name) const {
  const std::string folded = jet::FoldCase(name);
  for (TableItem* table : tables_) {
    if (jet::FoldCase(table->Table().name) == folded) return table;
  }
  return nullptr;
}

}  // namespace qb::diagram
