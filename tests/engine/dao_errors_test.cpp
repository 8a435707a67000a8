// The shared error convention, message boxes and wait cursor of the data-access components:
// the detailed message exactly as laid out, the status-code check, the engine-call wrapper,
// the box kinds and the suppressible warning box.
#include <gtest/gtest.h>

#include <cinttypes>
#include <cstdio>

#include "com/ole_exception.h"
#include "dao_test_support.h"
#include "engine/dao_engine.h"
#include "engine/dao_errors.h"
#include "engine/dao_message_box.h"
#include "engine/dao_wait_cursor.h"
#include "framework/gui/screen_cursor.h"

namespace qb::test {
namespace {

std::string Hex8(const void* address) {
  char text[16];
  std::snprintf(text, sizeof text, "%08" PRIX32, static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(address)));
  return text;
}

class DAOErrorsTest : public DAOTest {};

TEST_F(DAOErrorsTest, PreconditionErrorNamesComponentWithNilAddress) {
  TDAOEngine engine;
  engine.SetName("Engine7");
  Raised raised = RaisedBy([&] { RaiseDAOError(&engine, "It went wrong.", "DoIt", 0); });
  EXPECT_EQ(raised.type, "EDAOError");
  EXPECT_EQ(raised.message, ExpectedDetail("Engine7", "TDAOEngine", "DoIt", "00000000", "It went wrong."));
  EXPECT_EQ(raised.help_context, 0);
}

TEST_F(DAOErrorsTest, MissingComponentAndMethodReadUnknownAndTheMessageIsKeptAsGiven) {
  Raised raised = RaisedBy([] { RaiseDAOError(nullptr, "100% %s %d", "", 4711); });
  EXPECT_EQ(raised.message, ExpectedDetail("Unknown", "Unknown", "Unknown", "00000000", "100% %s %d"));
  EXPECT_EQ(raised.help_context, 4711);
  DetailedErrorMessages = false;
  EXPECT_EQ(RaisedBy([] { RaiseDAOError(nullptr, "Only this.", "X"); }).message, "Only this.");
}

TEST_F(DAOErrorsTest, AddressIsTheRaiseSiteOfTheHandledException) {
  const void* origin = nullptr;
  Raised raised = RaisedBy([&] {
    try {
      throw EOleException(3024, "The file is gone.");
    } catch (const EOleException& e) {
      origin = e.RaiseAddress();
      RaiseDAOError(nullptr, e.Message(), "Open");
    }
  });
  ASSERT_NE(origin, nullptr);
  EXPECT_EQ(DetailField(raised.message, "Address:"), Hex8(origin));
  EXPECT_NE(DetailField(raised.message, "Address:"), "00000000");
  EXPECT_EQ(DetailField(raised.message, "Message:"), "The file is gone.");
}

TEST_F(DAOErrorsTest, CheckOleResultRaisesOnlyForTheSignBit) {
  EXPECT_NO_THROW(CheckOleResult(0));
  EXPECT_NO_THROW(CheckOleResult(1));
  EXPECT_NO_THROW(CheckOleResult(0x7FFFFFFF));
  Raised known = RaisedBy([] { CheckOleResult(E_OUTOFMEMORY); });
  EXPECT_EQ(known.type, "EOleError");
  EXPECT_FALSE(known.message.empty());
  EXPECT_EQ(RaisedBy([] { CheckOleResult(static_cast<HRESULT>(0x80001234u)); }).message,
            "Ole Error. Errorcode: -2147478988");
  EXPECT_EQ(RaisedBy([] { RaiseOleError(static_cast<HRESULT>(0xFFFFFFFFu)); }).message, "Ole Error. Errorcode: -1");
}

TEST_F(DAOErrorsTest, CallEngineWrapsExceptionsAndPassesOthers) {
  TDAOEngine engine;
  engine.SetName("E");
  EXPECT_EQ(CallEngine(&engine, "Sum", [] { return 3 + 4; }), 7);
  Raised raised = RaisedBy([&] { CallEngine(&engine, "Read", [] { throw EOleException(3000, "Engine broke."); }); });
  EXPECT_EQ(raised.type, "EDAOError");
  EXPECT_EQ(DetailField(raised.message, "Method Name:"), "Read");
  EXPECT_EQ(DetailField(raised.message, "Component Type:"), "TDAOEngine");
  EXPECT_EQ(DetailField(raised.message, "Message:"), "Engine broke.");
  EXPECT_NE(DetailField(raised.message, "Address:"), "00000000");
  EXPECT_THROW(CallEngine(&engine, "Read", [] { throw std::runtime_error("not ours"); }), std::runtime_error);
}

// Callers tell an engine refusal (a wrong database password, ...) by its number, not its words.
TEST_F(DAOErrorsTest, WrappedEngineRefusalKeepsTheEngineErrorNumber) {
  TDAOEngine engine;
  auto number_of = [&](auto&& raise) {
    try {
      CallEngine(&engine, "Open", raise);
    } catch (const EDAOError& error) {
      return error.EngineError();
    }
    return -1;
  };
  EXPECT_EQ(number_of([] { throw EOleException(3031, "Not a valid password."); }), 3031);
  EXPECT_EQ(number_of([] { throw Exception("No number."); }), 0);
  try {
    RaiseDAOError(&engine, "Own error.", "Check");
  } catch (const EDAOError& error) {
    EXPECT_EQ(error.EngineError(), 0);
  }
}

TEST_F(DAOErrorsTest, MessageBoxKindsChooseCaptionAndIconUnlessGiven) {
  gui_->ExpectMessageBox(IDOK).Caption("Information").Flags(MB_OK | MB_ICONINFORMATION);
  gui_->ExpectMessageBox(IDNO).Caption("Confirmation").Flags(MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2);
  gui_->ExpectMessageBox(IDOK).Caption("Warning").Flags(MB_OK | MB_ICONEXCLAMATION);
  gui_->ExpectMessageBox(IDCANCEL).Caption("Error").Flags(MB_OKCANCEL | MB_ICONSTOP);
  gui_->ExpectMessageBox(IDOK).Text("own icon").Caption("Error").Flags(MB_OK | MB_ICONINFORMATION);
  EXPECT_EQ(ShowMessageBox("a", mcInformation, MB_OK), IDOK);
  EXPECT_EQ(ShowMessageBox("b", mcConfirmation, MB_YESNO | MB_DEFBUTTON2), IDNO);
  EXPECT_EQ(ShowMessageBox("c", mcWarning, MB_OK), IDOK);
  EXPECT_EQ(ShowMessageBox("d", mcError, MB_OKCANCEL), IDCANCEL);
  EXPECT_EQ(ShowMessageBox("own icon", mcError, MB_OK | MB_ICONINFORMATION), IDOK);
  gui_->Verify();
}

TEST_F(DAOErrorsTest, WarningBoxKeepsComingUntilTheUserAnswersYes) {
  auto show = [](const std::string& message) {
    try {
      throw Exception(message);
    } catch (...) {
      ShowErrorBox();
    }
  };
  // Foreign exceptions and no exception at all ask nothing.
  try {
    throw std::runtime_error("foreign");
  } catch (...) {
    ShowErrorBox();
  }
  ShowErrorBox();
  gui_->ExpectMessageBox(IDNO).Text("first\rSuppress Further Messages ?\r").Caption("Warning")
      .Flags(MB_YESNO | MB_ICONEXCLAMATION);
  gui_->ExpectMessageBox(IDYES).Text("second\rSuppress Further Messages ?\r");
  show("first");
  EXPECT_FALSE(SuppressErrorBoxes);
  show("second");
  EXPECT_TRUE(SuppressErrorBoxes);
  show("third");  // nothing asked
  gui_->Verify();
}

TEST_F(DAOErrorsTest, WaitCursorBracketsCanBeSwitchedOffAndIsRestoredOnAnException) {
  Screen().SetCursor(crDefault);
  const TCursor saved = BeginWaitCursor(DAOWaitCursor);
  EXPECT_EQ(saved, crDefault);
  EXPECT_EQ(Screen().Cursor(), crHourGlass);
  EndWaitCursor(saved);
  EXPECT_EQ(Screen().Cursor(), crDefault);

  ShowWaitCursor = false;
  EXPECT_EQ(BeginWaitCursor(crHourGlass), crDefault);
  EXPECT_EQ(Screen().Cursor(), crDefault);
  Screen().SetCursor(crCross);
  EndWaitCursor(crDefault);
  EXPECT_EQ(Screen().Cursor(), crCross);

  // The scope restores the cursor it found, also on an exception.
  ShowWaitCursor = true;
  Screen().SetCursor(crArrow);
  DAOWaitCursor = crSQLWait;
  EXPECT_THROW(
      {
        DAOWaitScope wait;
        EXPECT_EQ(Screen().Cursor(), crSQLWait);
        throw Exception("x");
      },
      Exception);
  EXPECT_EQ(Screen().Cursor(), crArrow);
  Screen().SetCursor(crDefault);
}

}  // namespace
}  // namespace qb::test
