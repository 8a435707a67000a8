// Tests of the small widgets: the file-name edit's browsing and change notification, the main
// menu's guarded commands, the grip panel and the glyph placement of the aligned button.
#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QSizeGrip>
#include <QToolButton>
#include <QVBoxLayout>

#include "app/app_test_support.h"
#include "app/widgets/nim_align_bit_button.h"
#include "app/widgets/nim_file_name_edit.h"
#include "app/widgets/nim_grip_panel.h"
#include "app/widgets/nim_main_menu.h"
#include "core/exception.h"

namespace qb::test {
namespace {

using WidgetsTest = AppTest;

TEST_F(WidgetsTest, FileNameEditBrowsesWithItsFilterAndDefaultExtension) {
  ScriptedGui gui;
  TNimFileNameEdit edit;
  edit.SetLabelText("Select the &System DB");
  edit.SetFilter("Workgroup Files|*.mdw");
  edit.SetDefaultExt("mdw");
  edit.SetFileName("/old/system.mdw");
  std::vector<std::string> seen;
  edit.OnChange = [&] { seen.push_back(edit.FileName()); };

  gui.ExpectOpenFile("/new/work")
      .Check("filter and start name", [](const GuiCall& call) {
        return call.file.filter == "Workgroup Files|*.mdw" && call.file.file_name == "/old/system.mdw";
      });
  gui.ExpectOpenFile(std::nullopt);  // cancel leaves the name
  edit.BrowseButton()->click();
  edit.BrowseButton()->click();
  gui.Verify();
  EXPECT_EQ(edit.FileName(), "/new/work.mdw");
  EXPECT_EQ(seen, (std::vector<std::string>{"/new/work.mdw"}));

  // Typing fires too; setting the same name does not.
  edit.Edit()->setText("/typed.mdw");
  edit.SetFileName("/typed.mdw");
  EXPECT_EQ(seen.size(), 2u);
  EXPECT_EQ(edit.property("FileName").toString(), "/typed.mdw");
  EXPECT_EQ(edit.findChild<QLabel*>("Label")->buddy(), edit.Edit());
}

TEST_F(WidgetsTest, FileNameEditChangeHandlerErrorsGoToTheExceptionDisplay) {
  ScriptedGui gui;
  TNimFileNameEdit edit;
  edit.OnChange = [] { throw Exception("cannot follow that file"); };
  gui.ExpectMessageBox(IDOK).Text("cannot follow that file");
  edit.SetFileName("x");
  gui.Verify();
  EXPECT_EQ(edit.FileName(), "x");
}

TEST_F(WidgetsTest, MainMenuCommandsAreFoundByNameAndGuarded) {
  ScriptedGui gui;
  TNimMainMenu menu;
  QMenu* file = menu.AddMenu("MenuFile", "&File");
  int runs = 0;
  menu.AddCommand(file, "MenuOpen", "&Open", [&] { ++runs; });
  menu.AddCommand(file, "MenuFail", "&Fail", [] { throw Exception("not yet"); });
  ASSERT_NE(menu.FindCommand("MenuOpen"), nullptr);
  EXPECT_EQ(menu.FindCommand("MenuNone"), nullptr);
  menu.FindCommand("MenuOpen")->trigger();
  EXPECT_EQ(runs, 1);
  gui.ExpectMessageBox(IDOK).Text("not yet");
  menu.FindCommand("MenuFail")->trigger();
  gui.Verify();
}

TEST_F(WidgetsTest, GripPanelSitsInTheCornerOfAResizableWindow) {
  QWidget window;
  auto* layout = new QVBoxLayout(&window);
  layout->addStretch(1);
  auto* grip = new TNimGripPanel(&window);
  layout->addWidget(grip);
  window.resize(300, 200);
  window.show();
  QApplication::processEvents();
  ASSERT_NE(grip->Grip(), nullptr);
  const QRect in_window(grip->Grip()->mapTo(&window, QPoint(0, 0)), grip->Grip()->size());
  EXPECT_GE(in_window.right(), window.width() - 12);
  EXPECT_GE(in_window.bottom(), window.height() - 12);
}

// Right and bottom are not Qt's own layouts: the button mirrors or paints them itself.
TEST_F(WidgetsTest, AlignedButtonPutsItsGlyphAfterTheCaption) {
  TNimAlignBitButton button;
  button.setText("&Go");
  QPixmap glyph(16, 16);
  glyph.fill(Qt::red);
  button.setIcon(QIcon(glyph));
  button.SetLayout(blGlyphRight);
  EXPECT_EQ(button.layoutDirection(), Qt::RightToLeft);
  button.SetLayout(blGlyphBottom);
  EXPECT_EQ(button.layoutDirection(), Qt::LeftToRight) << "no mirroring left over";
  button.resize(80, 60);
  const QImage image = button.grab().toImage();
  // The red glyph is drawn in the lower half, below the caption.
  int red_top = -1;
  for (int y = 0; y < image.height() && red_top < 0; ++y) {
    for (int x = 0; x < image.width(); ++x) {
      if (image.pixelColor(x, y) == QColor(Qt::red)) {
        red_top = y;
        break;
      }
    }
  }
  EXPECT_GE(red_top, image.height() / 3);
}

}  // namespace
}  // namespace qb::test
