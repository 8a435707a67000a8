// recordset/dao_field_hooks: how the recordset makes the field classes and blob streams that live
// in the fields layer above it. The fields layer installs its makers at start-up
// (RegisterDAOFieldClasses); without them the recordset makes the framework's own field classes
// and has no blob streams (blob fields then raise the framework's field access error).
#pragma once

#include <memory>

#include "framework/data/blob_stream.h"
#include "framework/data/dataset.h"

namespace qb {

namespace jet {
class RecordsetField;
}  // namespace jet

class TDAOBaseRecordset;
class TField;

// The field class for a field type of the currency, date-time, blob, memo and graphic kinds;
// null: the framework's class.
using DAOFieldClassHook = TFieldFactory (*)(TFieldType type);

// A stream over ENGINE_FIELD (may be null: a stream that reads and writes nothing) of the
// current record of RECORDSET, for the dataset field FIELD.
using DAOBlobStreamFactory = std::unique_ptr<TBlobStream> (*)(TDAOBaseRecordset& recordset, TField* field,
                                                              TBlobStreamMode mode,
                                                              std::shared_ptr<jet::RecordsetField> engine_field);

// Each installs its argument (null: none) and returns the one it replaces.
DAOFieldClassHook SetDAOFieldClassHook(DAOFieldClassHook hook);
DAOBlobStreamFactory SetDAOBlobStreamFactory(DAOBlobStreamFactory factory);

// The installed ones; null when none is.
DAOFieldClassHook InstalledDAOFieldClassHook();
DAOBlobStreamFactory InstalledDAOBlobStreamFactory();

}  // namespace qb
