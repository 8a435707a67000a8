// app/widgets/nim_grip_panel: TNimGripPanel, the size grip placed in the bottom-right corner of
// a resizable window. It resizes only its top-level window and draws nothing else.
#pragma once
#include <QWidget>

class QSizeGrip;

namespace qb {

class TNimGripPanel : public QWidget {
  Q_OBJECT

 public:
  // A panel holding a size grip aligned to its bottom-right corner; add it as the last item of
  // the window's layout. Dragging the grip resizes the top-level window.
  explicit TNimGripPanel(QWidget* parent = nullptr);

  QSizeGrip* Grip() const { return grip_; }

 private:
  QSizeGrip* grip_;  // owned by the panel
};

}  // namespace qb
