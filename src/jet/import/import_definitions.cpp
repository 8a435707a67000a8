// jet/import/import_definitions: relationships are made by Jet DDL; queries are first all saved
// (a query may read another, in any order) and then each translated, dropping those that do not
// translate until the rest all do (dropping one may break another that reads it).
#include "jet/import/import_definitions.h"

#include <map>

#include "com/ole_exception.h"
#include "jet/base/recordset_types.h"
#include "jet/dao/database.h"
#include "jet/dao/querydef.h"
#include "jet/dao/relation.h"

namespace qb::jet::import {
namespace {

std::string Bracketed(const std::string& name) {
  std::string quoted = "[";
  for (char c : name) quoted += c == ']' ? std::string("]]") : std::string(1, c);
  return quoted + "]";
}

std::string NameList(const std::vector<std::pair<std::string, std::string>>& fields, bool foreign) {
  std::string list;
  for (const auto& field : fields) list += (list.empty() ? "" : ", ") + Bracketed(foreign ? field.second : field.first);
  return list;
}

}  // namespace

ImportedRelation ReadRelation(FrameReader& in) {
  ImportedRelation relation;
  relation.name = in.Text();
  relation.attributes = in.U32();
  relation.table = in.Text();
  relation.foreign_table = in.Text();
  const std::uint32_t count = in.U32();
  for (std::uint32_t i = 0; i < count; ++i) {
    std::string field = in.Text();
    std::string foreign = in.Text();
    relation.fields.emplace_back(std::move(field), std::move(foreign));
  }
  return relation;
}

ImportedQuery ReadQuery(FrameReader& in) {
  ImportedQuery query;
  query.name = in.Text();
  query.object_flags = in.I64();
  const std::uint32_t count = in.U32();
  for (std::uint32_t i = 0; i < count; ++i) {
    QueryRow row;
    row.attribute = in.U8();
    row.order = in.Text();
    row.name1 = in.Text();
    row.name2 = in.Text();
    row.expression = in.Text();
    row.flag = in.I64();
    query.rows.push_back(std::move(row));
  }
  return query;
}

void WriteRelations(Database& db, const std::vector<ImportedRelation>& relations, ImportSummary* summary) {
  for (const ImportedRelation& relation : relations) {
    const std::string what = "relationship " + relation.name;
    if (relation.attributes & relation_attribute::kDontEnforce) {
      summary->skipped.emplace_back(what, "it is not enforced in the original, and this engine enforces every relationship");
      continue;
    }
    if (relation.fields.empty()) {
      summary->skipped.emplace_back(what, "its fields are missing from the file");
      continue;
    }
    try {
      db.Execute("ALTER TABLE " + Bracketed(relation.foreign_table) + " ADD CONSTRAINT " + Bracketed(relation.name) +
                     " FOREIGN KEY (" + NameList(relation.fields, true) + ") REFERENCES " + Bracketed(relation.table) +
                     " (" + NameList(relation.fields, false) + ")",
                 recordset_option::kFailOnError);
    } catch (const EOleException& e) {
      summary->skipped.emplace_back(what, e.Description());
      continue;
    }
    ++summary->relations;
    if (relation.attributes & relation_attribute::kUpdateCascade) {
      summary->skipped.emplace_back("cascading updates of " + what, "this engine cascades no changes");
    }
    if (relation.attributes & relation_attribute::kDeleteCascade) {
      summary->skipped.emplace_back("cascading deletes of " + what, "this engine cascades no deletions");
    }
  }
}

void WriteQueries(Database& db, const std::vector<ImportedQuery>& queries, ImportSummary* summary) {
  std::map<std::string, std::string> saved;  // name: its SQL
  for (const ImportedQuery& query : queries) {
    const std::string what = "query " + query.name;
    std::string sql;
    try {
      sql = SavedQuerySql(query.rows, query.object_flags);
    } catch (const QueryNotRebuilt& e) {
      summary->skipped.emplace_back(what, e.what());
      continue;
    }
    try {
      db.CreateQueryDef(query.name, sql);
      saved[query.name] = sql;
    } catch (const EOleException& e) {
      summary->skipped.emplace_back(what, e.Description() + " Its SQL: " + sql);
    }
  }
  for (bool dropped = true; dropped;) {
    dropped = false;
    for (auto it = saved.begin(); it != saved.end();) {
      std::string problem;
      try {
        db.QueryDefs()->Item(it->first)->Translation();
      } catch (const EOleException& e) {
        problem = e.Description();
      }
      if (problem.empty()) {
        ++it;
        continue;
      }
      db.QueryDefs()->Delete(it->first);
      summary->skipped.emplace_back("query " + it->first, "it does not translate: " + problem + " Its SQL: " + it->second);
      it = saved.erase(it);
      dropped = true;
    }
  }
  summary->queries = static_cast<int>(saved.size());
}

}  // namespace qb::jet::import
