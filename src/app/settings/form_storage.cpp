// app/settings/form_storage: reading and writing the listed values through QSettings in ini
// format. Touches only its own ini file; passwords are refused by name before any write.
#include "app/settings/form_storage.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>
#include <QVariant>
#include <algorithm>
#include <cctype>
#include <optional>

#include "core/exception.h"
#include "framework/gui/application.h"

namespace qb {

namespace {

struct Entry {
  QObject* object = nullptr;
  std::string property;
};

// Resolves "Object.Property" below OWNER; object null when it cannot be found.
Entry Resolve(const QObject* owner, const std::string& stored) {
  Entry entry;
  const auto dot = stored.rfind('.');
  if (owner == nullptr || dot == std::string::npos || dot == 0 || dot + 1 == stored.size()) return entry;
  const QString name = QString::fromStdString(stored.substr(0, dot));
  entry.property = stored.substr(dot + 1);
  entry.object = owner->findChild<QObject*>(name, Qt::FindChildrenRecursively);
  return entry;
}

std::string ToLower(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
  return text;
}

// The value of ENTRY as text; nullopt when the property cannot be read as text.
std::optional<QString> ReadValue(const Entry& entry) {
  if (auto* component = qobject_cast<TComponent*>(entry.object)) {
    const PropertyInfo* info = component->Properties().Find(entry.property);
    if (info == nullptr || !info->get) return std::nullopt;
    const PropertyValue value = info->get(*component);
    switch (info->type) {
      case PropertyType::String:
        return QString::fromStdString(std::get<std::string>(value));
      case PropertyType::Bool:
        return std::get<bool>(value) ? QStringLiteral("1") : QStringLiteral("0");
      case PropertyType::Integer:
      case PropertyType::Int16:
        return QString::number(std::get<int64_t>(value));
      default:
        return std::nullopt;
    }
  }
  const QVariant value = entry.object->property(entry.property.c_str());
  if (!value.isValid() || !value.canConvert<QString>()) return std::nullopt;
  return value.toString();
}

// Sets ENTRY from TEXT through the property's setter. Raises what the setter raises.
void WriteValue(const Entry& entry, const QString& text) {
  if (auto* component = qobject_cast<TComponent*>(entry.object)) {
    const PropertyInfo* info = component->Properties().Find(entry.property);
    if (info == nullptr || !info->set) return;
    switch (info->type) {
      case PropertyType::String:
        info->set(*component, PropertyValue(text.toStdString()));
        break;
      case PropertyType::Bool:
        info->set(*component, PropertyValue(text.trimmed() == "1"));
        break;
      case PropertyType::Integer:
      case PropertyType::Int16: {
        bool ok = false;
        const qlonglong number = text.trimmed().toLongLong(&ok);
        if (ok) SetPropertyValue(*component, entry.property, PropertyValue(static_cast<int64_t>(number)));
        break;
      }
      default:
        break;
    }
    return;
  }
  if (entry.object->property(entry.property.c_str()).isValid()) {
    entry.object->setProperty(entry.property.c_str(), text);
  }
}

}  // namespace

std::string DefaultIniFilePath(const std::string& exe_name) {
  QString base = qEnvironmentVariable("XDG_CONFIG_HOME");
  if (base.isEmpty() || !QDir::isAbsolutePath(base)) base = QDir::homePath() + "/.config";
  return (base + "/quillbase/" + QString::fromStdString(exe_name).toUpper() + ".INI").toStdString();
}

TFormStorage::TFormStorage(QObject* owner) : TComponent(owner) {}

std::string TFormStorage::EffectiveIniFileName() const {
  if (!ini_file_name_.empty()) return ini_file_name_;
  return DefaultIniFilePath(App().ExeName());
}

bool TFormStorage::IsPasswordProperty(const std::string& property) {
  return ToLower(property).find("password") != std::string::npos;
}

std::string TFormStorage::Section() const {
  const std::string owner = Owner() != nullptr ? Owner()->objectName().toStdString() : std::string();
  return owner.empty() ? std::string("Settings") : owner;
}

void TFormStorage::SaveProperties() const {
  const QString path = QString::fromStdString(EffectiveIniFileName());
  QDir().mkpath(QFileInfo(path).absolutePath());
  QSettings settings(path, QSettings::IniFormat);
  settings.beginGroup(QString::fromStdString(Section()));
  for (const std::string& stored : stored_props_) {
    const Entry entry = Resolve(Owner(), stored);
    if (entry.object == nullptr || IsPasswordProperty(entry.property)) continue;
    if (const auto value = ReadValue(entry)) settings.setValue(QString::fromStdString(stored), *value);
  }
  settings.endGroup();
  settings.sync();
  if (settings.status() != QSettings::NoError) {
    throw Exception("The settings cannot be written to " + path.toStdString() + ".");
  }
}

void TFormStorage::RestoreProperties() const {
  const QString path = QString::fromStdString(EffectiveIniFileName());
  if (!QFileInfo::exists(path)) return;
  QSettings settings(path, QSettings::IniFormat);
  settings.beginGroup(QString::fromStdString(Section()));
  for (const std::string& stored : stored_props_) {
    const QString key = QString::fromStdString(stored);
    if (!settings.contains(key)) continue;
    const Entry entry = Resolve(Owner(), stored);
    if (entry.object == nullptr || IsPasswordProperty(entry.property)) continue;
    try {
      WriteValue(entry, settings.value(key).toString());
    } catch (const std::exception&) {
      // A value the property refuses (an edited file) is left out; the rest still loads.
    }
  }
  settings.endGroup();
}

const PropertyTable& TFormStorage::ClassProperties() {
  static const PropertyTable table =
      PropertyTableBuilder<TFormStorage>()
          .String("IniFileName", &TFormStorage::IniFileName, &TFormStorage::SetIniFileName)
          .StringList("StoredProps", &TFormStorage::StoredProps, &TFormStorage::SetStoredProps)
          .Build();
  return table;
}

}  // namespace qb
