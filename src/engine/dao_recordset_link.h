// engine/dao_recordset_link: what a database component needs of the recordset components bound
// to it: closing when it disconnects, detaching when it is destroyed, and re-checking their
// settings when the workspace type changes. An interface only; the recordset implements it.
#pragma once

namespace qb {

class TDAORecordsetLink {
 public:
  // Closes the recordset as the dataset framework closes it; its database stays set.
  virtual void CloseForDatabase() = 0;
  // Sets the recordset's database to none, which takes it out of the database's list; the
  // database is being destroyed.
  virtual void DetachFromDatabase() = 0;
  // Applies the recordset's own RecordSetType and LockStrategy again, so that they are checked
  // against the workspace type now in force. Raises the recordset's refusal.
  virtual void RecheckWorkspaceRules() = 0;

 protected:
  ~TDAORecordsetLink() = default;
};

}  // namespace qb
