// app/diagram/relationships_window: TRelationshipsWindow, the database's relationships diagram in
// a window: boxes dragged into place (positions kept in the file as soon as a drag ends), zoom
// by Ctrl+wheel and +/-, fit to the window, a table designer on a box's double-click, a
// relationship's fields and rules on a line's double-click, print and export as PNG or SVG.
//
// Lifetime: made by ShowRelationshipsWindow as a window child of PARENT (so it works beside a
// modal database editor and goes with it); deletes itself when closed.
#pragma once
#include <QGraphicsView>
#include <QPointer>
#include <QWidget>
#include <functional>

#include "diagram/diagram_scene.h"

namespace qb {

class TDAODataBase;

// Shows the Relationships window of DATABASE (connected) beside PARENT; returns it.
class TRelationshipsWindow;
TRelationshipsWindow* ShowRelationshipsWindow(TDAODataBase* database, QWidget* parent);

// The view: zooms on Ctrl+wheel and +/-, reports double-clicks and the end of drags.
class TDiagramView : public QGraphicsView {
  Q_OBJECT

 public:
  explicit TDiagramView(QGraphicsScene* scene, QWidget* parent = nullptr);
  void ZoomBy(double factor);
  void FitAll();
  double Zoom() const { return transform().m11(); }

  std::function<void(QGraphicsItem*)> OnDoubleClick;
  std::function<void()> OnDragEnd;

 protected:
  void wheelEvent(QWheelEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;

 private:
  diagram::Positions pressed_at_;  // box positions when a button went down
};

class TRelationshipsWindow : public QWidget {
  Q_OBJECT

 public:
  TRelationshipsWindow(TDAODataBase* database, QWidget* parent);

  // Re-reads the tables and relationships (and the stored positions) from the database.
  void Refresh();
  // Lays every box out automatically and keeps that arrangement.
  void AutoArrange();
  // Keeps the boxes' current positions in the database (nothing on a read-only open).
  void SavePositions();
  void Print();
  void Export();
  // What a double-click on ITEM does: a box opens the table designer, a line tells its rules.
  void Activate(QGraphicsItem* item);

  diagram::DiagramScene& Scene() { return scene_; }
  TDiagramView& View() { return *view_; }
  // The text shown for LINE's relationship.
  static std::string Describe(const diagram::DiagramRelation& relation, const diagram::DiagramModel& model);

 private:
  QPointer<TDAODataBase> database_;  // not owned
  diagram::DiagramScene scene_;
  diagram::DiagramModel model_;
  TDiagramView* view_ = nullptr;     // owned by the window
};

}  // namespace qb
