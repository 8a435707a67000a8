// app/widgets/nim_grip_panel: layout of the grip panel.
#include "app/widgets/nim_grip_panel.h"

#include <QHBoxLayout>
#include <QSizeGrip>

namespace qb {

TNimGripPanel::TNimGripPanel(QWidget* parent) : QWidget(parent), grip_(new QSizeGrip(this)) {
  grip_->setObjectName("Grip");
  auto* layout = new QHBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addStretch(1);
  layout->addWidget(grip_, 0, Qt::AlignRight | Qt::AlignBottom);
  setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

}  // namespace qb
