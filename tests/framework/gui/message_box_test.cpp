// Message box flags: which buttons, default and close answer each flag combination gives.
#include "framework/gui/message_box.h"

#include <gtest/gtest.h>

#include <utility>

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
  const std::pair<int, int> cases[] = {
      {MB_YESNOCANCEL, IDYES},           {MB_YESNOCANCEL | MB_DEFBUTTON2, IDNO},
      {MB_YESNOCANCEL | MB_DEFBUTTON3, IDCANCEL}, {MB_YESNOCANCEL | MB_DEFBUTTON4, IDYES},
      {MB_YESNO | MB_DEFBUTTON3, IDYES}, {MB_ABORTRETRYIGNORE | MB_DEFBUTTON3, IDIGNORE},
  };
  for (const auto& [flags, button] : cases) EXPECT_EQ(MessageBoxDefaultButton(flags), button) << flags;
}

TEST(MessageBoxFlags, ClosingTheBoxGivesCancelOrTheSafestButton) {
  const std::pair<int, int> cases[] = {
      {MB_OK, IDOK},          {MB_OKCANCEL, IDCANCEL}, {MB_YESNOCANCEL, IDCANCEL},
      {MB_RETRYCANCEL, IDCANCEL}, {MB_YESNO, IDNO}, {MB_ABORTRETRYIGNORE, IDABORT},
  };
  for (const auto& [flags, answer] : cases) EXPECT_EQ(MessageBoxCloseAnswer(flags), answer) << flags;
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
