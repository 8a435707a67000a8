// app/widgets/nim_main_menu: TNimMainMenu, a window's main menu bar whose commands are found
// by objectName. It runs commands through the default exception display; it owns no command.
#pragma once
#include <QMenuBar>
#include <functional>
#include <string>

class QAction;
class QMenu;

namespace qb {

class TNimMainMenu : public QMenuBar {
  Q_OBJECT

 public:
  explicit TNimMainMenu(QWidget* parent = nullptr);

  // Adds a top-level menu captioned CAPTION ('&' marks its mnemonic) named NAME. The menu is
  // owned by the bar.
  QMenu* AddMenu(const std::string& name, const std::string& caption);
  // Adds to MENU a command named NAME that runs ACTION; an exception ACTION raises goes to the
  // default exception display. Returns the action, owned by MENU. REQUIRES: MENU from AddMenu.
  QAction* AddCommand(QMenu* menu, const std::string& name, const std::string& caption,
                      std::function<void()> action);
  // The command or menu action named NAME anywhere in the bar, or null.
  QAction* FindCommand(const std::string& name) const;
};

}  // namespace qb
