// diagram/diagram_render: PNG and SVG output of a diagram scene.
#include "diagram/diagram_render.h"

#include <cstdio>
#include <cstdlib>
#include <stdexcept>
#include <utility>
#include <vector>

#include <QApplication>
#include <QFileInfo>
#include <QGraphicsItem>
#include <QGraphicsScene>
#include <QPainter>
#include <QSvgGenerator>

namespace qb::diagram {
namespace {

constexpr double kMargin = 16;

// Items draw themselves while the scene renders, not from their screen caches: a picture must
// hold text and lines (an SVG its text elements), not the cached bitmaps.
class UncachedItems {
 public:
  explicit UncachedItems(QGraphicsScene& scene) {
    for (QGraphicsItem* item : scene.items()) {
      if (item->cacheMode() == QGraphicsItem::NoCache) continue;
      cached_.push_back({item, item->cacheMode()});
      item->setCacheMode(QGraphicsItem::NoCache);
    }
  }
  ~UncachedItems() {
    for (const auto& [item, mode] : cached_) item->setCacheMode(mode);
  }
  UncachedItems(const UncachedItems&) = delete;
  UncachedItems& operator=(const UncachedItems&) = delete;

 private:
  std::vector<std::pair<QGraphicsItem*, QGraphicsItem::CacheMode>> cached_;
};

QRectF Area(QGraphicsScene& scene) {
  return scene.itemsBoundingRect().adjusted(-kMargin, -kMargin, kMargin, kMargin);
}

}  // namespace

std::unique_ptr<QApplication> MakeOffscreenApplication() {
  if (QCoreApplication::instance()) return nullptr;
  // A program that shows no window draws on the offscreen platform, display or not.
  ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
  // Such a program reports its own failures; Qt's notes about the desktop session it does not
  // use (no runtime folder, no font database hints) would only clutter its error output.
  qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& message) {
    if (type == QtCriticalMsg || type == QtFatalMsg) std::fprintf(stderr, "%s\n", qPrintable(message));
  });
  static int argc = 1;
  static char name[] = "quill";
  static char* argv[] = {name, nullptr};
  return std::make_unique<QApplication>(argc, argv);
}

QImage RenderImage(QGraphicsScene& scene, double scale) {
  const QRectF area = Area(scene);
  QImage image((area.size() * scale).toSize().expandedTo(QSize(1, 1)), QImage::Format_ARGB32);
  image.fill(Qt::white);
  UncachedItems uncached(scene);
  QPainter painter(&image);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setRenderHint(QPainter::TextAntialiasing);
  scene.render(&painter, QRectF(QPointF(0, 0), area.size() * scale), area);
  painter.end();
  return image;
}

void SavePng(QGraphicsScene& scene, const std::string& path) {
  if (!RenderImage(scene).save(QString::fromStdString(path), "PNG")) {
    throw std::runtime_error("The picture cannot be written to '" + path + "'.");
  }
}

void SaveSvg(QGraphicsScene& scene, const std::string& path) {
  const QRectF area = Area(scene);
  QSvgGenerator svg;
  svg.setFileName(QString::fromStdString(path));
  svg.setSize(area.size().toSize());
  svg.setViewBox(QRectF(QPointF(0, 0), area.size()));
  svg.setTitle("Relationships");
  UncachedItems uncached(scene);
  QPainter painter;
  if (!painter.begin(&svg)) throw std::runtime_error("The picture cannot be written to '" + path + "'.");
  scene.render(&painter, QRectF(QPointF(0, 0), area.size()), area);
  painter.end();
  // The generator reports no write failure of its own: look at what arrived.
  if (QFileInfo(QString::fromStdString(path)).size() <= 0) {
    throw std::runtime_error("The picture cannot be written to '" + path + "'.");
  }
}

void SavePicture(QGraphicsScene& scene, const std::string& path) {
  const QString suffix = QFileInfo(QString::fromStdString(path)).suffix().toLower();
  if (suffix == "png") {
    SavePng(scene, path);
  } else if (suffix == "svg") {
    SaveSvg(scene, path);
  } else {
    throw std::invalid_argument("the picture's name must end in .png or .svg: '" + path + "'");
  }
}

}  // namespace qb::diagram
