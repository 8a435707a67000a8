// jet/dao/workspaces: indexing and lookup over the engine's default and other open workspaces.
#include "jet/dao/workspaces.h"

#include "jet/dao/dbengine.h"
#include "jet/base/errors.h"
#include "jet/dao/workspace.h"

namespace qb::jet {

int Workspaces::Count() { return 1 + static_cast<int>(engine_->OtherWorkspaces().size()); }

std::shared_ptr<Workspace> Workspaces::Item(int index) {
  if (index == 0) return engine_->DefaultWorkspace();
  std::vector<std::shared_ptr<Workspace>> others = engine_->OtherWorkspaces();
  if (index < 0 || static_cast<std::size_t>(index) > others.size()) {
    RaiseJetError(err::kItemNotFound, "There is no workspace at position " + std::to_string(index) + ".");
  }
  return others[static_cast<std::size_t>(index) - 1];
}

std::shared_ptr<Workspace> Workspaces::Item(std::string_view name) {
  if (name == kDefaultWorkspaceName) return engine_->DefaultWorkspace();
  for (const auto& workspace : engine_->OtherWorkspaces()) {
    if (workspace->Name() == name) return workspace;
  }
  RaiseJetError(err::kItemNotFound, "There is no open workspace named '" + std::string(name) + "'.");
}

}  // namespace qb::jet
