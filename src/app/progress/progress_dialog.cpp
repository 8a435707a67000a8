// app/progress/progress_dialog: the progress window's layout, its first activation, the clock,
// the cancel button, placement and the close request.
#include "app/progress/progress_dialog.h"

#include <QFrame>
#include <QGridLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>
#include <algorithm>

#include "app/progress/clock_face.h"
#include "framework/gui/application.h"
#include "framework/gui/window_timer.h"

namespace qb {

namespace {

Qt::WindowFlags FrameFlags(TCaptionStyle style) {
  // No border icons in any style: the window ends when its operation does.
  switch (style) {
    case csSmallCaption: return Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint;
    case csNormalCaption: return Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint;
    case csNoCaption: return Qt::Dialog | Qt::CustomizeWindowHint;
  }
  return Qt::Dialog;
}

}  // namespace

TProgressDialog::TProgressDialog(TCaptionStyle style, QWidget* parent)
    : QDialog(parent, FrameFlags(style)), caption_style_(style), idle_([this] { AppIdle(); }) {
  setObjectName("TProgressDialog");
  setWindowTitle("Please Wait ...");
  BuildControls();
}

TProgressDialog::~TProgressDialog() = default;

void TProgressDialog::BuildControls() {
  auto* panel = new QFrame(this);
  panel->setObjectName("Panel1");
  panel->setFrameStyle(QFrame::Panel | QFrame::Raised);
  panel->setLineWidth(1);

  auto* clock_square = new QFrame(panel);
  clock_square->setObjectName("ClockPanel");
  clock_square->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  clock_square->setAutoFillBackground(true);
  QPalette white = clock_square->palette();
  white.setColor(QPalette::Window, Qt::white);
  clock_square->setPalette(white);
  clock_label_ = new TClockFace(clock_square);
  auto* square_layout = new QVBoxLayout(clock_square);
  square_layout->setContentsMargins(1, 1, 1, 1);
  square_layout->addWidget(clock_label_);

  message_label_ = new QLabel("Operation in Progress. Please Wait ...", panel);
  message_label_->setObjectName("MessageLabel");
  message_label_->setAlignment(Qt::AlignCenter);
  message_label_->setWordWrap(true);
  message_label_->setFixedWidth(240);
  message_label_->setMinimumHeight(clock_label_->sizeHint().height());

  progress_bar_ = new QProgressBar(panel);
  progress_bar_->setObjectName("ProgressBar");
  progress_bar_->setRange(0, 100);
  progress_bar_->setValue(0);
  progress_bar_->setTextVisible(false);

  btn_cancel_ = new QPushButton("&Cancel", panel);
  btn_cancel_->setObjectName("BtnCancel");
  btn_cancel_->setDefault(true);
  btn_cancel_->setAutoDefault(true);
  connect(btn_cancel_, &QPushButton::clicked, this, [this] { App().CallGuarded([this] { BtnCancelClick(); }); });

  auto* grid = new QGridLayout(panel);
  grid->setContentsMargins(10, 10, 10, 10);
  grid->setHorizontalSpacing(10);
  grid->addWidget(clock_square, 0, 0, Qt::AlignTop);
  grid->addWidget(message_label_, 0, 1);
  grid->addWidget(progress_bar_, 1, 0, 1, 2);
  grid->addWidget(btn_cancel_, 2, 0, 1, 2, Qt::AlignHCenter);

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(panel);
  layout->setSizeConstraint(QLayout::SetFixedSize);

  turn_timer_ = new WindowTimer(this);
  turn_timer_->setObjectName("TurnTimer");
  turn_timer_->SetEnabled(false);
  turn_timer_->SetInterval(100);
  turn_timer_->OnTimer = [this](WindowTimer&) { TurnTimerTimer(); };
}

void TProgressDialog::SetOperation(TStartOperationEvent operation, QObject* data) {
  operation_ = std::move(operation);
  data_ = data;
}

void TProgressDialog::ProcessMessages() { App().ProcessMessages(); }

void TProgressDialog::SetText(const std::string& text) {
  message_label_->setText(QString::fromStdString(text));
  if (isVisible()) repaint();
}

void TProgressDialog::SetMessageFont(const QFont& font) { message_label_->setFont(font); }

void TProgressDialog::SetTurnInterval(int interval) { turn_timer_->SetInterval(interval); }

void TProgressDialog::SetCancelBtnState(TCancelBtnState state) {
  // Each state sets both visibility and enabling, so that a hidden button that is then only
  // to be disabled comes back into view.
  btn_cancel_->setEnabled(state == cbsAllowCancel);
  btn_cancel_->setHidden(state == cbsHideCancelBtn);
}

void TProgressDialog::SetProgressRange(int min, int max) {
  // A bar whose minimum equals its maximum would show Qt's busy animation; it stays empty here.
  progress_bar_->setRange(min, max > min ? max : min + 1);
}

void TProgressDialog::SetProgressPosition(int position) {
  progress_bar_->setValue(std::clamp(position, progress_bar_->minimum(), progress_bar_->maximum()));
}

int TProgressDialog::ProgressPosition() const { return progress_bar_->value(); }

void TProgressDialog::SetWindowPosition(TPosition position) {
  position_ = position;
  if (isVisible()) ApplyPlacement();
}

void TProgressDialog::SetWindowLeft(int left) {
  left_ = left;
  if (isVisible()) move(left_, pos().y());
}

void TProgressDialog::SetWindowTop(int top) {
  top_ = top;
  if (isVisible()) move(pos().x(), top_);
}

void TProgressDialog::ApplyPlacement() {
  QRect area;
  switch (position_) {
    case poDesigned:
    case poDefaultSizeOnly: move(left_, top_); return;
    case poDefault:
    case poDefaultPosOnly: return;
    case poScreenCenter: {
      QScreen* on = screen() != nullptr ? screen() : QGuiApplication::primaryScreen();
      if (on != nullptr) area = on->geometry();
      break;
    }
    case poDesktopCenter: {
      QScreen* primary = QGuiApplication::primaryScreen();
      if (primary != nullptr) area = primary->virtualGeometry();
      break;
    }
  }
  if (area.isEmpty()) return;
  adjustSize();
  const QSize size = frameGeometry().size().expandedTo(this->size());
  move(area.x() + (area.width() - size.width()) / 2, area.y() + (area.height() - size.height()) / 2);
}

void TProgressDialog::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (activation_posted_) return;
  activation_posted_ = true;
  ApplyPlacement();
  // The operation starts once the event loop runs with the window on screen.
  QMetaObject::invokeMethod(
      this, [this] { App().CallGuarded([this] { FormActivate(); }); }, Qt::QueuedConnection);
}

void TProgressDialog::FormActivate() {
  repaint();
  if (!first_activation_) return;
  first_activation_ = false;
  turn_timer_->SetEnabled(true);
  try {
    if (operation_) operation_(*this, data_);
  } catch (...) {
    error_ = true;
    turn_timer_->SetEnabled(false);
    throw;
  }
  turn_timer_->SetEnabled(false);
  PostCloseRequest(QDialog::Accepted);
}

void TProgressDialog::TurnTimerTimer() {
  clock_label_->SetCharacter(NextClockCharacter(clock_label_->Character()));
  clock_label_->repaint();
}

void TProgressDialog::BtnCancelClick() {
  bool cancel = true;
  if (cancel_handler_) cancel_handler_(*this, cancel);
  cancelled_ = cancel;
}

void TProgressDialog::AppIdle() {
  if (error_) PostCloseRequest(QDialog::Rejected);
  if (idle_.Previous()) idle_.Previous()();
}

void TProgressDialog::PostCloseRequest(int result) {
  if (close_posted_) return;
  close_posted_ = true;
  QMetaObject::invokeMethod(
      this,
      [this, result] {
        closing_ = true;
        done(result);
      },
      Qt::QueuedConnection);
}

void TProgressDialog::reject() {
  if (closing_) {
    QDialog::reject();
    return;
  }
  if (btn_cancel_->isVisible() && btn_cancel_->isEnabled()) btn_cancel_->click();
}

}  // namespace qb
