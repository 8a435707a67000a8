// engine/dao_globals: the process-wide state the data-access components share: the registry
// of live components and the one engine root object, created on first use. Owns the root
// reference, never the components; GUI thread only, no locks.
#pragma once
#include <memory>
#include <vector>

#include "jet/dao/engine_options.h"

namespace qb {

namespace jet {
class DBEngine;
}

class TDAOObject;
class TDAOEngine;

// Every live TDAOObject (engines, workspaces, databases) in creation order; recordsets are not
// in it. Components add and remove themselves; the list owns none of them.
std::vector<TDAOObject*>& DAOObjectList();

// The engine root object of the process, or null before first use and after the engine
// component's deactivation released it.
std::shared_ptr<jet::DBEngine>& DBEngineObject();

// The first TDAOEngine of DAOObjectList, or null.
TDAOEngine* FindDAOEngine();

// The engine root object, created on first use; when it is created and an engine component
// exists, that component's settings are applied to it (ApplyEngineSettings). Raises what the
// creation or the settings raise; when applying fails, the root object stays in place.
std::shared_ptr<jet::DBEngine> GetDBEngine();

// --- Test hooks ---
// The settings the next root object is created with (the defaults until set).
void TEST_SetEngineSettings(const jet::EngineSettings& settings);
// Releases the root object and restores every process-wide value of the components to its
// start value (the registry is emptied, not its components freed; the engine settings stay).
void TEST_ResetDAOState();

}  // namespace qb
