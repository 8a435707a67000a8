// app/diagram/relationships_window: the Relationships window and its view.
#include "app/diagram/relationships_window.h"

#include <QGraphicsItem>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>
#include <QWheelEvent>

#include "app/tabledesign/table_design_form.h"
#include "diagram/diagram_render.h"
#include "engine/dao_database.h"
#include "framework/gui/application.h"
#include "framework/gui/file_dialog.h"
#include "framework/gui/gui_services.h"
#include "framework/gui/message_box.h"
#include "jet/dao/database.h"
#include "jet/dao/relation.h"
#include "jet/dao/tabledef.h"

namespace qb {
namespace {

constexpr double kZoomStep = 1.25;
constexpr double kMinZoom = 0.1, kMaxZoom = 8;

std::string Joined(const std::vector<std::string>& names) {
  std::string text;
  for (const std::string& name : names) text += (text.empty() ? "" : ", ") + name;
  return text;
}

}  // namespace

TRelationshipsWindow* ShowRelationshipsWindow(TDAODataBase* database, QWidget* parent) {
  auto* window = new TRelationshipsWindow(database, parent);
  window->show();
  window->View().FitAll();
  return window;
}

TDiagramView::TDiagramView(QGraphicsScene* scene, QWidget* parent) : QGraphicsView(scene, parent) {
  setObjectName("DiagramView");
  setRenderHint(QPainter::Antialiasing);
  setRenderHint(QPainter::TextAntialiasing);
  // Only what changed is repainted; boxes come from their item caches while scrolling.
  setViewportUpdateMode(QGraphicsView::MinimalViewportUpdate);
  setOptimizationFlags(QGraphicsView::DontSavePainterState | QGraphicsView::DontAdjustForAntialiasing);
  setCacheMode(QGraphicsView::CacheBackground);
  setDragMode(QGraphicsView::ScrollHandDrag);
  setTransformationAnchor(QGraphicsView::AnchorUnderMouse);
}

void TDiagramView::ZoomBy(double factor) {
  const double zoom = Zoom() * factor;
  if (zoom < kMinZoom || zoom > kMaxZoom) return;
  scale(factor, factor);
}

void TDiagramView::FitAll() {
  if (!scene()) return;
  fitInView(scene()->itemsBoundingRect().adjusted(-10, -10, 10, 10), Qt::KeepAspectRatio);
  // Fitting never magnifies past the natural size: small diagrams stay readable as they are.
  if (Zoom() > 1) setTransform(QTransform());
}

void TDiagramView::wheelEvent(QWheelEvent* event) {
  if (event->modifiers() & Qt::ControlModifier) {
    ZoomBy(event->angleDelta().y() > 0 ? kZoomStep : 1 / kZoomStep);
    event->accept();
    return;
  }
  QGraphicsView::wheelEvent(event);
}

void TDiagramView::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Plus || event->key() == Qt::Key_Equal) {
    ZoomBy(kZoomStep);
  } else if (event->key() == Qt::Key_Minus) {
    ZoomBy(1 / kZoomStep);
  } else {
    QGraphicsView::keyPressEvent(event);
  }
}

void TDiagramView::mousePressEvent(QMouseEvent* event) {
  // Dragging a box moves it; dragging the background scrolls.
  setDragMode(itemAt(event->pos()) ? QGraphicsView::NoDrag : QGraphicsView::ScrollHandDrag);
  if (auto* scene = dynamic_cast<diagram::DiagramScene*>(this->scene())) pressed_at_ = scene->CurrentPositions();
  QGraphicsView::mousePressEvent(event);
}

void TDiagramView::mouseReleaseEvent(QMouseEvent* event) {
  QGraphicsView::mouseReleaseEvent(event);
  auto* scene = dynamic_cast<diagram::DiagramScene*>(this->scene());
  if (!scene || !OnDragEnd) return;
  const diagram::Positions now = scene->CurrentPositions();
  bool moved = now.size() != pressed_at_.size();
  for (auto it = now.begin(); !moved && it != now.end(); ++it) {
    auto before = pressed_at_.find(it->first);
    moved = before == pressed_at_.end() || before->second.at != it->second.at;
  }
  if (moved) {
    scene->setSceneRect(scene->itemsBoundingRect().adjusted(-20, -20, 20, 20));
    OnDragEnd();
  }
}

void TDiagramView::mouseDoubleClickEvent(QMouseEvent* event) {
  QGraphicsItem* item = itemAt(event->pos());
  if (item && OnDoubleClick) {
    OnDoubleClick(item);
    event->accept();
    return;
  }
  QGraphicsView::mouseDoubleClickEvent(event);
}

TRelationshipsWindow::TRelationshipsWindow(TDAODataBase* database, QWidget* parent)
    : QWidget(parent, Qt::Window), database_(database) {
  setObjectName("RelationshipsWindow");
  setAttribute(Qt::WA_DeleteOnClose);
  setWindowTitle("Relationships");
  view_ = new TDiagramView(&scene_, this);
  view_->OnDoubleClick = [this](QGraphicsItem* item) { App().CallGuarded([this, item] { Activate(item); }); };
  view_->OnDragEnd = [this] { App().CallGuarded([this] { SavePositions(); }); };

  auto* buttons = new QHBoxLayout;
  auto button = [&](const char* name, const QString& text, const QString& tip, std::function<void()> action) {
    auto* b = new QPushButton(text, this);
    b->setObjectName(name);
    b->setToolTip(tip);
    b->setAutoDefault(false);
    connect(b, &QPushButton::clicked, this, [action] { App().CallGuarded(action); });
    buttons->addWidget(b);
  };
  button("BtnRefresh", "Refresh", "Read the tables and relationships again", [this] { Refresh(); });
  button("BtnArrange", "Arrange", "Lay every table out automatically", [this] { AutoArrange(); });
  button("BtnFit", "Fit", "Show the whole diagram", [this] { view_->FitAll(); });
  button("BtnZoomIn", "+", "Zoom in (Ctrl+wheel, +)", [this] { view_->ZoomBy(kZoomStep); });
  button("BtnZoomOut", "\u2212", "Zoom out (Ctrl+wheel, -)", [this] { view_->ZoomBy(1 / kZoomStep); });
  buttons->addStretch(1);
  button("BtnPrint", "Print ...", "Print the diagram", [this] { Print(); });
  button("BtnExport", "Export ...", "Save the diagram as a PNG or SVG picture", [this] { Export(); });

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(buttons);
  layout->addWidget(view_, 1);
  resize(900, 620);
  Refresh();
}

void TRelationshipsWindow::Refresh() {
  if (database_.isNull() || !database_->DatabaseObject()) {
    model_ = {};
    scene_.Build(model_);
    return;
  }
  jet::Database& database = *database_->DatabaseObject();
  model_ = diagram::ReadDiagramModel(database);
  scene_.Build(model_, diagram::LoadPositions(database));
  scene_.SetMovable(true);
}

void TRelationshipsWindow::AutoArrange() {
  scene_.AutoArrange();
  SavePositions();
  view_->FitAll();
}

void TRelationshipsWindow::SavePositions() {
  if (database_.isNull() || !database_->DatabaseObject()) return;
  jet::Database& database = *database_->DatabaseObject();
  if (!database.Updatable()) return;  // a read-only open shows; it keeps nothing
  diagram::SavePositions(database, scene_.CurrentPositions());
}

std::string TRelationshipsWindow::Describe(const diagram::DiagramRelation& relation,
                                           const diagram::DiagramModel& model) {
  const std::string& primary = model.tables[relation.primary].name;
  const std::string& foreign = model.tables[relation.foreign].name;
  const bool enforced = (relation.attributes & jet::relation_attribute::kDontEnforce) == 0;
  std::string text = "Relationship " + relation.name + "\n\n";
  text += "Table: " + primary + " (" + Joined(relation.primary_fields) + ")\n";
  text += "Related table: " + foreign + " (" + Joined(relation.foreign_fields) + ")\n";
  text += std::string("Kind: ") +
          ((relation.attributes & jet::relation_attribute::kUnique) ? "one-to-one" : "one-to-many") + "\n";
  text += std::string("Referential integrity: ") + (enforced ? "enforced" : "not enforced") + "\n";
  text += std::string("Cascade updates: ") +
          ((relation.attributes & jet::relation_attribute::kUpdateCascade) ? "yes" : "no") + "\n";
  text += std::string("Cascade deletes: ") +
          ((relation.attributes & jet::relation_attribute::kDeleteCascade) ? "yes" : "no");
  return text;
}

void TRelationshipsWindow::Activate(QGraphicsItem* item) {
  // The text of a box or its label may be hit: walk up to the item that owns it.
  while (item && item->parentItem()) item = item->parentItem();
  if (auto* table = dynamic_cast<diagram::TableItem*>(item)) {
    if (database_.isNull() || !database_->DatabaseObject()) return;
    ShowTableDesigner(database_.data(), database_->FindTableDef(table->Table().name));
  } else if (auto* line = dynamic_cast<diagram::RelationItem*>(item)) {
    Gui().MessageBox(Describe(line->Relation(), model_), "Relationship", MB_OK | MB_ICONINFORMATION);
  }
}

void TRelationshipsWindow::Print() {
  QLabel page;
  page.setPixmap(QPixmap::fromImage(diagram::RenderImage(scene_, 2.0)));
  page.resize(page.sizeHint());
  Gui().PrintWidgetImage(page);
}

void TRelationshipsWindow::Export() {
  FileDialogRequest request;
  request.title = "Export Diagram";
  request.filter = "PNG Pictures (*.png)|*.png|SVG Pictures (*.svg)|*.svg";
  request.default_ext = "png";
  request.file_name = "Relationships.png";
  request.overwrite_prompt = true;
  std::optional<std::string> path = Gui().SaveFileDialog(request);
  if (!path) return;
  diagram::SavePicture(scene_, *path);
}

}  // namespace qb
