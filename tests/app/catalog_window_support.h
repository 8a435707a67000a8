// Helpers of the database editor and table designer tests: a fixture with a workgroup, an
// active engine component and a database component on a real file in a temporary folder, the
// calls the tool window entries received, finding controls, and screenshots of windows.
#pragma once
#include <gtest/gtest.h>

#include <QListWidget>
#include <QWidget>
#include <memory>
#include <string>
#include <vector>

#include "app/app_test_support.h"
#include "app/toolwindows/tool_windows.h"
#include "engine/dao_database.h"
#include "engine/dao_engine.h"
#include "support/test_support.h"

namespace qb::test {

class CatalogWindowTest : public AppTest {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Runs the Jet statements STATEMENTS on the connected database.
  void Sql(const std::vector<std::string>& statements);
  // The calls the tool window entries received, as "Entry(database name, name)" texts.
  std::vector<std::string> TakeToolCalls();

  TempDir dir_;
  std::string workgroup_;
  std::string file_;
  std::unique_ptr<TDAOEngine> engine_;
  std::unique_ptr<TDAODataBase> db_;  // named DAODataBase1, on file_, disconnected
  std::vector<ToolWindowCall> tool_calls_;
};

// The child of ROOT named NAME; a test failure when there is none.
template <class T>
T* Child(const QObject& root, const char* name) {
  T* child = root.findChild<T*>(name);
  EXPECT_NE(child, nullptr) << name;
  return child;
}

// The entries of LIST, top to bottom, and the selected one's text ("" for none), as
// "a b [c] d" (the selected entry in brackets).
std::string ListState(const QListWidget& list);

// Grabs WINDOW's current look into <build>/screenshots/NAME.png; false when it was not written.
bool SaveScreenshot(QWidget& window, const std::string& name);

// Delivers the events a modal dialog's posted work needs (posted calls, deferred deletes).
void RunPostedEvents();

}  // namespace qb::test
