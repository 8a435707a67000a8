// The application object: program name and title, and the default exception display going
// through the message box service.
#include "framework/gui/application.h"

#include <stdexcept>

#include "core/exception.h"
#include "framework/data/data_errors.h"
#include "framework/gui/gui_test_support.h"

namespace qb {
namespace {

class ApplicationTest : public test::GuiTest {
 protected:
  void TearDown() override {
    App().OnException = nullptr;
    App().SetTitle("gui_tests");
  }
  ScriptedGui gui_;
};

TEST_F(ApplicationTest, ExeNameIsTheProgramFileWithoutFolder) {
  EXPECT_EQ(App().ExeName(), "gui_tests");
  EXPECT_NE(App().ExePath().find("/gui_tests"), std::string::npos);
  EXPECT_EQ(App().ExePath().front(), '/');
}

TEST_F(ApplicationTest, DefaultExceptionDisplayIsAnErrorBoxCaptionedWithTheTitle) {
  App().SetTitle("Quill Utility");
  gui_.ExpectMessageBox(IDOK)
      .Text("The Property 'SystemDB' cannot be changed while the DAOEngine is Active")
      .Caption("Quill Utility")
      .Flags(MB_OK | MB_ICONSTOP);
  App().HandleException(
      Exception("The Property 'SystemDB' cannot be changed while the DAOEngine is Active"));
  gui_.Verify();
}

TEST_F(ApplicationTest, OnExceptionReplacesTheDisplay) {
  std::string seen;
  App().OnException = [&](const std::exception& error) { seen = error.what(); };
  App().HandleException(std::runtime_error("disk full"));
  EXPECT_EQ(seen, "disk full");
  EXPECT_TRUE(gui_.Calls().empty());
}

TEST_F(ApplicationTest, CallGuardedShowsWhatEscapesAnEventHandler) {
  App().SetTitle("T");
  gui_.ExpectMessageBox(IDOK).Text("boom").Caption("T");
  gui_.ExpectMessageBox(IDOK).Text("Unknown exception.");
  EXPECT_TRUE(App().CallGuarded([] {}));
  EXPECT_FALSE(App().CallGuarded([] { throw Exception("boom"); }));
  EXPECT_FALSE(App().CallGuarded([] { throw 42; }));
  gui_.Verify();
}

TEST_F(ApplicationTest, AnAbandonedOperationShowsNothing) {
  bool handler_called = false;
  EXPECT_FALSE(App().CallGuarded([] { throw EAbort("Operation aborted"); }));
  App().OnException = [&](const std::exception&) { handler_called = true; };
  App().HandleException(EAbort("Operation aborted"));
  EXPECT_FALSE(handler_called);
  EXPECT_TRUE(gui_.Calls().empty());
}

TEST_F(ApplicationTest, BrokenScriptIsNeverShownAsAUserError) {
  // A scripted-GUI failure inside a handler reaches the test untouched, not an error box.
  EXPECT_THROW(App().CallGuarded([] { Gui().MessageBox("unscripted", "c", MB_OK); }), EScriptError);
  EXPECT_EQ(gui_.Calls().size(), 1u);
  EXPECT_THROW(gui_.Verify(), EScriptError);
}

}  // namespace
}  // namespace qb
