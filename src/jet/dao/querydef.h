// jet/dao/querydef: the QueryDef object, its Parameters and Fields, and the QueryDefs collection.
// A QueryDef is stand-alone (constructed, or made by CreateQueryDef("") as a temporary bound to
// its database) until appended; a stored one is the view of one saved query and every change
// goes to the file at once. Saved queries are Jet SQL text, translated when used; this layer
// never builds SQLite SQL itself.
#pragma once
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "com/variant.h"
#include "jet/catalog/query_catalog.h"
#include "jet/base/unicode_text.h"
#include "jet/base/errors.h"

namespace qb::jet {

namespace sql {
struct TranslatedQuery;
}

class Connection;
class Database;
class Properties;
class QueryDef;
class Recordset;
struct QueryRows;

// DAO ParameterDirectionEnum: only input parameters exist for Jet queries.
inline constexpr int kParamInput = 1;

// One parameter of a query (declared in PARAMETERS, or a name the query cannot resolve). Its
// Value belongs to the QueryDef object it came from: every Parameters collection of that object
// shares it, another QueryDef object of the same saved query has its own.
class Parameter {
 public:
  Parameter(std::shared_ptr<QueryDef> query, std::string name, int type);

  const std::string& Name() const { return name_; }
  int Type() const { return type_; }  // the declared DAO type; dbText (10) for implicit ones
  int Direction() const { return kParamInput; }
  // Empty until set. Setting keeps the value as given (it is converted when the query runs);
  // Direction 1 is the only one accepted (else kInvalidArgument).
  Variant Value() const;
  void SetValue(const Variant& value);
  void SetDirection(int direction);
  // Name, Type, Value, Direction.
  std::shared_ptr<jet::Properties> Properties();

 private:
  std::shared_ptr<QueryDef> query_;  // constant after construction
  std::string name_;                 // constant after construction
  int type_;                         // constant after construction
};

class Parameters {
 public:
  explicit Parameters(std::vector<std::shared_ptr<Parameter>> items) : items_(std::move(items)) {}
  int Count() const { return static_cast<int>(items_.size()); }
  // The parameter at INDEX (from 0) or named NAME (case ignored); kItemNotFound when
  // there is none.
  std::shared_ptr<Parameter> Item(int index) const;
  std::shared_ptr<Parameter> Item(std::string_view name) const;
  void Refresh() {}

 private:
  std::vector<std::shared_ptr<Parameter>> items_;  // constant after construction
};

// One result column of a query: read-only.
class QueryField {
 public:
  QueryField(std::string name, int type, int size, std::string source_table, std::string source_field, int position);
  const std::string& Name() const { return name_; }
  int Type() const { return type_; }
  int Size() const { return size_; }  // Text(n) and Binary(n); the type's size otherwise
  const std::string& SourceTable() const { return source_table_; }  // "" for computed columns
  const std::string& SourceField() const { return source_field_; }
  int OrdinalPosition() const { return position_; }
  // Name, Type, Size, SourceTable, SourceField, OrdinalPosition; all read-only.
  std::shared_ptr<jet::Properties> Properties() const;

 private:
  std::string name_;  // all constant after construction
  int type_;
  int size_;
  std::string source_table_;
  std::string source_field_;
  int position_;
};

class QueryFields {
 public:
  explicit QueryFields(std::vector<std::shared_ptr<QueryField>> items) : items_(std::move(items)) {}
  int Count() const { return static_cast<int>(items_.size()); }
  // kItemNotFound when there is no such field.
  std::shared_ptr<QueryField> Item(int index) const;
  std::shared_ptr<QueryField> Item(std::string_view name) const;
  void Refresh() {}

 private:
  std::vector<std::shared_ptr<QueryField>> items_;  // constant after construction
};

// States of a QueryDef (one at a time):
//   stand-alone  no database: Name and SQL are recorded only; QueryDefs.Append stores it.
//   temporary    bound to a database, never stored: Parameters, Fields and Execute work; Append
//                (after naming it) stores it.
//   stored       the view of saved query stored_.id: changes are written at once.
//   closed       after Close, or once its saved query was deleted through QueryDefs: getters
//                keep the last values, everything else raises kObjectClosed.
class QueryDef : public std::enable_shared_from_this<QueryDef> {
 public:
  // A stand-alone definition. Raises the parser's syntax error for SQL, kInvalidName for NAME
  // (an empty name is allowed until appended).
  explicit QueryDef(std::string name = std::string(), std::string sql = std::string());
  // Made by the engine: a temporary bound to DATABASE, or the view of the stored query STORED.
  QueryDef(std::weak_ptr<Database> database, std::string sql);
  QueryDef(std::weak_ptr<Database> database, StoredQuery stored);

  std::string Name() const;
  std::string SQL() const;  // as given, never rewritten
  // The DAO query type (dbQSelect 0, dbQCrosstab 16, ... dbQSetOperation 128) of SQL; 0 for an
  // empty text or one another program stored that no longer parses.
  int Type() const;
  Variant DateCreated() const;  // Null until stored
  Variant LastUpdated() const;
  bool Updatable() const;       // false for a stored query of a database opened read-only
  bool ReturnsRecords() const;  // true for select, crosstab and union queries
  std::int32_t MaxRecords() const;  // 0: all records
  const std::string& Connect() const;  // always "" (no pass-through queries)
  int RecordsAffected() const;  // rows the last Execute of this object changed

  // Name: kInvalidName for a bad name (an empty one included once stored), kObjectExists when
  // another table or query has it; a stored query is renamed at once.
  // SQL: parsed now; a syntax error raises the parser's error and keeps the old text. "" clears
  // it. A stored query is rewritten at once and its LastUpdated moves.
  // MaxRecords: 0 .. 2^31 - 1 (else kInvalidArgument); stored with the query. Execute does not
  // use it; row readers and recordsets opened from this object stop after that many rows.
  // Connect: only "" is accepted (else kNotForThisObject).
  // Writes to a stored query raise kReadOnly on a read-only open.
  void SetName(const std::string& name);
  void SetSQL(const std::string& sql);
  void SetMaxRecords(std::int32_t max_records);
  void SetConnect(const std::string& connect);

  // The query's parameters (declared ones first, then implicit ones) with this object's
  // values. Raises kInvalidOperation for a stand-alone definition and the translator's errors
  // (3078 for a table or query that does not exist).
  std::shared_ptr<jet::Parameters> Parameters();
  // The result columns of a row-returning query (none for action and DDL queries). Raises as
  // Parameters, and 3061 when a crosstab needs parameter values to find its columns.
  std::shared_ptr<QueryFields> Fields();
  // Runs an action or DDL query with this object's parameter values. OPTIONS: Jet's Execute
  // options (dbFailOnError 128 makes it all or nothing). Raises kSelectNotExecutable (3065) for
  // a row-returning query, 3061 "Too few parameters" when some parameter has no value, the
  // parser's error for an empty text, and what ExecuteAction raises. Sets RecordsAffected.
  void Execute(int options = 0);
  // Beyond the object model until recordsets read queries: every row of a row-returning query
  // with this object's parameter values, at most MaxRecords of them (when not 0). Raises as
  // ReadQueryRows (query_rows.h).
  QueryRows ReadRows();
  // The query's rows as a recordset (TYPE 0: dynaset) with this object's parameter values, at
  // most MaxRecords of them (when not 0). Raises as Database.OpenRecordset (recordset_open.h).
  std::shared_ptr<Recordset> OpenRecordset(int type = 0, int options = 0, int lock_type = 0);
  // Closes this object (the saved query stays). REQUIRES (else kObjectClosed): not closed.
  void Close();
  // The built-in properties: Name, SQL, Type, DateCreated, LastUpdated, Updatable,
  // ReturnsRecords, MaxRecords, Connect, RecordsAffected.
  std::shared_ptr<jet::Properties> Properties();

  // Beyond the object model, for the engine's executors and recordsets:
  bool IsStored() const { return stored_.id != 0 && !closed_; }
  bool IsClosed() const { return closed_; }
  // The database of a temporary or stored query. Raises kObjectClosed when it or this object
  // is closed, kInvalidOperation for a stand-alone definition.
  std::shared_ptr<Database> OwnerDatabase() const;
  // The translation of SQL (cached by the database). Raises as Parameters.
  std::shared_ptr<const sql::TranslatedQuery> Translation() const;
  // The parameter values in the order of Translation()->parameters (Empty where none is set).
  // On a data source: the values of Parameter1 .. ParameterN, one per "?" of the text
  // (kTooFewParameters when one has none).
  std::vector<Variant> ParameterValues() const;
  // On an ODBC data source the text goes to the server as written (never parsed as Jet SQL):
  // Type is dbQSQLPassThrough (112), its "?" markers are the parameters Parameter1 ..
  // ParameterN, Execute and OpenRecordset run it there, and a named one lives in the
  // connection's QueryDefs until the connection closes.
  bool OnSource() const;

 private:
  friend class Parameter;
  friend class QueryDefs;

  // Runs WRITE on the owner's connection inside a savepoint, then re-reads the stored row;
  // CHANGES_TRANSLATION stales cached translations. Raises kObjectClosed (and closes this
  // object) when the saved query is gone, kReadOnly on a read-only open.
  void WriteStored(const std::function<void(Connection&)>& write, bool changes_translation);
  void RefreshFrom(const StoredQuery& stored);  // newer values of the stored query
  void AppendTo(const std::shared_ptr<Database>& database);
  void MarkDeleted() { closed_ = true; }
  void BindToSource(const std::shared_ptr<Database>& database);

  std::weak_ptr<Database> database_;    // set for temporary and stored queries
  bool bound_ = false;                  // has a database (temporary or stored)
  StoredQuery stored_;                  // stored: the row as last read or written; else name/SQL
  int kind_ = 0;                        // the type of stored_.sql
  bool closed_ = false;
  int records_affected_ = 0;
  std::map<std::string, Variant, NameLess> values_;  // parameter values by name
};

class QueryDefs {
 public:
  // The saved queries of DATABASE, by name, read now.
  explicit QueryDefs(std::weak_ptr<Database> database);
  int Count() const { return static_cast<int>(items_.size()); }
  // The query at INDEX (from 0) or named NAME (case ignored); kItemNotFound when there is
  // none. The same saved query gives the same object for as long as the database keeps this
  // collection, so parameter values set on it stay until the query runs.
  std::shared_ptr<QueryDef> Item(int index) const;
  std::shared_ptr<QueryDef> Item(std::string_view name) const;
  // Stores the stand-alone or temporary QUERY under its name: kInvalidArgument for none,
  // kDuplicateName when it is stored already, kInvalidOperation when it belongs to another
  // database, kInvalidName for an empty or bad name, kObjectExists when a table or query has
  // it, kReadOnly on a read-only open. QUERY becomes the stored view.
  void Append(const std::shared_ptr<QueryDef>& query);
  // Deletes the saved query NAME (kItemNotFound when there is none). Queries that use it stay
  // and fail with 3078 when they run. Objects showing it become closed.
  void Delete(const std::string& name);
  // Re-reads the saved queries; objects of queries still there are kept (with their values).
  void Refresh();

 private:
  std::shared_ptr<Database> Open() const;
  void Add(const std::shared_ptr<QueryDef>& query);

  std::weak_ptr<Database> database_;            // constant after construction
  std::vector<std::shared_ptr<QueryDef>> items_;  // ordered by name
};

}  // namespace qb::jet
