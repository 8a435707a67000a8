// controls/media/video_pane: painting the last frame.
#include "controls/media/video_pane.h"

#include <QPainter>
#include <QVideoFrame>

namespace qb::media {

VideoPane::VideoPane(QWidget* parent) : QWidget(parent) { setAttribute(Qt::WA_OpaquePaintEvent); }

void VideoPane::ShowFrame(const QVideoFrame& frame) {
  if (!frame.isValid()) return;
  QImage image = frame.toImage();
  if (image.isNull()) return;
  picture_ = std::move(image);
  update();
}

void VideoPane::paintEvent(QPaintEvent* /*event*/) {
  QPainter painter(this);
  if (picture_.isNull()) {
    painter.fillRect(rect(), Qt::black);
  } else {
    painter.drawImage(rect(), picture_);
  }
}

}  // namespace qb::media
