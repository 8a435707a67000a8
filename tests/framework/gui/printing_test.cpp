// Printing a widget's image: to a real PDF file, through the scripted print dialog, and the
// failures that must not pass for success.
#include "framework/gui/printing.h"

#include <QLabel>
#include <QPrinter>

#include "core/exception.h"
#include "framework/gui/gui_test_support.h"
#include "support/test_support.h"

namespace qb {
namespace {

class PrintingTest : public test::GuiTest {
 protected:
  PrintingTest() {
    label_.setObjectName("DaoSQLQueryForm");
    label_.setText("SELECT * FROM Orders");
    label_.resize(300, 120);
  }
  static bool IsPdf(const std::string& path) {
    std::string bytes = test::ReadFileBytes(path);
    return bytes.size() > 100 && bytes.compare(0, 5, "%PDF-") == 0;
  }
  // Prints WIDGET on a PDF printer writing PATH.
  static void PrintToPdf(QWidget& widget, const std::string& path) {
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(QString::fromStdString(path));
    PrintWidgetOn(widget, printer);
  }
  test::TempDir dir_;
  QLabel label_;
};

TEST_F(PrintingTest, WidgetImageGoesToAPdfPrinter) {
  PrintToPdf(label_, dir_.File("window.pdf"));
  EXPECT_TRUE(IsPdf(dir_.File("window.pdf")));
}

TEST_F(PrintingTest, UnwritableOutputOrAWidgetWithoutAreaRaisesInsteadOfPretendingToPrint) {
  EXPECT_THROW(PrintToPdf(label_, dir_.File("no/such/folder/window.pdf")), Exception);
  QLabel empty;
  empty.resize(0, 0);
  EXPECT_THROW(PrintToPdf(empty, dir_.File("empty.pdf")), Exception);
}

TEST_F(PrintingTest, ScriptedPrintDialogRecordsTheWidgetAndPrintsWhenConfirmed) {
  ScriptedGui gui;
  gui.ExpectPrint(false).Text("DaoSQLQueryForm");
  gui.ExpectPrint(true, dir_.File("printed.pdf"));
  EXPECT_FALSE(Gui().PrintWidgetImage(label_));
  EXPECT_TRUE(Gui().PrintWidgetImage(label_));
  EXPECT_TRUE(IsPdf(dir_.File("printed.pdf")));
  EXPECT_EQ(gui.CallLog(),
            "PrintDialog of \"DaoSQLQueryForm\" -> Cancel\n"
            "PrintDialog of \"DaoSQLQueryForm\" -> Print\n");
  gui.Verify();
}

}  // namespace
}  // namespace qb
