// engine/dao_object: TDAOObject, the common base of the engine, workspace and database
// components: registry membership, the engine Properties of the object it stands for, and the
// shared workspace-kind vocabulary. Opens and closes nothing itself.
#pragma once
#include <memory>
#include <string>

#include "framework/component/component.h"
#include "framework/component/properties.h"

namespace qb {

namespace jet {
class Properties;
}

// The two workspace kinds, in this order; the engine's kinds are 2 (Jet) and 1 (ODBC).
enum TWorkspaceTypes { wtUseJet, wtUseODBC };

// "wtUseJet" or "wtUseODBC".
const char* WorkspaceTypeName(TWorkspaceTypes type);
// The engine's workspace kind for TYPE (2 or 1); 0 for a value outside the two.
int EngineWorkspaceKind(TWorkspaceTypes type);

class TDAOObject : public TComponent {
  Q_OBJECT

 public:
  // Creates the component owned by OWNER and appends it to DAOObjectList.
  explicit TDAOObject(QObject* owner = nullptr);
  // Removes the component from DAOObjectList.
  ~TDAOObject() override;

  // The Properties collection of the engine object this component stands for, or null while
  // that object does not exist. Raises what the engine raises.
  virtual std::shared_ptr<jet::Properties> GetProperties();

  // Design-time information; writing it does nothing.
  virtual std::string About() const;
  void SetAbout(const std::string&) {}

  // True when GetProperties() has an item named NAME. Every failure on the way (inactive
  // object, no such property, engine error) gives false; never raises.
  bool PropertyExists(const std::string& name);

  // Closes the engine object this component stands for, as the engine component's
  // deactivation requires (workspaces close, databases disconnect); nothing when inactive.
  // Runs even while the component is being loaded. Raises what closing raises.
  virtual void CloseForEngine() {}

  static const PropertyTable& ClassProperties();
  const PropertyTable& Properties() const override { return ClassProperties(); }
};

}  // namespace qb
