// Tests of the start sequence and the installation step: the "$" folder rule, the tidy-up of
// the source folder, and the failure message that ends the program before any window exists.
#include <QCoreApplication>
#include <QWidget>
#include <filesystem>

#include "app/app_test_support.h"
#include "app/startup/install_check.h"
#include "app/startup/startup.h"
#include "framework/gui/application.h"
#include "framework/gui/message_box.h"
#include "support/test_support.h"

namespace qb::test {
namespace {

using StartupTest = AppTest;

TEST_F(StartupTest, DollarStandsForTheProgramFolder) {
  EXPECT_EQ(ExpandInstallFolder("$/tempDAO", "/opt/qb/bin"), "/opt/qb/bin/tempDAO");
  EXPECT_EQ(ExpandInstallFolder("$/tempDAO", "/opt/qb/bin/"), "/opt/qb/bin/tempDAO");
  EXPECT_EQ(ExpandInstallFolder("$", "/opt"), "/opt");
  EXPECT_EQ(ExpandInstallFolder("/abs/$/x", "/opt"), "/abs/$/x") << "only a leading $ counts";
  EXPECT_EQ(ExpandInstallFolder("", "/opt"), "");
}

TEST_F(StartupTest, InstallStepSucceedsAndTidiesOnlyAnEmptySourceFolder) {
  TempDir dir;
  EXPECT_TRUE(InstallJetEngine(dir.File("missing"), false)) << "no source folder: nothing to do";

  std::filesystem::create_directory(dir.File("empty"));
  EXPECT_TRUE(InstallJetEngine(dir.File("empty"), true));
  EXPECT_TRUE(std::filesystem::exists(dir.File("empty"))) << "kept sources stay";
  EXPECT_TRUE(InstallJetEngine(dir.File("empty"), false));
  EXPECT_FALSE(std::filesystem::exists(dir.File("empty")));

  std::filesystem::create_directory(dir.File("full"));
  WriteFileBytes(dir.File("full/DAO350.dll"), "x");
  EXPECT_TRUE(InstallJetEngine(dir.File("full"), false));
  EXPECT_TRUE(std::filesystem::exists(dir.File("full/DAO350.dll"))) << "no file is ever deleted";

  WriteFileBytes(dir.File("plain"), "a file, not a folder");
  EXPECT_TRUE(InstallJetEngine(dir.File("plain"), false));
  EXPECT_TRUE(std::filesystem::exists(dir.File("plain")));

  EXPECT_TRUE(InstallJetEngine("$/tempDAO-not-there", false)) << "the test program's own folder";
}

TEST_F(StartupTest, FailedInstallationShowsTheMessageAndCreatesNoWindow) {
  ScriptedGui gui;
  bool created = false;
  gui.ExpectMessageBox(IDOK)
      .Text("The Access DAO 3.5 Installation Failed!\n\nIt's pointless continuing...")
      .Caption("Error")
      .Flags(MB_OK | MB_ICONSTOP);
  auto window = StartApplication([] { return false; }, [&] {
    created = true;
    return std::make_unique<QWidget>();
  });
  gui.Verify();
  EXPECT_EQ(window, nullptr);
  EXPECT_FALSE(created);
  EXPECT_TRUE(App().Terminated());
  QCoreApplication::processEvents();  // the quit request finds no loop to end here
}

TEST_F(StartupTest, SuccessfulStartSetsTheTitleAndShowsTheMainWindow) {
  ScriptedGui gui;  // no question may be asked
  auto window = StartApplication([] { return true; }, [] { return std::make_unique<QWidget>(); });
  gui.Verify();
  ASSERT_NE(window, nullptr);
  EXPECT_TRUE(window->isVisible());
  EXPECT_EQ(App().Title(), "Quillbase");
}

}  // namespace
}  // namespace qb::test
