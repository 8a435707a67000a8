// app/widgets/nim_main_menu: building and finding the menu bar's commands.
#include "app/widgets/nim_main_menu.h"

#include <QAction>
#include <QMenu>

#include "framework/gui/application.h"

namespace qb {

TNimMainMenu::TNimMainMenu(QWidget* parent) : QMenuBar(parent) { setObjectName("MainMenu"); }

QMenu* TNimMainMenu::AddMenu(const std::string& name, const std::string& caption) {
  QMenu* menu = addMenu(QString::fromStdString(caption));
  menu->setObjectName(QString::fromStdString(name));
  menu->menuAction()->setObjectName(QString::fromStdString(name));
  return menu;
}

QAction* TNimMainMenu::AddCommand(QMenu* menu, const std::string& name, const std::string& caption,
                                  std::function<void()> action) {
  QAction* command = menu->addAction(QString::fromStdString(caption));
  command->setObjectName(QString::fromStdString(name));
  connect(command, &QAction::triggered, command, [action = std::move(action)] {
    if (action) App().CallGuarded(action);
  });
  return command;
}

QAction* TNimMainMenu::FindCommand(const std::string& name) const {
  return findChild<QAction*>(QString::fromStdString(name), Qt::FindChildrenRecursively);
}

}  // namespace qb
