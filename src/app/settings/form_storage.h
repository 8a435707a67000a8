// app/settings/form_storage: TFormStorage, the non-visual component that keeps a few named
// values of its window between runs in an ini file (QSettings, ini format). It stores only the
// properties listed in StoredProps and never a property whose name is a password.
#pragma once
#include <string>
#include <vector>

#include "framework/component/component.h"
#include "framework/component/properties.h"

namespace qb {

// Where the utility keeps its ini file: $XDG_CONFIG_HOME/quillbase/ (default
// ~/.config/quillbase/) followed by EXE_NAME in upper case with ".INI" ("QUILLBASE.INI").
// Creates nothing.
std::string DefaultIniFilePath(const std::string& exe_name);

// Each entry of StoredProps is "Object.Property": Object is a component or widget owned,
// directly or not, by the storage's owner (found by objectName), Property a published
// property of a component or a Qt property of a widget. Values are text, kept in the section
// named after the owner's objectName under the entry's own name as key.
class TFormStorage : public TComponent {
  Q_OBJECT

 public:
  explicit TFormStorage(QObject* owner = nullptr);

  // The ini file's path; empty: DefaultIniFilePath of the running program.
  const std::string& IniFileName() const { return ini_file_name_; }
  void SetIniFileName(const std::string& path) { ini_file_name_ = path; }
  std::string EffectiveIniFileName() const;

  const std::vector<std::string>& StoredProps() const { return stored_props_; }
  void SetStoredProps(const std::vector<std::string>& props) { stored_props_ = props; }

  // Writes every listed value to the ini file (creating its folder), and flushes it. Entries
  // whose object or property cannot be found, and password properties, are skipped. Raises
  // Exception naming the file when it cannot be written.
  void SaveProperties() const;
  // Sets every listed value found in the ini file through the property's setter (so change
  // handlers run). Missing keys and objects leave values alone; a value a setter refuses is
  // skipped. A missing file restores nothing. Raises nothing.
  void RestoreProperties() const;

  // True for a property name that must never reach the file ("Password", "DefaultPassword").
  static bool IsPasswordProperty(const std::string& property);

  static const PropertyTable& ClassProperties();
  const PropertyTable& Properties() const override { return ClassProperties(); }

 private:
  std::string Section() const;

  std::string ini_file_name_;
  std::vector<std::string> stored_props_;
};

}  // namespace qb
