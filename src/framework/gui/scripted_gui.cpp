// framework/gui/scripted_gui: answers modal questions from a script; never blocks, never shows a
// dialog of its own (a modal dialog under test is shown for its handler, as exec() would).
#include "framework/gui/scripted_gui.h"

#include <QDialog>
#include <QPdfWriter>
#include <QWidget>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <exception>

#include "framework/gui/printing.h"

namespace qb {
namespace {

ScriptedGui::FailureReporter& Reporter() {
  static ScriptedGui::FailureReporter reporter = [](const std::string& problems) {
    std::fprintf(stderr, "ScriptedGui: unverified problems:\n%s\n", problems.c_str());
    std::abort();
  };
  return reporter;
}

std::string Quoted(const std::string& text) {
  std::string result = "\"";
  for (char c : text) {
    if (c == '\n') result += "\\n";
    else if (c == '\r') result += "\\r";
    else if (c == '"') result += "\\\"";
    else result += c;
  }
  return result + "\"";
}

std::string Hex(int value) {
  char buffer[16];
  std::snprintf(buffer, sizeof buffer, "0x%X", static_cast<unsigned>(value));
  return buffer;
}

std::string FontText(const QFont& font) {
  std::string text = font.family().toStdString() + " " + std::to_string(font.pointSize()) + "pt";
  if (font.bold()) text += " bold";
  if (font.italic()) text += " italic";
  if (font.underline()) text += " underline";
  if (font.strikeOut()) text += " strikeout";
  return text;
}

std::string Describe(const GuiCall& call) {
  std::string result = GuiCallKindName(call.kind);
  switch (call.kind) {
    case GuiCallKind::kMessageBox:
      result += " [" + call.caption + "] " + Quoted(call.text) + " " + Hex(call.flags);
      break;
    case GuiCallKind::kInputBox:
      result += " [" + call.caption + "] " + Quoted(call.text) + " initial " + Quoted(call.initial);
      break;
    case GuiCallKind::kOpenFile:
    case GuiCallKind::kSaveFile:
      result += " [" + call.caption + "] filter " + Quoted(call.file.filter);
      break;
    case GuiCallKind::kFontDialog:
      result += " " + FontText(call.font);
      break;
    case GuiCallKind::kPrint:
      result += " of " + Quoted(call.text);
      break;
    case GuiCallKind::kModal:
      result += " " + Quoted(call.text) + " [" + call.caption + "]";
      break;
  }
  return result;
}

}  // namespace

const char* GuiCallKindName(GuiCallKind kind) {
  switch (kind) {
    case GuiCallKind::kMessageBox: return "MessageBox";
    case GuiCallKind::kInputBox: return "InputBox";
    case GuiCallKind::kOpenFile: return "OpenFileDialog";
    case GuiCallKind::kSaveFile: return "SaveFileDialog";
    case GuiCallKind::kFontDialog: return "FontDialog";
    case GuiCallKind::kPrint: return "PrintDialog";
    case GuiCallKind::kModal: return "RunModal";
  }
  return "?";
}

// ---- GuiExpectation ----

GuiExpectation::GuiExpectation(GuiCallKind kind, std::string answer_text)
    : kind_(kind), answer_text_(std::move(answer_text)) {}

GuiExpectation& GuiExpectation::Text(std::string text) {
  std::string what = "text " + Quoted(text);
  return Check(what, [text = std::move(text)](const GuiCall& call) { return call.text == text; });
}

GuiExpectation& GuiExpectation::TextContains(std::string part) {
  std::string what = "text containing " + Quoted(part);
  return Check(what, [part = std::move(part)](const GuiCall& call) {
    return call.text.find(part) != std::string::npos;
  });
}

GuiExpectation& GuiExpectation::Caption(std::string caption) {
  std::string what = "caption " + Quoted(caption);
  return Check(what, [caption = std::move(caption)](const GuiCall& call) {
    return call.caption == caption;
  });
}

GuiExpectation& GuiExpectation::Flags(int flags) {
  return Check("flags " + Hex(flags), [flags](const GuiCall& call) { return call.flags == flags; });
}

GuiExpectation& GuiExpectation::Check(std::string what,
                                      std::function<bool(const GuiCall&)> predicate) {
  checks_.push_back({std::move(what), std::move(predicate)});
  return *this;
}

std::string GuiExpectation::Describe() const {
  std::string result = std::string(GuiCallKindName(kind_)) + " answered " + answer_text_;
  for (const Checked& check : checks_) result += ", " + check.what;
  return result;
}

// ---- ScriptedGui ----

ScriptedGui::ScriptedGui() : scope_(*this), uncaught_at_start_(std::uncaught_exceptions()) {}

ScriptedGui::~ScriptedGui() {
  std::string problems = Problems();
  if (!problems.empty() && std::uncaught_exceptions() == uncaught_at_start_) {
    Reporter()(problems);
  }
}

ScriptedGui::FailureReporter ScriptedGui::SetFailureReporter(FailureReporter reporter) {
  FailureReporter previous = std::move(Reporter());
  Reporter() = std::move(reporter);
  return previous;
}

GuiExpectation& ScriptedGui::Queue(GuiExpectation expectation) {
  expected_.push_back(std::move(expectation));
  return expected_.back();
}

GuiExpectation& ScriptedGui::ExpectMessageBox(int answer) {
  GuiExpectation expectation(GuiCallKind::kMessageBox, ButtonIdName(answer));
  expectation.button_ = answer;
  return Queue(std::move(expectation));
}

GuiExpectation& ScriptedGui::ExpectInputBox(std::optional<std::string> answer) {
  GuiExpectation expectation(GuiCallKind::kInputBox, answer ? Quoted(*answer) : "Cancel");
  expectation.text_ = std::move(answer);
  return Queue(std::move(expectation));
}

GuiExpectation& ScriptedGui::ExpectOpenFile(std::optional<std::string> path) {
  GuiExpectation expectation(GuiCallKind::kOpenFile, path ? Quoted(*path) : "Cancel");
  expectation.text_ = std::move(path);
  return Queue(std::move(expectation));
}

GuiExpectation& ScriptedGui::ExpectSaveFile(std::optional<std::string> path) {
  GuiExpectation expectation(GuiCallKind::kSaveFile, path ? Quoted(*path) : "Cancel");
  expectation.text_ = std::move(path);
  return Queue(std::move(expectation));
}

GuiExpectation& ScriptedGui::ExpectFontDialog(std::optional<QFont> font) {
  GuiExpectation expectation(GuiCallKind::kFontDialog, font ? FontText(*font) : "Cancel");
  expectation.font_ = std::move(font);
  return Queue(std::move(expectation));
}

GuiExpectation& ScriptedGui::ExpectPrint(bool confirm, std::string pdf_path) {
  GuiExpectation expectation(GuiCallKind::kPrint, confirm ? "Print" : "Cancel");
  expectation.confirm_ = confirm;
  expectation.pdf_path_ = std::move(pdf_path);
  return Queue(std::move(expectation));
}

GuiExpectation& ScriptedGui::ExpectModal(std::function<int(QDialog&)> handler) {
  GuiExpectation expectation(GuiCallKind::kModal, "by a handler");
  expectation.modal_ = std::move(handler);
  return Queue(std::move(expectation));
}

std::string ScriptedGui::CallLog() const {
  std::string log;
  for (const GuiCall& call : calls_) log += Describe(call) + " -> " + call.answer + "\n";
  return log;
}

std::string ScriptedGui::Problems() const {
  std::string result;
  for (const std::string& problem : problems_) result += problem + "\n";
  for (const GuiExpectation& expectation : expected_) {
    result += "never asked: " + expectation.Describe() + "\n";
  }
  return result;
}

void ScriptedGui::Verify() {
  std::string problems = Problems();
  problems_.clear();
  expected_.clear();
  if (!problems.empty()) throw EScriptError(problems);
}

void ScriptedGui::Fail(const std::string& problem) {
  problems_.push_back(problem);
  throw EScriptError(problem);
}

GuiExpectation ScriptedGui::Take(GuiCall call) {
  calls_.push_back(std::move(call));
  const GuiCall& asked = calls_.back();
  if (expected_.empty()) {
    Answer("(unexpected)");
    Fail("unexpected " + Describe(asked) + ": no answer is scripted");
  }
  GuiExpectation expectation = std::move(expected_.front());
  expected_.pop_front();
  if (expectation.kind_ != asked.kind) {
    Answer("(unexpected)");
    Fail("unexpected " + Describe(asked) + ": the script expected " + expectation.Describe());
  }
  for (const GuiExpectation::Checked& check : expectation.checks_) {
    if (!check.predicate(asked)) {
      Answer("(mismatch)");
      Fail(Describe(asked) + " does not match the script: expected " + check.what + " (" +
           expectation.Describe() + ")");
    }
  }
  return expectation;
}

int ScriptedGui::DoMessageBox(const std::string& text, const std::string& caption, int flags) {
  GuiCall call;
  call.kind = GuiCallKind::kMessageBox;
  call.text = text;
  call.caption = caption;
  call.flags = flags;
  GuiExpectation expectation = Take(std::move(call));
  std::vector<int> buttons = MessageBoxButtons(flags);
  if (std::find(buttons.begin(), buttons.end(), expectation.button_) == buttons.end()) {
    std::string offered;
    for (int id : buttons) offered += (offered.empty() ? "" : ", ") + ButtonIdName(id);
    Answer("(impossible)");
    Fail(Describe(calls_.back()) + ": the scripted answer " + ButtonIdName(expectation.button_) +
         " is not a button of this box (" + offered + ")");
  }
  Answer(ButtonIdName(expectation.button_));
  return expectation.button_;
}

std::optional<std::string> ScriptedGui::DoInputBox(const std::string& caption,
                                                   const std::string& prompt,
                                                   const std::string& initial) {
  GuiCall call;
  call.kind = GuiCallKind::kInputBox;
  call.text = prompt;
  call.caption = caption;
  call.initial = initial;
  GuiExpectation expectation = Take(std::move(call));
  Answer(expectation.answer_text_);
  return expectation.text_;
}

std::optional<std::string> ScriptedGui::DoFileDialog(const FileDialogRequest& request, bool save) {
  GuiCall call;
  call.kind = save ? GuiCallKind::kSaveFile : GuiCallKind::kOpenFile;
  call.caption = request.title;
  call.file = request;
  GuiExpectation expectation = Take(std::move(call));
  Answer(expectation.answer_text_);
  return expectation.text_;
}

std::optional<QFont> ScriptedGui::DoFontDialog(const QFont& initial) {
  GuiCall call;
  call.kind = GuiCallKind::kFontDialog;
  call.text = initial.family().toStdString();
  call.font = initial;
  GuiExpectation expectation = Take(std::move(call));
  Answer(expectation.answer_text_);
  return expectation.font_;
}

bool ScriptedGui::DoPrintWidgetImage(QWidget& widget) {
  GuiCall call;
  call.kind = GuiCallKind::kPrint;
  call.text = widget.objectName().toStdString();
  GuiExpectation expectation = Take(std::move(call));
  Answer(expectation.answer_text_);
  if (expectation.confirm_ && !expectation.pdf_path_.empty()) {
    // A PDF writer rather than a printer: a printer asks the system's print service for its
    // default queue, which a scripted run must not depend on.
    QPdfWriter writer(QString::fromStdString(expectation.pdf_path_));
    writer.setResolution(1200);
    PrintWidgetOn(widget, writer, expectation.pdf_path_);
  }
  return expectation.confirm_;
}

int ScriptedGui::DoRunModal(QDialog& dialog) {
  GuiCall call;
  call.kind = GuiCallKind::kModal;
  call.text = dialog.objectName().toStdString();
  call.caption = dialog.windowTitle().toStdString();
  GuiExpectation expectation = Take(std::move(call));
  size_t index = calls_.size() - 1;  // the handler may ask further questions
  // As exec() does: a fresh result, the dialog shown modally while it is answered.
  dialog.setResult(0);
  dialog.setModal(true);
  dialog.show();
  int result = expectation.modal_ ? expectation.modal_(dialog) : int(QDialog::Rejected);
  calls_[index].answer = std::to_string(result);
  return result;
}

}  // namespace qb
