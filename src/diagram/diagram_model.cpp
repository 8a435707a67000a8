// diagram/diagram_model: reading the diagram's tables and relationships through the object model.
#include "diagram/diagram_model.h"

#include <set>

#include "jet/dao/error_numbers.h"
#include "jet/dao/engine_options.h"
#include "jet/dao/catalog_objects.h"
#include "jet/dao/database.h"
#include "jet/dao/field.h"
#include "jet/dao/index.h"
#include "jet/dao/relation.h"

namespace qb::diagram {
namespace {

// The field names of an index's "+A;-B" key text.
std::set<std::string> KeyFields(const std::string& fields) {
  std::set<std::string> names;
  std::string name;
  auto flush = [&] {
    if (!name.empty()) names.insert(jet::FoldCase(name));
    name.clear();
  };
  for (char c : fields) {
    if (c == ';') {
      flush();
    } else if (!(name.empty() && (c == '+' || c == '-'))) {
      name += c;
    }
  }
  flush();
  return names;
}

DiagramTable ReadTable(jet::TableDef& definition) {
  DiagramTable table;
  table.name = definition.Name();
  std::set<std::string> key;
  auto indexes = definition.Indexes();
  for (int i = 0; i < indexes->Count(); ++i) {
    auto index = indexes->Item(i);
    if (index->Primary()) key = KeyFields(index->Fields());
  }
  auto fields = definition.Fields();
  for (int i = 0; i < fields->Count(); ++i) {
    const std::string name = fields->Item(i)->Name();
    table.fields.push_back({name, key.count(jet::FoldCase(name)) != 0});
  }
  return table;
}

}  // namespace

int DiagramModel::FindTable(const std::string& name) const {
  const std::string folded = jet::FoldCase(name);
  for (std::size_t i = 0; i < tables.size(); ++i) {
    if (jet::FoldCase(tables[i].name) == folded) return static_cast<int>(i);
  }
  return -1;
}

DiagramModel ReadDiagramModel(jet::Database& database, const std::vector<std::string>& only) {
  std::set<std::string> wanted;
  for (const std::string& name : only) wanted.insert(jet::FoldCase(name));
  DiagramModel model;
  auto definitions = database.TableDefs();
  for (int i = 0; i < definitions->Count(); ++i) {
    auto definition = definitions->Item(i);
    if ((definition->Attributes() & jet::kSystemObject) == jet::kSystemObject) continue;
    if (!wanted.empty() && wanted.count(jet::FoldCase(definition->Name())) == 0) continue;
    model.tables.push_back(ReadTable(*definition));
  }
  for (const std::string& name : only) {
    if (model.FindTable(name) < 0) {
      jet::RaiseJetError(jet::err::kTableNotFound, "The database has no table named '" + name + "'.");
    }
  }
  auto relations = database.Relations();
  for (int i = 0; i < relations->Count(); ++i) {
    auto relation = relations->Item(i);
    const int primary = model.FindTable(relation->Table());
    const int foreign = model.FindTable(relation->ForeignTable());
    if (primary < 0 || foreign < 0) continue;
    DiagramRelation line;
    line.name = relation->Name();
    line.primary = static_cast<std::size_t>(primary);
    line.foreign = static_cast<std::size_t>(foreign);
    for (const jet::RelationField& field : relation->Fields()) {
      line.primary_fields.push_back(field.name);
      line.foreign_fields.push_back(field.foreign_name);
    }
    line.attributes = relation->Attributes();
    model.relations.push_back(std::move(line));
  }
  return model;
}

}  // namespace qb::diagram
