// engine/dao_registration: the class names of the data-access components.
#include "engine/dao_registration.h"

#include "engine/dao_database.h"
#include "engine/dao_engine.h"
#include "engine/dao_workspace.h"
#include "framework/component/class_registry.h"

namespace qb {

void RegisterDAOComponentClasses() {
  RegisterComponentClass<TDAOEngine>("TDAOEngine");
  RegisterComponentClass<TDAOWorkspace>("TDAOWorkspace");
  RegisterComponentClass<TDAODataBase>("TDAODataBase");
}

}  // namespace qb
