// The Qt implementation of the GUI services driven offscreen: a polling driver answers the real
// modal window (message box, input box, file dialog) while the service call waits in its loop.
#include "framework/gui/qt_gui_services.h"

#include <QFileDialog>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>

#include "framework/gui/gui_test_support.h"
#include "support/test_support.h"

namespace qb {
namespace {

using test::AnswerNextModal;

class QtGuiServicesTest : public test::GuiTest {
 protected:
  QtGuiServices qt_;
  ScopedGuiServices scope_{qt_};
};

TEST_F(QtGuiServicesTest, MessageBoxShowsCaptionTextIconAndButtonsAndReturnsTheClickedOne) {
  AnswerNextModal<QMessageBox>([](QMessageBox& box) {
    EXPECT_EQ(box.windowTitle(), "Confirmation");
    EXPECT_EQ(box.text(), "Save changes?");
    EXPECT_EQ(box.icon(), QMessageBox::Question);
    EXPECT_EQ(box.buttons().size(), 3);
    ASSERT_NE(box.button(QMessageBox::Yes), nullptr);
    EXPECT_EQ(box.button(QMessageBox::Yes)->text(), "&Yes");
    EXPECT_EQ(box.button(QMessageBox::No)->text(), "&No");
    ASSERT_NE(box.button(QMessageBox::Cancel), nullptr);
    box.button(QMessageBox::No)->click();
  });
  EXPECT_EQ(Gui().MessageBox("Save changes?", "Confirmation", MB_YESNOCANCEL | MB_ICONQUESTION),
            IDNO);
}

TEST_F(QtGuiServicesTest, EnterPressesTheDefaultButtonChosenByTheFlags) {
  AnswerNextModal<QMessageBox>([](QMessageBox& box) {
    EXPECT_EQ(box.defaultButton(), box.button(QMessageBox::Cancel));
    QTest::keyClick(&box, Qt::Key_Return);
  });
  EXPECT_EQ(Gui().MessageBox("Retry?", "Warning", MB_RETRYCANCEL | MB_DEFBUTTON2), IDCANCEL);
}

TEST_F(QtGuiServicesTest, ClosingAYesNoBoxAnswersNo) {
  AnswerNextModal<QMessageBox>([](QMessageBox& box) { box.close(); });
  EXPECT_EQ(Gui().MessageBox("Refresh now ?", "Confirmation", MB_YESNO), IDNO);
  AnswerNextModal<QMessageBox>([](QMessageBox& box) { QTest::keyClick(&box, Qt::Key_Escape); });
  EXPECT_EQ(Gui().MessageBox("Done.", "Information", MB_OK | MB_ICONINFORMATION), IDOK);
}

TEST_F(QtGuiServicesTest, MessageTextIsPlainTextWithItsLineBreaks) {
  // An engine message quoting user data must not be read as markup; "\r\n" and "\r" break lines.
  AnswerNextModal<QMessageBox>([](QMessageBox& box) {
    EXPECT_EQ(box.textFormat(), Qt::PlainText);
    EXPECT_EQ(box.text(), "Syntax error near <b>x</b>\nline two\nSuppress Further Messages ?\n");
    box.button(QMessageBox::Yes)->click();
  });
  EXPECT_EQ(Gui().MessageBox("Syntax error near <b>x</b>\r\nline two\rSuppress Further Messages ?\r",
                             "Warning", MB_YESNO | MB_ICONWARNING),
            IDYES);
}

TEST_F(QtGuiServicesTest, InputBoxReturnsTheEditedTextOnOkAndNothingOnCancel) {
  AnswerNextModal<QInputDialog>([](QInputDialog& dialog) {
    EXPECT_EQ(dialog.windowTitle(), "Enter the Name for the new Table");
    EXPECT_EQ(dialog.labelText(), "Tablename:");
    auto* edit = dialog.findChild<QLineEdit*>();
    ASSERT_NE(edit, nullptr);
    EXPECT_EQ(edit->text(), "NewTable1");
    edit->setText("Customers");
    QTest::keyClick(edit, Qt::Key_Return);
  });
  EXPECT_EQ(Gui().InputBox("Enter the Name for the new Table", "Tablename:", "NewTable1"),
            std::optional<std::string>("Customers"));

  AnswerNextModal<QInputDialog>([](QInputDialog& dialog) {
    dialog.findChild<QLineEdit*>()->setText("Ignored");
    dialog.reject();
  });
  EXPECT_EQ(Gui().InputBox("Rename Table: Orders", "New Table Name:", "Orders"), std::nullopt);
}

TEST_F(QtGuiServicesTest, SaveDialogGetsQtFiltersAndItsAnswerGetsTheDefaultExtension) {
  test::TempDir dir;
  AnswerNextModal<QFileDialog>([&dir](QFileDialog& dialog) {
    EXPECT_EQ(dialog.windowTitle(), "Save Current Query to File");
    EXPECT_EQ(dialog.acceptMode(), QFileDialog::AcceptSave);
    EXPECT_EQ(dialog.nameFilters(),
              QStringList({"SQL Scripts (*.SQL)", "Text Files (*.TXT)", "All Files (*)"}));
    EXPECT_EQ(dialog.selectedNameFilter(), "Text Files (*.TXT)");
    dialog.selectFile(QString::fromStdString(dir.File("query")));
    QMetaObject::invokeMethod(&dialog, "accept");  // a protected slot: as the Save button does
  });
  FileDialogRequest request;
  request.title = "Save Current Query to File";
  request.filter = "SQL Scripts (*.SQL)|*.SQL|Text Files (*.TXT)|*.TXT|All Files|*.*";
  request.filter_index = 2;
  request.default_ext = "SQL";
  request.initial_dir = dir.Path().string();
  request.overwrite_prompt = true;
  EXPECT_EQ(Gui().SaveFileDialog(request), std::optional<std::string>(dir.File("query.SQL")));
}

TEST_F(QtGuiServicesTest, RunModalRunsTheDialogsOwnLoopAndReturnsItsResult) {
  QDialog dialog;
  QTimer::singleShot(0, &dialog, [&dialog] { dialog.done(42); });
  EXPECT_EQ(Gui().RunModal(dialog), 42);
  EXPECT_FALSE(dialog.isVisible());
}

}  // namespace
}  // namespace qb
