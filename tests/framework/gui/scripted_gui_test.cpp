// The scripted GUI services: answers in script order, clear failures for unexpected, mismatched
// and unasked questions, and installation as Gui() for a scope.
#include "framework/gui/scripted_gui.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QLineEdit>
#include <QVBoxLayout>

#include "core/exception.h"
#include "framework/gui/gui_test_support.h"

namespace qb {
namespace {

using ScriptedGuiTest = test::GuiTest;

// Raises EScriptError and returns its message, or "" when FN raised nothing.
std::string ScriptErrorOf(const std::function<void()>& fn) {
  try {
    fn();
  } catch (const EScriptError& error) {
    return error.what();
  }
  return "";
}

TEST_F(ScriptedGuiTest, AnswersInScriptOrderAndLogsEveryCall) {
  ScriptedGui gui;
  gui.ExpectMessageBox(IDYES).Text("Refresh now ?").Caption("Confirmation");
  gui.ExpectInputBox("Orders2").Caption("Rename Table: Orders");
  gui.ExpectInputBox(std::nullopt);
  gui.ExpectMessageBox(IDCANCEL);

  EXPECT_EQ(Gui().MessageBox("Refresh now ?", "Confirmation", MB_YESNO | MB_ICONQUESTION), IDYES);
  EXPECT_EQ(Gui().InputBox("Rename Table: Orders", "New Table Name:", "Orders"),
            std::optional<std::string>("Orders2"));
  EXPECT_EQ(Gui().InputBox("Enter Name for new Group", "Name for New Group:", ""), std::nullopt);
  EXPECT_EQ(Gui().MessageBox("Save?", "Confirmation", MB_YESNOCANCEL), IDCANCEL);

  EXPECT_EQ(gui.CallLog(),
            "MessageBox [Confirmation] \"Refresh now ?\" 0x24 -> IDYES\n"
            "InputBox [Rename Table: Orders] \"New Table Name:\" initial \"Orders\" -> \"Orders2\"\n"
            "InputBox [Enter Name for new Group] \"Name for New Group:\" initial \"\" -> Cancel\n"
            "MessageBox [Confirmation] \"Save?\" 0x3 -> IDCANCEL\n");
  EXPECT_EQ(gui.Pending(), 0u);
  EXPECT_NO_THROW(gui.Verify());
}

TEST_F(ScriptedGuiTest, UnexpectedCallRaisesAndStaysAProblemEvenWhenSwallowed) {
  ScriptedGui gui;
  try {
    Gui().MessageBox("Surprise", "Warning", MB_OK);
  } catch (const std::exception&) {
    // code under test that swallows every exception must not hide the broken script
  }
  EXPECT_EQ(gui.Calls().size(), 1u);
  EXPECT_NE(gui.Problems().find("unexpected MessageBox [Warning] \"Surprise\""), std::string::npos)
      << gui.Problems();
  std::string message = ScriptErrorOf([&] { gui.Verify(); });
  EXPECT_NE(message.find("no answer is scripted"), std::string::npos) << message;
  EXPECT_EQ(gui.Problems(), "");  // Verify reported them
}

TEST_F(ScriptedGuiTest, QuestionOfAnotherKindThanScriptedFails) {
  ScriptedGui gui;
  gui.ExpectInputBox("x");
  std::string message = ScriptErrorOf([] { Gui().MessageBox("Delete?", "Confirmation", MB_YESNO); });
  EXPECT_NE(message.find("unexpected MessageBox"), std::string::npos) << message;
  EXPECT_NE(message.find("expected InputBox answered \"x\""), std::string::npos) << message;
  EXPECT_THROW(gui.Verify(), EScriptError);
}

TEST_F(ScriptedGuiTest, UnaskedExpectationIsReportedByVerifyAndByTheDestructor) {
  {
    ScriptedGui gui;
    gui.ExpectMessageBox(IDOK).TextContains("cannot be empty");
    std::string message = ScriptErrorOf([&] { gui.Verify(); });
    EXPECT_EQ(message, "never asked: MessageBox answered IDOK, text containing \"cannot be empty\"\n");
  }
  std::string reported;
  ScriptedGui::FailureReporter previous =
      ScriptedGui::SetFailureReporter([&](const std::string& problems) { reported = problems; });
  {
    ScriptedGui gui;
    gui.ExpectSaveFile("/tmp/x.txt");
  }
  ScriptedGui::SetFailureReporter(previous);
  EXPECT_EQ(reported, "never asked: SaveFileDialog answered \"/tmp/x.txt\"\n");
}

TEST_F(ScriptedGuiTest, TextCaptionAndFlagChecksCatchTheWrongQuestion) {
  ScriptedGui gui;
  gui.ExpectMessageBox(IDNO).Text("You modified the Database. Refresh now ?");
  gui.ExpectMessageBox(IDOK).Caption("Error");
  gui.ExpectMessageBox(IDYES).Flags(MB_YESNO | MB_ICONQUESTION);
  gui.ExpectMessageBox(IDOK).Check("no line breaks", [](const GuiCall& call) {
    return call.text.find('\n') == std::string::npos;
  });

  std::string text = ScriptErrorOf([] { Gui().MessageBox("Refresh?", "Confirmation", MB_YESNO); });
  EXPECT_NE(text.find("expected text \"You modified the Database. Refresh now ?\""),
            std::string::npos) << text;
  std::string caption = ScriptErrorOf([] { Gui().MessageBox("Failed", "Warning", MB_OK); });
  EXPECT_NE(caption.find("expected caption \"Error\""), std::string::npos) << caption;
  std::string flags = ScriptErrorOf([] { Gui().MessageBox("Sure?", "Confirmation", MB_YESNO); });
  EXPECT_NE(flags.find("expected flags 0x24"), std::string::npos) << flags;
  std::string custom = ScriptErrorOf([] { Gui().MessageBox("a\nb", "Information", MB_OK); });
  EXPECT_NE(custom.find("expected no line breaks"), std::string::npos) << custom;
  EXPECT_THROW(gui.Verify(), EScriptError);
}

TEST_F(ScriptedGuiTest, AnswerTheBoxCannotGiveIsAScriptError) {
  ScriptedGui gui;
  gui.ExpectMessageBox(IDYES);
  std::string message = ScriptErrorOf([] { Gui().MessageBox("Done.", "Information", MB_OK); });
  EXPECT_NE(message.find("IDYES is not a button of this box (IDOK)"), std::string::npos) << message;
  EXPECT_THROW(gui.Verify(), EScriptError);
}

TEST_F(ScriptedGuiTest, InvalidFlagsAreRefusedBeforeAnyQuestionIsAsked) {
  ScriptedGui gui;
  EXPECT_THROW(Gui().MessageBox("x", "y", 0x7), Exception);
  EXPECT_TRUE(gui.Calls().empty());
  EXPECT_NO_THROW(gui.Verify());
}

TEST_F(ScriptedGuiTest, FontDialogSeesTheInitialFontAndGivesTheScriptedOne) {
  ScriptedGui gui;
  QFont chosen("Courier New", 14);
  chosen.setBold(true);
  gui.ExpectFontDialog(chosen).Text("Serif");
  gui.ExpectFontDialog(std::nullopt);
  QFont initial("Serif", 9);
  initial.setItalic(true);
  std::optional<QFont> result = Gui().FontDialog(initial);
  ASSERT_TRUE(result.has_value());
  EXPECT_EQ(result->family(), "Courier New");
  EXPECT_EQ(result->pointSize(), 14);
  EXPECT_TRUE(result->bold());
  EXPECT_EQ(Gui().FontDialog(initial), std::nullopt);
  EXPECT_EQ(gui.Calls()[0].font.pointSize(), 9);
  EXPECT_TRUE(gui.Calls()[0].font.italic());
  EXPECT_NO_THROW(gui.Verify());
}

// A small dialog as the windows build them: a name edit, OK that refuses an empty name with a
// message box and stays open.
class NameDialog : public QDialog {
 public:
  NameDialog() {
    setObjectName("NameDialog");
    setWindowTitle("New User");
    auto* layout = new QVBoxLayout(this);
    edit = new QLineEdit(this);
    edit->setObjectName("EditUsername");
    layout->addWidget(edit);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &NameDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &NameDialog::reject);
  }
  void accept() override {
    if (edit->text().isEmpty()) {
      Gui().MessageBox("The Username cannot be empty.", "Error", MB_OK | MB_ICONSTOP);
      return;
    }
    QDialog::accept();
  }
  QLineEdit* edit;
};

TEST_F(ScriptedGuiTest, ModalHandlerDrivesTheShownDialogAndItsOwnQuestionsAreScriptedToo) {
  ScriptedGui gui;
  gui.ExpectModal([](QDialog& dialog) {
       EXPECT_TRUE(dialog.isVisible());
       EXPECT_TRUE(dialog.isModal());
       auto* edit = dialog.findChild<QLineEdit*>("EditUsername");
       dialog.accept();  // refused: empty name
       EXPECT_EQ(dialog.result(), 0);
       edit->setText("Mary");
       dialog.accept();
       return dialog.result();
     }).Text("NameDialog").Caption("New User");
  gui.ExpectMessageBox(IDOK).Text("The Username cannot be empty.");

  NameDialog dialog;
  EXPECT_EQ(Gui().RunModal(dialog), QDialog::Accepted);
  EXPECT_FALSE(dialog.isVisible());
  EXPECT_EQ(dialog.edit->text(), "Mary");
  EXPECT_EQ(gui.CallLog(),
            "RunModal \"NameDialog\" [New User] -> 1\n"
            "MessageBox [Error] \"The Username cannot be empty.\" 0x10 -> IDOK\n");
  EXPECT_NO_THROW(gui.Verify());
}

TEST_F(ScriptedGuiTest, ModalDialogLeftOpenByTheHandlerIsHiddenAfterwards) {
  ScriptedGui gui;
  gui.ExpectModal([](QDialog&) { return int(QDialog::Rejected); });
  gui.ExpectModal([](QDialog&) -> int { throw Exception("validation failed"); });
  QDialog dialog;
  EXPECT_EQ(Gui().RunModal(dialog), QDialog::Rejected);
  EXPECT_FALSE(dialog.isVisible());
  EXPECT_THROW(Gui().RunModal(dialog), Exception);
  EXPECT_FALSE(dialog.isVisible());
  EXPECT_NO_THROW(gui.Verify());
}

TEST_F(ScriptedGuiTest, InstalledForItsScopeAndNestable) {
  GuiServices* outside = &Gui();
  {
    ScriptedGui outer;
    EXPECT_EQ(&Gui(), &outer);
    {
      ScriptedGui inner;
      EXPECT_EQ(&Gui(), &inner);
      inner.ExpectMessageBox(IDOK);
      Gui().MessageBox("inner", "c", MB_OK);
      inner.Verify();
    }
    EXPECT_EQ(&Gui(), &outer);
    EXPECT_TRUE(outer.Calls().empty());
  }
  EXPECT_EQ(&Gui(), outside);
}

}  // namespace
}  // namespace qb
