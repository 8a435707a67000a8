// engine/dao_object: registry membership and the Properties lookup of every data-access
// component.
#include "engine/dao_object.h"

#include <algorithm>

#include "engine/dao_globals.h"
#include "jet/dao/property.h"

namespace qb {

const char* WorkspaceTypeName(TWorkspaceTypes type) { return type == wtUseODBC ? "wtUseODBC" : "wtUseJet"; }

int EngineWorkspaceKind(TWorkspaceTypes type) {
  switch (type) {
    case wtUseJet:
      return 2;
    case wtUseODBC:
      return 1;
  }
  return 0;
}

TDAOObject::TDAOObject(QObject* owner) : TComponent(owner) { DAOObjectList().push_back(this); }

TDAOObject::~TDAOObject() {
  auto& list = DAOObjectList();
  list.erase(std::remove(list.begin(), list.end(), this), list.end());
}

std::shared_ptr<jet::Properties> TDAOObject::GetProperties() { return nullptr; }

std::string TDAOObject::About() const { return "Quillbase data-access components"; }

bool TDAOObject::PropertyExists(const std::string& name) {
  try {
    std::shared_ptr<jet::Properties> properties = GetProperties();
    return properties != nullptr && properties->Item(name) != nullptr;
  } catch (...) {
    return false;
  }
}

const PropertyTable& TDAOObject::ClassProperties() {
  static const PropertyTable table =
      PropertyTableBuilder<TDAOObject>()
          .String("About", &TDAOObject::About, &TDAOObject::SetAbout)
          .NotStored()
          .Build();
  return table;
}

}  // namespace qb
