// The root error class: message, help context and raise site.
#include "core/exception.h"

#include <gtest/gtest.h>

namespace qb {
namespace {

TEST(ExceptionTest, CarriesMessageHelpContextAndRaiseSite) {
  try {
    throw Exception("boom", 42);
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message(), "boom");
    EXPECT_STREQ(e.what(), "boom");
    EXPECT_EQ(e.HelpContext(), 42);
    EXPECT_NE(e.RaiseAddress(), nullptr);
    EXPECT_EQ(CurrentExceptionAddress(), e.RaiseAddress());
  }
}

TEST(ExceptionTest, NoAddressOutsideAHandlerOrForForeignExceptions) {
  EXPECT_EQ(CurrentExceptionAddress(), nullptr);
  try {
    throw std::runtime_error("foreign");
  } catch (...) {
    EXPECT_EQ(CurrentExceptionAddress(), nullptr);
  }
}

}  // namespace
}  // namespace qb
