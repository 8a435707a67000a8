// jet/dao/databases: a Workspace's Databases collection: the databases opened through it that are
// still open, in the order they were opened. Holds them weakly: the caller owns a database, and
// dropping its last reference still closes it and removes it from the collection.
#pragma once
#include <memory>
#include <string_view>

namespace qb::jet {

class Database;
class Workspace;

class Databases {
 public:
  explicit Databases(std::shared_ptr<Workspace> workspace) : workspace_(std::move(workspace)) {}

  // Every member raises kObjectClosed once the workspace is closed.
  int Count() const;
  // The open database at INDEX (0-based), or the first one whose Name (the path it was opened
  // with) is NAME; kItemNotFound when none.
  std::shared_ptr<Database> Item(int index) const;
  std::shared_ptr<Database> Item(std::string_view name) const;
  // Each call reads the workspace's open databases afresh: there is nothing to refresh.
  void Refresh() const;

 private:
  std::shared_ptr<Workspace> workspace_;  // constant after construction
};

}  // namespace qb::jet
