// framework/gui/scripted_gui: the GUI services for tests. Answers each modal question from a queue
// of scripted expectations, records every call, and reports unexpected, mismatched and unasked
// questions. Never blocks and never shows a Qt dialog of its own; depends on no test framework.
//
// Use: construct a ScriptedGui in the test (it installs itself as Gui() for its lifetime), queue
// the answers in the order the code will ask, run the code, then call Verify():
//
//   ScriptedGui gui;
//   gui.ExpectMessageBox(IDYES).TextContains("Refresh now").Caption("Confirmation");
//   window.Run();
//   gui.Verify();  // raises EScriptError naming every problem
#pragma once
#include <QFont>
#include <deque>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "framework/gui/gui_services.h"

namespace qb {

// A scripted question went wrong: asked when none was expected, asked with other texts than
// scripted, answered with an answer the question cannot give, or left unasked. Deliberately not a
// qb::Exception, so that code which converts or swallows the system's own errors lets it through.
class EScriptError : public std::logic_error {
 public:
  using std::logic_error::logic_error;
};

enum class GuiCallKind { kMessageBox, kInputBox, kOpenFile, kSaveFile, kFontDialog, kPrint, kModal };

// "MessageBox", "InputBox", "OpenFileDialog", ...
const char* GuiCallKindName(GuiCallKind kind);

// One question as the scripted services received it, and the answer they gave.
struct GuiCall {
  GuiCallKind kind = GuiCallKind::kMessageBox;
  std::string text;      // message box text; input box prompt; font family; printed widget's or
                         // modal dialog's objectName
  std::string caption;   // message box or input box caption; file dialog title; dialog's title
  int flags = 0;         // message box flags
  std::string initial;   // input box initial text
  FileDialogRequest file;  // the request of a file dialog
  QFont font;            // the initial font of a font dialog
  std::string answer;    // the answer as text: "IDYES", the entered text, the path, "Cancel", ...
};

// One scripted answer with optional checks on the question. Returned by ScriptedGui::Expect...;
// the reference is valid until the expectation is consumed, so chain the checks at once.
class GuiExpectation {
 public:
  // The question's text (see GuiCall::text) must equal TEXT / contain PART.
  GuiExpectation& Text(std::string text);
  GuiExpectation& TextContains(std::string part);
  // The question's caption (see GuiCall::caption) must equal CAPTION.
  GuiExpectation& Caption(std::string caption);
  // A message box's flags must equal FLAGS.
  GuiExpectation& Flags(int flags);
  // Any other check: PREDICATE must hold for the call; WHAT describes it in failure messages.
  GuiExpectation& Check(std::string what, std::function<bool(const GuiCall&)> predicate);

 private:
  friend class ScriptedGui;
  struct Checked {
    std::string what;
    std::function<bool(const GuiCall&)> predicate;
  };
  GuiExpectation(GuiCallKind kind, std::string answer_text);
  std::string Describe() const;

  GuiCallKind kind_;
  std::string answer_text_;  // for messages
  std::vector<Checked> checks_;
  int button_ = 0;                          // message box
  std::optional<std::string> text_;         // input box, file dialogs
  std::optional<QFont> font_;               // font dialog
  bool confirm_ = false;                    // print dialog
  std::string pdf_path_;                    // print dialog: where a confirmed print goes
  std::function<int(QDialog&)> modal_;      // modal dialog
};

class ScriptedGui : public GuiServices {
 public:
  // Installs this object as Gui() until it is destroyed.
  ScriptedGui();
  // Restores the previous services. When problems remain unreported (no Verify() since), hands
  // them to the failure reporter, unless an exception is unwinding through the test.
  ~ScriptedGui() override;

  // Queue the answer to the next question of each kind, in the order the questions come.
  // The pressed button; must be one the box offers (checked when asked).
  GuiExpectation& ExpectMessageBox(int answer);
  // The text the user confirms with OK; nullopt: the user cancels.
  GuiExpectation& ExpectInputBox(std::optional<std::string> answer);
  // The name the user chooses, before the default extension and the existence and overwrite
  // rules apply (which may ask a further, separately scripted, message box); nullopt: cancel.
  GuiExpectation& ExpectOpenFile(std::optional<std::string> path);
  GuiExpectation& ExpectSaveFile(std::optional<std::string> path);
  // The font the user confirms; nullopt: cancel.
  GuiExpectation& ExpectFontDialog(std::optional<QFont> font);
  // Whether the user confirms the print dialog. With PDF_PATH, a confirmed print really renders
  // the widget's image into that PDF file (as the Qt services would on a PDF printer).
  GuiExpectation& ExpectPrint(bool confirm, std::string pdf_path = {});
  // HANDLER receives the dialog, shown and modal, and returns the dialog's result (it may fill
  // fields, click buttons, and return QDialog::Accepted, QDialog::Rejected or dialog.result()).
  GuiExpectation& ExpectModal(std::function<int(QDialog&)> handler);

  // Every call received so far, in order.
  const std::vector<GuiCall>& Calls() const { return calls_; }
  // The calls as text, one line each ("MessageBox [Confirmation] \"Refresh now ?\" 0x24 -> IDYES").
  std::string CallLog() const;
  // Number of expectations not asked yet.
  size_t Pending() const { return expected_.size(); }
  // Every problem so far (failed calls and unasked expectations), one per line; empty when none.
  std::string Problems() const;
  // Raises EScriptError with Problems() when there are any; clears them either way, so the
  // destructor reports nothing further.
  void Verify();

  // Where the destructor reports problems left unverified. The default writes them to stderr and
  // aborts, so they are never lost; a test program installs e.g. a GoogleTest ADD_FAILURE.
  // Returns the previous reporter. REQUIRES: REPORTER is callable (not empty).
  using FailureReporter = std::function<void(const std::string&)>;
  static FailureReporter SetFailureReporter(FailureReporter reporter);

 protected:
  int DoMessageBox(const std::string& text, const std::string& caption, int flags) override;
  std::optional<std::string> DoInputBox(const std::string& caption, const std::string& prompt,
                                        const std::string& initial) override;
  std::optional<std::string> DoFileDialog(const FileDialogRequest& request, bool save) override;
  std::optional<QFont> DoFontDialog(const QFont& initial) override;
  bool DoPrintWidgetImage(QWidget& widget) override;
  int DoRunModal(QDialog& dialog) override;

 private:
  GuiExpectation& Queue(GuiExpectation expectation);
  // Records CALL, takes the next expectation and checks it against CALL; on any mismatch records
  // the problem and raises EScriptError.
  GuiExpectation Take(GuiCall call);
  [[noreturn]] void Fail(const std::string& problem);
  void Answer(std::string answer) { calls_.back().answer = std::move(answer); }

  ScopedGuiServices scope_;            // constant after construction
  int uncaught_at_start_;              // constant after construction
  std::deque<GuiExpectation> expected_;
  std::vector<GuiCall> calls_;
  std::vector<std::string> problems_;
};

}  // namespace qb
