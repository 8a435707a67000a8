// Status codes (the sign-bit rule and the fallback message) and the automation exception.
#include "com/status.h"

#include <gtest/gtest.h>

#include "com/ole_exception.h"

namespace qb {
namespace {

TEST(StatusTest, FailureIsTheSignBit) {
  EXPECT_TRUE(Succeeded(S_OK));
  EXPECT_TRUE(Succeeded(S_FALSE));
  EXPECT_TRUE(Succeeded(0x7FFFFFFF));
  EXPECT_FALSE(Failed(S_FALSE));
  for (HRESULT code : {E_FAIL, E_OUTOFMEMORY, E_INVALIDARG, E_NOTIMPL, DISP_E_EXCEPTION,
                       static_cast<HRESULT>(0x80000000u)}) {
    EXPECT_TRUE(Failed(code)) << code;
    EXPECT_FALSE(Succeeded(code)) << code;
  }
  EXPECT_EQ(E_FAIL, -2147467259);
  EXPECT_EQ(E_INVALIDARG, -2147024809);
  EXPECT_EQ(DISP_E_EXCEPTION, -2147352567);
}

TEST(StatusTest, CommonCodesHaveTextAndOthersFallBackToTheNumberedMessage) {
  for (HRESULT code : {E_FAIL, E_OUTOFMEMORY, E_INVALIDARG, E_NOTIMPL, E_POINTER, E_UNEXPECTED,
                       E_ACCESSDENIED, E_NOINTERFACE, DISP_E_EXCEPTION, DISP_E_TYPEMISMATCH,
                       DISP_E_OVERFLOW, DISP_E_MEMBERNOTFOUND, DISP_E_PARAMNOTFOUND}) {
    const std::optional<std::string> text = StatusText(code);
    ASSERT_TRUE(text.has_value()) << code;
    EXPECT_FALSE(text->empty());
    EXPECT_EQ(StatusMessage(code), *text);
  }
  EXPECT_NE(*StatusText(E_FAIL), *StatusText(E_INVALIDARG));
  EXPECT_FALSE(StatusText(static_cast<HRESULT>(0x80041234u)).has_value());
  EXPECT_EQ(StatusMessage(static_cast<HRESULT>(0x80041234u)), "Ole Error. Errorcode: -2147216844");
}

TEST(OleExceptionTest, CarriesNumberDescriptionSourceAndHelp) {
  try {
    throw EOleException(3021, "No current record.", "DAO.Recordset", "engine.hlp", 5003021);
  } catch (const Exception& e) {
    EXPECT_STREQ(e.ClassName(), "EOleException");
    EXPECT_EQ(e.Message(), "No current record.");
    EXPECT_EQ(e.HelpContext(), 5003021);
    EXPECT_NE(e.RaiseAddress(), nullptr);
    const auto& ole = dynamic_cast<const EOleException&>(e);
    EXPECT_EQ(ole.ErrorCode(), 3021);
    EXPECT_EQ(ole.Source(), "DAO.Recordset");
    EXPECT_EQ(ole.HelpFile(), "engine.hlp");
    EXPECT_EQ(ole.Description(), "No current record.");
  }
}

}  // namespace
}  // namespace qb
