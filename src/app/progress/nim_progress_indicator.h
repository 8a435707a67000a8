// app/progress/nim_progress_indicator: TNimProgressIndicator, the non-visual component that runs
// a long operation of its owner inside a modal TProgressDialog. It holds the window's settings
// as published properties, passes every change on to the window while it is open, and holds the
// window only for the duration of Execute.
#pragma once
#include <QFont>
#include <QPointer>
#include <string>

#include "app/progress/progress_dialog.h"
#include "app/progress/progress_types.h"
#include "framework/component/component.h"
#include "framework/component/properties.h"

namespace qb {

class TNimProgressIndicator : public TComponent {
  Q_OBJECT

 public:
  explicit TNimProgressIndicator(QObject* owner = nullptr);
  ~TNimProgressIndicator() override;

  // Runs OnStartOperation with DATA inside a new progress window shown modally through
  // Gui().RunModal, and returns when the window has closed; the window is freed then (which
  // gives the application's idle handler back). Without OnStartOperation nothing is shown.
  // An exception of the operation goes to the default exception display and the window closes
  // at the next idle moment; Execute then returns normally. Raises what the GUI services raise.
  // REQUIRES: no Execute of this component is running.
  void Execute(QObject* data = nullptr);

  // The open window during Execute; null otherwise.
  TProgressDialog* ProgressDialog() const { return window_; }

  std::string About() const;
  void SetAbout(const std::string&) {}
  const std::string& Caption() const { return caption_; }
  // Shown at once in the open window unless its style is csNoCaption.
  void SetCaption(const std::string& caption);
  const std::string& Text() const { return text_; }
  void SetText(const std::string& text);
  int ClockTurnInterval() const { return clock_turn_interval_; }
  // Milliseconds between clock steps; 0 keeps the window's own 100 ms at Execute and stops the
  // clock of an open window. A negative value is kept but never reaches a window.
  void SetClockTurnInterval(int interval);
  // The bar's range and position. ProgressMin takes only values up to ProgressMax and
  // ProgressMax only values from ProgressMin on; when the range moves past ProgressPosition the
  // position follows. ProgressPosition takes only values within the range. Values refused are
  // ignored.
  int ProgressMax() const { return progress_max_; }
  void SetProgressMax(int max);
  int ProgressMin() const { return progress_min_; }
  void SetProgressMin(int min);
  int ProgressPosition() const { return progress_position_; }
  void SetProgressPosition(int position);
  TCancelBtnState CancelBtnState() const { return cancel_btn_state_; }
  void SetCancelBtnState(TCancelBtnState state);
  // The frame of the next window; an open window keeps the frame it was made with.
  TCaptionStyle CaptionStyle() const { return caption_style_; }
  void SetCaptionStyle(TCaptionStyle style) { caption_style_ = style; }
  // The message's font.
  const QFont& Font() const { return font_; }
  void SetFont(const QFont& font);
  int WindowLeft() const { return window_left_; }
  void SetWindowLeft(int left);
  int WindowTop() const { return window_top_; }
  void SetWindowTop(int top);
  TPosition WindowPosition() const { return window_position_; }
  void SetWindowPosition(TPosition position);

  // Asked when the user presses cancel; unassigned: every cancel is accepted.
  TProgressOperationCancelEvent OnCancelOperation;
  // The operation; unassigned: Execute does nothing.
  TStartOperationEvent OnStartOperation;

  static const PropertyTable& ClassProperties();
  const PropertyTable& Properties() const override { return ClassProperties(); }

 private:
  std::string caption_ = "Please Wait";
  std::string text_ = "Operation in Progress. Please Wait ...";
  int clock_turn_interval_ = 200;
  int progress_max_ = 100;
  int progress_min_ = 0;
  int progress_position_ = 0;
  TCancelBtnState cancel_btn_state_ = cbsAllowCancel;
  TCaptionStyle caption_style_ = csSmallCaption;
  QFont font_;
  int window_left_ = 0;
  int window_top_ = 0;
  TPosition window_position_ = poScreenCenter;
  QPointer<TProgressDialog> window_;  // owned by Execute while it runs
};

}  // namespace qb
