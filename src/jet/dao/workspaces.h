// jet/dao/workspaces: the Workspaces collection of an engine: item 0 is the default workspace, made
// on first use and kept by the engine until closed; then the other open workspaces, in creation
// order, held weakly (dropping the last outside reference closes one and removes it).
#pragma once
#include <memory>
#include <string_view>

namespace qb::jet {

class DBEngine;
class Workspace;

class Workspaces {
 public:
  explicit Workspaces(std::shared_ptr<DBEngine> engine) : engine_(std::move(engine)) {}

  // 1 (the default workspace, made or not) + the other open workspaces.
  int Count();
  // Item 0 logs the default workspace in when it is not open (raising the login's error);
  // other indexes name the open workspaces; kItemNotFound out of range.
  std::shared_ptr<Workspace> Item(int index);
  // The first open workspace named NAME (exact); the default workspace's name makes it.
  // kItemNotFound when none.
  std::shared_ptr<Workspace> Item(std::string_view name);
  // Nothing is cached: there is nothing to refresh.
  void Refresh() {}

 private:
  std::shared_ptr<DBEngine> engine_;  // constant after construction
};

}  // namespace qb::jet
