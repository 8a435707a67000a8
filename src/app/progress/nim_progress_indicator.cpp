// app/progress/nim_progress_indicator: Execute, the live property setters and the published
// property table of the progress indicator.
#include "app/progress/nim_progress_indicator.h"

#include <memory>

#include "core/convert_error.h"
#include "framework/gui/gui_services.h"

namespace qb {

namespace {

constexpr uint64_t kBold = 1u << 0;
constexpr uint64_t kItalic = 1u << 1;
constexpr uint64_t kUnderline = 1u << 2;
constexpr uint64_t kStrikeOut = 1u << 3;

uint64_t FontStyle(const QFont& font) {
  return (font.bold() ? kBold : 0u) | (font.italic() ? kItalic : 0u) | (font.underline() ? kUnderline : 0u) |
         (font.strikeOut() ? kStrikeOut : 0u);
}

bool HasOwnFont(const TNimProgressIndicator& indicator) { return !(indicator.Font() == QFont()); }

}  // namespace

TNimProgressIndicator::TNimProgressIndicator(QObject* owner) : TComponent(owner) {}

TNimProgressIndicator::~TNimProgressIndicator() = default;

std::string TNimProgressIndicator::About() const { return "Quillbase progress indicator component"; }

void TNimProgressIndicator::Execute(QObject* data) {
  if (!OnStartOperation) return;
  auto window = std::make_unique<TProgressDialog>(caption_style_);
  window_ = window.get();
  struct Forget {
    QPointer<TProgressDialog>& window;
    ~Forget() { window = nullptr; }
  } forget{window_};

  if (!caption_.empty()) window->setWindowTitle(QString::fromStdString(caption_));
  if (!text_.empty()) window->SetText(text_);
  if (clock_turn_interval_ > 0) window->SetTurnInterval(clock_turn_interval_);
  window->SetMessageFont(font_);
  window->SetCancelled(false);
  window->SetCancelBtnState(cancel_btn_state_);
  window->SetProgressRange(progress_min_, progress_max_);
  window->SetWindowPosition(window_position_);
  window->SetWindowLeft(window_left_);
  window->SetWindowTop(window_top_);
  progress_position_ = progress_min_;
  window->SetProgressPosition(progress_position_);
  window->SetOperation(OnStartOperation, data);
  if (OnCancelOperation) window->SetCancelHandler(OnCancelOperation);

  Gui().RunModal(*window);
}

void TNimProgressIndicator::SetCaption(const std::string& caption) {
  if (caption == caption_) return;
  caption_ = caption;
  if (window_ != nullptr && window_->CaptionStyle() != csNoCaption) {
    window_->setWindowTitle(QString::fromStdString(caption_));
  }
}

void TNimProgressIndicator::SetText(const std::string& text) {
  if (text == text_) return;
  text_ = text;
  if (window_ != nullptr) window_->SetText(text_);
}

void TNimProgressIndicator::SetClockTurnInterval(int interval) {
  if (interval == clock_turn_interval_) return;
  clock_turn_interval_ = interval;
  if (window_ != nullptr && interval >= 0) window_->SetTurnInterval(interval);
}

void TNimProgressIndicator::SetProgressMax(int max) {
  if (max == progress_max_ || max < progress_min_) return;
  progress_max_ = max;
  if (max < progress_position_) progress_position_ = max;
  if (window_ != nullptr) {
    window_->SetProgressRange(progress_min_, progress_max_);
    window_->SetProgressPosition(progress_position_);
  }
}

void TNimProgressIndicator::SetProgressMin(int min) {
  if (min == progress_min_ || min > progress_max_) return;
  progress_min_ = min;
  if (min > progress_position_) progress_position_ = min;
  if (window_ != nullptr) {
    window_->SetProgressRange(progress_min_, progress_max_);
    window_->SetProgressPosition(progress_position_);
  }
}

void TNimProgressIndicator::SetProgressPosition(int position) {
  if (position == progress_position_ || position < progress_min_ || position > progress_max_) return;
  progress_position_ = position;
  if (window_ != nullptr) window_->SetProgressPosition(progress_position_);
}

void TNimProgressIndicator::SetCancelBtnState(TCancelBtnState state) {
  if (state == cancel_btn_state_) return;
  cancel_btn_state_ = state;
  if (window_ != nullptr) window_->SetCancelBtnState(state);
}

void TNimProgressIndicator::SetFont(const QFont& font) {
  if (font == font_) return;
  font_ = font;
  if (window_ != nullptr) window_->SetMessageFont(font_);
}

void TNimProgressIndicator::SetWindowLeft(int left) {
  if (left == window_left_) return;
  window_left_ = left;
  if (window_ != nullptr) window_->SetWindowLeft(left);
}

void TNimProgressIndicator::SetWindowTop(int top) {
  if (top == window_top_) return;
  window_top_ = top;
  if (window_ != nullptr) window_->SetWindowTop(top);
}

void TNimProgressIndicator::SetWindowPosition(TPosition position) {
  if (position == window_position_) return;
  window_position_ = position;
  if (window_ != nullptr) window_->SetWindowPosition(position);
}

const PropertyTable& TNimProgressIndicator::ClassProperties() {
  using T = TNimProgressIndicator;
  static const PropertyTable table =
      PropertyTableBuilder<T>()
          .String("About", &T::About, &T::SetAbout)
          .NotStored()
          .String("Caption", &T::Caption, &T::SetCaption, "Please Wait")
          .String("Text", &T::Text, &T::SetText, "Operation in Progress. Please Wait ...")
          .Integer("ClockTurnInterval", &T::ClockTurnInterval, &T::SetClockTurnInterval, 200)
          .Integer("ProgressMax", &T::ProgressMax, &T::SetProgressMax, 100)
          .Integer("ProgressMin", &T::ProgressMin, &T::SetProgressMin, 0)
          .Integer("ProgressPosition", &T::ProgressPosition, &T::SetProgressPosition, 0)
          .Enum("CancelBtnState", {"cbsAllowCancel", "cbsDisableCancelBtn", "cbsHideCancelBtn"}, &T::CancelBtnState,
                &T::SetCancelBtnState, cbsAllowCancel)
          .Enum("CaptionStyle", {"csSmallCaption", "csNormalCaption", "csNoCaption"}, &T::CaptionStyle,
                &T::SetCaptionStyle, csSmallCaption)
          // The font as its parts, written only when it is not the framework's default (which
          // differs between machines, so it is never written as a value).
          .String(
              "Font.Name", [](const T& c) { return c.Font().family().toStdString(); },
              [](T& c, const std::string& name) {
                QFont font = c.Font();
                font.setFamily(QString::fromStdString(name));
                c.SetFont(font);
              })
          .NoDefault()
          .StoredIf(HasOwnFont)
          .Integer(
              "Font.Size", [](const T& c) { return c.Font().pointSize(); },
              [](T& c, int64_t size) {
                if (size <= 0) throw EConvertError("Font.Size must be above 0");
                QFont font = c.Font();
                font.setPointSize(static_cast<int>(size));
                c.SetFont(font);
              })
          .NoDefault()
          .StoredIf(HasOwnFont)
          .Set(
              "Font.Style", {"fsBold", "fsItalic", "fsUnderline", "fsStrikeOut"},
              [](const T& c) { return FontStyle(c.Font()); },
              [](T& c, uint64_t bits) {
                QFont font = c.Font();
                font.setBold((bits & kBold) != 0);
                font.setItalic((bits & kItalic) != 0);
                font.setUnderline((bits & kUnderline) != 0);
                font.setStrikeOut((bits & kStrikeOut) != 0);
                c.SetFont(font);
              })
          .NoDefault()
          .StoredIf(HasOwnFont)
          .Integer("WindowLeft", &T::WindowLeft, &T::SetWindowLeft, 0)
          .Integer("WindowTop", &T::WindowTop, &T::SetWindowTop, 0)
          .Enum("WindowPosition",
                {"poDesigned", "poDefault", "poDefaultPosOnly", "poDefaultSizeOnly", "poScreenCenter",
                 "poDesktopCenter"},
                &T::WindowPosition, &T::SetWindowPosition, poScreenCenter)
          .Build();
  return table;
}

}  // namespace qb
