// app/progress/progress_dialog: TProgressDialog, the small modal window inside which a long
// operation runs: a message, a progress bar, a turning clock and a cancel button. It starts the
// operation on its first activation and closes itself when the operation returns, or at the
// next idle moment after the operation raised. It never runs the operation twice and never
// closes while the operation is on the stack.
//
// States: waiting (created, operation not started) -> running (inside the first activation,
// clock turning) -> closing (close request posted: after the operation returned, or at the
// idle moment after it raised) -> closed (done; the owner frees the window).
#pragma once
#include <QDialog>
#include <QFont>
#include <string>

#include "app/progress/progress_types.h"
#include "framework/gui/application_idle.h"

class QLabel;
class QProgressBar;
class QPushButton;

namespace qb {

class TClockFace;
class WindowTimer;

class TProgressDialog : public QDialog {
  Q_OBJECT

 public:
  // A window with the frame of STYLE (see TCaptionStyle), caption "Please Wait ...", the clock
  // at its first face, the bar from 0 to 100 and the turn timer stopped at 100 ms. Takes the
  // application's idle handler until it is destroyed, then gives the previous one back.
  explicit TProgressDialog(TCaptionStyle style, QWidget* parent = nullptr);
  ~TProgressDialog() override;

  TCaptionStyle CaptionStyle() const { return caption_style_; }

  // What runs on the first activation, with this window and DATA; unassigned: nothing runs and
  // the window closes again at once.
  void SetOperation(TStartOperationEvent operation, QObject* data);
  // Asked when the user presses cancel; unassigned: every cancel is accepted.
  void SetCancelHandler(TProgressOperationCancelEvent handler) { cancel_handler_ = std::move(handler); }

  // Whether the user pressed cancel and the cancel handler agreed (the last press counts).
  // The operation polls this and returns when it turns true; the window does not close by itself.
  bool Cancelled() const { return cancelled_; }
  void SetCancelled(bool cancelled) { cancelled_ = cancelled; }
  // Whether the operation raised.
  bool ErrorOccurred() const { return error_; }
  // Lets pending window events run (input, paint, the clock's ticks): the operation calls this
  // between its steps so that the window stays responsive and a cancel can arrive.
  void ProcessMessages();

  // The message above the bar; repainted at once.
  void SetText(const std::string& text);
  void SetMessageFont(const QFont& font);
  // Milliseconds between clock steps (0 stops the steps). Raises Exception when negative.
  void SetTurnInterval(int interval);
  // cbsAllowCancel: shown and enabled; cbsDisableCancelBtn: shown disabled; cbsHideCancelBtn:
  // hidden (and so out of reach of Enter and Escape too).
  void SetCancelBtnState(TCancelBtnState state);
  // The bar's range and position. REQUIRES: MIN <= MAX; a position outside the range is clamped.
  void SetProgressRange(int min, int max);
  void SetProgressPosition(int position);
  int ProgressPosition() const;

  // Placement: applied when the window is shown, and at once when it is visible already
  // (poDesigned moves to Left/Top, the centred ones centre; the default ones leave the window
  // where it is). Left and Top move a visible window whatever the placement.
  void SetWindowPosition(TPosition position);
  void SetWindowLeft(int left);
  void SetWindowTop(int top);
  TPosition WindowPosition() const { return position_; }

  QLabel* MessageLabel() const { return message_label_; }
  QProgressBar* ProgressBar() const { return progress_bar_; }
  QPushButton* BtnCancel() const { return btn_cancel_; }
  TClockFace* ClockLabel() const { return clock_label_; }
  WindowTimer* TurnTimer() const { return turn_timer_; }

  // The handlers, as the window's events run them.
  // Repaints; on the first activation only: starts the clock, runs the operation, stops the
  // clock and posts the close request. Raises what the operation raises (the error flag is set
  // first; the idle handler then closes the window).
  void FormActivate();
  // Advances the clock one face and repaints it.
  void TurnTimerTimer();
  // Asks the cancel handler and stores its answer as the cancelled flag.
  void BtnCancelClick();
  // The idle handler: posts the close request after an error, then runs the handler it replaced.
  void AppIdle();

 protected:
  void showEvent(QShowEvent* event) override;
  // Escape and the window system's close button count as pressing cancel (when it can be
  // pressed); only the window's own close request ends it.
  void reject() override;

 private:
  void BuildControls();
  void PostCloseRequest(int result);
  void ApplyPlacement();

  const TCaptionStyle caption_style_;
  TStartOperationEvent operation_;
  QObject* data_ = nullptr;  // not owned; the caller keeps it alive during Execute
  TProgressOperationCancelEvent cancel_handler_;
  bool first_activation_ = true;
  bool activation_posted_ = false;
  bool close_posted_ = false;
  bool closing_ = false;  // the window's own close request is running
  bool cancelled_ = false;
  bool error_ = false;
  TPosition position_ = poScreenCenter;
  int left_ = 0;
  int top_ = 0;
  QLabel* message_label_;        // owned by the window
  QProgressBar* progress_bar_;   // owned by the window
  QPushButton* btn_cancel_;      // owned by the window
  TClockFace* clock_label_;      // owned by the window
  WindowTimer* turn_timer_;      // owned by the window
  ScopedIdleHandler idle_;       // last: gives the idle moment back before the controls go
};

}  // namespace qb
