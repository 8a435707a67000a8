// engine/dao_globals: the component registry, the engine root reference and its creation.
// Knows the engine component only to find it and to apply its settings.
#include "engine/dao_globals.h"

#include "engine/dao_engine.h"
#include "engine/dao_errors.h"
#include "engine/dao_message_box.h"
#include "engine/dao_wait_cursor.h"
#include "jet/dao/dbengine.h"

namespace qb {

namespace {

jet::EngineSettings& RootSettings() {
  static jet::EngineSettings settings;
  return settings;
}

}  // namespace

std::vector<TDAOObject*>& DAOObjectList() {
  static std::vector<TDAOObject*> list;
  return list;
}

std::shared_ptr<jet::DBEngine>& DBEngineObject() {
  static std::shared_ptr<jet::DBEngine> engine;
  return engine;
}

TDAOEngine* FindDAOEngine() {
  for (TDAOObject* object : DAOObjectList()) {
    if (auto* engine = dynamic_cast<TDAOEngine*>(object)) return engine;
  }
  return nullptr;
}

std::shared_ptr<jet::DBEngine> GetDBEngine() {
  if (!DBEngineObject()) {
    DBEngineObject() = jet::CreateDBEngine(RootSettings());
    if (TDAOEngine* engine = FindDAOEngine()) ApplyEngineSettings(*engine);
  }
  return DBEngineObject();
}

void TEST_SetEngineSettings(const jet::EngineSettings& settings) { RootSettings() = settings; }

void TEST_ResetDAOState() {
  DBEngineObject().reset();
  DAOObjectList().clear();
  DetailedErrorMessages = true;
  ShowWaitCursor = true;
  DAOWaitCursor = crHourGlass;
  SuppressErrorBoxes = false;
}

}  // namespace qb
