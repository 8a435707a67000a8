// controls/media/video_pane: the widget a media device puts into the display window to show
// its picture: it paints the last decoded frame scaled to its own rectangle, black before the
// first one. It never talks to the player; the device hands it the frames.
#pragma once
#include <QImage>
#include <QWidget>

class QVideoFrame;

namespace qb::media {

class VideoPane : public QWidget {
 public:
  explicit VideoPane(QWidget* parent);

  // Shows FRAME from now on (an invalid frame is ignored).
  void ShowFrame(const QVideoFrame& frame);
  // The picture being shown; null before the first frame.
  const QImage& Picture() const { return picture_; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  QImage picture_;
};

}  // namespace qb::media
