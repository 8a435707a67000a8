// Tests of the small windows of the database tools: the options window's sorted entries and
// preselection by value, and the new-database settings with their password confirmation.
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>

#include "app/dbtools/db_create_opt_dlg.h"
#include "app/dbtools/db_option_tables.h"
#include "app/dbtools/db_options_dlg.h"
#include "app/dbtools/dbtools_test_support.h"
#include "app/dbtools/screenshot_test_support.h"
#include "framework/gui/message_box.h"

namespace qb::test {
namespace {

class DBSmallDialogsTest : public AppTest {};

TEST_F(DBSmallDialogsTest, OptionsListNamesAlphabeticallyAndPreselectTheFirstMatch) {
  struct Case {
    TDBOptionsMode mode;
    int value;
    const char* selected;  // nullptr: nothing
  };
  const Case cases[] = {
      {omSortOrder, 1033, "General"},  // before "Paradox International", which shares it
      {omSortOrder, 1053, "Paradox Swedish / Finnish"},
      {omSortOrder, 1030, "Norwegian / Danish"},
      {omSortOrder, -1, "Undefined"},
      {omSortOrder, 4242, nullptr},
      {omJetVersion, 32, "Jet Version 3.0"},
      {omJetVersion, 1, "Jet Version 1.0"},
      {omJetVersion, 1033, nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.value));
    int value = c.value;
    TDBOptionsDlg dialog(c.mode, value);
    auto* combo = Child<QComboBox>(dialog, "ComboBoxSortOrder");
    EXPECT_EQ(combo->currentText().toStdString(), c.selected ? c.selected : "");
    std::vector<std::string> entries = Entries(*combo);
    std::vector<std::string> sorted = entries;
    std::sort(sorted.begin(), sorted.end());
    EXPECT_EQ(entries, sorted);
    EXPECT_EQ(entries.size(), c.mode == omSortOrder ? 25u : 4u);
  }
}

TEST_F(DBSmallDialogsTest, CreateSettingsListSortOrdersInTableOrderAndCheckTheConfirmation) {
  TDBCreateOptDlg dialog;
  dialog.show();
  std::vector<std::string> expected;
  for (const TDBOptionEntry& entry : SortOrderTable()) expected.push_back(entry.name);
  EXPECT_EQ(Entries(*dialog.ComboBoxSortOrder()), expected);
  EXPECT_EQ(dialog.ComboBoxSortOrder()->currentText(), "General");
  EXPECT_EQ(dialog.SortOrder(), 1033);
  EXPECT_EQ(dialog.CheckBoxEnrypted()->text(), "Enrypt Data");
  EXPECT_EQ(dialog.EditPasswordConfirmation()->echoMode(), QLineEdit::Password);
  SaveScreenshot(dialog, "dbtools-create");

  ScriptedGui gui;
  gui.ExpectMessageBox(IDOK)
      .Text("The Password and it's Confirmation are not identical.")
      .Caption("Information")
      .Check("an OK box", [](const GuiCall& call) { return (call.flags & MB_TYPEMASK) == MB_OK; });
  dialog.EditPassword()->setText("abc");
  dialog.EditPasswordConfirmation()->setText("abd");
  Child(dialog, "BtnOk")->click();
  EXPECT_TRUE(dialog.isVisible()) << "stays open";
  gui.Verify();

  dialog.EditPasswordConfirmation()->setText("abc");
  dialog.ComboBoxSortOrder()->setCurrentIndex(-1);
  Child(dialog, "BtnOk")->click();
  EXPECT_EQ(dialog.result(), QDialog::Accepted);
  EXPECT_EQ(dialog.SortOrder(), -1) << "nothing selected";
  EXPECT_EQ(dialog.Password(), "abc");
}

}  // namespace
}  // namespace qb::test
