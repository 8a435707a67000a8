// engine/dao_workspace_member: what a workspace component needs of the database components
// bound to it: disconnecting when it closes, detaching when it is destroyed, and re-checking
// their recordsets when its type changes. An interface only; the database implements it.
#pragma once

namespace qb {

class TDAOWorkspaceMember {
 public:
  // Disconnects the database (it stays bound). Raises what disconnecting raises.
  virtual void DisconnectForWorkspace() = 0;
  // Unbinds the database from its workspace (DAOWorkspace becomes none); the workspace is being
  // destroyed. REQUIRES: the database is disconnected.
  virtual void DetachFromWorkspace() = 0;
  // Asks every recordset of the database to check its settings against the workspace type
  // again. Raises the first recordset's refusal.
  virtual void RecheckRecordsetRules() = 0;

 protected:
  ~TDAOWorkspaceMember() = default;
};

}  // namespace qb
