// Message box flags: which buttons, default and close answer each flag combination gives.
#include "framework/gui/message_box.h"

#include <gtest/gtest.h>

#include "core/exception.h"

namespace qb {
namespace {

TEST(MessageBoxFlags, IconAndDefaultNibblesDoNotChangeTheButtonSet) {
  EXPECT_EQ(MessageBoxButtons(MB_YESNOCANCEL | MB_ICONQUESTION | MB_DEFBUTTON2),
            (std::vector<int>{IDYES, IDNO, IDCANCEL}));
  EXPECT_EQ(MessageBoxButtons(MB_ABORTRETRYIGNORE | MB_ICONWARNING),
            (std::vector<int>{IDABORT, IDRETRY, IDIGNORE}));
}

TEST(MessageBoxFlags, UnknownButtonSetIsRefused) {
  for (int flags : {6, 7, 0xF, 0x46}) {
    EXPECT_THROW(MessageBoxButtons(flags), Exception) << flags;
    EXPECT_THROW(MessageBoxDefaultButton(flags), Exception) << flags;
  }
}

TEST(MessageBoxFlags, DefaultButtonIsTheNthButtonOrTheFirstPastTheEnd) {
  EXPECT_EQ(MessageBoxDefaultButton(MB_YESNOCANCEL), IDYES);
  EXPECT_EQ(MessageBoxDefaultButton(MB_YESNOCANCEL | MB_DEFBUTTON2), IDNO);
  EXPECT_EQ(MessageBoxDefaultButton(MB_YESNOCANCEL | MB_DEFBUTTON3), IDCANCEL);
  EXPECT_EQ(MessageBoxDefaultButton(MB_YESNOCANCEL | MB_DEFBUTTON4), IDYES);
  EXPECT_EQ(MessageBoxDefaultButton(MB_YESNO | MB_DEFBUTTON3), IDYES);
  EXPECT_EQ(MessageBoxDefaultButton(MB_ABORTRETRYIGNORE | MB_DEFBUTTON3), IDIGNORE);
}

TEST(MessageBoxFlags, ClosingTheBoxGivesCancelOrTheSafestButton) {
  EXPECT_EQ(MessageBoxCloseAnswer(MB_OK), IDOK);
  EXPECT_EQ(MessageBoxCloseAnswer(MB_OKCANCEL), IDCANCEL);
  EXPECT_EQ(MessageBoxCloseAnswer(MB_YESNOCANCEL), IDCANCEL);
  EXPECT_EQ(MessageBoxCloseAnswer(MB_RETRYCANCEL), IDCANCEL);
  EXPECT_EQ(MessageBoxCloseAnswer(MB_YESNO), IDNO);
  EXPECT_EQ(MessageBoxCloseAnswer(MB_ABORTRETRYIGNORE), IDABORT);
}

TEST(MessageBoxFlags, IconNibbleSelectsTheIcon) {
  EXPECT_EQ(MessageBoxIcon(MB_OK), MessageIcon::kNone);
  EXPECT_EQ(MessageBoxIcon(MB_ICONSTOP | MB_YESNO), MessageIcon::kStop);
  EXPECT_EQ(MessageBoxIcon(MB_ICONQUESTION), MessageIcon::kQuestion);
  EXPECT_EQ(MessageBoxIcon(MB_ICONWARNING), MessageIcon::kExclamation);
  EXPECT_EQ(MessageBoxIcon(MB_ICONINFORMATION | MB_DEFBUTTON2), MessageIcon::kInformation);
  EXPECT_EQ(MessageBoxIcon(0x50), MessageIcon::kNone);
}

}  // namespace
}  // namespace qb
