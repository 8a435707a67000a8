// diagram/diagram_scene: the relationships diagram as a QGraphicsScene: one TableItem per table
// (a box with the table's name and fields, key fields in bold) and one RelationItem per
// relationship (a line from the related field of one box to that of the other, with the kind at
// each end: 1 and infinity, or 1 and 1; dashed when not enforced; cascades named in the middle).
// Lines follow their boxes when these move. Needs a QApplication (fonts); shows nothing itself.
#pragma once
#include <vector>

#include <QFont>
#include <QGraphicsItem>
#include <QGraphicsScene>

#include "diagram/diagram_model.h"
#include "diagram/diagram_positions.h"

namespace qb::diagram {

class RelationItem;

class TableItem : public QGraphicsItem {
 public:
  TableItem(const DiagramTable& table, const QFont& font);

  const DiagramTable& Table() const { return table_; }
  QRectF boundingRect() const override;
  void paint(QPainter* painter, const QStyleOptionGraphicsItem* option, QWidget* widget) override;
  // The scene point where a line meets field FIELD (by name; the header when there is no such
  // field) on the right side (RIGHT) or the left.
  QPointF Anchor(const std::string& field, bool right) const;
  void Attach(RelationItem* line) { lines_.push_back(line); }

 protected:
  QVariant itemChange(GraphicsItemChange change, const QVariant& value) override;

 private:
  DiagramTable table_;
  QFont font_, bold_;
  double width_ = 0, header_ = 0, row_ = 0;
  std::vector<RelationItem*> lines_;  // owned by the scene
};

class RelationItem : public QGraphicsItem {
 public:
  RelationItem(const DiagramRelation& relation, TableItem* primary, TableItem* foreign, const QFont& font);

  const DiagramRelation& Relation() const { return relation_; }
  QRectF boundingRect() const override;
  QPainterPath shape() const override;  // the line, widened: what a double-click hits
  void paint(QPainter* painter, const QStyleOptionGraphicsItem* option, QWidget* widget) override;
  // Re-routes the line after a box moved.
  void Route();
  // The line's end points (primary end first), in scene coordinates.
  QPointF PrimaryEnd() const { return path_.elementCount() ? path_.elementAt(0) : QPointF(); }
  QPointF ForeignEnd() const {
    return path_.elementCount() ? QPointF(path_.elementAt(path_.elementCount() - 1)) : QPointF();
  }

 private:
  DiagramRelation relation_;
  TableItem* primary_;  // owned by the scene
  TableItem* foreign_;  // owned by the scene
  QFont font_;
  QPainterPath path_;
  QPointF primary_label_, foreign_label_;
};

class DiagramScene : public QGraphicsScene {
 public:
  DiagramScene();

  // Rebuilds the scene from MODEL: boxes where POSITIONS puts them; the rest laid out
  // automatically (below the placed ones when there are any, so nothing overlaps them).
  void Build(const DiagramModel& model, const Positions& positions = {});
  // Forgets every placement and lays everything out automatically.
  void AutoArrange();
  // Where every box stands now, by table name.
  Positions CurrentPositions() const;
  // Boxes may be dragged (in the window) or not (rendering).
  void SetMovable(bool movable);

  const std::vector<TableItem*>& Tables() const { return tables_; }
  const std::vector<RelationItem*>& Relations() const { return relations_; }
  TableItem* FindTable(const std::string& name) const;

 private:
  void Place(const Positions& positions);

  QFont font_;
  std::vector<TableItem*> tables_;        // owned by the scene
  std::vector<RelationItem*> relations_;  // owned by the scene
};

}  // namespace qb::diagram
