// Helpers of the database editor and table designer tests.
#include "app/catalog_window_support.h"

#include <QApplication>
#include <QDir>
#include <QImage>
#include <QPixmap>

#include "app/toolwindows/single_tool_windows.h"
#include "engine/dao_globals.h"
#include "jet/dao/dbengine.h"
#include "jet/base/engine_settings.h"
#include "jet/dao/querydef.h"

namespace qb::test {

void CatalogWindowTest::SetUp() {
  AppTest::SetUp();
  TEST_ResetDAOState();
  TEST_SetEngineSettings(jet::EngineSettings::ForTests());
  workgroup_ = dir_.File("system.mdw");
  file_ = dir_.File("data.mdb");
  jet::CreateDBEngine(jet::EngineSettings::ForTests())->CreateWorkgroup(workgroup_);
  engine_ = std::make_unique<TDAOEngine>();
  engine_->SetName("DAOEngine1");
  engine_->SetSystemDB(workgroup_);
  engine_->Open();
  engine_->CreateDatabase(file_, "1033");
  db_ = std::make_unique<TDAODataBase>();
  db_->SetName("DAODataBase1");
  db_->SetDatabaseFile(file_);
  TEST_SetToolWindowCallHook([this](const ToolWindowCall& call) { tool_calls_.push_back(call); });
}

void CatalogWindowTest::TearDown() {
  ReleaseSingleToolWindows();
  TEST_SetToolWindowCallHook(nullptr);
  db_.reset();
  engine_.reset();
  TEST_ResetDAOState();
}

void CatalogWindowTest::Sql(const std::vector<std::string>& statements) {
  if (!db_->Connected()) db_->Open();
  for (const std::string& statement : statements) db_->Execute(statement);
}

std::vector<std::string> CatalogWindowTest::TakeToolCalls() {
  std::vector<std::string> texts;
  for (const ToolWindowCall& call : tool_calls_) {
    std::string text = call.entry + "(" + (call.database != nullptr ? call.database->Name() : "null");
    if (call.entry == "ShowDataViewer") text += ", " + call.name;
    if (call.entry == "ShowStoredProcDesigner") text += ", " + (call.query ? call.query->Name() : "null");
    texts.push_back(text + ")");
  }
  tool_calls_.clear();
  return texts;
}

std::string ListState(const QListWidget& list) {
  std::string state;
  for (int i = 0; i < list.count(); ++i) {
    const QListWidgetItem* item = list.item(i);
    const std::string text = item->text().toStdString();
    if (!state.empty()) state += " ";
    state += item->isSelected() && list.currentItem() == item ? "[" + text + "]" : text;
  }
  return state;
}

bool SaveScreenshot(QWidget& window, const std::string& name) {
  const QString folder = QDir(QString(QB_BIN_DIR)).absoluteFilePath("../screenshots");
  if (!QDir().mkpath(folder)) return false;
  window.show();
  RunPostedEvents();
  const QImage image = window.grab().toImage();
  return !image.isNull() && image.save(folder + "/" + QString::fromStdString(name) + ".png");
}

void RunPostedEvents() {
  QCoreApplication::sendPostedEvents();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  QApplication::processEvents();
}

}  // namespace qb::test
